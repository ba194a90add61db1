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

bool EventLogs::ReadLog(const QString &portName, const EventLogArea &area, EventLogView &view,
                        OperationProgress *progress)
{
    DeviceOperation operation(m_connection, progress, OperationProgress::Kind::LogReading,
                              int(EventLogPieces(area.first, area.last).size()));
    view.beginReading();

    bool decoded = false;
    if (operation.open(portName) && m_connection.Read(StatusCommand, QString()) &&
        !m_connection.Aborted()) {
        // A status that is too short or not hexadecimal shows nothing, silently.
        if (const std::optional<EventLogStatus> status =
                ParseEventLogStatus(m_connection.AnswerData(), area.statusOffset)) {
            const QString log = readPieces(operation, area.first, area.last);
            view.showLog(
                DecodeEventLog(log, area.first, *status, m_externalNames, m_internalNames));
            decoded = true;
        }
    }

    operation.closeLink();
    view.endReading();
    operation.finish();
    return decoded;
}

QString EventLogs::readPieces(DeviceOperation &operation, int first, int last)
{
    QString log;
    for (const EventLogPiece &piece : EventLogPieces(first, last)) {
        if (!m_connection.Read(MemoryReadCommand, piece.requestData()) || m_connection.Aborted())
            break;
        const std::optional<QString> bytes = piece.bytesOf(m_connection.AnswerData());
        if (!bytes) {
            m_notifier.reportFailure(QStringLiteral("Ошибка чтения журнала событий"));
            break;
        }
        log += *bytes;
        operation.step();
    }
    return log;
}

bool EventLogs::ClearDeviceLogs(const QString &portName, OperationProgress *progress)
{
    if (!m_notifier.askYesNo(clearQuestion(), Notifier::QuestionIcon::Question))
        return false;
    DeviceOperation operation(m_connection, progress, OperationProgress::Kind::Writing);
    operation.step();

    bool cleared = false;
    if (operation.open(portName)) {
        // Any valid answer counts, except "busy": the device has not erased
        // anything yet, so the request is repeated as Read and Write do.
        const TConnection::ExchangeResult result =
            m_connection.Exchange(EraseCommand, QString(), m_connection.timings().answerTimeoutMs,
                                  TConnection::Wanted::AnyButBusy);
        cleared = result == TConnection::ExchangeResult::Answered;
        if (result == TConnection::ExchangeResult::Refused)
            m_notifier.reportFailure(
                QStringLiteral("Журналы событий не очищены: коммуникатор занят"));
    }
    if (cleared)
        m_notifier.showInformation(clearedNotice());
    // The progress closes before the link.
    operation.endProgress();
    operation.closeLink();
    return cleared;
}

} // namespace sr5n
