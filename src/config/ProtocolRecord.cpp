#include "config/ProtocolRecord.h"

#include "common/HexText.h"

namespace sr5n {

std::optional<QString> CheckedProtocolRecord(const QString &text)
{
    if (text.size() != ProtocolRecordLength || !IsHexText(text))
        return std::nullopt;
    return text.toUpper();
}

} // namespace sr5n
