#include "events/EventLogs.h"

#include "common/Notifier.h"
#include "link/DeviceOperation.h"
#include "link/TConnection.h"

namespace sr5n {

namespace {

const QString StatusCommand = QStringLiteral("0F");
const QString MemoryReadCommand = QStringLiteral("01");
const QString EraseCommand = QStringLiteral("28");

} // namespace

EventLogs::EventLogs(TConnection &connection, Notifier &notifier, const QStringList &internalNames,
                     const QStringList &externalNames)
    : m_connection(connection), m_notifier(notifier), m_internalNames(internalNames),
      m_externalNames(externalNames)
{
}

int EventLogs::PieceCount(const EventLogArea &area)
{
    return int(EventLogPieces(area.first, area.last).size());
}

EventLogs::LogReading EventLogs::ReadLog(DeviceOperation &operation, const EventLogArea &area,
                                         EventLogView &view)
{
    if (!m_connection.Read(StatusCommand, QString()) || m_connection.Aborted())
        return LogReading::NotRead;
    // A status that is too short or not hexadecimal shows nothing, silently.
    const std::optional<EventLogStatus> status =
        ParseEventLogStatus(m_connection.AnswerData(), area.statusOffset);
    if (!status)
        return LogReading::NotRead;
    bool whole = true;
    const QString log = readPieces(operation, area.first, area.last, whole);
    view.showLog(DecodeEventLog(log, area.first, *status, m_externalNames, m_internalNames));
    return whole ? LogReading::Whole : LogReading::Partly;
}

QString EventLogs::readPieces(DeviceOperation &operation, int first, int last, bool &whole)
{
    QString log;
    whole = false;
    for (const EventLogPiece &piece : EventLogPieces(first, last)) {
        if (!m_connection.Read(MemoryReadCommand, piece.requestData()) || m_connection.Aborted())
            return log;
        const std::optional<QString> bytes = piece.bytesOf(m_connection.AnswerData());
        if (!bytes) {
            m_notifier.reportFailure(QStringLiteral("Ошибка чтения журнала событий"));
            return log;
        }
        log += *bytes;
        operation.step();
    }
    whole = true;
    return log;
}

bool EventLogs::ClearDeviceLogs()
{
    // Any valid answer counts, except "busy": the device has not erased
    // anything yet, so the request is repeated as Read and Write do.
    const TConnection::ExchangeResult result =
        m_connection.Exchange(EraseCommand, QString(), m_connection.timings().answerTimeoutMs,
                              TConnection::Wanted::AnyButBusy);
    if (result == TConnection::ExchangeResult::Refused)
        m_notifier.reportFailure(QStringLiteral("Журналы событий не очищены: коммуникатор занят"));
    return result == TConnection::ExchangeResult::Answered;
}

} // namespace sr5n
