#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace sr5n {

// Delimiters of a frame on the link.
inline constexpr char FrameStart = ':';
inline constexpr char FrameFinish = ';';

// Two upper-case hexadecimal digits of the byte sum of `text`.
QByteArray ChecksumDigits(QByteArrayView text);

// ":" + body + checksum of body + ";"; the body is the command followed by its data.
QByteArray BuildFrame(QByteArrayView body);

// True when every character is one of "0123456789ABCDEF" (an empty text passes).
bool IsUpperHex(QByteArrayView text);

// The body of a message (the text between the delimiters) when it is upper-case
// hexadecimal and its last two digits are the checksum of the rest; nothing otherwise.
std::optional<QByteArray> CheckedBody(QByteArrayView message);

} // namespace sr5n
