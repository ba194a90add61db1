#include "common/ReadableEcho.h"

namespace sr5n {

QString ReadableEcho(const QString &text, qsizetype limit)
{
    QString shown;
    qsizetype characters = 0;
    for (const QChar c : text) {
        if (characters == limit) {
            shown += QStringLiteral("… (%1 знаков)").arg(text.size());
            break;
        }
        // C0 and C1 controls and DEL: a terminal would act on them.
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            shown += c;
        ++characters;
    }
    return shown;
}

} // namespace sr5n
