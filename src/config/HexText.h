#pragma once

#include <QString>

#include <optional>

namespace sr5n {

// The hexadecimal number written in `count` characters of `text` from the
// 1-based position `first`. No value when the text ends before them or one
// of them is not a hexadecimal digit.
std::optional<int> HexNumber(const QString &text, qsizetype first, qsizetype count);

// `value` as exactly `digits` upper-case hexadecimal digits.
QString HexDigits(int value, int digits);

} // namespace sr5n
