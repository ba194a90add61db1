#include "cli/Commands.h"

#include "app/Configurator.h"
#include "app/DeviceRunner.h"
#include "catalog/ObjectCatalog.h"
#include "cli/CommandLineCatalog.h"
#include "cli/ConfigJson.h"
#include "cli/LogFormats.h"
#include "common/DataFile.h"
#include "config/ConfigComparison.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationCopy.h"
#include "events/EventLogs.h"
#include "link/TConnection.h"
#include "protocols/ProtocolLibrary.h"
#include "services/SelfTest.h"

#include <QCoreApplication>
#include <QSaveFile>

namespace sr5n {

namespace {

using Command = CommandLine::Command;

const QString DevicePrefix = QStringLiteral("device:");

// `text` ending with a line break.
QString asLines(const QString &text)
{
    return text.endsWith(u'\n') ? text : text + u'\n';
}

// Keeps the rows of each log read, in the order read.
class CollectedLogs final : public EventLogView
{
public:
    explicit CollectedLogs(QList<ReadEventLog> &logs, const EventLogArea &area)
        : m_logs(logs), m_area(area)
    {
    }
    void beginReading() override {}
    void showLog(const DecodedEventLog &log) override { m_logs.append({m_area, log}); }
    void endReading() override {}

private:
    QList<ReadEventLog> &m_logs;
    EventLogArea m_area;
};

} // namespace

Commands::Commands(const CommandLine &line, LinkTimings timings) : m_line(line), m_timings(timings)
{
    if (line.worker) {
        m_progress = std::make_unique<WorkerProgress>();
    } else {
        auto terminal = std::make_unique<TerminalProgress>();
        TerminalProgress *bar = terminal.get();
        m_notifier.setBeforeMessage([bar] { bar->breakLine(); });
        m_progress = std::move(terminal);
    }
    m_app = makeConfigurator(m_catalog);
    m_runner = std::make_unique<DeviceRunner>(*m_app, m_progress.get());
    // A script's runs leave the port the user chose in the window alone, and
    // the command tells its own notices.
    m_runner->setRemembersPort(false);
    m_runner->setShowsNotices(false);
}

Commands::~Commands() = default;

std::unique_ptr<Configurator>
Commands::makeConfigurator(std::unique_ptr<CommandLineCatalog> &catalog)
{
    const QString folder =
        m_line.dataFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_line.dataFolder;
    auto app = std::make_unique<Configurator>(folder, m_timings);
    app->setNotifier(m_notifier);
    if (m_line.noCatalog)
        app->disableCatalog();
    catalog = std::make_unique<CommandLineCatalog>(app->protocols(), app->notifier(),
                                                   m_line.registerProtocols);
    app->setProtocolCatalog(catalog.get());
    app->load();
    return app;
}

CommandResult Commands::failedWith(const QString &reason, const QString &untold)
{
    // The reason has been shown already; a failure without one is told now.
    if (reason.isEmpty()) {
        m_notifier.reportFailure(untold);
        return {ExitFailed, untold.section(u'\n', 0, 0)};
    }
    return {ExitFailed, reason.section(u'\n', 0, 0)};
}

CommandResult Commands::failed(const QString &untold)
{
    // Where the window closes silently (seven answers to another command, a
    // log status that cannot be read), a script still learns why it failed.
    if (m_notifier.errors().size() == m_errorsBefore)
        m_notifier.reportFailure(untold);
    // The summary shows the first line of the last error: its gist.
    return {ExitFailed, m_notifier.errors().constLast().section(u'\n', 0, 0)};
}

CommandResult Commands::succeeded(const QString &notice)
{
    // A worker's notice goes into the summary instead.
    if (!m_line.worker)
        m_notifier.showInformation(notice);
    return {ExitDone, notice};
}

CommandResult Commands::run()
{
    // Messages of loading the installation data do not fail a command.
    m_errorsBefore = m_notifier.errors().size();
    switch (m_line.command) {
    case Command::Read:
        return read();
    case Command::Write:
        return write();
    case Command::Diff:
        return diff();
    case Command::Export:
        return exportHtml();
    case Command::Clock:
        return clock();
    case Command::Logs:
        return logs();
    case Command::Diag:
        return diag();
    case Command::Json:
        return json();
    case Command::None:
        break;
    }
    return {ExitUsage, QString()};
}

bool Commands::writeOutput(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty() || path == u"-") {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        std::fflush(stdout);
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
        return false;
    }
    return true;
}

void Commands::tellCatalogNotices()
{
    if (!m_app->catalogEnabled())
        return;
    m_app->objects().store();
    for (const QString &notice : m_app->takeCatalogNotices())
        m_notifier.showInformation(notice);
}

CommandResult Commands::read()
{
    tellCatalogNotices();
    if (const Expected<void> read = m_runner->readConfiguration(m_line.ports.constFirst()); !read)
        return failedWith(read.reason());
    if (!m_app->saveConfiguration(m_line.output))
        return failed();
    return succeeded(DeviceRunner::readNotice());
}

CommandResult Commands::write()
{
    tellCatalogNotices();
    if (!m_app->openConfiguration(m_line.files.constFirst()))
        return failed();
    const QString port = m_line.ports.constFirst();
    if (!m_line.verify) {
        if (const Expected<void> written = m_runner->writeConfiguration(port); !written)
            return failedWith(written.reason());
        return succeeded(DeviceRunner::writeNotice());
    }
    // The device's configuration is read back into a copy and compared.
    ConfigurationCopy readBack(m_app->blockContext());
    const Expected<DeviceRunner::Verified> verified = m_runner->writeVerified(port, readBack);
    if (!verified)
        return failedWith(verified.reason());
    using Verification = Configurator::Verification;
    switch (verified->result) {
    case Verification::Same:
        return succeeded(Configurator::verificationNotice(verified->result));
    case Verification::Unchecked: {
        // Written, but not known to be right: not a success for a script.
        const QString notice = Configurator::verificationNotice(verified->result);
        if (!m_line.worker)
            m_notifier.showInformation(notice);
        return {ExitFailed, notice.section(u'\n', 1)};
    }
    case Verification::Different:
        // The runner has reported the failed check.
        if (!m_line.worker)
            PrintText(stdout, asLines(DifferencesText(verified->differences)));
        return failedWith(Configurator::verificationFailure(verified->differences.size()));
    case Verification::NotWritten:
        break;
    }
    return failed();
}

bool Commands::loadSide(const BlockContext *into, const QString &source)
{
    if (!source.startsWith(DevicePrefix))
        return into ? m_app->openConfiguration(source, *into) : m_app->openConfiguration(source);
    const QString port = source.mid(DevicePrefix.size());
    return into ? m_runner->readConfiguration(port, *into).has_value()
                : m_runner->readConfiguration(port).has_value();
}

CommandResult Commands::diff()
{
    // The first side is this configuration, the second a copy decoded apart.
    if (!loadSide(nullptr, m_line.files.at(0)))
        return failed();
    ConfigurationCopy other(m_app->blockContext());
    if (!loadSide(&other.context(), m_line.files.at(1)))
        return failed();
    const QList<ConfigDifference> differences =
        m_app->compareWith(ConfigSide{other.model(), other.tables()});
    PrintText(stdout, asLines(DifferencesText(differences)));
    return {differences.isEmpty() ? ExitDone : ExitNegative, QString()};
}

CommandResult Commands::exportHtml()
{
    if (!m_app->openConfiguration(m_line.files.constFirst()) || !m_app->exportHtml(m_line.output))
        return failed();
    return {ExitDone, m_line.output};
}

CommandResult Commands::clock()
{
    const QString port = m_line.ports.constFirst();
    if (!m_line.setTime.isEmpty()) {
        const QTime time = m_line.setTime == u"now"
                               ? QTime::currentTime()
                               : QTime::fromString(m_line.setTime, QStringLiteral("HH:mm:ss"));
        if (const Expected<void> written = m_runner->writeClock(port, time); !written)
            return failedWith(written.reason());
        return succeeded(DeviceRunner::clockWrittenNotice());
    }
    const Expected<QTime> time = m_runner->readClock(port);
    if (!time)
        return failedWith(time.reason());
    const QString text = time->toString(QStringLiteral("HH:mm:ss"));
    if (!m_line.worker)
        PrintText(stdout, text + u'\n');
    return {ExitDone, text};
}

CommandResult Commands::logs()
{
    QList<ReadEventLog> read;
    for (const EventLogArea &area : {EventLogArea::highPriority(), EventLogArea::lowPriority()}) {
        CollectedLogs view(read, area);
        if (const Expected<void> log = m_runner->readLog(m_line.ports.constFirst(), area, view);
            !log)
            return failedWith(log.reason(), QStringLiteral("Ошибка чтения журнала событий"));
    }
    if (!writeOutput(m_line.output, FormatEventLogs(read, m_line.format).toUtf8()))
        return failed();
    return {ExitDone, QString()};
}

CommandResult Commands::diag()
{
    const Expected<unsigned> mask = m_runner->selfTest(m_line.ports.constFirst());
    if (!mask)
        return failedWith(
            mask.reason(),
            QStringLiteral("Диагностика не выполнена: коммуникатор занят или отвечает "
                           "на другую команду"));
    QStringList lines;
    QStringList faults;
    for (int test = 0; test < SelfTest::TestCount; ++test) {
        lines << SelfTest::verdictLine(*mask, test);
        if (SelfTest::failed(*mask, test))
            faults << SelfTest::testNames().at(test);
    }
    lines << SelfTest::summary(*mask);
    if (!m_line.worker)
        PrintText(stdout, lines.join(u'\n') + u'\n');
    QString message = SelfTest::summary(*mask);
    if (!faults.isEmpty())
        message += QStringLiteral(": ") + faults.join(QStringLiteral(", "));
    return {SelfTest::anyFailed(*mask) ? ExitNegative : ExitDone, message};
}

CommandResult Commands::json()
{
    const QString source = m_line.files.constFirst();
    if (!m_line.importJson) {
        if (!m_app->openConfiguration(source) ||
            !writeOutput(m_line.output, ConfigurationToJson(m_app->config(), m_app->eventTables())))
            return failed();
        return {ExitDone, QString()};
    }
    // Only a regular file, as the window reads its files: a named pipe would
    // wait for a writer for ever.
    const std::optional<QByteArray> text = ReadRegularFile(source);
    if (!text) {
        m_notifier.reportFailure(QStringLiteral("Невозможно прочитать файл"));
        return failed();
    }
    if (const std::optional<QString> fault =
            ConfigurationFromJson(*text, m_app->config(), m_app->eventTables())) {
        m_notifier.reportFailure(*fault);
        return failed();
    }
    if (!m_app->saveConfiguration(m_line.output))
        return failed();
    return {ExitDone, m_line.output};
}

} // namespace sr5n
