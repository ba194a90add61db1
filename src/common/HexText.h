#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sr5n {

// The hexadecimal number written in `count` characters of `text` from the
// 1-based position `first`. No value when the text ends before them or one
// of them is not a hexadecimal digit.
std::optional<int> HexNumber(const QString &text, qsizetype first, qsizetype count);

// True when the text is not empty and every character is a hexadecimal
// digit, in either case.
bool IsHexText(QStringView text);

// The whole text read as one hexadecimal number (either case, no sign, no
// blanks, at most eight digits); none for anything else.
std::optional<quint32> ParseHex(QStringView text);

// `value` as exactly `digits` upper-case hexadecimal digits.
QString HexDigits(int value, int digits);

} // namespace sr5n
