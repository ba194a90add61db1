#include "cli/Commands.h"

#include "app/Configurator.h"
#include "cli/CommandLineCatalog.h"
#include "cli/ConfigJson.h"
#include "cli/LogFormats.h"
#include "config/ConfigModel.h"
#include "events/EventLogs.h"
#include "link/DeviceOperation.h"
#include "link/TConnection.h"
#include "protocols/ProtocolLibrary.h"
#include "services/SelfTest.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

namespace sr5n {

namespace {

using Command = CommandLine::Command;

const QString DevicePrefix = QStringLiteral("device:");

QString oneLine(const QString &text)
{
    return QString(text).replace(u'\n', QStringLiteral(". "));
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
}

Commands::~Commands() = default;

std::unique_ptr<Configurator>
Commands::makeConfigurator(std::unique_ptr<CommandLineCatalog> &catalog)
{
    const QString folder =
        m_line.dataFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_line.dataFolder;
    auto app = std::make_unique<Configurator>(folder, m_timings);
    app->setNotifier(m_notifier);
    catalog = std::make_unique<CommandLineCatalog>(app->protocols(), app->notifier(),
                                                   m_line.registerProtocols);
    app->setProtocolCatalog(catalog.get());
    app->load();
    return app;
}

CommandResult Commands::failed() const
{
    // The summary shows the first line of the last error: its gist.
    const QStringList &errors = m_notifier.errors();
    return {ExitFailed, errors.isEmpty() ? QStringLiteral("Операция прервана")
                                         : errors.constLast().section(u'\n', 0, 0)};
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

CommandResult Commands::read()
{
    DeviceOperation operation(m_app->connection(), m_progress.get(),
                              OperationProgress::Kind::Reading);
    if (!operation.open(m_line.ports.constFirst()))
        return failed();
    const bool decoded = m_app->readConfiguration(operation);
    operation.finish();
    if (!decoded || !m_app->saveConfiguration(m_line.output))
        return failed();
    return succeeded(QStringLiteral("Конфигурация прочитана успешно"));
}

CommandResult Commands::write()
{
    if (!m_app->openConfiguration(m_line.files.constFirst()))
        return failed();
    DeviceOperation operation(m_app->connection(), m_progress.get(),
                              OperationProgress::Kind::Writing);
    if (!operation.open(m_line.ports.constFirst()))
        return failed();
    const bool written = m_app->writeConfiguration(operation);
    operation.finish();
    if (!written)
        return failed();
    return succeeded(QStringLiteral("Конфигурация записана успешно"));
}

bool Commands::loadSide(Configurator &side, const QString &source)
{
    if (!source.startsWith(DevicePrefix))
        return side.openConfiguration(source);
    DeviceOperation operation(side.connection(), m_progress.get(),
                              OperationProgress::Kind::Reading);
    return operation.open(source.mid(DevicePrefix.size())) && side.readConfiguration(operation);
}

CommandResult Commands::diff()
{
    m_notifier.reportFailure(QStringLiteral("diff is not available yet"));
    return {ExitFailed, QString()};
}

CommandResult Commands::exportHtml()
{
    if (!m_app->openConfiguration(m_line.files.constFirst()) || !m_app->exportHtml(m_line.output))
        return failed();
    return {ExitDone, m_line.output};
}

CommandResult Commands::clock()
{
    const bool setting = !m_line.setTime.isEmpty();
    DeviceOperation operation(m_app->connection(), m_progress.get(),
                              setting ? OperationProgress::Kind::Writing
                                      : OperationProgress::Kind::Reading);
    if (!operation.open(m_line.ports.constFirst()))
        return failed();
    if (setting) {
        const QTime time = m_line.setTime == u"now"
                               ? QTime::currentTime()
                               : QTime::fromString(m_line.setTime, QStringLiteral("HH:mm:ss"));
        const bool written = m_app->writeClock(operation, time);
        operation.finish();
        if (!written)
            return failed();
        return succeeded(QStringLiteral("Время записано успешно"));
    }
    const std::optional<QTime> time = m_app->readClock(operation);
    operation.finish();
    if (!time)
        return failed();
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
        const qsizetype errorsBefore = m_notifier.errors().size();
        if (!m_app->eventLogs().ReadLog(m_line.ports.constFirst(), area, view, m_progress.get()) ||
            m_notifier.errors().size() > errorsBefore)
            return failed();
    }
    if (!writeOutput(m_line.output, FormatEventLogs(read, m_line.format).toUtf8()))
        return failed();
    return {ExitDone, QString()};
}

CommandResult Commands::diag()
{
    // The self-test has no steps to count: no progress bar.
    DeviceOperation operation(m_app->connection(), nullptr, OperationProgress::Kind::Reading);
    if (!operation.open(m_line.ports.constFirst()))
        return failed();
    const std::optional<unsigned> mask = SelfTest::run(m_app->connection(), m_notifier);
    operation.finish();
    if (!mask)
        return failed();
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
    QString message = oneLine(SelfTest::summary(*mask));
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
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        m_notifier.reportFailure(QStringLiteral("Невозможно прочитать файл"));
        return failed();
    }
    if (const std::optional<QString> fault =
            ConfigurationFromJson(file.readAll(), m_app->config(), m_app->eventTables())) {
        m_notifier.reportFailure(*fault);
        return failed();
    }
    if (!m_app->saveConfiguration(m_line.output))
        return failed();
    return {ExitDone, m_line.output};
}

} // namespace sr5n
