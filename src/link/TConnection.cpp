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

    // Every attempt waits for its own answer, so that one corrupted answer
    // costs one attempt and not the whole request.
    for (int attempt = 0; attempt < Attempts && !m_answered && !m_aborted; ++attempt) {
        m_heard = false;
        if (!m_comm.WriteText(frame)) {
            m_aborted = true;
            reportPortFailure();
            return false;
        }
        WaitAnswer(timeoutMs);
        if (m_lineLost && !m_answered && !m_aborted) {
            m_aborted = true;
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
    if (m_aborted)
        return;
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

    const std::optional<QByteArray> body = CheckedBody(text.toLatin1());
    if (body && (*body == "FF01" || *body == "FF02")) {
        m_aborted = true;
        m_notifier.reportFailure(*body == "FF01" ? MemoryFaultMessage : ClockFaultMessage);
    } else if (body) {
        const QString command = QString::fromLatin1(body->left(2));
        const QString answerData = QString::fromLatin1(body->mid(2));
        // A late answer to an earlier request is never taken for this one's.
        if (isStale(command, answerData))
            return;
        m_answerCommand = command;
        m_answerData = answerData;
        m_answered = true;
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

void TConnection::reportPortFailure()
{
    // The first line as ever; the second, when known, says why.
    QString message = QStringLiteral("Порт ") + m_comm.DeviceName() + QStringLiteral(" недоступен");
    if (const QString reason = m_comm.FailureReason(); !reason.isEmpty())
        message += QLatin1Char('\n') + reason;
    m_notifier.reportFailure(message);
}

} // namespace sr5n
