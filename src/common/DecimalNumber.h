#pragma once

#include <QString>

#include <optional>

namespace sr5n {

// A whole number written in decimal digits, optionally preceded by "-" or "+".
// Anything else (blanks, other characters, an empty text, overflow) is refused.
std::optional<qint64> ParseDecimal(const QString &text);

} // namespace sr5n
