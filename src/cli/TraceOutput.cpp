#include "cli/TraceOutput.h"

#include "cli/OutputFile.h"
#include "cli/TerminalNotifier.h"
#include "common/LogCategories.h"
#include "link/LineJournal.h"
#include "link/TConnection.h"

namespace sr5n {

namespace {

bool toStandardError(const QString &path)
{
    return path == u"-";
}

} // namespace

TraceOutput::TraceOutput(const QString &path, TConnection &link, std::function<void()> beforeLine)
    : m_path(path), m_link(link)
{
    if (m_path.isEmpty() && !lcLink().isDebugEnabled())
        return;
    // One command's operations, whole: the bound only guards against a
    // run that never ends.
    m_journal = std::make_unique<LineJournal>(LineJournal::Limits{1000, qint64(256) << 20});
    if (toStandardError(m_path))
        QObject::connect(m_journal.get(), &LineJournal::lineAdded, m_journal.get(),
                         [before = std::move(beforeLine)](quint64, const QString &line) {
                             if (before)
                                 before();
                             PrintText(stderr, line + u'\n');
                         });
    m_link.setTrace(m_journal.get());
}

TraceOutput::~TraceOutput()
{
    if (m_journal)
        m_link.setTrace(nullptr);
}

std::optional<QString> TraceOutput::save() const
{
    if (!m_journal || m_path.isEmpty() || toStandardError(m_path))
        return std::nullopt;
    return OutputFile::write(m_path, m_journal->text().toUtf8());
}

} // namespace sr5n
