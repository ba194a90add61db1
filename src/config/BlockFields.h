#pragma once

#include "common/HexText.h"

#include <QString>
#include <QTime>

#include <optional>

namespace sr5n {

// Field texts shared by the configuration blocks: upper-case hexadecimal
// digits, two per byte, most significant first.

// One byte as two digits; values outside 0-255 are held to the nearest bound,
// so that a block never carries a three-digit byte.
QString ByteText(int value);
// A 16-bit number as four digits, held to 0-FFFF.
QString WordText(int value);
// A code as `length` digits: upper-cased, zeros put in front of a short code,
// a long one cut (what a code field holds once left).
QString CodeText(const QString &code, int length);

// The time field: minutes, then hours (23:59 is "3B17").
QString TimeFieldText(QTime time);
// The time in the four characters from the 1-based position `first`, without
// seconds; no value when they are missing, not hexadecimal, or out of range.
std::optional<QTime> DecodeTimeField(const QString &text, qsizetype first);

// The phone field of a number block: one byte per dial character, 0F, then FF
// up to 26 bytes; "0E" in front when the dial-tone check is off; the high
// digit of the first byte becomes 8 for a number in use. Characters outside
// "0"-"9", "A"-"D" are never encoded (dropped, like a phone field drops them).
QString EncodePhone(const QString &number, bool inUse, bool checkFree);
// The number of a phone field: every second character up to the first "F".
QString DecodePhone(const QString &text);

} // namespace sr5n
