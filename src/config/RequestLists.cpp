#include "config/RequestLists.h"

#include "common/HexText.h"
#include "common/Notifier.h"
#include "config/ConfigurationCopy.h"
#include "config/EventCodeBlocks.h"
#include "config/PairBlocks.h"
#include "config/ParameterBlocks.h"
#include "config/ProtocolCatalog.h"
#include "config/ProtocolRecord.h"

#include <optional>
#include <utility>

namespace sr5n {

namespace {

template <int Pair> QString encodeProtocol(const BlockContext &context)
{
    return EncodeProtocolBlock(context, Pair);
}

template <int Pair> bool decodeProtocol(const BlockContext &context, const QString &data)
{
    return DecodeProtocolBlock(context, Pair, data);
}

bool isProtocolRecord(const QString &data)
{
    return CheckedProtocolRecord(data).has_value();
}

template <int Pair, int Number> QString encodeNumber(const BlockContext &context)
{
    return EncodeNumberBlock(context, Pair, Number);
}

template <int Pair, int Number> bool decodeNumber(const BlockContext &context, const QString &data)
{
    return DecodeNumberBlock(context, Pair, Number, data);
}

QList<ConfigBlock> buildBlocks()
{
    const QString systemEvents =
        QStringLiteral("Ошибка декодирования параметров системных событий коммуникатора");
    const QString protocol = QStringLiteral("Невозможно добавить протокол");
    return {
        {0x1E, encodeProtocol<1>, decodeProtocol<1>, protocol, isProtocolRecord,
         QStringLiteral("Ошибка декодирования протокола передачи данных для первой пары"), 1},
        {0x20, encodeProtocol<2>, decodeProtocol<2>, protocol, isProtocolRecord,
         QStringLiteral("Ошибка декодирования протокола передачи данных для второй пары"), 2},
        {0x08, EncodeTestBlock, DecodeTestBlock,
         QStringLiteral("Ошибка декодирования параметров контроля линии и комплексного "
                        "контроля связи")},
        {0x29, EncodeAutoResetBlock, DecodeAutoResetBlock,
         QStringLiteral("Ошибка декодирования параметров автоматического сброса")},
        {0x02, encodeNumber<1, 1>, decodeNumber<1, 1>,
         QStringLiteral("Ошибка декодирования параметров первого телефоного номера для первой "
                        "пары")},
        {0x18, encodeNumber<1, 2>, decodeNumber<1, 2>,
         QStringLiteral("Ошибка декодирования параметров второго телефоного номера для первой "
                        "пары")},
        {0x04, encodeNumber<2, 1>, decodeNumber<2, 1>,
         QStringLiteral("Ошибка декодирования параметров первого телефоного номера для второй "
                        "пары")},
        {0x1A, encodeNumber<2, 2>, decodeNumber<2, 2>,
         QStringLiteral("Ошибка декодирования параметров второго телефоного номера для второй "
                        "пары")},
        {0x1C, EncodeVoiceBlock, DecodeVoiceBlock,
         QStringLiteral("Ошибка декодирования общих параметров и параметров голосового номера")},
        {0x0A, EncodeInCallsBlock, DecodeInCallsBlock,
         QStringLiteral("Ошибка декодирования общих параметров и параметров входящих звонков")},
        {0x2B, EncodeBusyNoiseBlock, DecodeBusyNoiseBlock,
         QStringLiteral("Ошибка декодирования параметров проверки сигналов \"занято\" и наличия "
                        "\"шума\" в линии")},
        {0x06, EncodeSystemEventsBlock, DecodeSystemEventsBlock, systemEvents},
        {0x22, EncodeGroupCodeBlock, DecodeGroupCodeBlock,
         QStringLiteral("Ошибка декодирования кодов групп")},
        {0x26, EncodePanelBlock, DecodePanelBlock,
         QStringLiteral("Ошибка декодирования параметров ППКОП или обязательных событий")},
        {0x14, EncodeSecondSystemEventsBlock, DecodeSecondSystemEventsBlock, systemEvents},
        {0x0D, EncodeHighPriorityBlock, DecodeHighPriorityBlock,
         QStringLiteral("Ошибка декодирования внешних событий с высоким приоритетом")},
    };
}

const ConfigBlock *blockOfCommand(int command)
{
    for (const ConfigBlock &block : ConfigBlocks())
        if (block.writeCommand == command || block.readCommand() == command)
            return &block;
    return nullptr;
}

void appendEntries(QStringList &data, QStringList &commands, const QStringList &entries,
                   int command)
{
    const QString text = CommandText(command);
    for (const QString &entry : entries) {
        data.append(entry);
        commands.append(text);
    }
}

// The decoding of the blocks and the collection of the event-code answers;
// the failure's message when it fails.
std::optional<QString> decodeEntries(const BlockContext &context, const QStringList &data,
                                     const QStringList &commands, QString (&protocols)[2])
{
    if (data.size() != commands.size())
        return DataFailureMessage();
    QStringList answers[2];
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const QString &command = commands.at(i);
        const std::optional<int> number = HexNumber(command, 1, command.size());
        if (!number)
            return DataFailureMessage();
        if (*number == EventCodeWriteCommand || *number == EventCodeReadCommand) {
            const std::optional<int> address = HexNumber(data.at(i), 1, 4);
            if (!address)
                return EventCodesFailureMessage();
            answers[*address > EventCodeLayout::LastPair1Address ? 1 : 0].append(data.at(i));
            continue;
        }
        const ConfigBlock *block = blockOfCommand(*number);
        if (!block)
            continue;
        if (block->wellFormed && !block->wellFormed(data.at(i)))
            return block->malformedFailure;
        if (!block->decode(context, data.at(i)))
            return block->decodeFailure;
        if (block->protocolPair > 0)
            protocols[block->protocolPair - 1] = data.at(i);
    }
    if (!DecodeEventCodes(context, answers[0], answers[1]))
        return EventCodesFailureMessage();
    return std::nullopt;
}

// Each pair whose protocol was decoded chooses the library's protocol of the
// record it received, found again by its record: registering the other pair's
// protocol may have changed the library. A record no longer there fails.
std::optional<QString> settleProtocols(ConfigurationCopy &copy, const QString (&protocols)[2])
{
    const BlockContext &context = copy.context();
    for (int pair = 1; pair <= 2; ++pair) {
        const QString &record = protocols[pair - 1];
        if (record.isEmpty())
            continue;
        const int index = context.catalog.indexOfRecord(record);
        if (index < 0)
            return ProtocolLostMessage(pair);
        const QString chooser = QStringLiteral("cbx%1PProtocol").arg(pair);
        context.model.setChoice(chooser, index);
        if (context.model.choice(chooser) != index)
            return ProtocolLostMessage(pair);
        copy.keep(chooser);
    }
    return std::nullopt;
}

} // namespace

QString ProtocolLostMessage(int pair)
{
    return QStringLiteral("Протокол для %1ой пары номеров был заменен или удален в программе")
        .arg(pair);
}

const QList<ConfigBlock> &ConfigBlocks()
{
    static const QList<ConfigBlock> blocks = buildBlocks();
    return blocks;
}

qsizetype ConfigurationRequestCount()
{
    return ConfigBlocks().size() + 2 * EventCodeLayout::RequestsPerPair;
}

QString CommandText(int command)
{
    return HexDigits(command, 2);
}

QString NoProtocolMessage()
{
    return QStringLiteral("Не выбран протокол передачи данных");
}

QString EventCodesFailureMessage()
{
    return QStringLiteral("Ошибка декодирования кодов событий");
}

QString DataFailureMessage()
{
    return QStringLiteral("Ошибка декодирования данных");
}

QString AbortSuffix()
{
    return QStringLiteral(". Операция будет прервана");
}

void BuildReadRequests(QStringList &data, QStringList &commands)
{
    data.clear();
    commands.clear();
    for (const ConfigBlock &block : ConfigBlocks()) {
        data.append(QString());
        commands.append(CommandText(block.readCommand()));
    }
    QStringList pair1, pair2;
    BuildEventCodeReads(pair1, pair2);
    appendEntries(data, commands, pair1, EventCodeReadCommand);
    appendEntries(data, commands, pair2, EventCodeReadCommand);
}

bool BuildWriteRequests(const BlockContext &context, QStringList &data, QStringList &commands)
{
    data.clear();
    commands.clear();
    for (const ConfigBlock &block : ConfigBlocks()) {
        const QString encoded = block.encode(context);
        // Only a protocol block can be empty: no protocol to send. Nothing
        // half-built may be sent or stored.
        if (encoded.isEmpty()) {
            data.clear();
            commands.clear();
            context.notifier.reportFailure(NoProtocolMessage());
            return false;
        }
        data.append(encoded);
        commands.append(CommandText(block.writeCommand));
    }
    QStringList pair1, pair2;
    BuildEventCodeWrites(context, pair1, pair2);
    appendEntries(data, commands, pair1, EventCodeWriteCommand);
    appendEntries(data, commands, pair2, EventCodeWriteCommand);
    return true;
}

QStringList WriteCommandsOf(const QStringList &answerCommands)
{
    QStringList commands;
    commands.reserve(answerCommands.size());
    for (const QString &command : answerCommands) {
        const std::optional<int> number = HexNumber(command, 1, command.size());
        if (number == EventCodeReadCommand) {
            commands.append(CommandText(EventCodeWriteCommand));
            continue;
        }
        const ConfigBlock *block = number ? blockOfCommand(*number) : nullptr;
        commands.append(block ? CommandText(block->writeCommand) : command);
    }
    return commands;
}

bool DecodeAnswers(const BlockContext &context, const QStringList &data,
                   const QStringList &commands)
{
    ConfigurationCopy copy(context);
    QString protocols[2];
    std::optional<QString> failure = decodeEntries(copy.context(), data, commands, protocols);
    if (!failure)
        failure = settleProtocols(copy, protocols);
    if (!failure) {
        copy.apply();
        return true;
    }
    context.notifier.reportFailure(*failure + AbortSuffix());
    return false;
}

} // namespace sr5n
