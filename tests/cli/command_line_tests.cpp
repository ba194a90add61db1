#include "cli/CommandLine.h"
#include "cli/ParallelPorts.h"
#include "cli/TerminalProgress.h"

#include "common/QtPrinters.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>

using namespace sr5n;

namespace {

CommandLine parse(const QStringList &arguments)
{
    return CommandLine::parse(QStringList{QStringLiteral("sr5n-cli")} + arguments);
}

TEST(CommandLine, RefusesWhatCannotRun)
{
    const struct {
        QStringList arguments;
        const char *message;
    } cases[] = {
        {{}, "не указана команда"},
        {{"frobnicate"}, "неизвестная команда «frobnicate»"},
        {{"read", "-o", "x.snc"}, "не указан --port"},
        {{"read", "--port", "a"}, "не указан -o FILE.snc"},
        {{"read", "--port", "a", "--port", "b", "-o", "x.snc"},
         "при нескольких портах -o должен содержать {port}"},
        {{"read", "--port", "a", "--port", "a", "-o", "{port}.snc"}, "порт a указан дважды"},
        {{"read", "--port", "ttyUSB7", "--port", "/dev/ttyUSB7", "-o", "{port}.snc"},
         "порт /dev/ttyUSB7 указан дважды (как ttyUSB7 и как /dev/ttyUSB7)"},
        {{"read", "--port", "pts/7", "--port", "/dev/pts/7", "-o", "{port}.snc"},
         "порт /dev/pts/7 указан дважды (как pts/7 и как /dev/pts/7)"},
        {{"read", "--port", "tcp://h:4001", "--port", "tcp://h:4001", "-o", "{port}.snc"},
         "порт tcp://h:4001 указан дважды"},
        {{"read", "--port=", "-o", "x.snc"}, "--port: не указано имя порта"},
        {{"read", "--port", "a", "-o", "x.snc", "-o", "y.snc"}, "-o указан больше одного раза"},
        {{"read", "--port", "a", "-o", "x.snc", "--output", "y.snc"},
         "-o указан больше одного раза"},
        {{"clock", "--port", "a", "--set", "now", "--set", "now"},
         "--set указан больше одного раза"},
        {{"diff", "x.snc", "device:"}, "device: не указано имя порта (device:ttyUSB0)"},
        {{"ports", "x"}, "лишний аргумент «x»"},
        {{"logs", "--port", "a", "--port", "b"}, "здесь можно указать только один --port"},
        {{"logs", "--port", "a", "--format", "xml"}, "--format: допустимо text, csv или json"},
        {{"write", "--port", "a"}, "не указан аргумент FILE.snc"},
        {{"write", "--port", "a", "x.snc", "y.snc"}, "лишний аргумент «y.snc»"},
        {{"clock", "--port", "a", "--set", "25:00:00"},
         "--set: нужно ЧЧ:ММ:СС или now, а не «25:00:00»"},
        {{"json", "--import", "x.json"}, "не указан -o FILE.snc"},
        {{"export", "x.snc"}, "не указан -o REPORT.html"},
        {{"diff", "a.snc"}, "не указан аргумент B (FILE.snc или device:PORT)"},
        {{"diag", "--port", "a", "--verify"}, "неизвестный параметр «verify»"},
    };
    for (const auto &c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Error) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.message, QString::fromUtf8(c.message))
            << c.arguments.join(u' ').toStdString();
    }
}

TEST(CommandLine, HelpNamesTheProgramNotItsPath)
{
    for (const char *option : {"--help", "--help-all", "-h"}) {
        const CommandLine line =
            CommandLine::parse({QStringLiteral("/usr/lib/sr5n-configurator/sr5n-cli"),
                                QStringLiteral("read"), QString::fromLatin1(option)});
        ASSERT_EQ(line.action, CommandLine::Action::Help) << option << line.message.toStdString();
        EXPECT_TRUE(line.message.startsWith(QStringLiteral("Usage: sr5n-cli read [options]")))
            << line.message.toStdString();
    }
    const CommandLine general = CommandLine::parse(
        {QStringLiteral("/usr/lib/sr5n-configurator/sr5n-cli"), QStringLiteral("--help")});
    EXPECT_TRUE(general.message.startsWith(QStringLiteral("Usage: sr5n-cli COMMAND [options]")));
    EXPECT_TRUE(general.message.contains(QStringLiteral("  130  stopped by SIGINT")));
}

TEST(CommandLine, JsonAndQuietReachTheWorkers)
{
    const CommandLine line = parse({"diag", "--port", "a", "--port", "b", "--json", "--quiet"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.message.toStdString();
    EXPECT_TRUE(line.json);
    EXPECT_TRUE(line.quiet);
    EXPECT_TRUE(line.workerArguments(QStringLiteral("a"), QString()).contains(u"--json"));
    // --json alone asks for the logs as JSON; --format still wins.
    EXPECT_EQ(parse({"logs", "--port", "a", "--json"}).format, LogFormat::Json);
    EXPECT_EQ(parse({"logs", "--port", "a", "--json", "--format", "csv"}).format, LogFormat::Csv);
}

// Each option a command's help shows is in the manual page's synopsis (or
// its options) and in the bash completion of that command.
TEST(CommandLine, ManualPageAndCompletionNameEveryOption)
{
    QFile man(QStringLiteral(SR5N_CLI_MAN_PAGE));
    QFile completion(QStringLiteral(SR5N_CLI_COMPLETION));
    ASSERT_TRUE(man.open(QIODevice::ReadOnly) && completion.open(QIODevice::ReadOnly));
    // The manual page writes "-" as "\-".
    const QString page =
        QString::fromUtf8(man.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const QString script = QString::fromUtf8(completion.readAll());
    // An option's line of the help: "  -o, --output <FILE>  ..." or "  --json  ...".
    const QRegularExpression option(QStringLiteral("^  (?:(-[a-z]), )?(--[a-z][a-z-]*)"),
                                    QRegularExpression::MultilineOption);
    for (const char *command :
         {"read", "write", "diff", "export", "clock", "logs", "diag", "json", "ports", "find"}) {
        const CommandLine line = parse({QString::fromLatin1(command), QStringLiteral("--help")});
        ASSERT_EQ(line.action, CommandLine::Action::Help) << command;
        const QString commandLine = QString::fromLatin1(command);
        EXPECT_TRUE(page.contains(QStringLiteral(".B sr5n-cli ") + commandLine)) << command;
        const QRegularExpression casePattern(QStringLiteral("\\b%1\\)[^;]*;;").arg(commandLine));
        const QString completed =
            casePattern.match(script).captured(0) +
            script.section(QStringLiteral("local common="), 1, 1).section(u'\n', 0, 0);
        QStringList names;
        for (auto it = option.globalMatch(line.message.section(QStringLiteral("Options:"), 1)
                                              .section(QStringLiteral("Exit status"), 0, 0));
             it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            if (match.captured(1) != u"-h" && !match.captured(1).isEmpty())
                names << match.captured(1);
            names << match.captured(2);
        }
        ASSERT_FALSE(names.isEmpty()) << command;
        for (const QString &name : names) {
            EXPECT_TRUE(page.contains(name)) << command << " " << name.toStdString();
            if (name != u"--help-all" && name != u"--help") {
                EXPECT_TRUE(completed.contains(name)) << command << " " << name.toStdString();
            }
        }
    }
}

TEST(CommandLine, WorkerRunsTheSameCommandOnOnePort)
{
    const CommandLine line =
        parse({"write", "--port", "ttyUSB0", "--port", "/dev/pts/4", "cfg.snc", "--verify",
               "--register-protocols", "--data-folder", "/opt/data"});
    ASSERT_EQ(line.action, CommandLine::Action::Run) << line.message.toStdString();
    const QStringList worker = line.workerArguments(QStringLiteral("/dev/pts/4"), QString());
    EXPECT_EQ(worker,
              QStringList({"write", "--worker", "--port", "/dev/pts/4", "--verify",
                           "--register-protocols", "--data-folder", "/opt/data", "cfg.snc"}));
    const CommandLine again = parse(worker);
    EXPECT_TRUE(again.worker);
    EXPECT_EQ(again.ports, QStringList({"/dev/pts/4"}));
    EXPECT_EQ(again.files, QStringList({"cfg.snc"}));
    EXPECT_TRUE(again.verify && again.registerProtocols);
}

TEST(CommandLine, PortPatternGivesEachPortItsOwnFile)
{
    const struct {
        const char *port, *path;
    } cases[] = {
        {"ttyUSB0", "/tmp/cfg-ttyUSB0.snc"},
        {"/dev/ttyUSB1", "/tmp/cfg-ttyUSB1.snc"},
        {"/dev/pts/4", "/tmp/cfg-pts_4.snc"},
        {"/dev/serial/by-id/usb-FTDI:1", "/tmp/cfg-serial_by-id_usb-FTDI_1.snc"},
        {"/tmp/sim", "/tmp/cfg-tmp_sim.snc"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PortOutputPath(QStringLiteral("/tmp/cfg-{port}.snc"), QString::fromUtf8(c.port)),
                  QString::fromUtf8(c.path));
        // One port names its file as each of several does.
        for (const char *command : {"read", "logs"}) {
            const CommandLine line =
                parse({QString::fromUtf8(command), "--port", QString::fromUtf8(c.port), "-o",
                       "/tmp/cfg-{port}.snc"});
            ASSERT_EQ(line.action, CommandLine::Action::Run) << line.message.toStdString();
            EXPECT_EQ(line.output, QString::fromUtf8(c.path)) << command;
        }
    }
}

TEST(ParallelSummary, OneRowAPortAndTheWorstStatus)
{
    const QList<PortOutcome> outcomes = {
        {QStringLiteral("/dev/pts/4"), ExitDone, 9240,
         QStringLiteral("Конфигурация прочитана успешно")},
        {QStringLiteral("ttyUSB0"), ExitFailed, 35012, QStringLiteral("Коммуникатор не отвечает.")},
    };
    EXPECT_EQ(ParallelPorts::summaryTable(outcomes),
              QStringLiteral("PORT        RESULT    TIME  MESSAGE\n"
                             "/dev/pts/4  OK       9.2 s  Конфигурация прочитана успешно\n"
                             "ttyUSB0     FAILED  35.0 s  Коммуникатор не отвечает.\n"));
    EXPECT_EQ(ParallelPorts::exitStatus(outcomes), ExitFailed);
    EXPECT_EQ(ParallelPorts::exitStatus(outcomes.mid(0, 1)), ExitDone);
    EXPECT_EQ(ParallelPorts::exitStatus({{QStringLiteral("a"), ExitNegative, 0, QString()},
                                         {QStringLiteral("b"), ExitDone, 0, QString()}}),
              ExitNegative);
}

// A reason of several lines is shown whole: its first line in the row, the
// others below it, each where the message column begins.
TEST(ParallelSummary, AReasonOfSeveralLinesGoesOnUnderItsColumn)
{
    const QList<PortOutcome> outcomes = {
        {QStringLiteral("ttyUSB0"), ExitFailed, 1200,
         QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден\n"
                        "/tmp/a.snc: файл обрывается на записи 12 из 858.\n")},
        {QStringLiteral("/dev/pts/4"), ExitDone, 9240,
         QStringLiteral("Конфигурация записана успешно\nЗапись проверена")},
    };
    EXPECT_EQ(ParallelPorts::summaryTable(outcomes),
              QStringLiteral("PORT        RESULT   TIME  MESSAGE\n"
                             "ttyUSB0     FAILED  1.2 s  Невозможно прочитать файл. Возможно, "
                             "файл поврежден\n"
                             "                           /tmp/a.snc: файл обрывается на записи 12 "
                             "из 858.\n"
                             "/dev/pts/4  OK      9.2 s  Конфигурация записана успешно\n"
                             "                           Запись проверена\n"));
}

TEST(TerminalProgress, LineShowsTheCaptionBarAndPercent)
{
    const QString caption = OperationProgress::caption(OperationProgress::Kind::Reading);
    EXPECT_EQ(TerminalProgress::line(caption, 0, 858, 10),
              QStringLiteral("Чтение данных с коммуникатора [..........]   0%"));
    EXPECT_EQ(TerminalProgress::line(caption, 429, 858, 10),
              QStringLiteral("Чтение данных с коммуникатора [#####.....]  50%"));
    EXPECT_EQ(TerminalProgress::line(caption, 900, 858, 10),
              QStringLiteral("Чтение данных с коммуникатора [##########] 100%"));
}

// What a terminal shows: the bar redrawn in place once a percent, and a line
// break before a message, so that the message never lands inside the bar.
TEST(TerminalProgress, RedrawsInPlaceAndEndsItsLineBeforeAMessage)
{
    std::FILE *terminal = std::tmpfile();
    ASSERT_NE(terminal, nullptr);
    TerminalProgress progress(terminal);
    EXPECT_FALSE(progress.enabled()); // a file is no terminal
    progress.setEnabled(true);
    progress.begin(OperationProgress::Kind::Writing, 400);
    for (int i = 0; i < 200; ++i)
        progress.step();
    progress.breakLine();
    progress.step();
    progress.end();
    progress.end();

    std::rewind(terminal);
    QByteArray shown;
    char buffer[4096];
    while (const size_t read = std::fread(buffer, 1, sizeof buffer, terminal))
        shown.append(buffer, static_cast<qsizetype>(read));
    std::fclose(terminal);
    const QString text = QString::fromUtf8(shown);
    // 0% to 50%, each drawn once, then the line ended; 50% again after the
    // break (step 201 is still 50%), and the line ended by end() alone once.
    EXPECT_EQ(text.count(u'\r'), 52);
    EXPECT_EQ(text.count(u'\n'), 2);
    EXPECT_TRUE(text.startsWith(QStringLiteral("\rЗапись данных в коммуникатор [")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("]  50%\n")));
}

TEST(CommandLine, TraceIsCheckedLikeAnOutputFile)
{
    const struct {
        QStringList arguments;
        const char *message;
    } refused[] = {
        {{"read", "--port", "a", "--port", "b", "-o", "{port}.snc", "--trace", "t.txt"},
         "при нескольких портах --trace должен содержать {port} (или быть -)"},
        {{"clock", "--port", "a", "--trace", "a.txt", "--trace", "b.txt"},
         "--trace указан больше одного раза"},
        {{"clock", "--port", "a", "--trace="}, "--trace: не указано имя файла (или -)"},
        {{"export", "x.snc", "-o", "x.html", "--trace", "t.txt"}, "неизвестный параметр «trace»"},
    };
    for (const auto &c : refused) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Error) << c.message;
        EXPECT_EQ(line.message, QString::fromUtf8(c.message));
    }
    // One port fills in its name; several give each worker its own file.
    EXPECT_EQ(parse({"diag", "--port", "/dev/pts/3", "--trace", "t-{port}.txt"}).trace,
              QStringLiteral("t-pts_3.txt"));
    const CommandLine several =
        parse({"diag", "--port", "/dev/pts/3", "--port", "/dev/pts/4", "--trace", "t-{port}.txt"});
    ASSERT_EQ(several.action, CommandLine::Action::Run) << several.message.toStdString();
    const QStringList worker = several.workerArguments(QStringLiteral("/dev/pts/4"), QString());
    EXPECT_EQ(worker.mid(worker.indexOf(QStringLiteral("--trace")), 2),
              QStringList({"--trace", "t-pts_4.txt"}));
    const CommandLine toError =
        parse({"diag", "--port", "/dev/pts/3", "--port", "/dev/pts/4", "--trace", "-"});
    EXPECT_EQ(toError.action, CommandLine::Action::Run);
}

} // namespace
