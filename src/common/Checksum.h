#pragma once

#include <QByteArrayView>
#include <QString>

namespace sr5n {

// Sum of the 8-bit codes of all bytes, modulo 256. Frames on the link carry it
// as two hexadecimal digits, text records in files as a 32-bit number.
quint8 ByteSum(QByteArrayView bytes);

// Checksum of a link text (ASCII) as exactly two upper-case hexadecimal digits.
QString Checksum(const QString &text);

} // namespace sr5n
