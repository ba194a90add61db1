#include "common/HexText.h"

#include <algorithm>

namespace sr5n {

std::optional<int> HexNumber(const QString &text, qsizetype first, qsizetype count)
{
    if (first < 1 || count < 1 || count > 7 || first - 1 + count > text.size())
        return std::nullopt;
    int value = 0;
    for (qsizetype i = first - 1; i < first - 1 + count; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

bool IsHexText(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    });
}

std::optional<quint32> ParseHex(QStringView text)
{
    if (!IsHexText(text) || text.size() > 8)
        return std::nullopt;
    return text.toUInt(nullptr, 16);
}

QString HexDigits(int value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

} // namespace sr5n
