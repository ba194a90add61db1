#pragma once

#include <QString>
#include <QTime>

#include <optional>

namespace sr5n {

// Request data of the clock write command "12": seconds, minutes and hours,
// each as two decimal digits.
QString EncodeCurrentTime(const QTime &time);

// Answer data of the clock read command "11": seconds, minutes and hours, each
// as two hexadecimal digits; characters after the sixth are ignored. No value
// when the data are short, not hexadecimal, or not a time of day.
std::optional<QTime> DecodeCurrentTime(const QString &data);

} // namespace sr5n
