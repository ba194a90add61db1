#pragma once

#include "link/LineTrace.h"
#include "link/LinkTimings.h"

#include <QList>
#include <QMetaObject>
#include <QString>

class QEventLoop;

namespace sr5n {

class Notifier;
class TVaCapture;
class TVaComm;

// The request/answer link with the communicator. A request is a two-digit
// command and its hexadecimal data; it goes out as ":" + body + checksum + ";"
// and the answer comes back in the same form through the capture.
//
// Every failure has been shown to the user (one taskbar flash, then the error
// box) by the time an operation returns false; the caller only stops.
// Waits run a nested event loop, so windows stay live and the progress
// window's Cancel (connected to abort()) ends a running wait at once.
//
// Usage: Open(port name); Read/Write/Send, testing Aborted() after each; Close().
class TConnection
{
public:
    // The port is the capture's; neither is owned, and both must outlive the
    // link. The capture's OnMessage is taken over by the answer parser.
    TConnection(TVaCapture &capture, Notifier &notifier, LinkTimings timings = LinkTimings());
    virtual ~TConnection();

    TConnection(const TConnection &) = delete;
    TConnection &operator=(const TConnection &) = delete;

    static constexpr int Attempts = 7;       // frames per Send
    static constexpr int CommandRepeats = 7; // Sends per Exchange (Read, Write)

    // Opens the port by name (ttyUSB0, /dev/pts/3, tcp://HOST:PORT,
    // rfc2217://HOST:PORT), purges it and starts capturing. True also when
    // already open: an open link keeps its port. False without a message when
    // abort() ended the wait for a serial server.
    bool Open(const QString &portName);
    // True also when not open.
    bool Close();
    // One request with up to seven attempts, each waiting up to `timeoutMs`
    // for its own answer. True when a valid answer came in, whatever its
    // command (a busy answer included). An answer whose data do not belong to
    // the request (a memory read's answer to another address: a late answer
    // to an earlier request) is dropped and the attempt goes on waiting.
    bool Send(const QString &body, int timeoutMs);

    // What a repeated request waits for: an answer with the request's own
    // command, or any answer but a busy one.
    enum class Wanted { SameCommand, AnyButBusy };
    enum class ExchangeResult {
        Answered, // the wanted answer is in AnswerCommand() and AnswerData()
        Failed,   // Send failed and has told the user
        Refused,  // seven other answers; nothing has been told
    };
    // Sends command + data until the wanted answer comes, at most seven times.
    ExchangeResult Exchange(const QString &command, const QString &data, int timeoutMs,
                            Wanted wanted = Wanted::SameCommand);
    // Exchange with the time-out of Read and Write; after seven answers to
    // another command "Ошибка чтения" or "Ошибка записи".
    bool Read(const QString &command, const QString &data);
    bool Write(const QString &command, const QString &data);
    // Waits without blocking the windows; ends early when Aborted is raised.
    void Pause(int ms);
    // As Pause, ending also as soon as a message has come in for the current
    // attempt (a valid answer or an invalid message, never a dropped one).
    void WaitAnswer(int ms);
    static QString Checksum(const QString &text);

    // Stops the current exchange: raises Aborted and ends a running wait,
    // also the wait for a serial server while opening.
    void abort();
    // Lowered by the device operations before they open the link.
    void SetAborted(bool aborted);

    // The answer parser, called with each captured message.
    void VaCaptureMessage(TVaCapture *sender, const QString &data);

    TVaComm &Comm() const { return m_comm; }
    TVaCapture &Capture() const { return m_capture; }
    bool Opened() const { return m_opened; }
    bool Waiting() const { return m_waiting; }
    bool Answered() const { return m_answered; }
    bool Aborted() const { return m_aborted; }
    QString Request() const { return m_request; }
    QString AnswerCommand() const { return m_answerCommand; }
    QString AnswerData() const { return m_answerData; }
    // The last valid answer is the busy answer.
    bool AnsweredBusy() const;

    const LinkTimings &timings() const { return m_timings; }

    // Where every frame, answer, retry and time-out is told (the port's
    // received bytes too); null: nothing is traced. Not owned.
    void setTrace(LineTrace *trace);
    LineTrace *trace() const { return m_trace; }

private:
    bool exchange(const QString &command, const QString &data, const QString &mismatchMessage);
    // The answer does not belong to the request in progress.
    bool isStale(const QString &command, const QString &data) const;
    void wait(int ms, bool untilMessage);
    void wakeWait();
    void reportPortFailure();
    // Tells the trace, when there is one.
    void traced(LineTrace::Event event, QByteArrayView bytes, const QString &text) const;
    // Why an attempt brought no answer, in the trace's words.
    QString missedAnswer(int timeoutMs) const;

    TVaComm &m_comm;
    TVaCapture &m_capture;
    bool m_opened = false;
    bool m_waiting = false;
    bool m_answered = false;
    bool m_aborted = false;
    QString m_request;
    QString m_answerCommand;
    QString m_answerData;

    QString m_requestCommand;
    QString m_answerEcho; // what the answer's data must start with
    bool m_heard = false; // a message has ended the current attempt

    Notifier &m_notifier;
    LinkTimings m_timings;
    struct RunningWait {
        QEventLoop *loop;
        bool endsOnMessage;
    };
    QList<RunningWait> m_waits; // innermost last

    bool m_lineLost = false;
    QMetaObject::Connection m_lineLostConnection;

    LineTrace *m_trace = nullptr;
    QString m_verdict; // the trace's verdict on the last message that ended a wait
};

} // namespace sr5n
