#include "link/TConnection.h"

#include "common/Checksum.h"
#include "common/Notifier.h"
#include "link/DeviceAnswers.h"
#include "link/Frame.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace sr5n {

namespace {

const QString CheckList =
    QStringLiteral(".\nНеобходимо проверить:\n"
                   "  - Соответствие версий ПО коммуникатора и конфигуратора;\n"
                   "  - Правильность подключения коммуникатора к компьютеру;\n"
                   "  - Целостность кабеля передачи данных");
const QString NoAnswerMessage = QStringLiteral("Коммуникатор не отвечает") + CheckList;
const QString TransferErrorMessage = QStringLiteral("Ошибка передачи данных") + CheckList;
const QString ReadErrorMessage = QStringLiteral("Ошибка чтения") + CheckList;
const QString WriteErrorMessage = QStringLiteral("Ошибка записи") + CheckList;
const QString MemoryFaultMessage = QStringLiteral("Неисправность памяти");
const QString ClockFaultMessage = QStringLiteral("Неисправность часов реального времени");

TVaComm &portOf(TVaCapture &capture)
{
    Q_ASSERT(capture.Comm() != nullptr);
    return *capture.Comm();
}

} // namespace

TConnection::TConnection(TVaCapture &capture, Notifier &notifier, LinkTimings timings)
    : m_comm(portOf(capture)), m_capture(capture), m_notifier(notifier), m_timings(timings)
{
    m_capture.OnMessage = [this](TVaCapture *sender, const QString &data) {
        VaCaptureMessage(sender, data);
    };
    m_lineLostConnection = QObject::connect(&m_comm, &TVaComm::lineLost, [this] {
        m_lineLost = true;
        wakeWait();
    });
}

TConnection::~TConnection()
{
    QObject::disconnect(m_lineLostConnection);
    m_capture.OnMessage = nullptr;
    if (m_opened) {
        m_capture.Reset();
        m_capture.SetActive(false);
        m_comm.PurgeReadWrite();
        m_comm.Close();
        m_opened = false;
    }
}

bool TConnection::Open(const QString &portName)
{
    if (m_opened)
        return true;
    bool openedHere = false;
    bool ok = m_comm.SetDeviceName(portName);
    if (ok) {
        ok = m_comm.Open();
        openedHere = ok;
    }
    ok = ok && m_comm.PurgeReadWrite();
    if (m_trace) {
        if (ok)
            traced(LineTrace::Event::Opened, {}, m_comm.Settings());
        else if (m_comm.OpenCancelled())
            traced(LineTrace::Event::OpenFailed, {}, QStringLiteral("отменено пользователем"));
        else
            traced(LineTrace::Event::OpenFailed, {},
                   m_comm.LastError() + (m_comm.FailureReason().isEmpty()
                                             ? QString()
                                             : QStringLiteral(" / ") + m_comm.FailureReason()));
    }
    if (!ok) {
        // A port opened but not usable is not left open behind a closed link.
        if (openedHere)
            m_comm.Close();
        // Cancel while a serial server was being reached: nothing to report.
        if (!m_comm.OpenCancelled())
            reportPortFailure();
        return false;
    }
    m_lineLost = false;
    m_capture.Reset();
    m_capture.SetActive(true);
    Pause(m_timings.openClosePauseMs);
    m_opened = true;
    return true;
}

bool TConnection::Close()
{
    if (!m_opened)
        return true;
    Pause(m_timings.openClosePauseMs);
    m_capture.Reset();
    m_capture.SetActive(false);
    const bool purged = m_comm.PurgeReadWrite();
    // The port is closed even when purging failed, so that the next Open
    // starts afresh instead of finding a dead link still open.
    m_comm.Close();
    m_opened = false;
    m_lineLost = false;
    if (m_trace)
        traced(LineTrace::Event::Closed, {},
               purged ? QString()
                      : QStringLiteral("очистка буферов не удалась: ") + m_comm.LastError());
    if (!purged) {
        reportPortFailure();
        return false;
    }
    return true;
}

bool TConnection::Send(const QString &body, int timeoutMs)
{
    m_aborted = false;
    m_answered = false;
    m_waiting = true;
    const QByteArray frame = BuildFrame(body.toLatin1());
    m_request = QString::fromLatin1(frame.mid(1, frame.size() - 2));
    m_requestCommand = body.left(2);
    m_answerEcho = AnswerEcho(m_requestCommand, body.mid(2));
    const QString asked =
        m_trace ? LineTraceText::request(QByteArrayView(frame).sliced(1, frame.size() - 4))
                : QString();

    // Every attempt waits for its own answer, so that one corrupted answer
    // costs one attempt and not the whole request.
    for (int attempt = 0; attempt < Attempts && !m_answered && !m_aborted; ++attempt) {
        if (m_trace && attempt > 0)
            traced(LineTrace::Event::Retry, {},
                   QStringLiteral("попытка %1 из %2: %3")
                       .arg(attempt + 1)
                       .arg(Attempts)
                       .arg(m_heard ? m_verdict : missedAnswer(timeoutMs)));
        m_heard = false;
        if (m_trace)
            traced(
                LineTrace::Event::Sent, frame,
                QStringLiteral("%1, попытка %2 из %3").arg(asked).arg(attempt + 1).arg(Attempts));
        if (!m_comm.WriteText(frame)) {
            m_aborted = true;
            if (m_trace)
                traced(LineTrace::Event::Note, {},
                       QStringLiteral("запись в порт не удалась: ") + m_comm.LastError());
            reportPortFailure();
            return false;
        }
        WaitAnswer(timeoutMs);
        if (m_trace && !m_heard && !m_aborted)
            traced(LineTrace::Event::TimedOut, {}, missedAnswer(timeoutMs));
        if (m_lineLost && !m_answered && !m_aborted) {
            m_aborted = true;
            if (m_trace)
                traced(LineTrace::Event::Note, {},
                       QStringLiteral("линия потеряна: ") + m_comm.FailureReason());
            reportPortFailure();
            return false;
        }
        if (m_answered && AnsweredBusy())
            Pause(m_timings.busyPauseMs);
    }

    if (m_aborted)
        return false;
    if (m_waiting) {
        m_notifier.reportFailure(NoAnswerMessage);
        return false;
    }
    if (!m_answered) {
        m_notifier.reportFailure(TransferErrorMessage);
        return false;
    }
    return true;
}

QString TConnection::missedAnswer(int timeoutMs) const
{
    return QStringLiteral("нет ответа за %1 мс").arg(timeoutMs);
}

TConnection::ExchangeResult TConnection::Exchange(const QString &command, const QString &data,
                                                  int timeoutMs, Wanted wanted)
{
    for (int repeat = 0; repeat < CommandRepeats; ++repeat) {
        if (!Send(command + data, timeoutMs))
            return ExchangeResult::Failed;
        const bool accepted =
            wanted == Wanted::SameCommand ? m_answerCommand == command : !AnsweredBusy();
        if (accepted)
            return ExchangeResult::Answered;
        if (m_trace)
            traced(LineTrace::Event::Retry, {},
                   QStringLiteral("ответ %1 из %2 не принят: %3; запрос повторяется")
                       .arg(repeat + 1)
                       .arg(CommandRepeats)
                       .arg(AnsweredBusy()
                                ? QStringLiteral("коммуникатор занят")
                                : QStringLiteral("ответ на другую команду (%1)")
                                      .arg(m_answerCommand.isEmpty() ? QStringLiteral("пустой")
                                                                     : m_answerCommand)));
    }
    return ExchangeResult::Refused;
}

bool TConnection::Read(const QString &command, const QString &data)
{
    return exchange(command, data, ReadErrorMessage);
}

bool TConnection::Write(const QString &command, const QString &data)
{
    return exchange(command, data, WriteErrorMessage);
}

bool TConnection::exchange(const QString &command, const QString &data,
                           const QString &mismatchMessage)
{
    switch (Exchange(command, data, m_timings.answerTimeoutMs)) {
    case ExchangeResult::Answered:
        return true;
    case ExchangeResult::Refused:
        m_notifier.reportFailure(mismatchMessage);
        return false;
    case ExchangeResult::Failed:
        break;
    }
    return false;
}

bool TConnection::AnsweredBusy() const
{
    return IsBusyAnswer(m_answerCommand, m_answerData);
}

void TConnection::Pause(int ms)
{
    // Timers fire on a millisecond boundary and a little late: wait all but the
    // last millisecond in the event loop, then sleep out what is left of it,
    // so that the 858 pauses of a configuration run add up to what they say.
    QElapsedTimer elapsed;
    elapsed.start();
    wait(ms - 1, false);
    const qint64 leftUs = qint64(ms) * 1000 - elapsed.nsecsElapsed() / 1000;
    if (leftUs > 0 && !m_aborted)
        QThread::usleep(static_cast<unsigned long>(std::min<qint64>(leftUs, 1000)));
}

void TConnection::WaitAnswer(int ms)
{
    wait(ms, true);
}

QString TConnection::Checksum(const QString &text)
{
    return sr5n::Checksum(text);
}

void TConnection::abort()
{
    if (m_trace && !m_aborted && (m_opened || !m_waits.isEmpty()))
        traced(LineTrace::Event::Note, {}, QStringLiteral("отмена: обмен прерван"));
    m_aborted = true;
    m_comm.CancelOpen();
    wakeWait();
}

void TConnection::SetAborted(bool aborted)
{
    if (aborted)
        abort();
    else
        m_aborted = false;
}

void TConnection::VaCaptureMessage(TVaCapture *sender, const QString &data)
{
    if (m_aborted) {
        if (m_trace)
            traced(LineTrace::Event::Answer, data.toLatin1(),
                   QStringLiteral("после отмены: не разбирается"));
        return;
    }
    // Only what follows the last start delimiter belongs to the answer: an
    // earlier part is what is left of a frame that was cut off.
    QString text = data;
    const QString start = sender ? sender->DataStart() : m_capture.DataStart();
    if (!start.isEmpty()) {
        qsizetype at;
        while ((at = text.indexOf(start)) >= 0)
            text.remove(0, at + start.size());
    }
    m_waiting = false;

    const QByteArray message = text.toLatin1();
    const std::optional<QByteArray> body = CheckedBody(message);
    if (m_trace) {
        m_verdict = LineTraceText::checksumVerdict(message);
        if (text.size() != data.size())
            m_verdict += QStringLiteral(" (до последнего «%1» отброшено)").arg(start);
    }
    if (body && (*body == "FF01" || *body == "FF02")) {
        m_aborted = true;
        if (m_trace)
            traced(LineTrace::Event::Answer, data.toLatin1(),
                   m_verdict + (*body == "FF01" ? QStringLiteral(": неисправность памяти")
                                                : QStringLiteral(": неисправность часов")));
        m_notifier.reportFailure(*body == "FF01" ? MemoryFaultMessage : ClockFaultMessage);
    } else if (body) {
        const QString command = QString::fromLatin1(body->left(2));
        const QString answerData = QString::fromLatin1(body->mid(2));
        // A late answer to an earlier request is never taken for this one's.
        if (isStale(command, answerData)) {
            if (m_trace)
                traced(LineTrace::Event::Answer, data.toLatin1(),
                       m_verdict + QStringLiteral(": опоздавший ответ на прежний запрос (адрес "
                                                  "%1, ожидался %2): отброшен, ожидание "
                                                  "продолжается")
                                       .arg(answerData.left(m_answerEcho.size()), m_answerEcho));
            return;
        }
        m_answerCommand = command;
        m_answerData = answerData;
        m_answered = true;
        if (m_trace)
            traced(LineTrace::Event::Answer, data.toLatin1(),
                   m_verdict + (AnsweredBusy()
                                    ? QStringLiteral(": коммуникатор занят, пауза %1 мс")
                                          .arg(m_timings.busyPauseMs)
                                    : QStringLiteral(": команда %1, данных %2 знаков")
                                          .arg(command.isEmpty() ? QStringLiteral("—") : command)
                                          .arg(answerData.size())));
    } else if (m_trace) {
        traced(LineTrace::Event::Answer, data.toLatin1(), m_verdict);
    }
    m_heard = true;
    wakeWait();
}

bool TConnection::isStale(const QString &command, const QString &data) const
{
    return command == m_requestCommand && !data.startsWith(m_answerEcho);
}

void TConnection::wait(int ms, bool untilMessage)
{
    if (m_aborted || (untilMessage && (m_heard || m_lineLost)) || ms <= 0)
        return;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);

    m_waits.append({&loop, untilMessage});
    deadline.start(ms);
    loop.exec();
    m_waits.removeLast();
}

void TConnection::wakeWait()
{
    // Every running wait whose end has come is ended, nested ones included.
    for (const RunningWait &wait : std::as_const(m_waits)) {
        if (m_aborted || (wait.endsOnMessage && (m_heard || m_lineLost)))
            wait.loop->quit();
    }
}

void TConnection::setTrace(LineTrace *trace)
{
    m_trace = trace;
    m_comm.SetTrace(trace);
}

void TConnection::traced(LineTrace::Event event, QByteArrayView bytes, const QString &text) const
{
    m_trace->record(m_comm.DeviceName(), event, bytes, text);
}

void TConnection::reportPortFailure()
{
    // The first line as ever; the second, when known, says why.
    QString message = QStringLiteral("Порт ") + m_comm.DeviceName() + QStringLiteral(" недоступен");
    if (const QString reason = m_comm.FailureReason(); !reason.isEmpty())
        message += QLatin1Char('\n') + reason;
    m_notifier.reportFailure(message);
}

} // namespace sr5n
