// Every device operation of the main window runs the same sequence: against
// sr5n-sim, each keeps the port it worked on for the next run and leaves the
// remembered port alone when it fails; a failure's error box comes once the
// progress window has closed.
#include "app/Configurator.h"
#include "app/UserSettings.h"
#include "common/AppTitle.h"
#include "common/FakeNotifier.h"
#include "common/PortEntries.h"
#include "common/PortMessages.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "link/PortScanner.h"
#include "ui/PortSelector.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/config/TfrmCompare.h"
#include "ui/services/TfrmTestScheme.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sr5n {
namespace {

struct ListedPorts final : PortScanner {
    QList<PortEntry> ports;
    QList<PortEntry> scan() override { return ports; }
};

// The main window with its progress and diagnostics windows, on short link
// timings; the port list holds only what a test lists.
struct Rig {
    test::FakeNotifier notifier;
    ListedPorts scanner;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<TfrmProgress> progress;
    std::unique_ptr<TfrmTestScheme> testScheme;

    Rig()
    {
        app.setPortScanner(&scanner);
        window = std::make_unique<TfrmMain>(app);
        progress = std::make_unique<TfrmProgress>(window.get());
        testScheme =
            std::make_unique<TfrmTestScheme>(app.connection(), app.notifier(), window.get());
        window->setProgressWindow(progress.get());
        window->setTestSchemeWindow(testScheme.get());
        app.setNotifier(notifier);
    }

    void typePort(const QString &port)
    {
        test::part<PortSelector>(*window, "cbxComPort")->setEditText(port);
    }
};

// Closes what a device operation shows in its own windows: the diagnostics
// verdict is confirmed, a comparison is closed.
class ClosesItsWindows
{
public:
    explicit ClosesItsWindows(Rig &rig)
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [&rig] {
            if (rig.testScheme->isVisible() && rig.testScheme->btnOK->isVisible())
                rig.testScheme->btnOK->click();
            if (auto *compare = qobject_cast<TfrmCompare *>(QApplication::activeModalWidget()))
                compare->reject();
        });
        m_poll.start();
    }

private:
    QTimer m_poll;
};

struct Operation {
    const char *name;
    std::function<void(Rig &)> run;
};

void PrintTo(const Operation &operation, std::ostream *out)
{
    *out << operation.name;
}

class EveryDeviceOperation : public testing::TestWithParam<Operation>
{
};

TEST_P(EveryDeviceOperation, KeepsThePortThatWorkedAndNotOneThatFailed)
{
    const Operation &operation = GetParam();
    test::SimProcess sim({QStringLiteral("--clock"), QStringLiteral("12:45:30")});
    ASSERT_TRUE(sim.started());
    const QString before = QStringLiteral("ttyS1");
    UserSettings().setLastPort(before);
    Rig rig;
    ClosesItsWindows closes(rig);

    // The finder probes the listed ports: the missing one answers nothing.
    const QString missing = QStringLiteral("/dev/sr5n-no-such-port");
    PortEntry absent;
    absent.name = absent.location = missing;
    rig.scanner.ports = {absent};
    rig.window->rescanPorts();
    rig.typePort(missing);
    rig.notifier.answers = {true};
    operation.run(rig);
    EXPECT_FALSE(rig.notifier.errors.isEmpty()) << "the failure is told";
    EXPECT_EQ(UserSettings().lastPort(), before) << "a failure is not kept";

    PortEntry simulated;
    simulated.name = simulated.location = sim.path();
    simulated.simulatorPid = sim.pid();
    rig.scanner.ports = {simulated};
    rig.window->rescanPorts();
    rig.typePort(sim.path());
    rig.notifier.clear();
    rig.notifier.answers = {true};
    operation.run(rig);
    EXPECT_EQ(UserSettings().lastPort(), sim.path())
        << "told: " << testing::PrintToString(rig.notifier.errors);
    EXPECT_FALSE(rig.progress->isVisible());
    EXPECT_TRUE(rig.window->isEnabled());
}

void writeVerifiedByChoice(Rig &rig)
{
    rig.app.settings().setVerifyWrites(true);
    test::trigger(*rig.window, "actWrite");
    rig.app.settings().setVerifyWrites(false);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, EveryDeviceOperation,
    testing::Values(
        Operation{"Read", [](Rig &rig) { test::trigger(*rig.window, "actRead"); }},
        Operation{"Write", [](Rig &rig) { test::trigger(*rig.window, "actWrite"); }},
        Operation{"WriteVerifiedByChoice", writeVerifiedByChoice},
        Operation{"WriteVerified",
                  [](Rig &rig) { test::trigger(*rig.window, "pumWriteVerified"); }},
        Operation{"CompareWithDevice",
                  [](Rig &rig) { test::trigger(*rig.window, "pumCompareDevice"); }},
        Operation{"ReadClock", [](Rig &rig) { test::trigger(*rig.window, "actClockRead"); }},
        Operation{"WriteClock", [](Rig &rig) { test::trigger(*rig.window, "actClockWrite"); }},
        Operation{"ReadLog", [](Rig &rig) { test::trigger(*rig.window, "actReadLog"); }},
        Operation{"ClearLogs", [](Rig &rig) { test::trigger(*rig.window, "actClearLogs"); }},
        Operation{"Diagnostics", [](Rig &rig) { test::trigger(*rig.window, "actTestScheme"); }},
        Operation{"FindCommunicator", [](Rig &rig) { test::trigger(*rig.window, "actFindPort"); }}),
    [](const testing::TestParamInfo<Operation> &param) { return std::string(param.param.name); });

// The real error box of a port that is missing comes after the progress
// window has gone, with the main window usable beneath it.
TEST(DeviceOperationFailure, TheErrorBoxComesOnceTheProgressWindowHasClosed)
{
    // Each pressed as the user presses it: its button.
    const struct {
        const char *name;
        const char *button;
        const char *action;
    } operations[] = {
        {"read", "btnRead", "actRead"},
        {"write", "btnWrite", "actWrite"},
        {"clock", "sbtCurrentTimeRead", "actClockRead"},
        {"log", "btnReadLog", "actReadLog"},
    };
    const QString missing = QStringLiteral("/dev/sr5n-no-such-port");
    for (const auto &operation : operations) {
        SCOPED_TRACE(operation.name);
        Rig rig;
        rig.app.setNotifier(rig.window->messageBoxes()); // the real error box
        rig.window->show();
        rig.typePort(missing);
        bool shown = false;
        bool progressVisible = true;
        bool windowEnabled = false;
        bool commandEnabled = true;
        bool buttonEnabled = true;
        QString text;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || shown)
                return;
            shown = true;
            progressVisible = rig.progress->isVisible();
            windowEnabled = rig.window->isEnabled();
            // The operation is not over until the box is answered.
            commandEnabled = test::part<QAction>(*rig.window, operation.action)->isEnabled();
            buttonEnabled = test::part<QAbstractButton>(*rig.window, operation.button)->isEnabled();
            text = box->text();
            EXPECT_EQ(box->windowTitle(), AppTitle());
            box->accept();
        });
        poll.start();
        QAbstractButton *button = test::part<QAbstractButton>(*rig.window, operation.button);
        ASSERT_TRUE(button->isEnabled());
        button->click();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(progressVisible) << "the progress window is still drawn under the box";
        EXPECT_TRUE(windowEnabled);
        EXPECT_FALSE(commandEnabled) << "a device command while another runs";
        EXPECT_FALSE(buttonEnabled);
        EXPECT_TRUE(button->isEnabled()) << "enabled again once the operation is over";
        EXPECT_TRUE(test::part<QAction>(*rig.window, "actWrite")->isEnabled());
        EXPECT_EQ(text, test::NoSuchPortMessage(missing) + QLatin1Char('.'));
    }
}

} // namespace
} // namespace sr5n
