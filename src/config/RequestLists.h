#pragma once

#include "config/BlockContext.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sr5n {

// One of the sixteen configuration blocks that come before the event codes:
// its write command (the read command is the next one), its encoder and
// decoder, and the message shown when its data cannot be decoded. A block
// whose data have a fixed form (a protocol record) refuses data of another
// form with its own message, before the decoder runs.
struct ConfigBlock {
    int writeCommand = 0;
    QString (*encode)(const BlockContext &) = nullptr;
    bool (*decode)(const BlockContext &, const QString &) = nullptr;
    QString decodeFailure;
    bool (*wellFormed)(const QString &) = nullptr;
    QString malformedFailure = {};
    int protocolPair = 0; // 1 or 2 for the block of a pair's protocol

    int readCommand() const { return writeCommand + 1; }
};

// The sixteen blocks in request order: both protocols, test and line check,
// automatic reset, the four numbers, voice, incoming calls, busy and noise,
// system events, group codes, panel, second system events, high priority.
const QList<ConfigBlock> &ConfigBlocks();

// A command as two upper-case hexadecimal digits (31 gives "1F").
QString CommandText(int command);

inline constexpr int EventCodeWriteCommand = 0x00;
inline constexpr int EventCodeReadCommand = 0x01;

// The whole configuration as requests: two parallel lists, entry i of the data
// list belonging to entry i of the command list. 858 entries: the sixteen
// blocks, then the 421 event-code chunks of pair 1 and those of pair 2.

// The number of requests of a whole configuration: 858.
qsizetype ConfigurationRequestCount();

// The read requests; both lists are emptied first.
void BuildReadRequests(QStringList &data, QStringList &commands);

// The write requests, running the encoders in block order (an empty number is
// switched off as its block is encoded). Returns false, with both lists
// empty, when a pair has no protocol to send (an empty protocol library);
// the user has then been told "Не выбран протокол передачи данных" and the
// caller sends and stores nothing.
bool BuildWriteRequests(const BlockContext &context, QStringList &data, QStringList &commands);

// The answered commands of a reading run as write commands ("1F" gives
// "1E", "01" gives "00"): with the answered data they are the write request
// list of what was read, as a configuration file keeps it. Other commands stay.
QStringList WriteCommandsOf(const QStringList &answerCommands);

// Decodes a request list of answers (from the communicator or a file) into the
// configuration, in list order, then the event codes. The decoding runs on a
// copy that replaces the configuration only when every entry decoded; on
// failure the configuration is exactly as before (a protocol the user
// registered meanwhile stays in the library), the user is told
// "<message>. Операция будет прервана" and the result is false. Shows
// nothing on success. Before it succeeds, each pair whose protocol block was
// decoded is checked to hold in the library exactly the record it received,
// whatever was registered or replaced on the way.
bool DecodeAnswers(const BlockContext &context, const QStringList &data,
                   const QStringList &commands);

// The messages of the request lists.
QString NoProtocolMessage(); // "Не выбран протокол передачи данных"
QString EventCodesFailureMessage(); // "Ошибка декодирования кодов событий"
QString DataFailureMessage();       // "Ошибка декодирования данных"
QString AbortSuffix();              // ". Операция будет прервана"
// A pair's protocol left the library, or was replaced, while it was decoded.
QString ProtocolLostMessage(int pair);

} // namespace sr5n
