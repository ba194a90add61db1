#include "cli/CommandLine.h"
#include "cli/ParallelPorts.h"
#include "cli/TerminalProgress.h"

#include "common/QtPrinters.h"

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
        {{}, "missing command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"read", "-o", "x.snc"}, "missing --port"},
        {{"read", "--port", "a"}, "missing -o FILE.snc"},
        {{"read", "--port", "a", "--port", "b", "-o", "x.snc"},
         "with several ports, -o must contain {port}"},
        {{"read", "--port", "a", "--port", "a", "-o", "{port}.snc"}, "a port is given twice"},
        {{"logs", "--port", "a", "--port", "b"}, "only one --port is allowed here"},
        {{"logs", "--port", "a", "--format", "xml"}, "--format takes text, csv or json"},
        {{"write", "--port", "a"}, "missing argument"},
        {{"write", "--port", "a", "x.snc", "y.snc"}, "unexpected argument 'y.snc'"},
        {{"clock", "--port", "a", "--set", "25:00:00"},
         "--set takes HH:MM:SS or now, not '25:00:00'"},
        {{"json", "--import", "x.json"}, "missing -o FILE.snc"},
        {{"export", "x.snc"}, "missing -o REPORT.html"},
        {{"diff", "a.snc"}, "missing argument"},
        {{"diag", "--port", "a", "--verify"}, "Unknown option 'verify'."},
    };
    for (const auto &c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Error) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.message, QString::fromUtf8(c.message))
            << c.arguments.join(u' ').toStdString();
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

} // namespace
