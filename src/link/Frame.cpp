#include "link/Frame.h"

#include "common/Checksum.h"

namespace sr5n {

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";
}

QByteArray ChecksumDigits(QByteArrayView text)
{
    const quint8 sum = ByteSum(text);
    QByteArray digits(2, '0');
    digits[0] = HexDigits[sum >> 4];
    digits[1] = HexDigits[sum & 0x0F];
    return digits;
}

QByteArray BuildFrame(QByteArrayView body)
{
    QByteArray frame;
    frame.reserve(body.size() + 4);
    frame.append(FrameStart);
    frame.append(body);
    frame.append(ChecksumDigits(body));
    frame.append(FrameFinish);
    return frame;
}

bool IsUpperHex(QByteArrayView text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

std::optional<QByteArray> CheckedBody(QByteArrayView message)
{
    if (!IsUpperHex(message) || message.size() < 2)
        return std::nullopt;
    const QByteArrayView body = message.first(message.size() - 2);
    if (ChecksumDigits(body) != message.last(2))
        return std::nullopt;
    return body.toByteArray();
}

} // namespace sr5n
