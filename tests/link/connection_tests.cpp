// The real link against sr5n-sim over a real pseudo-terminal.
#include "common/SimProcess.h"

#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include <signal.h>

namespace sr5n {
namespace {

const QString CheckList =
    QStringLiteral(".\nНеобходимо проверить:\n"
                   "  - Соответствие версий ПО коммуникатора и конфигуратора;\n"
                   "  - Правильность подключения коммуникатора к компьютеру;\n"
                   "  - Целостность кабеля передачи данных");
const QString NoAnswer = QStringLiteral("Коммуникатор не отвечает") + CheckList;
const QString TransferError = QStringLiteral("Ошибка передачи данных") + CheckList;
const QString ReadError = QStringLiteral("Ошибка чтения") + CheckList;
const QString WriteError = QStringLiteral("Ошибка записи") + CheckList;

LinkTimings shortTimings()
{
    return test::ShortLinkTimings();
}

// The objects the main window owns, on short timings unless told otherwise.
struct Rig {
    test::FakeNotifier notifier;
    TVaComm comm;
    TVaCapture capture{notifier};
    std::unique_ptr<TConnection> link;

    explicit Rig(LinkTimings timings = shortTimings()) : comm(nullptr, timings)
    {
        capture.SetComm(&comm);
        link = std::make_unique<TConnection>(capture, notifier, timings);
    }
};

class LinkOverSim : public ::testing::Test
{
protected:
    // Starts the simulator with `arguments` and opens the link to it.
    bool start(const QStringList &arguments = {})
    {
        sim = std::make_unique<test::SimProcess>(arguments);
        if (!sim->started())
            return false;
        return rig.link->Open(sim->path());
    }

    Rig rig;
    std::unique_ptr<test::SimProcess> sim;
};

TEST_F(LinkOverSim, ValidAnswers)
{
    ASSERT_TRUE(start());
    EXPECT_TRUE(rig.link->Opened());
    ASSERT_TRUE(rig.link->Read("1F", ""));
    EXPECT_EQ(rig.link->AnswerCommand(), "1F");
    EXPECT_EQ(rig.link->AnswerData(), "02000004FF1F00000000000000000000050528");

    ASSERT_TRUE(rig.link->Write("12", "300509"));
    EXPECT_EQ(rig.link->Request(), "1230050994");
    ASSERT_TRUE(rig.link->Read("11", ""));
    EXPECT_EQ(rig.link->AnswerData().mid(2), "0509");

    ASSERT_TRUE(rig.link->Write("00", "05E01234"));
    ASSERT_TRUE(rig.link->Read("01", "05E002"));
    EXPECT_EQ(rig.link->AnswerData(), "05E01234");

    EXPECT_TRUE(rig.link->Close());
    EXPECT_FALSE(rig.link->Opened());
    EXPECT_FALSE(rig.comm.IsOpen());
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << rig.notifier.errors.join('|').toStdString();
    EXPECT_EQ(sim->finish().size(), 5);
}

TEST_F(LinkOverSim, SilentDeviceGetsSevenFramesThenNoAnswer)
{
    ASSERT_TRUE(start({"--silent", "all"}));
    EXPECT_FALSE(rig.link->Read("11", ""));
    EXPECT_EQ(rig.notifier.errors, QStringList{NoAnswer});
    EXPECT_EQ(rig.notifier.flashes, 1);
    const QStringList requests = sim->finish();
    EXPECT_EQ(requests.size(), 7);
    for (const QString &line : requests)
        EXPECT_TRUE(line.endsWith(":1162;")) << line.toStdString();
}

TEST_F(LinkOverSim, EachAttemptWaitsForItsOwnAnswer)
{
    // The device takes 20 ms for every answer; corrupted answers cost one
    // attempt each, and only seven of them end the request.
    const struct {
        const char *corrupted;
        bool ok;
        int frames;
    } cases[] = {{"1", true, 2}, {"1-6", true, 7}, {"1-7", false, 7}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.corrupted);
        Rig local;
        test::SimProcess localSim(
            {"--bad-checksum", QString::fromLatin1(c.corrupted), "--delay", "20"});
        ASSERT_TRUE(local.link->Open(localSim.path()));
        EXPECT_EQ(local.link->Read("11", ""), c.ok);
        EXPECT_EQ(local.notifier.errors, c.ok ? QStringList() : QStringList{TransferError});
        EXPECT_TRUE(local.link->Close());
        EXPECT_EQ(localSim.finish().size(), c.frames);
    }
}

TEST_F(LinkOverSim, LateAnswerToAnEarlierMemoryReadIsDropped)
{
    QTemporaryDir dir;
    const QString statePath = dir.filePath("state.json");
    QFile state(statePath);
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write(R"({"memory": {"1000": "1111", "2000": "2222"}})");
    state.close();

    // The answer to the first frame is held back until the next request has
    // gone out, after the first was sent again and answered.
    ASSERT_TRUE(start({"--state", statePath, "--late", "1"}));
    ASSERT_TRUE(rig.link->Read("01", "100002"));
    EXPECT_EQ(rig.link->AnswerData(), "10001111");
    ASSERT_TRUE(rig.link->Read("01", "200002"));
    EXPECT_EQ(rig.link->AnswerData(), "20002222");
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << rig.notifier.errors.join('|').toStdString();
    EXPECT_EQ(sim->finish().size(), 3);
}

TEST(LinkTimingsInForce, BusyAnswerHoldsTheNextFrameForHalfASecond)
{
    // The program's own timings: after each busy answer the link waits 500 ms
    // before the request goes out again (the device answers at once).
    Rig rig{LinkTimings()};
    QElapsedTimer clock;
    QList<qint64> answerTimes;
    const TVaCapture::MessageHandler parse = rig.capture.OnMessage;
    rig.capture.OnMessage = [&](TVaCapture *sender, const QString &data) {
        answerTimes.append(clock.elapsed());
        parse(sender, data);
    };
    test::SimProcess sim({"--busy", "1-2"});
    ASSERT_TRUE(rig.link->Open(sim.path()));
    clock.start();
    ASSERT_TRUE(rig.link->Read("0C", ""));
    ASSERT_EQ(answerTimes.size(), 3);
    EXPECT_GE(answerTimes[1] - answerTimes[0], 500);
    EXPECT_GE(answerTimes[2] - answerTimes[1], 500);
    EXPECT_TRUE(rig.link->Close());
}

TEST_F(LinkOverSim, LowerCaseAnswersAreRefused)
{
    ASSERT_TRUE(start({"--lower-case", "all"}));
    EXPECT_FALSE(rig.link->Read("1F", ""));
    EXPECT_FALSE(rig.link->Answered());
    EXPECT_EQ(rig.notifier.errors, QStringList{TransferError});
}

TEST_F(LinkOverSim, BusyAnswerIsFollowedByTheRequestAgain)
{
    ASSERT_TRUE(start({"--busy", "1"}));
    ASSERT_TRUE(rig.link->Read("0C", ""));
    EXPECT_EQ(rig.link->AnswerData(), "00");
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
    EXPECT_EQ(sim->finish().size(), 2);
}

TEST_F(LinkOverSim, SendReturnsTrueForABusyAnswer)
{
    ASSERT_TRUE(start({"--busy", "1"}));
    ASSERT_TRUE(rig.link->Send("0C", 400));
    EXPECT_EQ(rig.link->AnswerCommand(), "FF");
    EXPECT_EQ(rig.link->AnswerData(), "FF");
}

TEST_F(LinkOverSim, SevenMismatchesEndReadAndWrite)
{
    const struct {
        const char *fault;
        bool write;
        QString message;
    } cases[] = {{"--busy", false, ReadError},
                 {"--busy", true, WriteError},
                 {"--wrong-command", false, ReadError},
                 {"--empty-answer", false, ReadError}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.write ? " write" : " read"));
        Rig local;
        test::SimProcess localSim({QString::fromLatin1(c.fault), "all"});
        ASSERT_TRUE(local.link->Open(localSim.path()));
        const bool ok = c.write ? local.link->Write("2B", "01") : local.link->Read("2C", "");
        EXPECT_FALSE(ok);
        EXPECT_EQ(local.notifier.errors, QStringList{c.message});
        EXPECT_EQ(localSim.finish().size(), 7);
    }
}

TEST_F(LinkOverSim, EmptyBodyIsAValidAnswer)
{
    ASSERT_TRUE(start({"--empty-answer", "1"}));
    ASSERT_TRUE(rig.link->Send("11", 400));
    EXPECT_TRUE(rig.link->Answered());
    EXPECT_EQ(rig.link->AnswerCommand(), "");
    EXPECT_EQ(rig.link->AnswerData(), "");
}

TEST_F(LinkOverSim, FaultAnswersAbortWithTheirMessage)
{
    const struct {
        const char *fault;
        QString message;
    } cases[] = {{"--memory-fault", "Неисправность памяти"},
                 {"--clock-fault", "Неисправность часов реального времени"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        Rig local;
        test::SimProcess localSim({QString::fromLatin1(c.fault), "1", "--noise"});
        ASSERT_TRUE(local.link->Open(localSim.path()));
        EXPECT_FALSE(local.link->Read("11", ""));
        EXPECT_TRUE(local.link->Aborted());
        EXPECT_EQ(local.notifier.errors, QStringList{c.message});
        EXPECT_EQ(local.notifier.flashes, 1);
        EXPECT_EQ(localSim.finish().size(), 1);

        // The next request starts afresh.
        local.notifier.clear();
    }
}

TEST_F(LinkOverSim, CancelEndsTheWaitWithoutAMessage)
{
    sim = std::make_unique<test::SimProcess>(QStringList{"--silent", "all"});
    ASSERT_TRUE(sim->started());
    LinkTimings longWait = shortTimings();
    longWait.answerTimeoutMs = 60'000;
    TConnection patient(rig.capture, rig.notifier, longWait);
    ASSERT_TRUE(patient.Open(sim->path()));
    QTimer::singleShot(50, [&patient] { patient.abort(); });
    EXPECT_FALSE(patient.Read("11", ""));
    EXPECT_TRUE(patient.Aborted());
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
    EXPECT_EQ(rig.notifier.flashes, 0);
    EXPECT_TRUE(patient.Close());
    EXPECT_EQ(sim->finish().size(), 1) << "a second frame went out after Cancel";
}

TEST_F(LinkOverSim, CancelEndsNestedWaitsToo)
{
    // A handler that runs during the wait waits itself; Cancel ends both.
    sim = std::make_unique<test::SimProcess>(QStringList{"--silent", "all"});
    ASSERT_TRUE(sim->started());
    LinkTimings longWait = shortTimings();
    longWait.answerTimeoutMs = 60'000;
    TConnection patient(rig.capture, rig.notifier, longWait);
    ASSERT_TRUE(patient.Open(sim->path()));
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer::singleShot(20, [&patient] {
        QTimer::singleShot(20, [&patient] { patient.abort(); });
        patient.Pause(60'000);
    });
    EXPECT_FALSE(patient.Read("11", ""));
    EXPECT_LT(elapsed.elapsed(), 30'000) << "the outer wait ran to its deadline";
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
    EXPECT_TRUE(patient.Close());
}

TEST_F(LinkOverSim, NoiseBetweenFramesDoesNoHarm)
{
    ASSERT_TRUE(start({"--noise"}));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(rig.link->Read("0C", "")) << i;
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
}

TEST_F(LinkOverSim, OpenWhileOpenKeepsThePort)
{
    ASSERT_TRUE(start());
    EXPECT_TRUE(rig.link->Open("/dev/sr5n-no-such-port"));
    EXPECT_TRUE(rig.link->Read("0C", ""));
    EXPECT_EQ(rig.comm.DeviceName(), sim->path());
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
}

TEST_F(LinkOverSim, HangUpDuringARequestGivesThePortMessage)
{
    ASSERT_TRUE(start({"--hang-up", "1"}));
    ASSERT_TRUE(rig.link->Read("0C", ""));
    EXPECT_FALSE(rig.link->Read("0C", ""));
    EXPECT_TRUE(rig.link->Aborted());
    EXPECT_EQ(rig.notifier.errors, QStringList{test::LineLostMessage(sim->path())});

    // A later request fails the same way; closing still works.
    rig.notifier.clear();
    EXPECT_FALSE(rig.link->Read("0C", ""));
    EXPECT_EQ(rig.notifier.errors, QStringList{test::LineLostMessage(sim->path())});
    EXPECT_TRUE(rig.link->Close());
    EXPECT_FALSE(rig.comm.IsOpen());
}

TEST_F(LinkOverSim, StateFileInAndMemoryDumpOut)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString statePath = dir.filePath("state.json");
    const QString dumpPath = dir.filePath("dump.json");
    QFile state(statePath);
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write(R"({"memory": {"0000": "0305"}, "logStatus": "0004010001000000"})");
    state.close();

    ASSERT_TRUE(start({"--state", statePath, "--dump", dumpPath}));
    ASSERT_TRUE(rig.link->Read("0F", ""));
    EXPECT_EQ(rig.link->AnswerData(), "0004010001000000");
    ASSERT_TRUE(rig.link->Read("01", "000003"));
    EXPECT_EQ(rig.link->AnswerData(), "00000305FF");
    ASSERT_TRUE(rig.link->Write("1E", "0102010FCF0000000000000000000000050526"));
    EXPECT_TRUE(rig.link->Close());
    sim->finish(); // SIGTERM: the simulator writes its memory and ends

    QFile dump(dumpPath);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QJsonObject memory = QJsonDocument::fromJson(dump.readAll()).object();
    EXPECT_EQ(memory["blocks"].toObject()["1E"].toString(),
              "0102010FCF0000000000000000000000050526");
    EXPECT_TRUE(memory["memory"].toObject()["0000"].toString().startsWith("0305FF"));
}

TEST(LinkOpen, MissingPortGivesThePortMessage)
{
    for (const QString &name : {QStringLiteral("COM9"), QStringLiteral("/dev/sr5n-no-such-port")}) {
        Rig rig;
        EXPECT_FALSE(rig.link->Open(name));
        EXPECT_FALSE(rig.link->Opened());
        EXPECT_EQ(rig.notifier.errors, QStringList{test::NoSuchPortMessage(name)});
        EXPECT_EQ(rig.notifier.flashes, 1);
    }
}

TEST(Port, OpensExclusivelyAndRefusesRenamingWhileOpen)
{
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    TVaComm comm(nullptr, shortTimings());
    ASSERT_TRUE(comm.SetDeviceName(sim.path()));
    ASSERT_TRUE(comm.Open()) << comm.LastError().toStdString();

    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(comm.LastError(), "Can't perform this operation while port is open");
    EXPECT_FALSE(comm.SetDeviceName("ttyS0"));
    EXPECT_EQ(comm.LastError(), "Can't perform this operation while port is open");
    EXPECT_EQ(comm.DeviceName(), sim.path());

    TVaComm other(nullptr, shortTimings());
    other.SetDeviceName(sim.path());
    EXPECT_FALSE(other.Open()) << "a port open elsewhere was opened again";
    EXPECT_TRUE(other.LastError().startsWith("Can't open specified device " + sim.path()))
        << other.LastError().toStdString();

    EXPECT_TRUE(comm.PurgeReadWrite());
    comm.Close();
    EXPECT_FALSE(comm.WriteText(":1162;"));
    EXPECT_TRUE(other.Open()) << "closing did not free the port";
}

TEST(Port, OutputBufferStaysBoundedWhenTheLineStalls)
{
    test::SimProcess sim({"--quiet"});
    ASSERT_TRUE(sim.started());
    Rig rig;
    ASSERT_TRUE(rig.link->Open(sim.path()));

    // The device stops reading: the terminal fills up, then the output buffer.
    ::kill(pid_t(sim.pid()), SIGSTOP);
    const QByteArray frame = ":" + QByteArray(1000, '0') + "80;";
    int written = 0;
    while (written < 10'000 && rig.comm.WriteText(frame))
        ++written;
    ::kill(pid_t(sim.pid()), SIGCONT);
    EXPECT_LT(written, 10'000);
    EXPECT_EQ(rig.comm.LastError(), "Output buffer is full. Please check comm status.");

    // Once the device reads again, what was queued goes out and the link works.
    EXPECT_TRUE(rig.link->Read("0C", ""));
    EXPECT_TRUE(rig.link->Close());
}

TEST(Port, PortNamesReplaceTheListAndAreNames)
{
    QStringList names{"stale entry"};
    TVaComm::GetComPortNames(names);
    EXPECT_FALSE(names.contains("stale entry"));
    for (const QString &name : names) {
        EXPECT_FALSE(name.isEmpty());
        EXPECT_FALSE(name.contains('/')) << name.toStdString();
        EXPECT_EQ(names.count(name), 1) << name.toStdString();
    }
}

TEST(Port, DeviceNameWithPortNumber)
{
    TVaComm comm;
    EXPECT_EQ(comm.DeviceName(), "COM%d");
    ASSERT_TRUE(comm.SetDeviceName("/dev/sr5n-missing-%d"));
    ASSERT_TRUE(comm.SetPortNum(7));
    EXPECT_EQ(comm.DevicePath(), "/dev/sr5n-missing-7");
    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(comm.LastError(), "Specified device not found (/dev/sr5n-missing-7).");
}

TEST(Port, OpensThroughASymbolicLink)
{
    const QString link = QDir::temp().filePath(
        QStringLiteral("sr5n-sim-link-%1").arg(QCoreApplication::applicationPid()));
    test::SimProcess sim({"--link", link});
    ASSERT_TRUE(sim.started());
    Rig rig;
    ASSERT_TRUE(rig.link->Open(link)) << rig.notifier.errors.join('|').toStdString();
    EXPECT_TRUE(rig.link->Read("0C", ""));
    EXPECT_TRUE(rig.link->Close());
    sim.finish();
    EXPECT_FALSE(QFile::exists(link)) << "the simulator left its link behind";
}

} // namespace
} // namespace sr5n
