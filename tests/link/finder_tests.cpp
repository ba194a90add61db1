// Finding the communicator among several ports: simulators that answer, stay
// silent or answer noise, on real pseudo-terminals, through the real link.
#include "common/SimProcess.h"

#include "common/FakeNotifier.h"
#include "link/CommunicatorFinder.h"
#include "link/OperationProgress.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace sr5n {
namespace {

using Outcome = CommunicatorFinder::Outcome;

// Counts the steps of the search and notes what each says it does.
struct CountingProgress final : OperationProgress {
    void begin(Kind kind, int max) override
    {
        began = kind;
        maximum = max;
        shown = true;
    }
    void setMaximum(int max) override { maximum = max; }
    void step() override { ++steps; }
    void end() override { shown = false; }
    void setStage(const QString &stage) override { stages << stage; }

    Kind began = Kind::Writing;
    int maximum = 0;
    int steps = 0;
    bool shown = false;
    QStringList stages;
};

struct Finder {
    test::FakeNotifier notifier;
    TVaComm comm{nullptr, test::ShortLinkTimings()};
    TVaCapture capture{notifier};
    std::unique_ptr<TConnection> link;
    CountingProgress progress;
    std::unique_ptr<CommunicatorFinder> finder;

    Finder()
    {
        capture.SetComm(&comm);
        link = std::make_unique<TConnection>(capture, notifier, test::ShortLinkTimings());
        finder = std::make_unique<CommunicatorFinder>(*link, 150);
    }
};

// Every request a simulator received was the clock read: nothing is written.
void expectOnlyClockReads(test::SimProcess &sim)
{
    const QStringList requests = sim.finish();
    for (const QString &request : requests)
        EXPECT_TRUE(request.endsWith(QLatin1String(": :1162;"))) << request.toStdString();
}

TEST(CommunicatorFinder, EndsOnThePortWhereACommunicatorAnswers)
{
    test::SimProcess silent({QStringLiteral("--silent"), QStringLiteral("all")});
    test::SimProcess answering;
    test::SimProcess noise({QStringLiteral("--garbage"), QStringLiteral("all")});
    ASSERT_TRUE(silent.started() && answering.started() && noise.started());

    Finder rig;
    const QStringList ports = {silent.path(), QStringLiteral("/dev/sr5n-no-such-port"),
                               answering.path(), noise.path()};
    const CommunicatorFinder::Result result = rig.finder->find(ports, &rig.progress);

    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.answering(), QStringList{answering.path()});
    ASSERT_EQ(result.probes.size(), 4);
    EXPECT_EQ(result.probes[0].outcome, Outcome::Silent);
    EXPECT_EQ(result.probes[1].outcome, Outcome::Unavailable);
    EXPECT_EQ(result.probes[1].reason,
              QStringLiteral("Такого порта нет: устройство не подключено или имя указано неверно"));
    EXPECT_EQ(result.probes[2].outcome, Outcome::Answers);
    EXPECT_EQ(result.probes[3].outcome, Outcome::OtherAnswer);
    EXPECT_EQ(rig.progress.began, OperationProgress::Kind::Searching);
    EXPECT_EQ(rig.progress.maximum, 4);
    EXPECT_EQ(rig.progress.steps, 4);
    // Each port is named, with its place among them, before it is asked.
    EXPECT_EQ(rig.progress.stages, QStringList({silent.path() + QStringLiteral(" (1 из 4)"),
                                                QStringLiteral("/dev/sr5n-no-such-port (2 из 4)"),
                                                answering.path() + QStringLiteral(" (3 из 4)"),
                                                noise.path() + QStringLiteral(" (4 из 4)")}));
    EXPECT_FALSE(rig.progress.shown);
    EXPECT_FALSE(rig.link->Opened());
    EXPECT_FALSE(rig.comm.IsOpen());

    for (test::SimProcess *sim : {&silent, &answering, &noise})
        expectOnlyClockReads(*sim);
}

TEST(CommunicatorFinder, FindsEveryCommunicatorAndABusyOne)
{
    test::SimProcess first;
    test::SimProcess busy({QStringLiteral("--busy"), QStringLiteral("all")});
    ASSERT_TRUE(first.started() && busy.started());
    Finder rig;
    const CommunicatorFinder::Result result =
        rig.finder->find({first.path(), busy.path()}, nullptr);
    EXPECT_EQ(result.answering(), QStringList({first.path(), busy.path()}));
}

TEST(CommunicatorFinder, WithNoCommunicatorEachPortIsAccountedFor)
{
    test::SimProcess silent({QStringLiteral("--silent"), QStringLiteral("all")});
    test::SimProcess noise({QStringLiteral("--garbage"), QStringLiteral("all")});
    ASSERT_TRUE(silent.started() && noise.started());
    Finder rig;
    const CommunicatorFinder::Result result =
        rig.finder->find({silent.path(), noise.path(), QStringLiteral("ttyUSB97")}, nullptr);
    EXPECT_TRUE(result.answering().isEmpty());
    EXPECT_EQ(CommunicatorFinder::report(result),
              QStringLiteral("  - ") + silent.path() + QStringLiteral(": не отвечает\n  - ") +
                  noise.path() +
                  QStringLiteral(": отвечает, но не как коммуникатор\n"
                                 "  - ttyUSB97: недоступен: Такого порта нет: устройство не "
                                 "подключено или имя указано неверно"));
    EXPECT_TRUE(CommunicatorFinder(*rig.link).find({}, nullptr).probes.isEmpty());
}

TEST(CommunicatorFinder, CancelStopsTheSearch)
{
    test::SimProcess silent({QStringLiteral("--silent"), QStringLiteral("all")});
    test::SimProcess answering;
    ASSERT_TRUE(silent.started() && answering.started());
    Finder rig;
    // Cancel while the silent port is being waited for.
    QTimer::singleShot(200, [&rig] { rig.finder->cancel(); });
    const CommunicatorFinder::Result result =
        rig.finder->find({silent.path(), answering.path()}, &rig.progress);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.answering().isEmpty());
    EXPECT_TRUE(result.probes.isEmpty());
    EXPECT_EQ(rig.progress.steps, 0);
    EXPECT_FALSE(rig.progress.shown);
    EXPECT_FALSE(rig.link->Opened());
    EXPECT_TRUE(answering.finish().isEmpty()) << "the port after the cancel was never probed";

    // The next search runs afresh.
    test::SimProcess again;
    ASSERT_TRUE(again.started());
    EXPECT_EQ(rig.finder->find({again.path()}, nullptr).answering(), QStringList{again.path()});
}

} // namespace
} // namespace sr5n
