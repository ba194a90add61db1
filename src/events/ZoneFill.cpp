#include "events/ZoneFill.h"

#include "common/HexText.h"

namespace sr5n {

bool IsHexNumber(const QString &text)
{
    return ParseHex(text).has_value();
}

std::optional<QStringList> FillZoneCodes(const QString &start, const QString &step, int rows)
{
    const std::optional<quint32> first = ParseHex(start);
    const std::optional<quint32> increment = ParseHex(step);
    if (!first || !increment)
        return std::nullopt;
    quint32 a = std::min<quint32>(*first, 0xFFFF);
    QStringList codes;
    for (int r = 0; r < rows; ++r) {
        for (int shift = 0; shift < 16; shift += 4)
            if (((a >> shift) & 0xF) == 0xA)
                a += 1u << shift;
        codes.append(QStringLiteral("%1").arg(a, 4, 16, QLatin1Char('0')).toUpper());
        a = std::min<quint32>(a + *increment, 0xFFFF);
    }
    return codes;
}

} // namespace sr5n
