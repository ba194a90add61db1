#include "events/EventLogs.h"

#include "components/TMultiGrid.h"
#include "events/LogsPage.h"
#include "link/TConnection.h"
#include "link/TfrmProgress.h"
#include "ui/Notifier.h"

#include <QTabBar>

namespace sr5n {

namespace {

const QString StatusCommand = QStringLiteral("0F");
const QString MemoryReadCommand = QStringLiteral("01");
const QString EraseCommand = QStringLiteral("28");

} // namespace

EventLogs::EventLogs(LogsPage &page, TConnection &connection, Notifier &notifier,
                     const QStringList &internalNames, const QStringList &externalNames,
                     std::function<QString()> portName)
    : m_page(page), m_connection(connection), m_notifier(notifier), m_internalNames(internalNames),
      m_externalNames(externalNames), m_portName(std::move(portName))
{
}

void EventLogs::btnReadLogClick()
{
    if (m_page.tbcLogs->currentIndex() == LogsPage::LowPriorityTab)
        ReadLog(EventLogArea::lowPriority());
    else
        ReadLog(EventLogArea::highPriority());
}

bool EventLogs::ReadLog(int first, int last, int statusOffset)
{
    m_connection.SetAborted(false);
    showProgress(TfrmProgress::ModeLog, int(EventLogPieces(first, last).size()));
    m_page.setTableVisible(false);
    m_page.ClearLogTable();

    bool decoded = false;
    if (m_connection.Open(m_portName()) && m_connection.Read(StatusCommand, QString()) &&
        !m_connection.Aborted()) {
        // A status that is too short or not hexadecimal shows nothing, silently.
        if (const std::optional<EventLogStatus> status =
                ParseEventLogStatus(m_connection.AnswerData(), statusOffset)) {
            const QString log = readPieces(first, last);
            m_page.showLog(DecodeEventLog(log, first, *status, m_externalNames, m_internalNames));
            decoded = true;
        }
    }

    // Rows added while filling are editable until the table is read-only again.
    m_page.mgdLog->SetReadOnly(true);
    m_connection.Close();
    m_page.setTableVisible(true);
    closeProgress();
    return decoded;
}

QString EventLogs::readPieces(int first, int last)
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
        step();
    }
    return log;
}

bool EventLogs::ClearDeviceLogs()
{
    if (!m_notifier.askYesNo(clearQuestion(), Notifier::QuestionIcon::Question))
        return false;
    m_connection.SetAborted(false);
    showProgress(TfrmProgress::ModeWrite, 1);
    step();

    bool cleared = false;
    if (m_connection.Open(m_portName())) {
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
    closeProgress();
    m_connection.Close();
    return cleared;
}

void EventLogs::showProgress(int mode, int maximum)
{
    if (!m_progress)
        return;
    m_progress->Mode = mode;
    m_progress->setMaximum(maximum);
    m_progress->showProgress();
}

void EventLogs::step()
{
    if (m_progress)
        m_progress->Step();
}

void EventLogs::closeProgress()
{
    if (m_progress)
        m_progress->closeProgress();
}

} // namespace sr5n
