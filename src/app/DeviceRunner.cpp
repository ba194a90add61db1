#include "app/DeviceRunner.h"

#include "app/UserSettings.h"
#include "common/Notifier.h"
#include "config/ConfigurationCopy.h"
#include "events/EventLogs.h"
#include "link/CommunicatorFinder.h"
#include "link/DeviceOperation.h"
#include "link/TConnection.h"
#include "services/SelfTest.h"

#include <QList>

#include <optional>
#include <utility>

namespace sr5n {

namespace {

// Stands in front of the user's notifier for one run. While `holding` (until
// the port has opened), the failures wait, in their order, until release(): a
// port that cannot be opened is told once the progress window has closed.
// Later failures are shown at once, over the progress, as the link tells them.
// The last error is the run's reason either way.
class RunMessages final : public Notifier
{
public:
    RunMessages(Notifier &shown, bool holding) : m_shown(shown), m_holding(holding) {}

    void flash() override
    {
        if (m_holding)
            m_held.append(std::nullopt);
        else
            m_shown.flash();
    }
    void showError(const QString &message) override
    {
        m_lastError = message;
        if (m_holding)
            m_held.append(message);
        else
            m_shown.showError(message);
    }
    void showInformation(const QString &message) override
    {
        release();
        m_shown.showInformation(message);
    }
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override
    {
        release();
        return m_shown.askYesNo(text, icon, caption);
    }
    bool askYesNoDefaultNo(const QString &text, QuestionIcon icon, const QString &caption) override
    {
        release();
        return m_shown.askYesNoDefaultNo(text, icon, caption);
    }

    // The port opened: what follows is shown as it comes.
    void stopHolding()
    {
        release();
        m_holding = false;
    }
    void release()
    {
        const QList<std::optional<QString>> held = std::exchange(m_held, {});
        for (const std::optional<QString> &message : held) {
            if (message)
                m_shown.showError(*message);
            else
                m_shown.flash();
        }
    }
    const QString &lastError() const { return m_lastError; }

private:
    Notifier &m_shown;
    bool m_holding;
    QList<std::optional<QString>> m_held; // nullopt: a flash
    QString m_lastError;
};

// Puts `messages` in front of the configurator's messages for one scope.
class MessagesInFront final
{
public:
    MessagesInFront(ForwardingNotifier &forward, RunMessages &messages)
        : m_forward(forward), m_shown(forward.target())
    {
        m_forward.setTarget(messages);
    }
    ~MessagesInFront() { m_forward.setTarget(m_shown); }

    MessagesInFront(const MessagesInFront &) = delete;
    MessagesInFront &operator=(const MessagesInFront &) = delete;

private:
    ForwardingNotifier &m_forward;
    Notifier &m_shown;
};

// The trace's outcome of a run: done, or the failure's message.
QString traceOutcome(bool done, const QString &reason)
{
    if (done)
        return QStringLiteral("успешно");
    return reason.isEmpty() ? QStringLiteral("не выполнена (отменена)") : reason;
}

} // namespace

DeviceRunner::DeviceRunner(Configurator &app, OperationProgress *progress)
    : m_app(app), m_progress(progress)
{
}

template <typename T, typename Work>
Expected<T> DeviceRunner::run(const QString &port, const Shape &shape, Work &&work)
{
    OperationProgress *progress = shape.withProgress ? m_progress : nullptr;
    RunMessages messages(m_app.notifier().target(), progress != nullptr);
    std::optional<Expected<T>> result;
    LineTrace *const trace = m_app.connection().trace();
    if (trace)
        trace->beginOperation(shape.withProgress ? OperationProgress::caption(shape.kind).trimmed()
                                                 : QStringLiteral("Самотестирование"),
                              port);
    {
        MessagesInFront inFront(m_app.notifier(), messages);
        DeviceOperation operation(m_app.connection(), progress, shape.kind, shape.maximum);
        for (int step = 0; step < shape.stepsBeforeOpen; ++step)
            operation.step();
        if (operation.open(port)) {
            messages.stopHolding();
            result.emplace(work(operation));
        }
        // The link closes, then the progress; only then the errors are shown.
        operation.finish();
    }
    if (trace)
        trace->endOperation(traceOutcome(
            result && result->has_value(),
            result && !result->reason().isEmpty() ? result->reason() : messages.lastError()));
    messages.release();
    if (!result)
        return Failure{messages.lastError()};
    if (!result->has_value())
        return Failure{result->reason().isEmpty() ? messages.lastError() : result->reason()};
    remember(port);
    return std::move(*result);
}

void DeviceRunner::notice(const QString &text, bool beforeNotice)
{
    if (!m_showsNotices)
        return;
    if (beforeNotice && m_beforeNotice)
        m_beforeNotice();
    m_app.notifier().showInformation(text);
}

void DeviceRunner::remember(const QString &port)
{
    if (!m_remembersPort)
        return;
    m_app.settings().setLastPort(port);
    if (m_portKept)
        m_portKept();
}

Expected<void> DeviceRunner::readConfiguration(const QString &port)
{
    return run<void>(port, {OperationProgress::Kind::Reading},
                     [this](DeviceOperation &operation) -> Expected<void> {
                         if (!m_app.readConfiguration(operation))
                             return Failure{};
                         operation.closeLink();
                         notice(readNotice(), true);
                         return {};
                     });
}

Expected<void> DeviceRunner::readConfiguration(const QString &port, const BlockContext &into)
{
    // A copy for a comparison: no notice, the comparison shows the result.
    return run<void>(port, {OperationProgress::Kind::Reading},
                     [this, &into](DeviceOperation &operation) -> Expected<void> {
                         if (!m_app.readConfiguration(operation, into))
                             return Failure{};
                         return {};
                     });
}

Expected<void> DeviceRunner::writeConfiguration(const QString &port)
{
    return run<void>(port, {OperationProgress::Kind::Writing},
                     [this](DeviceOperation &operation) -> Expected<void> {
                         if (!m_app.writeConfiguration(operation))
                             return Failure{};
                         operation.closeLink();
                         notice(writeNotice(), true);
                         return {};
                     });
}

Expected<DeviceRunner::Verified> DeviceRunner::writeVerified(const QString &port,
                                                             ConfigurationCopy &readBack)
{
    using Verification = Configurator::Verification;
    Expected<Verified> verified = run<Verified>(
        port, {OperationProgress::Kind::Writing},
        [this, &readBack](DeviceOperation &operation) -> Expected<Verified> {
            Verified done;
            done.result = m_app.writeVerified(operation, readBack, done.differences);
            if (done.result == Verification::NotWritten)
                return Failure{};
            operation.closeLink();
            // The device took the configuration on this port, whatever the check says.
            if (const QString text = Configurator::verificationNotice(done.result); !text.isEmpty())
                notice(text, done.result == Verification::Same);
            return done;
        });
    if (verified && verified->result == Verification::Different)
        m_app.notifier().reportFailure(
            Configurator::verificationFailure(verified->differences.size()));
    return verified;
}

Expected<QTime> DeviceRunner::readClock(const QString &port)
{
    return run<QTime>(port, {OperationProgress::Kind::Reading},
                      [this](DeviceOperation &operation) -> Expected<QTime> {
                          if (const std::optional<QTime> time = m_app.readClock(operation))
                              return *time;
                          return Failure{};
                      });
}

Expected<void> DeviceRunner::writeClock(const QString &port, const QTime &time)
{
    return run<void>(port, {OperationProgress::Kind::Writing},
                     [this, &time](DeviceOperation &operation) -> Expected<void> {
                         if (!m_app.writeClock(operation, time))
                             return Failure{};
                         // Told once the progress window has closed.
                         operation.finish();
                         notice(clockWrittenNotice(), false);
                         return {};
                     });
}

Expected<void> DeviceRunner::readLog(const QString &port, const EventLogArea &area,
                                     EventLogView &view)
{
    // The view is emptied before the link opens and shown again once it has
    // closed, whether or not the port opened.
    view.beginReading();
    bool shownAgain = false;
    Expected<void> read =
        run<void>(port, {OperationProgress::Kind::LogReading, EventLogs::PieceCount(area)},
                  [this, &area, &view, &shownAgain](DeviceOperation &operation) -> Expected<void> {
                      const EventLogs::LogReading reading =
                          m_app.eventLogs().ReadLog(operation, area, view);
                      operation.closeLink();
                      view.endReading();
                      shownAgain = true;
                      if (reading != EventLogs::LogReading::Whole)
                          return Failure{};
                      return {};
                  });
    if (!shownAgain)
        view.endReading();
    return read;
}

Expected<void> DeviceRunner::clearLogs(const QString &port)
{
    if (!m_app.notifier().askYesNo(EventLogs::clearQuestion(), Notifier::QuestionIcon::Question))
        return Failure{};
    // The bar is full from the start: one request.
    return run<void>(port, {OperationProgress::Kind::Writing, 1, true, 1},
                     [this](DeviceOperation &operation) -> Expected<void> {
                         if (!m_app.eventLogs().ClearDeviceLogs())
                             return Failure{};
                         notice(EventLogs::clearedNotice(), false);
                         // The progress closes before the link.
                         operation.endProgress();
                         return {};
                     });
}

Expected<unsigned> DeviceRunner::selfTest(const QString &port)
{
    return run<unsigned>(port, {OperationProgress::Kind::Reading, 1, false},
                         [this](DeviceOperation &) -> Expected<unsigned> {
                             if (const std::optional<unsigned> mask =
                                     SelfTest::run(m_app.connection(), m_app.notifier()))
                                 return *mask;
                             return Failure{};
                         });
}

Expected<void> DeviceRunner::diagnostics(const QString &port, const std::function<bool()> &show)
{
    return run<void>(port, {OperationProgress::Kind::Reading, 1, false},
                     [&show](DeviceOperation &) -> Expected<void> {
                         if (!show())
                             return Failure{};
                         return {};
                     });
}

Expected<QString>
DeviceRunner::findCommunicator(const QStringList &ports, CommunicatorFinder &finder,
                               const std::function<QString(const QStringList &)> &choose,
                               const std::function<void(const QString &)> &found)
{
    Notifier &notifier = m_app.notifier();
    if (ports.isEmpty()) {
        const QString none =
            QStringLiteral("Коммуникатор не найден: в системе нет последовательных портов");
        notifier.reportFailure(none);
        return Failure{none};
    }
    const CommunicatorFinder::Result result = m_app.findCommunicator(finder, ports, m_progress);
    if (result.cancelled)
        return Failure{};
    const QStringList answering = result.answering();
    if (answering.isEmpty()) {
        const QString none =
            QStringLiteral("Коммуникатор не найден: ни на одном порту он не ответил.\n") +
            CommunicatorFinder::report(result);
        notifier.reportFailure(none);
        return Failure{none};
    }
    const QString port = answering.size() == 1 ? answering.constFirst() : choose(answering);
    if (port.isEmpty())
        return Failure{};
    if (found)
        found(port);
    remember(port);
    // The user who chose among several needs no notice.
    if (answering.size() == 1 && m_showsNotices)
        notifier.showInformation(QStringLiteral("Коммуникатор найден: порт ") + port);
    return port;
}

} // namespace sr5n
