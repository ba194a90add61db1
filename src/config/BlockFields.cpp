#include "config/BlockFields.h"

#include "common/FieldRules.h"
#include "common/HexText.h"

#include <algorithm>

namespace sr5n {

namespace {

constexpr int PhoneFieldBytes = 26;
constexpr int LongestNumber = 24;

} // namespace

QString ByteText(int value)
{
    return HexDigits(std::clamp(value, 0, 0xFF), 2);
}

QString WordText(int value)
{
    return HexDigits(std::clamp(value, 0, 0xFFFF), 4);
}

QString CodeText(const QString &code, int length)
{
    return PadWithZeros(code.toUpper(), length).left(length);
}

QString TimeFieldText(QTime time)
{
    return ByteText(time.minute()) + ByteText(time.hour());
}

std::optional<QTime> DecodeTimeField(const QString &text, qsizetype first)
{
    const std::optional<int> minutes = HexNumber(text, first, 2);
    const std::optional<int> hours = HexNumber(text, first + 2, 2);
    if (!minutes || !hours || *minutes > 59 || *hours > 23)
        return std::nullopt;
    return QTime(*hours, *minutes);
}

QString EncodePhone(const QString &number, bool inUse, bool checkFree)
{
    const QString digits = DialText(number).left(LongestNumber);
    QString field;
    field.reserve(2 * (PhoneFieldBytes + 1));
    if (!checkFree)
        field += QStringLiteral("0E");
    for (QChar c : digits) {
        field += QLatin1Char('0');
        field += c;
    }
    field += QStringLiteral("0F");
    field += QString(2 * (PhoneFieldBytes - 1 - digits.size()), QLatin1Char('F'));
    if (inUse && field.at(1) != u'F')
        field[0] = QLatin1Char('8');
    return field;
}

QString DecodePhone(const QString &text)
{
    QString number;
    for (qsizetype i = 1; i < text.size(); i += 2) {
        if (text.at(i) == u'F' || text.at(i) == u'f')
            break;
        number += text.at(i);
    }
    return number;
}

} // namespace sr5n
