#include "common/Checksum.h"

namespace sr5n {

quint8 ByteSum(QByteArrayView bytes)
{
    quint8 sum = 0;
    for (char c : bytes)
        sum = static_cast<quint8>(sum + static_cast<quint8>(c));
    return sum;
}

QString Checksum(const QString &text)
{
    // Link texts are plain ASCII; Latin-1 keeps every code below 256 as one byte.
    const quint8 sum = ByteSum(text.toLatin1());
    return QStringLiteral("%1").arg(sum, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace sr5n
