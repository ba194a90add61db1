#include "config/EventCodeBlocks.h"

#include "common/HexText.h"
#include "config/BlockFields.h"
#include "config/ConfigModel.h"
#include "events/EventCodeTables.h"

namespace sr5n {

namespace L = EventCodeLayout;

int EventCodeLayout::baseAddress(int pair)
{
    return pair == 2 ? Pair2Base : Pair1Base;
}

namespace {

using Table = EventCodeTables::Table;

constexpr int FirstInternalEvent = 112;
constexpr int TestCodeEvent1 = 118;
constexpr int TestCodeEvent2 = 119;
const QString ChunkLength = QStringLiteral("14");

// The separate internal row that carries event `number`, 0 for none.
int rowOfEvent(int number)
{
    for (int row = 1; row <= EventCodeTables::DefaultSeparateRows; ++row)
        if (EventCodeTables::separateEventNumber(row) == number)
            return row;
    return 0;
}

// The addresses of one pair's requests, in request order.
QList<int> requestAddresses(int pair)
{
    const int base = L::baseAddress(pair);
    QList<int> addresses{base + L::InternalRecordOffset};
    for (int event = 0; event < L::EventPages; ++event)
        for (int chunk = 0; chunk < L::ChunksPerEvent; ++chunk)
            addresses.append(base + event * L::PageSize + chunk * L::ChunkSize);
    return addresses;
}

// The ten codes of the internal record of a pair, for events 112 ... 121.
QString internalRecord(const BlockContext &context, int pair)
{
    QString text;
    for (int event = FirstInternalEvent; event < FirstInternalEvent + L::CodesPerChunk; ++event) {
        QString code;
        if (event == TestCodeEvent1 || event == TestCodeEvent2) {
            if (pair == event - TestCodeEvent1 + 1)
                code = context.model.text(pair, u"PTestCode");
        } else {
            code = context.tables.separateCode(rowOfEvent(event), pair);
        }
        text += CodeText(code, 4);
    }
    return text;
}

QString chunkCodes(const BlockContext &context, int pair, int event, int chunk)
{
    const QStringList zones = context.tables.zoneCodes(event + 1, pair);
    QString text;
    for (int i = 0; i < L::CodesPerChunk; ++i)
        text += CodeText(zones.value(chunk * L::CodesPerChunk + i), 4);
    return text;
}

// The codes of an answer: the four-character groups after the address.
std::optional<QStringList> answerCodes(const QString &answer)
{
    const qsizetype count = answer.size() / 4 - 1;
    QStringList codes;
    for (qsizetype i = 0; i < count; ++i) {
        const QString code = answer.mid(4 + 4 * i, 4);
        if (!IsHexText(code))
            return std::nullopt;
        codes.append(code.toUpper());
    }
    return codes;
}

bool decodeInternalRecord(const BlockContext &context, int pair, const QStringList &codes)
{
    if (codes.size() < L::CodesPerChunk)
        return false;
    for (int i = 0; i < L::CodesPerChunk; ++i) {
        const int event = FirstInternalEvent + i;
        if (event == TestCodeEvent1 || event == TestCodeEvent2) {
            // Each pair's record carries only its own test code.
            if (pair == event - TestCodeEvent1 + 1)
                context.model.setText(pair, u"PTestCode", codes.at(i));
        } else {
            context.tables.setSeparateCode(rowOfEvent(event), pair, codes.at(i));
        }
    }
    return true;
}

bool decodeAnswer(const BlockContext &context, int pair, const QString &answer)
{
    const std::optional<int> address = HexNumber(answer, 1, 4);
    if (!address)
        return false;
    const int relative = *address - L::baseAddress(pair);
    if (relative < 0)
        return false;
    const int event = relative / L::PageSize;
    const int offset = relative % L::PageSize;
    // The first code index: offset / 2 written in hexadecimal, read as decimal
    // (offsets 00, 20, ... C0 give 0, 10, ... 60; E0 gives 70).
    bool isDecimal = false;
    const int first = HexDigits(offset / 2, 2).toInt(&isDecimal, 10);
    if (!isDecimal)
        return false;
    const std::optional<QStringList> codes = answerCodes(answer);
    if (!codes)
        return false;

    if (first == L::InternalRecordIndex)
        return decodeInternalRecord(context, pair, *codes);

    if (event >= L::EventPages || first + codes->size() > EventCodeTables::ZoneCount)
        return false;
    const int row = event + 1;
    // An event the external table does not have keeps no codes.
    if (!context.tables.isValidRow(Table::External, row))
        return true;
    // Code by code: a copy of the row's zones for each answer costs more
    // than the whole rest of decoding a configuration.
    for (qsizetype i = 0; i < codes->size(); ++i)
        context.tables.setZoneCode(row, pair, first + int(i), codes->at(i));
    return true;
}

} // namespace

void BuildEventCodeReads(QStringList &pair1, QStringList &pair2)
{
    pair1.clear();
    pair2.clear();
    for (int pair = 1; pair <= 2; ++pair) {
        QStringList &list = pair == 1 ? pair1 : pair2;
        for (int address : requestAddresses(pair))
            list.append(HexDigits(address, 4) + ChunkLength);
    }
}

void BuildEventCodeWrites(const BlockContext &context, QStringList &pair1, QStringList &pair2)
{
    pair1.clear();
    pair2.clear();
    for (int pair = 1; pair <= 2; ++pair) {
        QStringList &list = pair == 1 ? pair1 : pair2;
        const int base = L::baseAddress(pair);
        for (int address : requestAddresses(pair)) {
            const int relative = address - base;
            const QString codes = relative == L::InternalRecordOffset
                                      ? internalRecord(context, pair)
                                      : chunkCodes(context, pair, relative / L::PageSize,
                                                   relative % L::PageSize / L::ChunkSize);
            list.append(HexDigits(address, 4) + codes);
        }
    }
}

bool DecodeEventCodes(const BlockContext &context, const QStringList &pair1,
                      const QStringList &pair2)
{
    if (pair1.isEmpty() || pair2.isEmpty())
        return true;
    for (int pair = 1; pair <= 2; ++pair) {
        for (const QString &answer : pair == 1 ? pair1 : pair2)
            if (!decodeAnswer(context, pair, answer))
                return false;
        // The zone summaries of the pair's cells follow from the zone codes
        // (EventCodeTables::zoneSummary); nothing is left to refresh here.
    }
    return true;
}

} // namespace sr5n
