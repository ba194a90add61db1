// Following the ports without a clock: the simulators' registry, a simulator
// whose process ends without withdrawing, and the system's device events.
#include "link/PortWatcher.h"
#include "link/SimulatorRegistry.h"
#include "link/UdevMonitor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace sr5n {
namespace {

struct Watch {
    QTemporaryDir root;
    QString registry = root.filePath(QStringLiteral("runtime/sr5n-sim"));
    PortWatcher watcher;
    QSignalSpy told{&watcher, &PortWatcher::portsMayHaveChanged};

    explicit Watch(std::unique_ptr<UdevMonitor> monitor = nullptr)
        : watcher((QDir(root.path()).mkpath(QStringLiteral("runtime")), registry),
                  std::move(monitor))
    {
    }

    // Told within a second; then nothing more for a while.
    bool toldOnce()
    {
        if (!QTest::qWaitFor([this] { return !told.isEmpty(); }, 1000))
            return false;
        QTest::qWait(400);
        const bool once = told.size() == 1;
        told.clear();
        return once;
    }
};

TEST(PortWatcher, ASimulatorAnnouncedOrWithdrawnIsToldOnce)
{
    Watch watch;
    const SimulatorRegistry registry(watch.registry);
    struct Step {
        const char *what;
        std::function<void()> change;
    };
    const Step steps[] = {
        // The registry does not exist yet: made together with its first entry.
        {"first entry, registry made", [&] { registry.announce(::getpid(), "/dev/null"); }},
        {"second entry", [&] { registry.announce(::getppid(), "/dev/null"); }},
        {"one withdrawn", [&] { registry.withdraw(::getpid()); }},
        {"two at once",
         [&] {
             registry.withdraw(::getppid());
             registry.announce(::getpid(), "/dev/null");
         }},
    };
    for (const Step &step : steps) {
        step.change();
        EXPECT_TRUE(watch.toldOnce()) << step.what << ": told " << watch.told.size();
    }

    // Nothing changes: nothing is told.
    QTest::qWait(600);
    EXPECT_TRUE(watch.told.isEmpty());
}

TEST(PortWatcher, ASimulatorKilledWithoutWithdrawingIsToldWhenItsProcessEnds)
{
    Watch watch;
    QProcess simulator;
    simulator.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(simulator.waitForStarted());
    PortEntry port;
    port.name = port.location = QStringLiteral("/dev/pts/99");
    port.simulatorPid = simulator.processId();
    PortEntry plain;
    plain.name = QStringLiteral("ttyS0");
    watch.watcher.watchSimulators({plain, port});
    QTest::qWait(300);
    EXPECT_TRUE(watch.told.isEmpty()) << "a running process says nothing";

    simulator.kill();
    simulator.waitForFinished();
    EXPECT_TRUE(watch.toldOnce());

    // A process no longer listed is no longer watched.
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    port.simulatorPid = other.processId();
    watch.watcher.watchSimulators({port});
    watch.watcher.watchSimulators({plain});
    other.kill();
    other.waitForFinished();
    QTest::qWait(500);
    EXPECT_TRUE(watch.told.isEmpty());
}

TEST(PortWatcher, ADeviceEventOfASerialPortIsTold)
{
    std::unique_ptr<UdevMonitor> monitor = UdevMonitor::open();
    if (!monitor)
        GTEST_SKIP() << "no device events on this system";
    // The kernel sends an event for a port on request; only root may ask.
    QFile trigger(QStringLiteral("/sys/class/tty/ttyS0/uevent"));
    if (!trigger.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "cannot ask the kernel for an event of ttyS0";
    Watch watch(std::move(monitor));
    EXPECT_TRUE(watch.watcher.followsHardware());
    trigger.write("change\n");
    trigger.close();
    EXPECT_TRUE(watch.toldOnce());
}

TEST(PortWatcher, WithoutDeviceEventsTheCallerLooksItself)
{
    Watch watch;
    EXPECT_FALSE(watch.watcher.followsHardware());
}

} // namespace
} // namespace sr5n
