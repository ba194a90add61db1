#include "services/DeviceClock.h"

#include "common/HexText.h"

namespace sr5n {

QString EncodeCurrentTime(const QTime &time)
{
    auto twoDigits = [](int value) {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    };
    return twoDigits(time.second()) + twoDigits(time.minute()) + twoDigits(time.hour());
}

std::optional<QTime> DecodeCurrentTime(const QString &data)
{
    const std::optional<int> seconds = HexNumber(data, 1, 2);
    const std::optional<int> minutes = HexNumber(data, 3, 2);
    const std::optional<int> hours = HexNumber(data, 5, 2);
    if (!seconds || !minutes || !hours || *hours > 23 || *minutes > 59 || *seconds > 59)
        return std::nullopt;
    return QTime(*hours, *minutes, *seconds);
}

} // namespace sr5n
