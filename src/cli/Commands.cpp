#include "cli/Commands.h"

#include "app/Configurator.h"
#include "app/DeviceRunner.h"
#include "catalog/ObjectCatalog.h"
#include "cli/CommandLineCatalog.h"
#include "cli/CommandResultJson.h"
#include "cli/ConfigJson.h"
#include "cli/LogFormats.h"
#include "cli/OutputFile.h"
#include "cli/PortCommands.h"
#include "cli/TraceOutput.h"
#include "common/DataFile.h"
#include "config/ConfigComparison.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationCopy.h"
#include "events/EventLogs.h"
#include "link/CommunicatorFinder.h"
#include "link/PortChoice.h"
#include "link/TConnection.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/ProtocolLibraryLocation.h"
#include "services/SelfTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

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

// Why `path` cannot be taken as an input file, naming it; empty when it can
// be read (its contents are checked as they are decoded).
QString inputFileFault(const QString &path)
{
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = info.isSymLink() ? QStringLiteral("ссылка ведет к несуществующему файлу")
                                  : QStringLiteral("нет такого файла");
    else if (!info.isFile())
        reason = QStringLiteral("это не обычный файл");
    else if (!info.isReadable())
        reason = QStringLiteral("нет прав на чтение");
    else if (info.size() == 0)
        reason = QStringLiteral("файл пуст");
    else
        return {};
    return QStringLiteral("Невозможно прочитать файл \"%1\": %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

Commands::Commands(const CommandLine &line, LinkTimings timings) : m_line(line), m_timings(timings)
{
    if (line.worker) {
        m_progress = std::make_unique<WorkerProgress>();
    } else {
        auto terminal = std::make_unique<TerminalProgress>();
        if (line.quiet)
            terminal->setEnabled(false);
        TerminalProgress *bar = terminal.get();
        m_notifier.setBeforeMessage([bar] { bar->breakLine(); });
        m_progress = std::move(terminal);
    }
    m_notifier.setQuiet(line.quiet);
    m_app = makeConfigurator(m_catalog);
    m_runner = std::make_unique<DeviceRunner>(*m_app, m_progress.get());
    // A script's runs leave the port the user chose in the window alone, and
    // the command tells its own notices.
    m_runner->setRemembersPort(false);
    m_runner->setShowsNotices(false);
    // A trace line on the terminal goes below the progress bar, as a message does.
    std::function<void()> beforeTraceLine;
    if (!line.worker)
        beforeTraceLine = [bar = static_cast<TerminalProgress *>(m_progress.get())] {
            bar->breakLine();
        };
    m_trace = std::make_unique<TraceOutput>(m_line.trace, m_app->connection(),
                                            std::move(beforeTraceLine));
}

void Commands::interrupt()
{
    if (m_cancel)
        m_cancel();
    // An exchange that starts later lowers the flag again: it is raised anew
    // until the command ends.
    m_app->connection().abort();
    if (!m_aborting) {
        m_aborting = std::make_unique<QTimer>();
        QObject::connect(m_aborting.get(), &QTimer::timeout, m_aborting.get(), [this] {
            if (m_cancel)
                m_cancel();
            m_app->connection().abort();
        });
        m_aborting->start(20);
    }
}

Commands::~Commands() = default;

std::unique_ptr<Configurator>
Commands::makeConfigurator(std::unique_ptr<CommandLineCatalog> &catalog)
{
    const QString folder =
        m_line.dataFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_line.dataFolder;
    auto app = std::make_unique<Configurator>(folder, m_timings);
    app->setNotifier(m_notifier);
    if (!m_line.catalog.isEmpty())
        app->setCatalog(m_line.catalog, QString());
    // Only what touches a device is recorded: a command that only reads or
    // converts files leaves the catalogue as it was.
    if (m_line.noCatalog || !touchesDevice())
        app->disableCatalog();
    app->setExplainsFileFaults(true);
    catalog = std::make_unique<CommandLineCatalog>(app->protocols(), app->notifier(),
                                                   m_line.registerProtocols);
    app->setProtocolCatalog(catalog.get());
    app->load();
    return app;
}

CommandResult Commands::failedWith(const QString &reason, const QString &untold)
{
    // The reason has been shown already; a failure without one is told now,
    // unless a signal stopped it (the caller tells that once).
    if (reason.isEmpty()) {
        if (!m_aborting)
            m_notifier.reportFailure(untold);
        return {ExitFailed, untold};
    }
    return {ExitFailed, reason};
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
    CommandResult result = runCommand();
    // The trace is written whatever the command's outcome; a trace that
    // cannot be written fails a command that was done.
    if (const std::optional<QString> failure = m_trace->save()) {
        m_notifier.reportFailure(*failure);
        if (result.status == ExitDone)
            result = {ExitFailed, *failure, result.details};
    }
    // What the catalogue tells once (a server away, entries sent) goes to
    // the error stream, whatever the command's outcome.
    for (const QString &notice : m_app->takeCatalogNotices())
        PrintText(stderr, notice + u'\n');
    return result;
}

bool Commands::touchesDevice() const
{
    switch (m_line.command) {
    case Command::Read:
    case Command::Write:
        return true;
    case Command::Diff:
        for (const QString &side : m_line.files)
            if (side.startsWith(DevicePrefix))
                return true;
        return false;
    default:
        break;
    }
    return false;
}

CommandResult Commands::runCommand()
{
    // Registering needs a library that can be written: found out before
    // anything is sent, not after a whole exchange.
    if (m_line.registerProtocols) {
        const QString folder = QFileInfo(m_app->protocols().listFilePath()).absolutePath();
        if (QString problem = ProtocolLibraryLocation::registrationProblem(folder);
            !problem.isEmpty()) {
            // The installed library read in place: the user's own copy could not be made.
            const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
            if (QDir(user).absolutePath() != QDir(folder).absolutePath())
                problem += QStringLiteral(", и копию библиотеки нельзя сохранить в папке "
                                          "данных пользователя \"%1\"")
                               .arg(QDir::toNativeSeparators(user));
            return failedWith(QString(),
                              QStringLiteral("Невозможно зарегистрировать протоколы "
                                             "(--register-protocols): %1")
                                      .arg(problem) +
                                  (touchesDevice() ? QStringLiteral(". В коммуникатор ничего не "
                                                                    "отправлено")
                                                   : QString()));
        }
    }
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
    case Command::Ports:
        return ports();
    case Command::Find:
        return find();
    case Command::None:
        break;
    }
    return {ExitUsage, QString()};
}

Expected<void> Commands::writeOutput(const QString &path, const QByteArray &bytes)
{
    if (const std::optional<QString> failure = OutputFile::write(path, bytes)) {
        m_notifier.reportFailure(*failure);
        return Failure{*failure};
    }
    return {};
}

Expected<void> Commands::emitOutput(const QString &path, const QByteArray &json, const QString &key,
                                    QJsonObject &details)
{
    if (m_line.json && OutputFile::kindOf(path) == OutputFile::Kind::StandardOutput) {
        const QJsonDocument document = QJsonDocument::fromJson(json);
        details.insert(key, document.isArray() ? QJsonValue(document.array())
                                               : QJsonValue(document.object()));
        return {};
    }
    if (Expected<void> written = writeOutput(path, json); !written)
        return written;
    if (OutputFile::kindOf(path) != OutputFile::Kind::StandardOutput)
        details.insert(QStringLiteral("file"), path);
    return {};
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
    if (const Expected<void> saved = m_app->saveConfiguration(m_line.output, &OutputFile::write);
        !saved)
        return failedWith(saved.reason());
    CommandResult result = succeeded(DeviceRunner::readNotice());
    result.details.insert(QStringLiteral("file"), m_line.output);
    return result;
}

CommandResult Commands::write()
{
    tellCatalogNotices();
    if (const Expected<void> opened = openInput(m_line.files.constFirst(), true); !opened)
        return failedWith(opened.reason());
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
    case Verification::Different: {
        // The runner has reported the failed check.
        if (!m_line.worker && !m_line.json)
            PrintText(stdout, asLines(DifferencesText(verified->differences)));
        CommandResult fault =
            failedWith(Configurator::verificationFailure(verified->differences.size()));
        fault.details.insert(QStringLiteral("differences"), DifferencesJson(verified->differences));
        return fault;
    }
    case Verification::NotWritten:
        break;
    }
    return failedWith(QString());
}

Expected<void> Commands::openInput(const QString &path, bool recorded, const BlockContext *into)
{
    if (const QString fault = inputFileFault(path); !fault.isEmpty()) {
        m_notifier.reportFailure(fault);
        return Failure{fault};
    }
    if (into)
        return m_app->openConfiguration(path, *into);
    return recorded ? m_app->openConfiguration(path)
                    : m_app->openConfiguration(path, m_app->blockContext());
}

Expected<void> Commands::loadSide(const BlockContext *into, const QString &source)
{
    // A file compared is only read: it is not recorded as opened.
    if (!source.startsWith(DevicePrefix))
        return openInput(source, false, into);
    const QString port = source.mid(DevicePrefix.size());
    return into ? m_runner->readConfiguration(port, *into) : m_runner->readConfiguration(port);
}

CommandResult Commands::diff()
{
    // The first side is this configuration, the second a copy decoded apart.
    if (const Expected<void> first = loadSide(nullptr, m_line.files.at(0)); !first)
        return failedWith(first.reason());
    ConfigurationCopy other(m_app->blockContext());
    if (const Expected<void> second = loadSide(&other.context(), m_line.files.at(1)); !second)
        return failedWith(second.reason());
    const QList<ConfigDifference> differences =
        m_app->compareWith(ConfigSide{other.model(), other.tables()});
    if (!m_line.json)
        PrintText(stdout, asLines(DifferencesText(differences)));
    return {differences.isEmpty() ? ExitDone : ExitNegative,
            differences.isEmpty() ? NoDifferencesText()
                                  : QStringLiteral("Различий: %1").arg(differences.size()),
            QJsonObject{{QStringLiteral("differences"), DifferencesJson(differences)}}};
}

CommandResult Commands::exportHtml()
{
    if (const Expected<void> opened = openInput(m_line.files.constFirst(), false); !opened)
        return failedWith(opened.reason());
    if (const Expected<void> written = writeOutput(m_line.output, m_app->htmlReport()); !written)
        return failedWith(written.reason());
    return {ExitDone, m_line.output, QJsonObject{{QStringLiteral("file"), m_line.output}}};
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
    if (!m_line.worker && !m_line.json)
        PrintText(stdout, text + u'\n');
    return {ExitDone, text, QJsonObject{{QStringLiteral("time"), text}}};
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
    CommandResult result{ExitDone, QString(), {}};
    if (const Expected<void> emitted =
            emitOutput(m_line.output, FormatEventLogs(read, m_line.format).toUtf8(),
                       QStringLiteral("logs"), result.details);
        !emitted)
        return failedWith(emitted.reason());
    return result;
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
    QJsonArray tests;
    for (int test = 0; test < SelfTest::TestCount; ++test) {
        lines << SelfTest::verdictLine(*mask, test);
        if (SelfTest::failed(*mask, test))
            faults << SelfTest::testNames().at(test);
        tests.append(QJsonObject{{QStringLiteral("test"), SelfTest::testNames().at(test)},
                                 {QStringLiteral("passed"), !SelfTest::failed(*mask, test)},
                                 {QStringLiteral("verdict"), SelfTest::verdictLine(*mask, test)}});
    }
    lines << SelfTest::summary(*mask);
    if (!m_line.worker && !m_line.json)
        PrintText(stdout, lines.join(u'\n') + u'\n');
    QString message = SelfTest::summary(*mask);
    if (!faults.isEmpty())
        message += QStringLiteral(": ") + faults.join(QStringLiteral(", "));
    return {SelfTest::anyFailed(*mask) ? ExitNegative : ExitDone, message,
            QJsonObject{{QStringLiteral("tests"), tests}}};
}

CommandResult Commands::json()
{
    const QString source = m_line.files.constFirst();
    if (!m_line.importJson) {
        if (const Expected<void> opened = openInput(source, false); !opened)
            return failedWith(opened.reason());
        CommandResult result{ExitDone, QString(), {}};
        if (const Expected<void> emitted = emitOutput(
                m_line.output, ConfigurationToJson(m_app->config(), m_app->eventTables()),
                QStringLiteral("configuration"), result.details);
            !emitted)
            return failedWith(emitted.reason());
        return result;
    }
    // Only a regular file, as the window reads its files: a named pipe would
    // wait for a writer for ever.
    if (const QString fault = inputFileFault(source); !fault.isEmpty())
        return failedWith(QString(), fault);
    const std::optional<QByteArray> text = ReadRegularFile(source);
    if (!text)
        return failedWith(QString(),
                          QStringLiteral("Невозможно прочитать файл \"%1\": ошибка чтения")
                              .arg(QDir::toNativeSeparators(source)));
    if (const std::optional<QString> fault =
            ConfigurationFromJson(*text, m_app->config(), m_app->eventTables()))
        return failedWith(QString(), *fault);
    if (const Expected<void> saved = m_app->saveConfiguration(m_line.output, &OutputFile::write);
        !saved)
        return failedWith(saved.reason());
    return {ExitDone, m_line.output, QJsonObject{{QStringLiteral("file"), m_line.output}}};
}

CommandResult Commands::ports()
{
    const QList<PortChoice> choices = PortChoices(m_app->portScanner().scan());
    if (!m_line.json)
        PrintText(stdout, PortCommands::listText(choices));
    return {ExitDone, QString(),
            QJsonObject{{QStringLiteral("ports"), PortCommands::listJson(choices)}}};
}

CommandResult Commands::find()
{
    const QStringList ports = PortCommands::searchedPorts(PortChoices(m_app->portScanner().scan()));
    if (ports.isEmpty()) {
        const QString message =
            QStringLiteral("Коммуникатор не найден: в системе нет последовательных портов");
        m_notifier.reportFailure(message);
        return {ExitNegative, message, QJsonObject{{QStringLiteral("ports"), QJsonArray()}}};
    }
    CommunicatorFinder finder(m_app->connection());
    m_cancel = [&finder] { finder.cancel(); };
    const CommunicatorFinder::Result found =
        m_app->findCommunicator(finder, ports, m_progress.get());
    m_cancel = nullptr;
    const QStringList answering = found.answering();
    if (!m_line.json && !answering.isEmpty())
        PrintText(stdout, answering.join(u'\n') + u'\n');
    CommandResult result{ExitDone, QString(), PortCommands::searchJson(found)};
    if (answering.isEmpty()) {
        // Why each port stayed silent goes with the verdict.
        result.status = ExitNegative;
        result.message = QStringLiteral("Коммуникатор не найден: ни на одном порту он не ответил");
        m_notifier.reportFailure(result.message + QStringLiteral(".\n") +
                                 CommunicatorFinder::report(found));
    } else {
        result.message =
            QStringLiteral("Коммуникатор найден: ") + answering.join(QStringLiteral(", "));
        if (!m_line.quiet)
            PrintText(stderr, CommunicatorFinder::report(found) + u'\n');
    }
    return result;
}

} // namespace sr5n
