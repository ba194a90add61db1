// The event log decoder on arbitrary status answers and log memory: the first
// line is the status answer of command "0F", the rest the log text.
#include "FuzzSupport.h"

#include "events/EventLogDecoder.h"

#include <QStringList>

using namespace sr5n;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(fuzz::bytesOf(data, size));
    const qsizetype newline = text.indexOf(u'\n');
    const QString statusAnswer = newline < 0 ? text : text.left(newline);
    const QString log = newline < 0 ? QString() : text.mid(newline + 1);
    static const QStringList internal{QStringLiteral("Внутреннее 0"), QStringLiteral("Внутреннее 1"),
                                      QStringLiteral("Внутреннее 2")};
    QStringList external;
    for (int i = 0; i < 60; ++i)
        external.append(QStringLiteral("Внешнее %1").arg(i));
    for (const EventLogArea area : {EventLogArea::lowPriority(), EventLogArea::highPriority()}) {
        const std::optional<EventLogStatus> status = ParseEventLogStatus(statusAnswer, area.statusOffset);
        if (!status)
            continue;
        const DecodedEventLog decoded = DecodeEventLog(log, area.first, *status, external, internal);
        if (decoded.rows.size() > EventLogMaxRows)
            __builtin_trap();
    }
    return 0;
}
