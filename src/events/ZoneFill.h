#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

// The auto-fill of zone codes: `rows` codes from `start` on, `step` apart
// (both hexadecimal texts). Every digit A of a code becomes B (without carry)
// and the running value stops at FFFF. No value when start or step is not a
// hexadecimal number.
// Whether a fill field's text reads as a hexadecimal number (not empty).
bool IsHexNumber(const QString &text);

std::optional<QStringList> FillZoneCodes(const QString &start, const QString &step, int rows);

} // namespace sr5n
