// sr5n-cli against sr5n-sim on pseudo-terminals, run as a shell runs it.

#include "app/Configurator.h"
#include "cli/CliRun.h"
#include "cli/CommandLine.h"
#include "common/DataFile.h"
#include "common/FifoTrap.h"
#include "common/Ser2netBridge.h"
#include "common/SimProcess.h"
#include "common/TextRecords.h"
#include "protocols/ProtocolLibrary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <csignal>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace sr5n;
using test::RunCli;

namespace {

const QString NoAnswer = QStringLiteral("Коммуникатор не отвечает.");
const QString DamagedFile = QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден.");
// A well-formed protocol record that the starter library does not hold.
// The simulator logs every request unless quiet: a log nobody reads while
// sr5n-cli runs would fill the pipe and stall it.
const QString Quiet = QStringLiteral("--quiet");
const QString UnknownRecord = QStringLiteral("02000004FF1F000000000000000000000A0A28");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class Cli : public ::testing::Test
{
protected:
    QTemporaryDir folder;

    QString path(const QString &name) const { return folder.filePath(name); }

    // A simulator whose memory starts from `state` (sr5n-sim --state).
    std::unique_ptr<test::SimProcess> simWithState(const QJsonObject &state,
                                                   const QStringList &more = {})
    {
        const QString file = path(QStringLiteral("state-%1.json").arg(++m_states));
        writeFile(file, QJsonDocument(state).toJson());
        return std::make_unique<test::SimProcess>(
            QStringList{Quiet, QStringLiteral("--state"), file} + more);
    }

    // A configuration unlike the device's default, made through the JSON form.
    QString customConfiguration()
    {
        const QString json = path(QStringLiteral("custom.json"));
        // A table is given whole, each row by its number.
        const QJsonArray external = test::WholeTable(
            60, 1,
            {{1, QJsonObject{{QStringLiteral("Код для пары №1"),
                              QJsonObject{{QStringLiteral("0"), QStringLiteral("E130")},
                                          {QStringLiteral("69"), QStringLiteral("0A0B")}}},
                             {QStringLiteral("В/П"), true}}}});
        QJsonObject form = QJsonDocument::fromJson(R"({"chb1P1N": true, "edt1P1N": "8123A4567",
            "edt1P1NObjectCode": "12AB", "trb1PCallsTrialCount": "35", "dtpLineTestStart": "07:45",
            "rgpLineFreq": "480 Гц", "trbSilenceLevel": "-30 дБм"})")
                               .object();
        form.insert(QStringLiteral("mgdExternalEvents"), external);
        writeFile(json, QJsonDocument(form).toJson());
        const QString snc = path(QStringLiteral("custom.snc"));
        const test::CliRun made = RunCli(
            {QStringLiteral("json"), QStringLiteral("--import"), json, QStringLiteral("-o"), snc});
        EXPECT_EQ(made.status, 0) << made.err.toStdString();
        return snc;
    }

private:
    int m_states = 0;
};

TEST_F(Cli, WrittenConfigurationReadsBackByteForByte)
{
    const QString written = customConfiguration();
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const test::CliRun write =
        RunCli({QStringLiteral("write"), QStringLiteral("--port"), sim.path(), written});
    EXPECT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_EQ(write.err, QStringLiteral("Конфигурация записана успешно\n"));
    // Standard error is no terminal here: no progress bar on it.
    EXPECT_FALSE(write.err.contains(u'['));

    const QString back = path(QStringLiteral("back.snc"));
    const test::CliRun read = RunCli(
        {QStringLiteral("read"), QStringLiteral("--port"), sim.path(), QStringLiteral("-o"), back});
    EXPECT_EQ(read.status, 0) << read.err.toStdString();
    EXPECT_EQ(read.err, QStringLiteral("Конфигурация прочитана успешно\n"));
    EXPECT_EQ(read.out, QString());
    EXPECT_EQ(contents(back), contents(written));
}

TEST_F(Cli, ReadsThroughASerialServerInBothModes)
{
    const QString written = customConfiguration();
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(
        RunCli({QStringLiteral("write"), QStringLiteral("--port"), sim.path(), written}).status, 0);
    test::Ser2netBridge bridge(sim.path());
    ASSERT_TRUE(bridge.started()) << bridge.log().toStdString();

    for (const QString &port : {bridge.rawName(), bridge.rfc2217Name()}) {
        SCOPED_TRACE(port.toStdString());
        // The bridge lets go of the terminal a moment after the last user.
        QThread::msleep(200);
        const QString back = path(QStringLiteral("back.snc"));
        QFile::remove(back);
        const test::CliRun read = RunCli(
            {QStringLiteral("read"), QStringLiteral("--port"), port, QStringLiteral("-o"), back});
        EXPECT_EQ(read.status, 0) << read.err.toStdString();
        EXPECT_EQ(read.err, QStringLiteral("Конфигурация прочитана успешно\n"));
        EXPECT_EQ(contents(back), contents(written));
    }

    // A server that is not there: the port's message with its reason, status 3.
    const QString closed = QStringLiteral("tcp://127.0.0.1:%1").arg(test::FreeLoopbackPort());
    const QString out = path(QStringLiteral("none.snc"));
    const test::CliRun refused = RunCli(
        {QStringLiteral("read"), QStringLiteral("--port"), closed, QStringLiteral("-o"), out});
    EXPECT_EQ(refused.status, 3);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Порт %1 недоступен\nСервер отказал в "
                                                      "соединении")
                                           .arg(closed)))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(Cli, ReadThenWriteThenDiffFindsNothing)
{
    const QString custom = customConfiguration();
    test::SimProcess first({Quiet});
    test::SimProcess second({Quiet});
    ASSERT_TRUE(first.started() && second.started());
    const QString fromFirst = path(QStringLiteral("first.snc"));
    ASSERT_EQ(
        RunCli({QStringLiteral("write"), QStringLiteral("--port"), first.path(), custom}).status,
        0);
    ASSERT_EQ(RunCli({QStringLiteral("read"), QStringLiteral("--port"), first.path(),
                      QStringLiteral("-o"), fromFirst})
                  .status,
              0);
    ASSERT_EQ(RunCli({QStringLiteral("write"), QStringLiteral("--port"), second.path(), fromFirst})
                  .status,
              0);
    const QString device = QStringLiteral("device:") + second.path();
    for (const QStringList &sides : {QStringList{custom, device}, QStringList{device, fromFirst},
                                     QStringList{custom, fromFirst}}) {
        const test::CliRun diff = RunCli(QStringList{QStringLiteral("diff")} + sides);
        EXPECT_EQ(diff.status, 0) << sides.join(u' ').toStdString() << diff.err.toStdString();
        EXPECT_EQ(diff.out, QStringLiteral("Различий нет\n"));
    }

    // The device's default configuration differs from the written one, value by value.
    test::SimProcess fresh({Quiet});
    ASSERT_TRUE(fresh.started());
    const test::CliRun differ =
        RunCli({QStringLiteral("diff"), custom, QStringLiteral("device:") + fresh.path()});
    EXPECT_EQ(differ.status, 1) << differ.err.toStdString();
    EXPECT_TRUE(differ.out.startsWith(QStringLiteral("Первая пара номеров\n")));
    EXPECT_TRUE(differ.out.contains(
        QStringLiteral("  Первый номер телефона — Номер объекта: 12AB → 0000\n")))
        << differ.out.toStdString();
    EXPECT_TRUE(differ.out.contains(
        QStringLiteral("  Частота сигнала \"свободно\" в линии: 480 Гц → 425 Гц\n")));
}

TEST_F(Cli, VerifiedWriteTellsWhetherTheDeviceHoldsWhatWasWritten)
{
    const QString custom = customConfiguration();
    test::SimProcess faithful({Quiet});
    // The simulator answers the write of the first number of pair 1 but keeps its own:
    // its flag, phone number and object number.
    test::SimProcess dropping({Quiet, QStringLiteral("--drop-write"), QStringLiteral("5")});
    ASSERT_TRUE(faithful.started() && dropping.started());
    const test::CliRun same = RunCli({QStringLiteral("write"), QStringLiteral("--verify"),
                                      QStringLiteral("--port"), faithful.path(), custom});
    EXPECT_EQ(same.status, 0) << same.err.toStdString();
    EXPECT_EQ(same.err, QStringLiteral("Конфигурация записана успешно\nЗапись проверена: "
                                       "коммуникатор хранит записанную конфигурацию\n"));

    const test::CliRun different = RunCli({QStringLiteral("write"), QStringLiteral("--verify"),
                                           QStringLiteral("--port"), dropping.path(), custom});
    EXPECT_EQ(different.status, 3);
    EXPECT_EQ(different.err,
              QStringLiteral("Проверка записи не пройдена: коммуникатор хранит не ту "
                             "конфигурацию, которая была записана (различий: 3)\n"));
    // What the device holds instead, as the compare window lists it.
    EXPECT_TRUE(different.out.contains(
        QStringLiteral("  Первый номер телефона — Номер объекта: 12AB → 0000\n")))
        << different.out.toStdString();

    // Both at once: one port passes, the other is reported; the run fails.
    test::SimProcess faithful2({Quiet});
    test::SimProcess dropping2({Quiet, QStringLiteral("--drop-write"), QStringLiteral("5")});
    ASSERT_TRUE(faithful2.started() && dropping2.started());
    const test::CliRun both = RunCli({QStringLiteral("write"), QStringLiteral("--verify"), custom,
                                      QStringLiteral("--port"), faithful2.path(),
                                      QStringLiteral("--port"), dropping2.path()});
    EXPECT_EQ(both.status, 3);
    // The notice whole, its second line under its first.
    EXPECT_TRUE(both.out.contains(
        QRegularExpression(QStringLiteral("Конфигурация записана успешно\n +Запись проверена: "
                                          "коммуникатор хранит записанную конфигурацию\n"))))
        << both.out.toStdString();
    EXPECT_TRUE(both.out.contains(QStringLiteral("Проверка записи не пройдена")));
}

TEST_F(Cli, DeviceCommandsReportAMissingPortOrASilentDevice)
{
    test::SimProcess silent({Quiet, QStringLiteral("--silent"), QStringLiteral("all")});
    ASSERT_TRUE(silent.started());
    const QString snc = customConfiguration();
    const QString out = path(QStringLiteral("out.snc"));
    const struct {
        QStringList arguments;
    } commands[] = {
        {{QStringLiteral("read"), QStringLiteral("-o"), out}},
        {{QStringLiteral("write"), snc}},
        {{QStringLiteral("clock")}},
        {{QStringLiteral("clock"), QStringLiteral("--set"), QStringLiteral("now")}},
        {{QStringLiteral("logs")}},
        {{QStringLiteral("diag")}},
        {{QStringLiteral("diff"), snc, QStringLiteral("device:PORT")}},
    };
    for (const auto &command : commands) {
        for (const QString &port : {QStringLiteral("/nonexistent/ttyX"), silent.path()}) {
            QStringList arguments = command.arguments;
            if (arguments.contains(QStringLiteral("device:PORT")))
                arguments.replaceInStrings(QStringLiteral("device:PORT"),
                                           QStringLiteral("device:") + port);
            else
                arguments << QStringLiteral("--port") << port;
            const test::CliRun run = RunCli(arguments);
            const QString expected =
                port == silent.path() ? NoAnswer : QStringLiteral("Порт %1 недоступен\n").arg(port);
            EXPECT_EQ(run.status, 3) << arguments.join(u' ').toStdString();
            EXPECT_TRUE(run.err.startsWith(expected))
                << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
            EXPECT_FALSE(QFile::exists(out));
        }
    }
}

TEST_F(Cli, DamagedFileIsRefusedByEveryCommandThatOpensOne)
{
    const QByteArray whole = contents(customConfiguration());
    const QString damaged = path(QStringLiteral("damaged.snc"));
    writeFile(damaged, whole.left(whole.size() / 2));
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    const QList<QStringList> commands = {
        {QStringLiteral("write"), QStringLiteral("--port"), sim.path(), damaged},
        {QStringLiteral("export"), damaged, QStringLiteral("-o"), path(QStringLiteral("r.html"))},
        {QStringLiteral("json"), damaged},
        {QStringLiteral("diff"), damaged, damaged},
    };
    for (const QStringList &arguments : commands) {
        const test::CliRun run = RunCli(arguments);
        EXPECT_EQ(run.status, 3) << arguments.join(u' ').toStdString();
        // The window's message, then the file and where it ends.
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("%1\n%2: файл обрывается на записи ")
                                           .arg(DamagedFile.chopped(1), damaged)))
            << arguments.join(u' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(QStringLiteral(" из 858.\n"))) << run.err.toStdString();
        EXPECT_EQ(run.out, QString());
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("r.html"))));
    // Nothing reached the device.
    EXPECT_EQ(sim.finish(), QStringList());
}

// With several ports, each port's reason is shown whole: a damaged file's
// second line (the file and where it ends) under the first in the summary,
// and the whole text as the port's message in JSON.
TEST_F(Cli, SeveralPortsShowEachReasonWhole)
{
    const QByteArray whole = contents(customConfiguration());
    const QString damaged = path(QStringLiteral("damaged.snc"));
    writeFile(damaged, whole.left(whole.size() / 2));
    const QStringList ports{QStringLiteral("/nonexistent/ttyA"),
                            QStringLiteral("/nonexistent/ttyB")};
    QStringList arguments{QStringLiteral("write"), damaged};
    for (const QString &port : ports)
        arguments << QStringLiteral("--port") << port;
    const QString headline = DamagedFile.chopped(1);
    const QString where = damaged + QStringLiteral(": файл обрывается на записи ");

    const test::CliRun text = RunCli(arguments);
    EXPECT_EQ(text.status, 3) << text.err.toStdString();
    const QStringList rows = text.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 5) << text.out.toStdString();
    for (int i = 0; i < 2; ++i) {
        const QString row = rows.at(1 + 2 * i);
        const QString next = rows.at(2 + 2 * i);
        EXPECT_TRUE(row.startsWith(ports.at(i)) && row.endsWith(headline)) << row.toStdString();
        const qsizetype column = row.indexOf(headline);
        EXPECT_EQ(next.left(column), QString(column, u' ')) << next.toStdString();
        EXPECT_TRUE(next.mid(column).startsWith(where)) << next.toStdString();
        EXPECT_TRUE(next.endsWith(QStringLiteral(" из 858"))) << next.toStdString();
    }

    const test::CliRun json = RunCli(arguments + QStringList{QStringLiteral("--json")});
    EXPECT_EQ(json.status, 3) << json.err.toStdString();
    const QJsonArray outcomes = QJsonDocument::fromJson(json.out.toUtf8())
                                    .object()
                                    .value(QStringLiteral("ports"))
                                    .toArray();
    ASSERT_EQ(outcomes.size(), 2) << json.out.toStdString();
    for (const QJsonValue &outcome : outcomes) {
        const QString message = outcome.toObject().value(QStringLiteral("message")).toString();
        EXPECT_TRUE(message.startsWith(headline + u'\n' + where)) << message.toStdString();
        EXPECT_TRUE(message.endsWith(QStringLiteral(" из 858"))) << message.toStdString();
    }
}

// A configuration file's entries, to be damaged and written again.
struct Entries {
    QStringList commands;
    QStringList data;

    static Entries of(const QByteArray &file)
    {
        DataFileReader reader(FileTypes::Configuration);
        Entries entries;
        EXPECT_TRUE(reader.openBytes(file));
        const qint64 count = reader.readCount().value_or(0);
        for (qint64 i = 0; i < count; ++i) {
            entries.commands << reader.readText().value_or(QString());
            entries.data << reader.readText().value_or(QString());
        }
        return entries;
    }

    QByteArray file() const
    {
        QStringList texts{QStringLiteral("SR-5/N Configuration File"), QStringLiteral("1"),
                          QString::number(commands.size())};
        for (qsizetype i = 0; i < commands.size(); ++i)
            texts << commands.at(i) << data.at(i);
        return test::TextRecords(texts);
    }
};

// Well-formed files that do not hold a whole configuration: refused as a
// whole before the first request, the entry at fault named.
TEST_F(Cli, DamagedConfigurationReachesNoDevice)
{
    const Entries whole = Entries::of(contents(customConfiguration()));
    ASSERT_EQ(whole.commands.size(), 858);
    const struct {
        const char *what;
        void (*damage)(Entries &);
        const char *fault;
    } cases[] = {
        {"ZZ in a number block", [](Entries &e) { e.data[4].replace(20, 2, QStringLiteral("ZZ")); },
         "запись 5 из 858 (команда 02): знак 21 данных \"Z\" не шестнадцатеричная цифра."},
        {"a block cut short", [](Entries &e) { e.data[2].truncate(10); },
         "запись 3 из 858 (команда 08): знаков данных 10, а нужно не меньше 32."},
        {"857 entries",
         [](Entries &e) {
             e.commands.removeLast();
             e.data.removeLast();
         },
         "записей 857 вместо 858."},
    };
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    for (const auto &c : cases) {
        Entries damaged = whole;
        c.damage(damaged);
        const QString file = path(QStringLiteral("damaged.snc"));
        writeFile(file, damaged.file());
        for (const bool verify : {false, true}) {
            QStringList arguments{QStringLiteral("write"), QStringLiteral("--port"), sim.path(),
                                  file};
            if (verify)
                arguments << QStringLiteral("--verify");
            const test::CliRun run = RunCli(arguments);
            EXPECT_EQ(run.status, 3) << c.what;
            EXPECT_EQ(run.err, QStringLiteral("Невозможно прочитать файл. Возможно, файл "
                                              "поврежден\n%1: %2\n")
                                   .arg(file, QString::fromUtf8(c.fault)))
                << c.what;
        }
    }
    // Nothing reached the device.
    EXPECT_EQ(sim.finish(), QStringList());
}

// -o to a device node (made here, never a system one) writes the device and
// leaves it a device; read, logs, json and export alike.
TEST_F(Cli, OutputToADeviceNodeLeavesItADevice)
{
    const QString node = path(QStringLiteral("mynull"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "device nodes cannot be made here";
    const QString snc = customConfiguration();
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const QList<QStringList> commands = {
        {QStringLiteral("read"), QStringLiteral("--port"), sim.path()},
        {QStringLiteral("logs"), QStringLiteral("--port"), sim.path()},
        {QStringLiteral("json"), snc},
        {QStringLiteral("export"), snc},
    };
    for (const QStringList &command : commands) {
        const test::CliRun run = RunCli(command + QStringList{QStringLiteral("-o"), node});
        EXPECT_EQ(run.status, 0) << command.join(u' ').toStdString() << run.err.toStdString();
        struct stat info {
        };
        ASSERT_EQ(::lstat(QFile::encodeName(node).constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode)) << command.join(u' ').toStdString();
    }
    // A folder is refused, named with the reason.
    const test::CliRun folderRun =
        RunCli({QStringLiteral("json"), snc, QStringLiteral("-o"), folder.path()});
    EXPECT_EQ(folderRun.status, 3);
    EXPECT_EQ(folderRun.err,
              QStringLiteral("Невозможно сохранить файл \"%1\": это папка.\n").arg(folder.path()));
}

// Standard output that cannot be written (a full disk) fails the command:
// a backup script never takes a cut file for success.
TEST_F(Cli, StandardOutputThatCannotBeWrittenFails)
{
    const QString snc = customConfiguration();
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const QList<QStringList> commands = {
        {QStringLiteral("json"), snc},
        {QStringLiteral("diff"), snc, snc},
        {QStringLiteral("logs"), QStringLiteral("--port"), sim.path()},
        {QStringLiteral("clock"), QStringLiteral("--port"), sim.path()},
        {QStringLiteral("diag"), QStringLiteral("--port"), sim.path()},
        {QStringLiteral("clock"), QStringLiteral("--port"), sim.path(), QStringLiteral("--json")},
        {QStringLiteral("--help")},
    };
    for (const QStringList &command : commands) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-cli-short"), command);
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 3) << command.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(
            QStringLiteral("Невозможно записать в стандартный вывод: нет места на диске")))
            << command.join(u' ').toStdString() << ": " << err.toStdString();
        // Told once.
        EXPECT_EQ(err.count(QStringLiteral("стандартный вывод")), 1) << err.toStdString();
    }
}

// The ids of the processes `parent` started.
QList<qint64> childrenOf(qint64 parent)
{
    QList<qint64> children;
    for (const QString &task : QDir(QStringLiteral("/proc/%1/task").arg(parent))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(QStringLiteral("/proc/%1/task/%2/children").arg(parent).arg(task));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray &id : file.readAll().split(' '))
                if (!id.trimmed().isEmpty())
                    children << id.trimmed().toLongLong();
    }
    return children;
}

// Whether a process still runs (an ended one nobody reaped is a zombie).
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.mid(close + 2, 1) != "Z";
}

// A write to several devices that hang mid-way (the shipped program, with
// the device's own time-outs): started, then stopped.
class StoppedWrite : public Cli
{
protected:
    std::vector<std::unique_ptr<test::SimProcess>> sims;
    QProcess process;
    QStringList ports;

    void start()
    {
        const QString snc = customConfiguration();
        QStringList arguments{QStringLiteral("write"), snc};
        for (int i = 0; i < 2; ++i) {
            sims.push_back(std::make_unique<test::SimProcess>(
                QStringList{Quiet, QStringLiteral("--silent"), QStringLiteral("40-")}));
            ASSERT_TRUE(sims.back()->started());
            ports << sims.back()->path();
            arguments << QStringLiteral("--port") << sims.back()->path();
        }
        process.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-cli"), arguments);
        ASSERT_TRUE(process.waitForStarted());
        // Both workers wait for the answer to request 40.
        QElapsedTimer clock;
        clock.start();
        while (childrenOf(process.processId()).size() < 2 && clock.elapsed() < 10000)
            QThread::msleep(50);
        ASSERT_EQ(childrenOf(process.processId()).size(), 2);
        QThread::msleep(2500);
    }
};

TEST_F(StoppedWrite, SignalStopsEveryWorkerAndNamesThePortsLeftHalfWritten)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        sims.clear();
        ports.clear();
        start();
        const QList<qint64> workers = childrenOf(process.processId());
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitCode(), 130) << signal;
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        for (const QString &port : ports)
            EXPECT_TRUE(out.contains(QRegularExpression(QRegularExpression::escape(port) +
                                                        QStringLiteral(" +INTERRUPTED "))))
                << out.toStdString();
        EXPECT_TRUE(err.endsWith(
            QStringLiteral("Прервано: конфигурация могла быть записана не полностью, коммуникатор "
                           "может хранить смесь новой и прежней (%1)\n")
                .arg(ports.join(QStringLiteral(", ")))))
            << err.toStdString();
        for (const qint64 worker : workers)
            EXPECT_FALSE(running(worker)) << worker;
    }
}

TEST_F(StoppedWrite, WorkersEndWithTheirParent)
{
    start();
    const QList<qint64> workers = childrenOf(process.processId());
    ASSERT_EQ(workers.size(), 2);
    process.kill();
    process.waitForFinished();
    QElapsedTimer clock;
    clock.start();
    bool left = true;
    while (left && clock.elapsed() < 10000) {
        left = false;
        for (const qint64 worker : workers)
            left = left || running(worker);
        QThread::msleep(50);
    }
    EXPECT_FALSE(left);
}

// Every command's result as one JSON object: per port for several ports,
// per difference for diff, per test for diag.
TEST_F(Cli, JsonResultsForScripts)
{
    const QString snc = customConfiguration();
    test::SimProcess first({Quiet, QStringLiteral("--self-test"), QStringLiteral("10")});
    test::SimProcess second({Quiet});
    ASSERT_TRUE(first.started() && second.started());
    const auto object = [](const test::CliRun &run) {
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    };

    const test::CliRun read =
        RunCli({QStringLiteral("read"), QStringLiteral("--json"), QStringLiteral("--quiet"),
                QStringLiteral("-o"), path(QStringLiteral("r-{port}.snc")),
                QStringLiteral("--port"), first.path(), QStringLiteral("--port"), second.path()});
    EXPECT_EQ(read.status, 0) << read.err.toStdString();
    const QJsonObject summary = object(read);
    EXPECT_EQ(summary.value(QStringLiteral("outcome")).toString(), QStringLiteral("ok"));
    const QJsonArray ports = summary.value(QStringLiteral("ports")).toArray();
    ASSERT_EQ(ports.size(), 2) << read.out.toStdString();
    for (int i = 0; i < 2; ++i) {
        const QJsonObject port = ports.at(i).toObject();
        const QString name = i == 0 ? first.path() : second.path();
        EXPECT_EQ(port.value(QStringLiteral("port")).toString(), name);
        EXPECT_EQ(port.value(QStringLiteral("outcome")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(port.value(QStringLiteral("message")).toString(),
                  QStringLiteral("Конфигурация прочитана успешно"));
        EXPECT_GT(port.value(QStringLiteral("time")).toDouble(), 0.0);
        EXPECT_EQ(port.value(QStringLiteral("file")).toString(),
                  PortOutputPath(path(QStringLiteral("r-{port}.snc")), name));
    }
    // Quiet: no notices on standard error.
    EXPECT_EQ(read.err, QString());

    const test::CliRun diff = RunCli({QStringLiteral("diff"), QStringLiteral("--json"), snc,
                                      QStringLiteral("device:") + second.path()});
    EXPECT_EQ(diff.status, 1);
    const QJsonArray differences = object(diff).value(QStringLiteral("differences")).toArray();
    ASSERT_FALSE(differences.isEmpty()) << diff.out.toStdString();
    for (const QJsonValue &d : differences) {
        for (const char *side : {"a", "b"}) {
            const QString text = d.toObject().value(QString::fromLatin1(side)).toString();
            EXPECT_EQ(text, text.trimmed()) << diff.out.toStdString();
        }
    }
    EXPECT_EQ(object(diff).value(QStringLiteral("outcome")).toString(), QStringLiteral("no"));

    const test::CliRun diag =
        RunCli({QStringLiteral("diag"), QStringLiteral("--json"), QStringLiteral("--port"),
                first.path(), QStringLiteral("--port"), second.path()});
    EXPECT_EQ(diag.status, 1);
    const QJsonArray diagPorts = object(diag).value(QStringLiteral("ports")).toArray();
    ASSERT_EQ(diagPorts.size(), 2) << diag.out.toStdString();
    const QJsonArray faulty = diagPorts.at(0).toObject().value(QStringLiteral("tests")).toArray();
    const QJsonArray sound = diagPorts.at(1).toObject().value(QStringLiteral("tests")).toArray();
    ASSERT_EQ(faulty.size(), sound.size());
    ASSERT_FALSE(sound.isEmpty());
    int failed = 0;
    for (qsizetype t = 0; t < faulty.size(); ++t) {
        EXPECT_TRUE(sound.at(t).toObject().value(QStringLiteral("passed")).toBool());
        failed += faulty.at(t).toObject().value(QStringLiteral("passed")).toBool() ? 0 : 1;
    }
    EXPECT_EQ(failed, 1) << diag.out.toStdString();

    const test::CliRun failedRead =
        RunCli({QStringLiteral("clock"), QStringLiteral("--json"), QStringLiteral("--port"),
                QStringLiteral("/nonexistent/ttyX")});
    EXPECT_EQ(failedRead.status, 3);
    EXPECT_EQ(object(failedRead).value(QStringLiteral("outcome")).toString(),
              QStringLiteral("failed"));
    // The whole reason, both its lines.
    EXPECT_EQ(object(failedRead).value(QStringLiteral("message")).toString(),
              QStringLiteral("Порт /nonexistent/ttyX недоступен\nТакого порта нет: устройство не "
                             "подключено или имя указано неверно"));
}

// ports lists what the window's list offers; find asks each of them as
// "Найти коммуникатор" does. Only this test's simulator is registered: the
// simulators of other users of this machine are never probed.
TEST_F(Cli, PortsAndFindSeeTheSimulatedCommunicator)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
    {
        test::SimProcess sim({Quiet});
        ASSERT_TRUE(sim.started());
        const test::CliRun ports = RunCli({QStringLiteral("ports")});
        EXPECT_EQ(ports.status, 0) << ports.err.toStdString();
        EXPECT_TRUE(ports.out.contains(QRegularExpression(
            u'^' + QRegularExpression::escape(sim.path()) + QStringLiteral("\\b"),
            QRegularExpression::MultilineOption)))
            << ports.out.toStdString();
        const test::CliRun listed = RunCli({QStringLiteral("ports"), QStringLiteral("--json")});
        bool found = false;
        for (const QJsonValue &port : QJsonDocument::fromJson(listed.out.toUtf8())
                                          .object()
                                          .value(QStringLiteral("ports"))
                                          .toArray())
            found = found || port.toObject().value(QStringLiteral("port")).toString() == sim.path();
        EXPECT_TRUE(found) << listed.out.toStdString();

        const test::CliRun find = RunCli({QStringLiteral("find")});
        EXPECT_EQ(find.status, 0) << find.err.toStdString();
        EXPECT_EQ(find.out, sim.path() + u'\n');
        EXPECT_TRUE(find.err.contains(sim.path() + QStringLiteral(": отвечает коммуникатор")))
            << find.err.toStdString();
    }
    // With the simulator gone nobody answers: "no", with each port's reason.
    const test::CliRun none = RunCli({QStringLiteral("find"), QStringLiteral("--json")});
    EXPECT_EQ(none.status, 1) << none.out.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(none.out.toUtf8()).object().value(QStringLiteral("outcome")),
              QStringLiteral("no"));
    EXPECT_TRUE(none.err.startsWith(QStringLiteral("Коммуникатор не найден")))
        << none.err.toStdString();
    qputenv("XDG_RUNTIME_DIR", runtime);
}

TEST_F(Cli, JsonOutOfRangeIsRefusedAndNothingIsWritten)
{
    const QString json = path(QStringLiteral("bad.json"));
    writeFile(json, R"({"chb1P1N": true, "trb1P1NWaitPCNReady": "121 с"})");
    const QString snc = path(QStringLiteral("bad.snc"));
    const test::CliRun run = RunCli(
        {QStringLiteral("json"), QStringLiteral("--import"), json, QStringLiteral("-o"), snc});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, QStringLiteral("Недопустимое значение \"121 с\" ключа "
                                      "\"trb1P1NWaitPCNReady\". Допустимо: от 2 с до 120 с.\n"));
    EXPECT_FALSE(QFile::exists(snc));
}

// Only a regular file is read, as the window reads its files: a missing file,
// a named pipe (which would wait for a writer for ever), a folder and a device
// file are refused at once, named with the reason, and nothing is written.
TEST_F(Cli, JsonImportReadsOnlyARegularFile)
{
    test::FifoTrap fifo(path(QStringLiteral("pipe.json")));
    ASSERT_TRUE(fifo.created());
    const QString snc = path(QStringLiteral("imported.snc"));
    const struct {
        QString source;
        const char *reason;
    } cases[] = {
        {path(QStringLiteral("none.json")), "нет такого файла"},
        {fifo.path(), "это не обычный файл"},
        {path(QString()), "это не обычный файл"},
        {QStringLiteral("/dev/zero"), "это не обычный файл"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.source));
        const test::CliRun run = RunCli({QStringLiteral("json"), QStringLiteral("--import"),
                                         c.source, QStringLiteral("-o"), snc});
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(run.err, QStringLiteral("Невозможно прочитать файл \"%1\": %2.\n")
                               .arg(c.source, QString::fromUtf8(c.reason)));
        EXPECT_FALSE(QFile::exists(snc));
    }
    EXPECT_FALSE(fifo.readerWaited());
}

TEST_F(Cli, ClockIsReadAndSet)
{
    test::SimProcess sim({Quiet, QStringLiteral("--clock"), QStringLiteral("10:20:30")});
    ASSERT_TRUE(sim.started());
    const QStringList port{QStringLiteral("--port"), sim.path()};
    const test::CliRun before = RunCli(QStringList{QStringLiteral("clock")} + port);
    EXPECT_EQ(before.status, 0) << before.err.toStdString();
    EXPECT_TRUE(before.out.startsWith(QStringLiteral("10:20:3"))) << before.out.toStdString();

    const test::CliRun set = RunCli(
        QStringList{QStringLiteral("clock"), QStringLiteral("--set"), QStringLiteral("23:59:50")} +
        port);
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(set.err, QStringLiteral("Время записано успешно\n"));
    const test::CliRun after = RunCli(QStringList{QStringLiteral("clock")} + port);
    EXPECT_TRUE(after.out.startsWith(QStringLiteral("23:59:5"))) << after.out.toStdString();
}

TEST_F(Cli, ClockThatCannotBeDecodedIsReported)
{
    test::SimProcess sim({Quiet, QStringLiteral("--answer-data"), QStringLiteral("11=303099")});
    ASSERT_TRUE(sim.started());
    const test::CliRun run =
        RunCli({QStringLiteral("clock"), QStringLiteral("--port"), sim.path()});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, QStringLiteral("Ошибка декодирования времени.\n"));
    EXPECT_EQ(run.out, QString());
}

TEST_F(Cli, WhatTheWindowPassesOverSilentlyIsToldToTheScript)
{
    const struct {
        QStringList simulator;
        QString command;
        QString message;
    } cases[] = {
        {{QStringLiteral("--busy"), QStringLiteral("all")},
         QStringLiteral("diag"),
         QStringLiteral(
             "Диагностика не выполнена: коммуникатор занят или отвечает на другую команду.\n")},
        {{QStringLiteral("--answer-data"), QStringLiteral("0F=0102")},
         QStringLiteral("logs"),
         QStringLiteral("Ошибка чтения журнала событий.\n")},
    };
    for (const auto &c : cases) {
        test::SimProcess sim(QStringList{Quiet} + c.simulator);
        ASSERT_TRUE(sim.started());
        const test::CliRun run = RunCli({c.command, QStringLiteral("--port"), sim.path()});
        EXPECT_EQ(run.status, 3) << c.command.toStdString();
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, QString());
    }
}

TEST_F(Cli, DiagnosticsPrintsEachVerdictAndAnswersNoOnAFault)
{
    const struct {
        const char *mask;
        int status;
        const char *output;
    } cases[] = {
        {"00", 0,
         "Часы реального времени - исправно\nПамять - исправно\nПриемник из линии - исправно\n"
         "Передатчик в линию - исправно\nБатарея 3В - исправно\n"
         "Диагностика завершена\nСхема исправна\n"},
        {"05", 1,
         "Часы реального времени - неисправно\nПамять - исправно\n"
         "Приемник из линии - неисправно\nПередатчик в линию - исправно\n"
         "Батарея 3В - исправно\nДиагностика завершена\nОбнаружены неисправности\n"},
    };
    for (const auto &c : cases) {
        test::SimProcess sim({Quiet, QStringLiteral("--self-test"), QString::fromLatin1(c.mask)});
        ASSERT_TRUE(sim.started());
        const test::CliRun run =
            RunCli({QStringLiteral("diag"), QStringLiteral("--port"), sim.path()});
        EXPECT_EQ(run.status, c.status) << c.mask;
        EXPECT_EQ(run.out, QString::fromUtf8(c.output)) << c.mask;
        EXPECT_EQ(run.err, QString()) << c.mask;
    }
}

TEST_F(Cli, LogsAreDecodedWithTheInstallationsNamesInEachFormat)
{
    // Newest record at 0004 in both logs; the newest is not yet sent to pair 1.
    QString memory(1024, u'F');
    memory.replace(0, 4, QStringLiteral("0305"));
    memory.replace(8, 4, QStringLiteral("0571"));
    memory.replace(512, 4, QStringLiteral("0A12"));
    const auto sim =
        simWithState({{QStringLiteral("logStatus"), QStringLiteral("0004010001000000")},
                      {QStringLiteral("memory"), QJsonObject{{QStringLiteral("0000"), memory}}}});
    ASSERT_TRUE(sim->started());
    const QStringList port{QStringLiteral("--port"), sim->path()};

    const test::CliRun text = RunCli(QStringList{QStringLiteral("logs")} + port);
    EXPECT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith(QStringLiteral("Журнал событий с высоким приоритетом\n")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("\nЖурнал событий с низким приоритетом\n")));

    const test::CliRun csv = RunCli(
        QStringList{QStringLiteral("logs"), QStringLiteral("--format"), QStringLiteral("csv")} +
        port);
    EXPECT_EQ(csv.status, 0);
    const QStringList lines = csv.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3) << csv.out.toStdString();
    EXPECT_EQ(lines.at(0), QStringLiteral("Журнал,№,Принятое событие,Зона,Пара №1,Пара №2"));
    for (const QString &line : lines.mid(1))
        EXPECT_EQ(line.count(u','), 5) << line.toStdString();

    const test::CliRun json = RunCli(
        QStringList{QStringLiteral("logs"), QStringLiteral("--format"), QStringLiteral("json")} +
        port);
    EXPECT_EQ(json.status, 0);
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8());
    ASSERT_TRUE(document.isArray()) << json.out.toStdString();
    EXPECT_EQ(document.array().size(), 2);
    // The low-priority log's newest record, not yet sent to pair 1.
    const QJsonObject newest =
        document.array().at(1).toObject().value(QStringLiteral("rows")).toArray().at(0).toObject();
    EXPECT_EQ(newest.value(QStringLiteral("record")).toString(), QStringLiteral("0571"));
    EXPECT_FALSE(newest.value(QStringLiteral("Пара №1")).toBool());
}

TEST_F(Cli, UnknownProtocolIsRefusedUnlessRegistrationIsAllowed)
{
    const QString data = test::CopyInstallationData(folder);
    const auto sim = simWithState(
        {{QStringLiteral("blocks"), QJsonObject{{QStringLiteral("1E"), UnknownRecord}}}});
    ASSERT_TRUE(sim->started());
    const QString out = path(QStringLiteral("read.snc"));
    const QStringList read{QStringLiteral("read"),
                           QStringLiteral("--port"),
                           sim->path(),
                           QStringLiteral("-o"),
                           out,
                           QStringLiteral("--data-folder"),
                           data};
    const test::CliRun refused = RunCli(read);
    EXPECT_EQ(refused.status, 3);
    EXPECT_TRUE(refused.err.startsWith(
        QStringLiteral(
            "Указанный протокол для 1ой пары номеров (%1) не зарегистрирован в программе")
            .arg(UnknownRecord)))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.err.endsWith(
        QStringLiteral("Невозможно добавить протокол. Операция будет прервана.\n")))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    const test::CliRun registered =
        RunCli(read + QStringList{QStringLiteral("--register-protocols")});
    EXPECT_EQ(registered.status, 0) << registered.err.toStdString();
    EXPECT_TRUE(QFile::exists(out));
    const test::CliRun json =
        RunCli({QStringLiteral("json"), out, QStringLiteral("--data-folder"), data});
    EXPECT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8())
                  .object()
                  .value(QStringLiteral("cbx1PProtocol"))
                  .toString(),
              UnknownRecord);
}

TEST_F(Cli, WorkersRegisteringAtOnceLoseNoProtocol)
{
    const QString data = test::CopyInstallationData(folder);
    // Two devices with one unknown protocol each, a third with both.
    const QString other = QStringLiteral("02000004FF1F000000000000000000000B0B28");
    const auto first = simWithState(
        {{QStringLiteral("blocks"), QJsonObject{{QStringLiteral("1E"), UnknownRecord}}}});
    const auto second =
        simWithState({{QStringLiteral("blocks"), QJsonObject{{QStringLiteral("20"), other}}}});
    const auto third =
        simWithState({{QStringLiteral("blocks"), QJsonObject{{QStringLiteral("1E"), UnknownRecord},
                                                             {QStringLiteral("20"), other}}}});
    ASSERT_TRUE(first->started() && second->started() && third->started());
    const test::CliRun run =
        RunCli({QStringLiteral("read"), QStringLiteral("--register-protocols"),
                QStringLiteral("--data-folder"), data, QStringLiteral("-o"),
                path(QStringLiteral("{port}.snc")), QStringLiteral("--port"), first->path(),
                QStringLiteral("--port"), second->path(), QStringLiteral("--port"), third->path()});
    EXPECT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();

    Configurator library(data);
    library.load();
    const QStringList records = library.protocols().ProtocolRecords();
    EXPECT_EQ(records.count(UnknownRecord), 1) << records.join(u' ').toStdString();
    EXPECT_EQ(records.count(other), 1) << records.join(u' ').toStdString();
    const QStringList names = library.protocols().ProtocolNames();
    EXPECT_TRUE(names.contains(UnknownRecord) && names.contains(other));
}

// The window and the command line write one library: what sr5n-cli registers
// while the window is open survives the window's saves, made while it runs
// and after it ended, and the window's own protocols survive sr5n-cli's.
TEST_F(Cli, LibraryWritersInTwoProcessesLoseNothing)
{
    const QString data = test::CopyInstallationData(folder);
    Configurator window(data);
    window.load();
    ProtocolLibrary &library = window.protocols();
    const qsizetype installed = library.protocolCount();
    const auto sim = simWithState(
        {{QStringLiteral("blocks"), QJsonObject{{QStringLiteral("1E"), UnknownRecord}}}});
    ASSERT_TRUE(sim->started());

    QProcess cli;
    cli.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-cli-short"),
              {QStringLiteral("read"), QStringLiteral("--register-protocols"),
               QStringLiteral("--data-folder"), data, QStringLiteral("-o"),
               path(QStringLiteral("read.snc")), QStringLiteral("--port"), sim->path()});
    ASSERT_TRUE(cli.waitForStarted());
    QStringList mine;
    const auto registerOne = [&] {
        const QString record = QStringLiteral("0000010000000000000000000000000006%1")
                                   .arg(mine.size(), 4, 10, QLatin1Char('0'));
        ASSERT_TRUE(library.RegisterProtocol(QStringLiteral("Окно %1").arg(mine.size()), record));
        ASSERT_TRUE(library.SaveProtocolList());
        mine.append(record);
    };
    while (cli.state() != QProcess::NotRunning || mine.size() < 5) {
        registerOne();
        cli.waitForFinished(20);
    }
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    registerOne(); // the window saves once more after sr5n-cli ended

    Configurator after(data);
    after.load();
    const QStringList records = after.protocols().ProtocolRecords();
    EXPECT_EQ(records.count(UnknownRecord), 1) << records.join(u' ').toStdString();
    for (const QString &record : std::as_const(mine))
        EXPECT_EQ(records.count(record), 1) << record.toStdString();
    EXPECT_EQ(records.size(), installed + mine.size() + 1);
    EXPECT_EQ(library.ProtocolRecords(), records); // the window shows what the file holds
}

// One port fills {port} into the file name as each of several does.
TEST_F(Cli, OnePortFillsItsNameIntoThePattern)
{
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const QString pattern = path(QStringLiteral("cfg-{port}.snc"));
    const test::CliRun run = RunCli({QStringLiteral("read"), QStringLiteral("--port"), sim.path(),
                                     QStringLiteral("-o"), pattern});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(PortOutputPath(pattern, sim.path())))
        << PortOutputPath(pattern, sim.path()).toStdString();
    EXPECT_FALSE(QFile::exists(pattern));
}

TEST_F(Cli, FourDevicesInParallelOneSilent)
{
    std::vector<std::unique_ptr<test::SimProcess>> sims;
    QStringList arguments{QStringLiteral("read"), QStringLiteral("-o"),
                          path(QStringLiteral("cfg-{port}.snc"))};
    for (int i = 0; i < 4; ++i) {
        sims.push_back(std::make_unique<test::SimProcess>(
            i == 2 ? QStringList{Quiet, QStringLiteral("--silent"), QStringLiteral("all")}
                   : QStringList{Quiet}));
        ASSERT_TRUE(sims.back()->started());
        arguments << QStringLiteral("--port") << sims.back()->path();
    }
    const test::CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 3) << run.err.toStdString();
    // Standard error is no terminal here: no progress lines drawn on it.
    EXPECT_FALSE(run.err.contains(u'\x1b'));
    const QStringList rows = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_TRUE(rows.at(0).startsWith(QStringLiteral("PORT")));
    // One row a port; the silent port's whole reason, its check list below
    // the row, where the message column begins.
    const QStringList checkList{
        QStringLiteral("Необходимо проверить:"),
        QStringLiteral("  - Соответствие версий ПО коммуникатора и конфигуратора;"),
        QStringLiteral("  - Правильность подключения коммуникатора к компьютеру;"),
        QStringLiteral("  - Целостность кабеля передачи данных")};
    qsizetype at = 1;
    for (int i = 0; i < 4; ++i) {
        const QString port = sims.at(i)->path();
        const QString file =
            path(QStringLiteral("cfg-%1.snc").arg(port.mid(5).replace(u'/', u'_')));
        const QString row = rows.value(at++);
        EXPECT_TRUE(row.startsWith(port)) << row.toStdString();
        if (i == 2) {
            EXPECT_TRUE(row.contains(QStringLiteral("FAILED")));
            EXPECT_TRUE(row.endsWith(QStringLiteral("Коммуникатор не отвечает.")))
                << row.toStdString();
            const QString indent(row.indexOf(QStringLiteral("Коммуникатор")), u' ');
            for (const QString &line : checkList)
                EXPECT_EQ(rows.value(at++), indent + line) << run.out.toStdString();
            EXPECT_TRUE(run.err.contains(port + QStringLiteral(": ") + NoAnswer));
            EXPECT_FALSE(QFile::exists(file));
        } else {
            EXPECT_TRUE(row.contains(QStringLiteral("OK")));
            EXPECT_TRUE(row.endsWith(QStringLiteral("Конфигурация прочитана успешно")));
            EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
        }
    }
    EXPECT_EQ(rows.size(), at) << run.out.toStdString();
}

TEST_F(Cli, SeveralDevicesForEveryCommandThatTakesThem)
{
    const QString snc = customConfiguration();
    test::SimProcess first({Quiet, QStringLiteral("--self-test"), QStringLiteral("10")});
    test::SimProcess second({Quiet});
    ASSERT_TRUE(first.started() && second.started());
    const QStringList ports{QStringLiteral("--port"), first.path(), QStringLiteral("--port"),
                            second.path()};
    const test::CliRun write = RunCli(QStringList{QStringLiteral("write"), snc} + ports);
    EXPECT_EQ(write.status, 0) << write.out.toStdString() << write.err.toStdString();
    EXPECT_EQ(write.out.count(QStringLiteral("Конфигурация записана успешно")), 2);

    const test::CliRun clock = RunCli(
        QStringList{QStringLiteral("clock"), QStringLiteral("--set"), QStringLiteral("08:00:00")} +
        ports);
    EXPECT_EQ(clock.status, 0);
    EXPECT_EQ(clock.out.count(QStringLiteral("Время записано успешно")), 2);

    const test::CliRun diag = RunCli(QStringList{QStringLiteral("diag")} + ports);
    EXPECT_EQ(diag.status, 1) << diag.out.toStdString();
    // Each verdict whole: its second line under the first.
    EXPECT_TRUE(diag.out.contains(QRegularExpression(
        QStringLiteral("Диагностика завершена\n +Обнаружены неисправности: Батарея 3В\n"))))
        << diag.out.toStdString();
    EXPECT_TRUE(diag.out.contains(
        QRegularExpression(QStringLiteral("Диагностика завершена\n +Схема исправна\n"))))
        << diag.out.toStdString();
}

TEST_F(Cli, WrongCommandLinesExitWithUsage)
{
    const QList<QStringList> lines = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("read"), QStringLiteral("-o"), QStringLiteral("x.snc")},
        {QStringLiteral("logs"), QStringLiteral("--port"), QStringLiteral("a"),
         QStringLiteral("--port"), QStringLiteral("b")},
    };
    for (const QStringList &arguments : lines) {
        const test::CliRun run = RunCli(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("sr5n-cli-short: ")));
        EXPECT_TRUE(run.err.endsWith(QStringLiteral("Подробнее: sr5n-cli-short --help\n")));
    }
    const test::CliRun help = RunCli({QStringLiteral("write"), QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(
        help.out.startsWith(QStringLiteral("Usage: sr5n-cli-short write [options] FILE.snc")))
        << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--verify")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("Exit status:")));
}

} // namespace
