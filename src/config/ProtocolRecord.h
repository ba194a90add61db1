#pragma once

#include <QString>

#include <optional>

namespace sr5n {

// A protocol record: 19 bytes as 38 hexadecimal digits.
inline constexpr qsizetype ProtocolRecordLength = 38;

// The record in its own form (upper-case digits) when `text` is exactly 38
// hexadecimal digits of either case; none for anything else. Every record
// that enters the library or goes to the device passes this check first.
std::optional<QString> CheckedProtocolRecord(const QString &text);

// The refusal of a record of another form.
inline QString MalformedRecordMessage()
{
    return QStringLiteral("Запись протокола должна состоять из 38 шестнадцатеричных цифр");
}

} // namespace sr5n
