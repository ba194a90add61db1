#pragma once

#include <QByteArrayView>
#include <QString>

namespace sr5n {

// Where the trace of the line goes: every exchange of a device operation as
// it happens. TConnection and TVaComm feed one when it is set (setTrace) and
// the device operations mark where each begins and ends; with none set
// nothing is traced, and the link pays a null pointer test.
class LineTrace
{
public:
    enum class Event {
        Opened,     // the port opened; the text is its settings
        OpenFailed, // the text says why
        Closed,
        Sent,     // the bytes of a frame as written; the text is its command in words
        Received, // the bytes as the line delivered them
        Answer,   // a captured message; the text is the verdict on it
        Retry,    // the text says which attempt and why
        TimedOut, // no message within the attempt's time
        Note,     // anything else worth knowing (Cancel, a line that went)
    };

    virtual ~LineTrace() = default;

    // `title`: what the operation does ("Чтение данных с коммуникатора").
    virtual void beginOperation(const QString &title, const QString &port) = 0;
    virtual void record(const QString &port, Event event, QByteArrayView bytes,
                        const QString &text) = 0;
    // `outcome`: "успешно", or the failure's message.
    virtual void endOperation(const QString &outcome) = 0;
};

// The words and forms of the trace, for whoever writes one.
namespace LineTraceText {

// "3A 31 31 36 32 3B".
QString hex(QByteArrayView bytes);
// The bytes as text: printable ASCII as it is, anything else as \xNN.
QString readable(QByteArrayView bytes);
// What a request body (command + data) asks for: "чтение: протокол пары 1 (1F)".
QString request(QByteArrayView body);
// The verdict on a captured message as the parser sees it: "контрольная
// сумма 62 верна", "неверная контрольная сумма: 63, а должна быть 62"...
QString checksumVerdict(QByteArrayView message);
// The event's label in a line: "→", "←", "ОТВЕТ", "ПОВТОР"...
QString label(LineTrace::Event event);

} // namespace LineTraceText

} // namespace sr5n
