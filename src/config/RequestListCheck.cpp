#include "config/RequestListCheck.h"

#include "common/HexText.h"
#include "config/EventCodeBlocks.h"
#include "config/RequestLists.h"

#include <QHash>

namespace sr5n {

namespace {

// The shortest data each block's encoder gives, by write command: a device's
// answer may carry more, never less. A number block (and the voice block) is
// two characters longer when the line is not checked before dialling.
int shortestBlock(int writeCommand)
{
    static const QHash<int, int> lengths{
        {0x1E, 38}, {0x20, 38}, {0x08, 32}, {0x29, 8},  {0x02, 64}, {0x18, 64},
        {0x04, 64}, {0x1A, 64}, {0x1C, 64}, {0x0A, 20}, {0x2B, 2},  {0x06, 32},
        {0x22, 4},  {0x26, 12}, {0x14, 8},  {0x0D, 8},
    };
    return lengths.value(writeCommand);
}

// An event-code chunk: its address and ten codes.
constexpr qsizetype ChunkLength = 4 + 4 * EventCodeLayout::CodesPerChunk;

} // namespace

std::optional<QString> RequestListFault(const QStringList &data, const QStringList &commands)
{
    const qsizetype whole = ConfigurationRequestCount();
    if (data.size() != commands.size() || commands.size() != whole)
        return RequestCountFault(commands.size());
    // The read requests name each chunk's address.
    static const QStringList chunkData = [] {
        QStringList readData, readCommands;
        BuildReadRequests(readData, readCommands);
        return readData;
    }();
    const QList<ConfigBlock> &blocks = ConfigBlocks();
    for (qsizetype i = 0; i < whole; ++i) {
        const QString &command = commands.at(i);
        const QString &text = data.at(i);
        const auto fault = [&](const QString &what) {
            return QStringLiteral("запись %1 из %2 (команда %3): %4")
                .arg(i + 1)
                .arg(whole)
                .arg(command.left(8), what);
        };
        const bool isBlock = i < blocks.size();
        const int write = isBlock ? blocks.at(i).writeCommand : EventCodeWriteCommand;
        const int read = isBlock ? blocks.at(i).readCommand() : EventCodeReadCommand;
        const std::optional<int> number = HexNumber(command, 1, command.size());
        if (number != write && number != read)
            return fault(QStringLiteral("ожидалась команда %1").arg(CommandText(write)));
        if (!IsHexText(text)) {
            qsizetype bad = 0;
            while (IsHexText(QStringView(text).mid(bad, 1)))
                ++bad;
            return fault(QStringLiteral("знак %1 данных \"%2\" не шестнадцатеричная цифра")
                             .arg(bad + 1)
                             .arg(text.at(bad)));
        }
        if (isBlock && text.size() < shortestBlock(write))
            return fault(QStringLiteral("знаков данных %1, а нужно не меньше %2")
                             .arg(text.size())
                             .arg(shortestBlock(write)));
        if (!isBlock && text.size() != ChunkLength)
            return fault(
                QStringLiteral("знаков данных %1 вместо %2").arg(text.size()).arg(ChunkLength));
        // The chunk's address is the one the read request list asks for there.
        if (!isBlock && text.left(4).compare(chunkData.at(i).left(4), Qt::CaseInsensitive) != 0)
            return fault(
                QStringLiteral("адрес %1 вместо %2").arg(text.left(4), chunkData.at(i).left(4)));
    }
    return std::nullopt;
}

QString RequestCountFault(qint64 count)
{
    return QStringLiteral("записей %1 вместо %2").arg(count).arg(ConfigurationRequestCount());
}

} // namespace sr5n
