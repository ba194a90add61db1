// Reading and setting the device clock from the main window, against sr5n-sim.
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "link/TConnection.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/services/ClockPanel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

struct ClockRig {
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    TfrmProgress progress{&window};
    std::unique_ptr<test::SimProcess> sim;

    explicit ClockRig(const QStringList &simArguments)
    {
        app.setNotifier(notifier);
        window.setProgressWindow(&progress);
        sim = std::make_unique<test::SimProcess>(simArguments);
        test::part<QComboBox>(window, "cbxComPort")->setEditText(sim->path());
    }

    QTimeEdit *picker() { return test::part<ClockPanel>(window, "pnlCurrentTime")->dtpCurrentTime; }
};

} // namespace

TEST(DeviceClockOperations, ReadPutsTheDeviceTimeIntoThePicker)
{
    ClockRig rig({QStringLiteral("--clock"), QStringLiteral("12:45:30")});
    ASSERT_TRUE(rig.sim->started());
    test::trigger(rig.window, "actClockRead");
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << qPrintable(rig.notifier.errors.join('|'));
    const QTime read = rig.picker()->time();
    EXPECT_EQ(read.hour(), 12);
    EXPECT_EQ(read.minute(), 45);
    EXPECT_LE(read.second() - 30, 2); // the simulated clock runs
    EXPECT_FALSE(rig.app.connection().Opened());
    EXPECT_EQ(rig.progress.Tag, 0);
    EXPECT_TRUE(rig.window.isEnabled());
}

TEST(DeviceClockOperations, AnswersThatAreNoTimeLeaveThePicker)
{
    for (const char *data : {"11=303030", "11=1E2D0"}) {
        ClockRig rig({QStringLiteral("--answer-data"), QString::fromLatin1(data)});
        ASSERT_TRUE(rig.sim->started());
        rig.picker()->setTime(QTime(1, 2, 3));
        test::trigger(rig.window, "actClockRead");
        EXPECT_EQ(rig.notifier.errors, QStringList({"Ошибка декодирования времени"})) << data;
        EXPECT_EQ(rig.notifier.flashes, 1);
        EXPECT_EQ(rig.picker()->time(), QTime(1, 2, 3));
        EXPECT_FALSE(rig.app.connection().Opened());
    }
}

TEST(DeviceClockOperations, WriteSetsTheDeviceClockAndSaysSo)
{
    ClockRig rig({});
    ASSERT_TRUE(rig.sim->started());
    rig.picker()->setTime(QTime(9, 5, 30));
    test::trigger(rig.window, "actClockWrite");
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << qPrintable(rig.notifier.errors.join('|'));
    EXPECT_EQ(rig.notifier.informations, QStringList({"Время записано успешно"}));
    EXPECT_EQ(rig.progress.Tag, 0);
    const QStringList requests = rig.sim->finish();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].endsWith(QStringLiteral(":1230050994;"))) << qPrintable(requests[0]);
}

TEST(DeviceClockOperations, MissingPortGivesThePortMessageOnly)
{
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    TfrmProgress progress(&window);
    app.setNotifier(notifier);
    window.setProgressWindow(&progress);
    test::part<QComboBox>(window, "cbxComPort")
        ->setEditText(QStringLiteral("/dev/sr5n-no-such-port"));
    test::trigger(window, "actClockWrite");
    EXPECT_EQ(notifier.errors, QStringList({test::NoSuchPortMessage("/dev/sr5n-no-such-port")}));
    EXPECT_TRUE(notifier.informations.isEmpty());
    EXPECT_TRUE(window.isEnabled());
}
