#include "cli/CommandLine.h"

#include "catalog/CatalogLocation.h"
#include "catalog/PostgresUri.h"
#include "cli/ObjectsCommand.h"
#include "protocols/SafeFileName.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>

#include <cstring>

namespace sr5n {

namespace {

using Command = CommandLine::Command;

struct CommandInfo {
    Command command;
    const char *name;
    const char *summary;
};

const CommandInfo Commands[] = {
    {Command::Read, "read", "read the configuration from the device into a .snc file"},
    {Command::Write, "write", "write a .snc file to the device, optionally verified"},
    {Command::Diff, "diff", "compare two configurations (files or device:PORT)"},
    {Command::Export, "export", "export a .snc file as the HTML page of the window's export"},
    {Command::Clock, "clock", "read or set the device's clock"},
    {Command::Logs, "logs", "read both event logs (text, CSV or JSON)"},
    {Command::Diag, "diag", "run the device's self-test"},
    {Command::Json, "json", "a .snc file as readable JSON, or JSON back into a .snc file"},
    {Command::Ports, "ports", "list the serial ports as the window's port list does"},
    {Command::Find, "find", "find the ports where a communicator answers"},
};

const QString PortPlaceholder = QStringLiteral("{port}");

QString DevicePrefix()
{
    return QStringLiteral("device:");
}

QCommandLineOption portOption(bool many)
{
    return QCommandLineOption(
        QStringLiteral("port"),
        many ? QStringLiteral("Serial port (ttyUSB0, /dev/pts/4, tcp://HOST:PORT, "
                              "rfc2217://HOST:PORT...); repeat it to work several devices in "
                              "parallel.")
             : QStringLiteral("Serial port (ttyUSB0, /dev/pts/4, tcp://HOST:PORT, "
                              "rfc2217://HOST:PORT...)."),
        QStringLiteral("P"));
}

QCommandLineOption outputOption(const QString &what)
{
    return QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")}, what,
                              QStringLiteral("FILE"));
}

const QCommandLineOption RegisterOption(
    QStringLiteral("register-protocols"),
    QStringLiteral("Register a protocol that is not in the library under its record as its name "
                   "(else such a configuration is refused)."));
const QCommandLineOption NoCatalogOption(
    QStringLiteral("no-catalog"),
    QStringLiteral("Record nothing into the catalogue of objects (by default every read and "
                   "write of a device is recorded in catalog.sqlite in the user's data folder; "
                   "commands that only read files record nothing)."));
const QCommandLineOption DataOption(
    QStringLiteral("data-folder"),
    QStringLiteral("Folder of the installation data (event name lists, protocol library); "
                   "default: the program's folder."),
    QStringLiteral("DIR"));

const QCommandLineOption CatalogOption(
    QStringLiteral("catalog"),
    QStringLiteral("The catalogue of objects that records the operations: a PostgreSQL server "
                   "(postgresql://user@host:port/database?sslmode=...; the password from "
                   "~/.pgpass or PGPASSWORD) or a SQLite file. Default: $SR5N_CATALOG, else the "
                   "user's own catalogue."),
    QStringLiteral("URL"));
const QCommandLineOption JsonOption(
    QStringLiteral("json"),
    QStringLiteral("Print the result as one JSON object on standard output (with several "
                   "ports: one entry per port)."));
const QCommandLineOption
    QuietOption(QStringLiteral("quiet"),
                QStringLiteral("Show no notices and no progress bar; errors are still shown."));

const QCommandLineOption TraceOption(
    QStringLiteral("trace"),
    QStringLiteral("Write the trace of the line to FILE: every frame and answer with its time, "
                   "checksum verdict, retry and time-out. With several ports FILE must contain "
                   "{port}; - writes it to standard error as it happens."),
    QStringLiteral("FILE"));

// Options that take one value: given twice, the command line is refused.
const char *const SingleValueOptions[] = {"o", "set", "format", "data-folder", "catalog", "trace"};

// The commands that talk to a device (diff through device:PORT).
bool talksToDevice(Command command)
{
    return command == Command::Read || command == Command::Write || command == Command::Diff ||
           command == Command::Clock || command == Command::Logs || command == Command::Diag;
}

QCommandLineOption workerOption()
{
    QCommandLineOption option(QStringLiteral("worker"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

// The options, positional arguments and description of each command.
void describe(Command command, QCommandLineParser &parser)
{
    parser.addOption(DataOption);
    parser.addOption(CatalogOption);
    parser.addOption(NoCatalogOption);
    parser.addOption(JsonOption);
    parser.addOption(QuietOption);
    parser.addOption(workerOption());
    if (talksToDevice(command))
        parser.addOption(TraceOption);
    switch (command) {
    case Command::Read:
        parser.setApplicationDescription(QStringLiteral(
            "Reads the whole configuration from the device and saves it as a .snc file.\n"
            "With several ports, FILE must contain {port}: one file per device."));
        parser.addOption(portOption(true));
        parser.addOption(outputOption(QStringLiteral("The configuration file to write.")));
        parser.addOption(RegisterOption);
        break;
    case Command::Write:
        parser.setApplicationDescription(
            QStringLiteral("Writes the configuration of FILE.snc to the device."));
        parser.addPositionalArgument(QStringLiteral("FILE.snc"),
                                     QStringLiteral("The configuration file."));
        parser.addOption(portOption(true));
        parser.addOption(QCommandLineOption(
            QStringLiteral("verify"),
            QStringLiteral("Read the configuration back and compare it with FILE.snc.")));
        parser.addOption(RegisterOption);
        break;
    case Command::Diff:
        parser.setApplicationDescription(QStringLiteral(
            "Lists the differences between two configurations as the compare window does;\n"
            "each side is a .snc file or device:PORT. Exit status 1 when they differ."));
        parser.addPositionalArgument(QStringLiteral("A"),
                                     QStringLiteral("FILE.snc or device:PORT"));
        parser.addPositionalArgument(QStringLiteral("B"),
                                     QStringLiteral("FILE.snc or device:PORT"));
        parser.addOption(RegisterOption);
        break;
    case Command::Export:
        parser.setApplicationDescription(
            QStringLiteral("Exports FILE.snc as the HTML page of the window's export."));
        parser.addPositionalArgument(QStringLiteral("FILE.snc"),
                                     QStringLiteral("The configuration file."));
        parser.addOption(outputOption(QStringLiteral("The HTML page to write.")));
        parser.addOption(RegisterOption);
        break;
    case Command::Clock:
        parser.setApplicationDescription(
            QStringLiteral("Prints the device's time (HH:MM:SS), or sets it with --set."));
        parser.addOption(portOption(true));
        parser.addOption(QCommandLineOption(QStringLiteral("set"),
                                            QStringLiteral("Set the clock to HH:MM:SS or to now."),
                                            QStringLiteral("TIME")));
        break;
    case Command::Logs:
        parser.setApplicationDescription(QStringLiteral(
            "Reads both event logs and prints them decoded with the installation's name lists."));
        parser.addOption(portOption(false));
        parser.addOption(QCommandLineOption(QStringLiteral("format"),
                                            QStringLiteral("text (default), csv or json."),
                                            QStringLiteral("F"), QStringLiteral("text")));
        parser.addOption(outputOption(QStringLiteral("Write to FILE instead of standard output.")));
        break;
    case Command::Diag:
        parser.setApplicationDescription(
            QStringLiteral("Runs the device's self-test and prints the verdict of each test.\n"
                           "Exit status 1 when a test failed."));
        parser.addOption(portOption(true));
        break;
    case Command::Json:
        parser.setApplicationDescription(QStringLiteral(
            "Prints FILE.snc as JSON: the control names as keys, the values as the pages show\n"
            "them. With --import, checks a JSON file and saves it as a .snc file."));
        parser.addPositionalArgument(QStringLiteral("FILE"),
                                     QStringLiteral("FILE.snc, or FILE.json with --import."));
        parser.addOption(QCommandLineOption(
            QStringLiteral("import"), QStringLiteral("Take FILE as JSON and write -o FILE.snc.")));
        parser.addOption(outputOption(QStringLiteral("The file to write (default for JSON: "
                                                     "standard output).")));
        parser.addOption(RegisterOption);
        break;
    case Command::Ports:
        parser.setApplicationDescription(QStringLiteral(
            "Lists the serial ports as the window's port list offers them: the name to give\n"
            "to --port, then what the system knows of the port."));
        break;
    case Command::Find:
        parser.setApplicationDescription(QStringLiteral(
            "Asks every port of the list for the device's clock, as \"Найти коммуникатор\"\n"
            "does (nothing is changed in a device), and prints the ports where a\n"
            "communicator answered. Exit status 1 when none answered."));
        break;
    case Command::None:
        break;
    }
    parser.addHelpOption();
}

CommandLine failure(const QString &message)
{
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.message = message;
    return line;
}

// The positional arguments of a command, as its help names them.
QStringList positionalNames(Command command)
{
    switch (command) {
    case Command::Write:
    case Command::Export:
        return {QStringLiteral("FILE.snc")};
    case Command::Json:
        return {QStringLiteral("FILE (FILE.snc, или FILE.json с --import)")};
    case Command::Diff:
        return {QStringLiteral("A (FILE.snc или device:PORT)"),
                QStringLiteral("B (FILE.snc или device:PORT)")};
    default:
        break;
    }
    return {};
}

// The first port that is given twice, also under another name of the same
// device; empty when none.
QString portGivenTwice(const QStringList &ports)
{
    for (qsizetype i = 0; i < ports.size(); ++i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (PortDevice(ports.at(i)) != PortDevice(ports.at(j)))
                continue;
            if (ports.at(i) == ports.at(j))
                return QStringLiteral("порт %1 указан дважды").arg(ports.at(i));
            return QStringLiteral("порт %1 указан дважды (как %2 и как %3)")
                .arg(PortDevice(ports.at(i)), ports.at(j), ports.at(i));
        }
    }
    return QString();
}

// Two ports whose names give one file for {port} (pts/4 and pts_4): the
// second would write over the first's file.
QString sameOutputPath(const CommandLine &line)
{
    for (qsizetype i = 0; i < line.ports.size(); ++i)
        for (qsizetype j = 0; j < i; ++j)
            if (const QString path = PortOutputPath(line.output, line.ports.at(i));
                path == PortOutputPath(line.output, line.ports.at(j)))
                return QStringLiteral("порты %1 и %2 записали бы один и тот же файл %3: "
                                      "задайте имя файла иначе")
                    .arg(line.ports.at(j), line.ports.at(i), path);
    return QString();
}

// What is wrong with the options of a parsed command; empty when nothing.
QString check(const CommandLine &line, const QStringList &positional)
{
    const auto expect = [&positional, &line](qsizetype count) -> QString {
        if (positional.size() < count)
            return QStringLiteral("не указан аргумент %1")
                .arg(positionalNames(line.command).value(positional.size()));
        if (positional.size() > count)
            return QStringLiteral("лишний аргумент «%1»").arg(positional.at(count));
        return QString();
    };
    const bool needsPort = line.command == Command::Read || line.command == Command::Write ||
                           line.command == Command::Clock || line.command == Command::Logs ||
                           line.command == Command::Diag;
    if (needsPort && line.ports.isEmpty())
        return QStringLiteral("не указан --port");
    if (line.ports.contains(QString()))
        return QStringLiteral("--port: не указано имя порта");
    if (line.ports.size() > 1 && !CommandLine::manyPorts(line.command))
        return QStringLiteral("здесь можно указать только один --port");
    if (const QString twice = portGivenTwice(line.ports); !twice.isEmpty())
        return twice;
    if (line.ports.size() > 1 && !line.trace.isEmpty() && line.trace != u"-" &&
        !line.trace.contains(PortPlaceholder))
        return QStringLiteral("при нескольких портах --trace должен содержать {port} (или быть -)");
    switch (line.command) {
    case Command::Read:
        if (line.output.isEmpty())
            return QStringLiteral("не указан -o FILE.snc");
        if (line.ports.size() > 1 && !line.output.contains(PortPlaceholder))
            return QStringLiteral("при нескольких портах -o должен содержать {port}");
        if (const QString same = sameOutputPath(line); !same.isEmpty())
            return same;
        return expect(0);
    case Command::Write:
    case Command::Json:
        if (line.importJson && line.output.isEmpty())
            return QStringLiteral("не указан -o FILE.snc");
        return expect(1);
    case Command::Export:
        if (line.output.isEmpty())
            return QStringLiteral("не указан -o REPORT.html");
        return expect(1);
    case Command::Diff:
        for (const QString &side : positional)
            if (side == DevicePrefix())
                return QStringLiteral("device: не указано имя порта (device:ttyUSB0)");
        return expect(2);
    case Command::Clock:
        if (!line.setTime.isEmpty() && line.setTime != u"now" &&
            !QTime::fromString(line.setTime, QStringLiteral("HH:mm:ss")).isValid())
            return QStringLiteral("--set: нужно ЧЧ:ММ:СС или now, а не «%1»").arg(line.setTime);
        return expect(0);
    case Command::Logs:
    case Command::Diag:
    case Command::Ports:
    case Command::Find:
        return expect(0);
    case Command::None:
        break;
    }
    return QString();
}

} // namespace

QString CommandLine::commandName(Command command)
{
    for (const CommandInfo &info : Commands)
        if (info.command == command)
            return QString::fromLatin1(info.name);
    return QString();
}

bool CommandLine::writesDevice(const CommandLine &line)
{
    return line.command == Command::Write ||
           (line.command == Command::Clock && !line.setTime.isEmpty());
}

bool CommandLine::manyPorts(Command command)
{
    return command == Command::Read || command == Command::Write || command == Command::Clock ||
           command == Command::Diag;
}

QString CommandLine::exitStatusText()
{
    return QStringLiteral("Exit status:\n"
                          "  0    done (diff: no differences; diag: every test passed)\n"
                          "  1    diff: the configurations differ; diag: a test failed; find: "
                          "none answered\n"
                          "  2    the command line is wrong\n"
                          "  3    a port, device, file or decoding failure (with several ports: "
                          "on at least one);\n"
                          "       standard output could not be written\n"
                          "  130  stopped by SIGINT (Ctrl+C) or SIGTERM; the ports of a device "
                          "that may hold a\n"
                          "       half-written configuration are named\n"
                          "  141  the reader of standard output ended (a pipe into head); "
                          "nothing is said\n");
}

QString CommandLine::generalHelp(const QString &program)
{
    QString text = QStringLiteral("Usage: %1 COMMAND [options]\n\n"
                                  "The СР-5/Н configurator without its window.\n\nCommands:\n")
                       .arg(program);
    for (const CommandInfo &info : Commands)
        text += QStringLiteral("  %1%2\n")
                    .arg(QString::fromLatin1(info.name).leftJustified(8),
                         QString::fromLatin1(info.summary));
    text += ObjectsCommandSummary();
    text += QStringLiteral("\n'%1 COMMAND --help' shows the options of a command.\n"
                           "Messages and errors go to standard error, with a progress bar when it "
                           "is a terminal.\n\n")
                .arg(program);
    return text + exitStatusText();
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    const QString first = arguments.value(1);
    if (first.isEmpty())
        return failure(QStringLiteral("не указана команда"));
    if (first == u"-h" || first == u"--help" || first == u"--help-all" || first == u"help") {
        CommandLine line;
        line.action = Action::Help;
        line.message = generalHelp(program);
        return line;
    }
    if (first == u"-v" || first == u"--version") {
        CommandLine line;
        line.action = Action::Version;
        return line;
    }
    CommandLine line;
    for (const CommandInfo &info : Commands)
        if (first == QLatin1String(info.name))
            line.command = info.command;
    if (line.command == Command::None)
        return failure(QStringLiteral("неизвестная команда «%1»").arg(first));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    describe(line.command, parser);
    QStringList rest = arguments;
    rest.removeAt(1);
    rest[0] = program + u' ' + first;
    if (!parser.parse(rest))
        return failure(ParserErrorText(parser.errorText()));
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = Action::Help;
        // The usage line names the command after the program.
        QString help = parser.helpText();
        const qsizetype options = help.indexOf(QStringLiteral(" [options]"));
        if (help.startsWith(QStringLiteral("Usage: ")) && options > 0)
            help.replace(7, options - 7, program + u' ' + first);
        line.message = help + u'\n' + exitStatusText();
        return line;
    }
    const QStringList names = parser.optionNames();
    const auto has = [&names](const char *name) { return names.contains(QLatin1String(name)); };
    for (const char *name : SingleValueOptions) {
        const qsizetype given = names.count(QLatin1String(name)) +
                                (std::strcmp(name, "o") == 0 ? names.count(u"output") : 0);
        if (given > 1)
            return failure(
                QStringLiteral("%1%2 указан больше одного раза")
                    .arg(std::strlen(name) == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                         QString::fromLatin1(name)));
    }
    if (has("port"))
        line.ports = parser.values(QStringLiteral("port"));
    if (has("o") || has("output"))
        line.output = parser.value(QStringLiteral("o"));
    if (has("trace")) {
        line.trace = parser.value(TraceOption);
        if (line.trace.isEmpty())
            return failure(QStringLiteral("--trace: не указано имя файла (или -)"));
    }
    line.verify = has("verify");
    line.registerProtocols = has("register-protocols");
    line.importJson = has("import");
    line.worker = has("worker");
    line.noCatalog = has("no-catalog");
    line.json = has("json");
    line.quiet = has("quiet");
    if (has("set"))
        line.setTime = parser.value(QStringLiteral("set"));
    line.dataFolder = parser.value(DataOption);
    line.catalog =
        has("catalog") ? parser.value(CatalogOption) : qEnvironmentVariable("SR5N_CATALOG");
    if (IsSharedCatalog(line.catalog)) {
        if (const PostgresUri uri = PostgresUri::parse(line.catalog); !uri.isValid())
            return failure(uri.error());
    }
    line.files = parser.positionalArguments();
    if (line.command == Command::Logs) {
        const std::optional<LogFormat> format =
            ParseLogFormat(parser.value(QStringLiteral("format")));
        if (!format)
            return failure(QStringLiteral("--format: допустимо text, csv или json"));
        // --json alone asks for the logs as JSON.
        line.format = line.json && !has("format") ? LogFormat::Json : *format;
    }
    if (const QString wrong = check(line, line.files); !wrong.isEmpty())
        return failure(wrong);
    // One port names its file as each of several does: a script serves both.
    if (line.ports.size() == 1) {
        line.output = PortOutputPath(line.output, line.ports.constFirst());
        line.trace = PortOutputPath(line.trace, line.ports.constFirst());
    }
    return line;
}

QStringList CommandLine::workerArguments(const QString &port, const QString &portOutput) const
{
    QStringList arguments{commandName(command), QStringLiteral("--worker"),
                          QStringLiteral("--port"), port};
    if (!portOutput.isEmpty())
        arguments << QStringLiteral("-o") << portOutput;
    if (!trace.isEmpty())
        arguments << QStringLiteral("--trace") << PortOutputPath(trace, port);
    if (verify)
        arguments << QStringLiteral("--verify");
    if (registerProtocols)
        arguments << QStringLiteral("--register-protocols");
    if (noCatalog)
        arguments << QStringLiteral("--no-catalog");
    if (!setTime.isEmpty())
        arguments << QStringLiteral("--set") << setTime;
    if (!dataFolder.isEmpty())
        arguments << QStringLiteral("--data-folder") << dataFolder;
    if (!catalog.isEmpty())
        arguments << QStringLiteral("--catalog") << catalog;
    if (json)
        arguments << QStringLiteral("--json");
    arguments << files;
    return arguments;
}

QString ParserErrorText(const QString &text)
{
    // Qt's parser speaks English: its few messages in the program's words.
    static const struct {
        QRegularExpression english;
        const char *russian;
    } known[] = {
        {QRegularExpression(QStringLiteral("^Unknown option '(.*)'\\.$")),
         "неизвестный параметр «\\1»"},
        {QRegularExpression(QStringLiteral("^Unknown options: (.*)\\.$")),
         "неизвестные параметры: \\1"},
        {QRegularExpression(QStringLiteral("^Missing value after '(.*)'\\.$")),
         "не указано значение после «\\1»"},
        {QRegularExpression(QStringLiteral("^Unexpected value after '(.*)'\\.$")),
         "лишнее значение после «\\1»"},
    };
    for (const auto &message : known)
        if (message.english.match(text).hasMatch())
            return QString(text).replace(message.english, QString::fromUtf8(message.russian));
    return text;
}

QString PortDevice(const QString &port)
{
    // A network port is its address; a name without a folder is in /dev, as
    // the link opens it (pts/4 is /dev/pts/4).
    if (port.contains(QStringLiteral("://")))
        return port;
    const QString path = port.startsWith(u'/') ? port : QStringLiteral("/dev/") + port;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QString PortOutputPath(const QString &pattern, const QString &port)
{
    QString name = port;
    if (name.startsWith(QStringLiteral("/dev/")))
        name.remove(0, 5);
    while (name.startsWith(u'/'))
        name.remove(0, 1);
    return QString(pattern).replace(PortPlaceholder, SafeFileName(name));
}

} // namespace sr5n
