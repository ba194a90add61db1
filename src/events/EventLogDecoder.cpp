#include "events/EventLogDecoder.h"

#include "common/HexText.h"

namespace sr5n {

namespace {

constexpr int InternalZoneBase = 0x70;

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Characters `p` and `p + 1` of `text`, counting from 1; nothing outside it.
std::optional<QStringView> pairAt(const QString &text, int p)
{
    if (p < 1 || p + 1 > text.size())
        return std::nullopt;
    return QStringView(text).mid(p - 1, 2);
}

} // namespace

std::optional<EventLogStatus> ParseEventLogStatus(const QString &answerData, int statusOffset)
{
    const int start = 2 * statusOffset;
    if (statusOffset < 0 || answerData.size() < start + 8)
        return std::nullopt;
    const QStringView status = QStringView(answerData).mid(start, 8);
    if (!IsHexText(status))
        return std::nullopt;
    EventLogStatus result;
    result.address = status.mid(0, 4).toInt(nullptr, 16);
    result.notSent1 = status.mid(4, 2).toInt(nullptr, 16);
    result.notSent2 = status.mid(6, 2).toInt(nullptr, 16);
    return result;
}

QString EventLogPiece::requestData() const
{
    return HexDigits(address, 4) + HexDigits(count, 2);
}

std::optional<QString> EventLogPiece::bytesOf(const QString &answerData) const
{
    if (answerData.size() != 4 + 2 * count)
        return std::nullopt;
    return answerData.mid(4);
}

QList<EventLogPiece> EventLogPieces(int first, int last)
{
    QList<EventLogPiece> pieces;
    for (int i = first; i < last; i += EventLogPieceSize) {
        const int count = last < i + EventLogPieceSize ? last - i + 1 : EventLogPieceSize;
        pieces.append({i, count});
    }
    return pieces;
}

DecodedEventLog DecodeEventLog(const QString &log, int first, const EventLogStatus &status,
                               const QStringList &externalNames, const QStringList &internalNames)
{
    DecodedEventLog decoded;
    const int e = int(log.size());
    // Character positions count from 1; a record is four characters.
    int p0 = (status.address - first) * 2 + 1;
    if (p0 < 1)
        p0 = e - 3;
    // Markers before the start of the log match no record.
    const int m1 = (status.address - 2 * status.notSent1 - first) * 2 + 1;
    const int m2 = (status.address - 2 * status.notSent2 - first) * 2 + 1;
    // An odd current address never walks back onto itself; no walk visits
    // more records than the log has slots.
    const int maxVisits = (e + 3) / 4;

    bool sent1 = false;
    bool sent2 = false;
    int p = p0;
    for (int visits = 0; visits < maxVisits; ++visits) {
        const std::optional<QStringView> event = pairAt(log, p);
        const std::optional<QStringView> zone = pairAt(log, p + 2);
        if (!event || !zone || event->compare(u"FF", Qt::CaseInsensitive) == 0)
            break;
        if (!IsHexText(*event) || !isDecimalDigit((*zone)[0]) || !isDecimalDigit((*zone)[1])) {
            decoded.end = DecodedEventLog::End::Unreadable;
            decoded.endRecord = event->toString() + zone->toString();
            break;
        }
        const int b = int(*ParseHex(*event));
        const int z = ((*zone)[0].unicode() - u'0') * 10 + ((*zone)[1].unicode() - u'0');
        const int y = ((*zone)[0].unicode() - u'0') * 16 + ((*zone)[1].unicode() - u'0');

        EventLogRow row;
        row.record = event->toString() + zone->toString();
        if (p == m1)
            sent1 = true;
        if (p == m2)
            sent2 = true;
        row.sentToPair1 = sent1;
        row.sentToPair2 = sent2;
        if (b < externalNames.size()) {
            if (y < InternalZoneBase) {
                row.name = externalNames[b];
                row.zone = QString::number(z);
            } else if (y - InternalZoneBase < internalNames.size()) {
                row.name = internalNames[y - InternalZoneBase];
                row.zone = QStringLiteral("0");
            } else {
                // An internal event without a name ends the reading here.
                decoded.complete = false;
                decoded.end = DecodedEventLog::End::Unnamed;
                decoded.endRecord = row.record;
                break;
            }
        } else {
            row.name = QStringLiteral("Неизвестное событие (код $") + row.record + u')';
            row.zone = QStringLiteral("-");
        }
        decoded.rows.append(row);

        p -= 4;
        if (p < 1)
            p = e - 3;
        if (p == p0) {
            decoded.end = DecodedEventLog::End::AllVisited;
            break;
        }
    }

    // When all 128 slots hold records the oldest is left out; a log text longer
    // than the device's never shows more either.
    if (decoded.rows.size() > EventLogMaxRows)
        decoded.rows.resize(EventLogMaxRows);
    if (!decoded.complete)
        return decoded; // the rows read stay unnumbered
    const int count = int(decoded.rows.size());
    for (int r = 0; r < count; ++r)
        decoded.rows[r].number = count - r;
    return decoded;
}

QString EventLogTitle(const EventLogArea &area)
{
    return area.first == EventLogArea::highPriority().first
               ? QStringLiteral("Журнал событий с высоким приоритетом")
               : QStringLiteral("Журнал событий с низким приоритетом");
}

QStringList EventLogColumnHeaders()
{
    return {QStringLiteral("№"), QStringLiteral("Принятое событие"), QStringLiteral("Зона"),
            QStringLiteral("Пара №1"), QStringLiteral("Пара №2")};
}

} // namespace sr5n
