// The port field of the main window: lines that say what each port is, a list
// that follows the ports, the port of the last run, and finding the
// communicator, in the real window against sr5n-sim.
#include "app/Configurator.h"
#include "app/UserSettings.h"
#include "common/AppTitle.h"
#include "common/FakeNotifier.h"
#include "common/PortEntries.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "link/PortScanner.h"
#include "link/TConnection.h"
#include "link/UdevMonitor.h"
#include "ui/PortSelector.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/services/ClockPanel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sr5n {
namespace {

// The ports a test says are present.
struct FakeScanner final : PortScanner {
    QList<PortEntry> ports;
    int scans = 0;
    QList<PortEntry> scan() override
    {
        ++scans;
        return ports;
    }
};

PortEntry plain(const QString &name)
{
    return test::PlainPort(name);
}

PortEntry ftdi(const QString &name = QStringLiteral("ttyUSB0"))
{
    return test::FtdiPort(name);
}

PortEntry simulated(const test::SimProcess &sim)
{
    PortEntry port;
    port.name = port.location = sim.path();
    port.simulatorPid = sim.pid();
    return port;
}

// The main window with its progress window, on short link timings, showing
// its messages to a fake unless a test wants the real boxes.
struct Rig {
    test::FakeNotifier notifier;
    FakeScanner scanner;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<TfrmProgress> progress;

    explicit Rig(const QList<PortEntry> &ports, bool systemPorts = false)
    {
        scanner.ports = ports;
        if (!systemPorts)
            app.setPortScanner(&scanner);
        window = std::make_unique<TfrmMain>(app);
        progress = std::make_unique<TfrmProgress>(window.get());
        window->setProgressWindow(progress.get());
        app.setNotifier(notifier);
        // As once the window has painted: the ports listed and watched.
        window->finishStartUp();
    }

    PortSelector *field() const { return test::part<PortSelector>(*window, "cbxComPort"); }
    QStringList names() const
    {
        QStringList names;
        for (int i = 0; i < field()->count(); ++i)
            names.append(field()->itemText(i));
        return names;
    }
};

TEST(PortField, EachLineSaysWhatThePortIsAndTheFieldHoldsItsName)
{
    Rig rig({ftdi(), plain(QStringLiteral("ttyS0"))});
    PortSelector *field = rig.field();
    const QString stable = ftdi().stableName;
    EXPECT_EQ(rig.names(),
              QStringList({QStringLiteral("ttyUSB0"), stable, QStringLiteral("ttyS0")}));
    EXPECT_EQ(field->currentText(), QStringLiteral("ttyUSB0")) << "the first entry at start";
    const QString line =
        QStringLiteral("ttyUSB0 — FT232R USB UART, FTDI (A5XK3RJP), USB 0403:6001");
    EXPECT_EQ(field->itemData(0, PortSelector::LineRole).toString(), line);
    // The list drops down as wide as its lines are.
    EXPECT_GE(field->view()->minimumWidth(), field->fontMetrics().horizontalAdvance(line));

    // The stable name is opened as it is; the hint shows it whole.
    field->setCurrentIndex(1);
    EXPECT_EQ(rig.window->portName(), stable);
    EXPECT_TRUE(field->toolTip().startsWith(stable + QLatin1Char('\n')));
    EXPECT_TRUE(field->toolTip().contains(QStringLiteral("Серийный номер: A5XK3RJP")));

    // A typed name is used as typed, and is its own hint.
    field->setEditText(QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(rig.window->portName(), QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(field->toolTip(), QStringLiteral("/dev/pts/7"));
}

TEST(PortField, ThePortsAreListedOnceTheWindowHasPaintedKeepingWhatWasTypedBefore)
{
    struct Case {
        QString typed;    // into the field before the window painted
        QString expected; // in the field afterwards
    };
    const Case cases[] = {{QString(), QStringLiteral("ttyUSB0")},
                          {QStringLiteral("/dev/pts/9"), QStringLiteral("/dev/pts/9")}};
    for (const Case &c : cases) {
        FakeScanner scanner;
        scanner.ports = {ftdi()};
        Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
        app.setPortScanner(&scanner);
        TfrmMain window{app};
        auto *field = test::part<PortSelector>(window, "cbxComPort");
        EXPECT_EQ(scanner.scans, 0) << "nothing scanned on the way to the first paint";
        if (!c.typed.isEmpty())
            field->setEditText(c.typed);
        QSignalSpy painted(&window, &TfrmMain::firstPainted);
        window.show();
        ASSERT_TRUE(painted.wait(5000));
        EXPECT_EQ(scanner.scans, 1);
        EXPECT_EQ(field->findText(QStringLiteral("ttyUSB0")), 0);
        EXPECT_EQ(field->currentText(), c.expected);
        window.finishStartUp(); // done already: no second scan
        EXPECT_EQ(scanner.scans, 1);
    }
}

TEST(PortField, TheFieldIsWiderAndTheBarKeepsItsOrder)
{
    Rig rig({});
    rig.window->show();
    const QWidget *bar = test::part<QFrame>(*rig.window, "pnlControls");
    const QRect field = rig.field()->geometry();
    const QRect find = test::part<QToolButton>(*rig.window, "sbtFindPort")->geometry();
    const QRect separator = test::part<QFrame>(*rig.window, "bvlSeparator")->geometry();
    EXPECT_GE(field.width(), 180) << "was 128";
    EXPECT_EQ(test::part<QLabel>(*rig.window, "lblComPort")->text(),
              QStringLiteral("Порт подключения:"));
    EXPECT_LT(field.right(), find.left());
    EXPECT_LT(find.right(), separator.left());
    EXPECT_FALSE(test::part<QToolButton>(*rig.window, "sbtFindPort")->toolTip().isEmpty());

    const char *columns[4][2] = {{"btnOpen", "btnSave"},
                                 {"btnRead", "btnWrite"},
                                 {"btnExport", "btnTestScheme"},
                                 {"btnHelp", "btnAbout"}};
    int previousLeft = separator.right();
    for (const auto &column : columns) {
        const QRect upper = test::part<QPushButton>(*rig.window, column[0])->geometry();
        const QRect lower = test::part<QPushButton>(*rig.window, column[1])->geometry();
        for (const QRect &button : {upper, lower}) {
            EXPECT_EQ(button.size(), QSize(90, 24));
            EXPECT_LE(button.right(), bar->width()) << "inside the bar";
        }
        EXPECT_EQ(upper.left(), lower.left());
        EXPECT_LT(upper.bottom(), lower.top());
        EXPECT_GT(upper.left(), previousLeft);
        previousLeft = upper.right();
    }

    // A stable name longer than the field is its hint, whole.
    const QString path =
        QStringLiteral("/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_0001-if00-port0");
    rig.field()->setEditText(path);
    EXPECT_EQ(rig.field()->toolTip(), path);
}

TEST(PortField, TheListFollowsSimulatorsStartedAndEndedWhileTheWindowIsOpen)
{
    Rig rig({}, true);
    rig.window->show();
    rig.field()->setEditText(QStringLiteral("typed-port"));
    auto sim = std::make_unique<test::SimProcess>();
    ASSERT_TRUE(sim->started());
    const QString path = sim->path();
    // Scanned again while the window is idle.
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.field()->findText(path) >= 0; }, 6000));
    const int at = rig.field()->findText(path);
    ASSERT_GE(at, 0);
    EXPECT_TRUE(rig.field()
                    ->itemData(at, PortSelector::LineRole)
                    .toString()
                    .startsWith(path + QStringLiteral(" — имитатор коммуникатора")));
    EXPECT_EQ(rig.field()->currentText(), QStringLiteral("typed-port")) << "typed text stays";

    sim.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.field()->findText(path) < 0; }, 6000));
    EXPECT_EQ(rig.field()->currentText(), QStringLiteral("typed-port"));

    // Dropping the list down scans at once.
    test::SimProcess another;
    ASSERT_TRUE(another.started());
    rig.field()->showPopup();
    EXPECT_GE(rig.field()->findText(another.path()), 0);
    rig.field()->hidePopup();
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
}

TEST(PortField, APortPluggedInTakesThePlaceOfOneThatIsGone)
{
    Rig rig({plain(QStringLiteral("ttyS0")), ftdi()});
    rig.field()->setCurrentIndex(rig.field()->findText(QStringLiteral("ttyUSB0")));
    ASSERT_EQ(rig.window->portName(), QStringLiteral("ttyUSB0"));

    rig.scanner.ports = {plain(QStringLiteral("ttyS0"))};
    rig.window->rescanPorts();
    EXPECT_EQ(rig.names(), QStringList{QStringLiteral("ttyS0")});
    EXPECT_EQ(rig.window->portName(), QStringLiteral("ttyUSB0")) << "the choice stays, typed";

    rig.scanner.ports = {plain(QStringLiteral("ttyS0")), ftdi(QStringLiteral("ttyUSB1"))};
    rig.window->rescanPorts();
    EXPECT_EQ(rig.window->portName(), QStringLiteral("ttyUSB1"));

    // A port that exists in the field is not replaced.
    rig.field()->setCurrentIndex(rig.field()->findText(QStringLiteral("ttyS0")));
    PortEntry second = ftdi(QStringLiteral("ttyUSB2"));
    second.stableName.clear();
    rig.scanner.ports.append(second);
    rig.window->rescanPorts();
    EXPECT_EQ(rig.window->portName(), QStringLiteral("ttyS0"));
}

TEST(PortField, NoScanDuringADeviceOperation)
{
    test::SimProcess sim({QStringLiteral("--delay"), QStringLiteral("2600")});
    ASSERT_TRUE(sim.started());
    Rig rig({simulated(sim)});
    rig.window->show();
    rig.field()->setEditText(sim.path());
    const int before = rig.scanner.scans;
    // Another simulator appears while the clock is read: the list is not
    // scanned until the operation is over.
    std::unique_ptr<test::SimProcess> another;
    QTimer::singleShot(300, [&] { another = std::make_unique<test::SimProcess>(); });
    test::trigger(*rig.window, "actClockRead"); // the answer comes after 2.6 s
    ASSERT_TRUE(another && another->started());
    EXPECT_EQ(rig.scanner.scans, before);
    EXPECT_TRUE(rig.notifier.errors.isEmpty())
        << rig.notifier.errors.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.scanner.scans > before; }, 4000))
        << "scanned again once idle";
    // Then nothing more while nothing changes: with device events the list is
    // not scanned on a clock.
    if (UdevMonitor::open()) {
        const int after = rig.scanner.scans;
        QTest::qWait(2500);
        EXPECT_EQ(rig.scanner.scans, after);
    }
}

TEST(PortField, ThePortOfTheLastSuccessfulOperationIsRemembered)
{
    {
        // Absent now: shown as typed text.
        UserSettings().setLastPort(QStringLiteral("/dev/sr5n-remembered"));
        Rig rig({plain(QStringLiteral("ttyS0"))});
        EXPECT_EQ(rig.window->portName(), QStringLiteral("/dev/sr5n-remembered"));
        EXPECT_EQ(rig.names(), QStringList{QStringLiteral("ttyS0")});
    }
    {
        UserSettings().setLastPort(QStringLiteral("ttyS1"));
        Rig rig({plain(QStringLiteral("ttyS0")), plain(QStringLiteral("ttyS1"))});
        EXPECT_EQ(rig.field()->currentIndex(), 1);
    }

    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    Rig rig({});
    rig.field()->setEditText(QStringLiteral("/dev/sr5n-no-such-port"));
    test::trigger(*rig.window, "actClockRead");
    ASSERT_EQ(rig.notifier.errors.size(), 1);
    EXPECT_EQ(UserSettings().lastPort(), QStringLiteral("ttyS1")) << "a failure is not kept";

    rig.field()->setEditText(sim.path());
    test::trigger(*rig.window, "actClockRead");
    EXPECT_EQ(rig.notifier.errors.size(), 1);
    EXPECT_EQ(UserSettings().lastPort(), sim.path());
}

TEST(PortField, ServerPortsUsedBeforeFollowThisMachinesPortsAndStayThroughScans)
{
    const QString raw = QStringLiteral("tcp://10.0.0.5:4001");
    const QString telnet = QStringLiteral("rfc2217://box.local:2217");
    UserSettings().setLastPort(raw);
    UserSettings().setLastPort(telnet);
    Rig rig({plain(QStringLiteral("ttyS0")), ftdi()});
    EXPECT_EQ(rig.names(), QStringList({QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0"),
                                        ftdi().stableName, telnet, raw}));
    EXPECT_EQ(rig.window->portName(), telnet) << "the last port";
    EXPECT_EQ(rig.field()->lineOf(telnet),
              telnet + QStringLiteral(" — сервер последовательного порта (RFC 2217)"));
    EXPECT_EQ(rig.field()->lineOf(raw),
              raw + QStringLiteral(" — сервер последовательного порта (TCP)"));
    // The search asks only this machine's ports.
    EXPECT_EQ(rig.field()->portNames(),
              QStringList({QStringLiteral("ttyS0"), QStringLiteral("ttyUSB0")}));

    // An adapter unplugged and another plugged in: the server's port stays in
    // the field and in the list.
    rig.scanner.ports = {plain(QStringLiteral("ttyS0"))};
    rig.window->rescanPorts();
    rig.scanner.ports = {plain(QStringLiteral("ttyS0")), ftdi(QStringLiteral("ttyUSB1"))};
    rig.window->rescanPorts();
    EXPECT_EQ(rig.window->portName(), telnet);
    EXPECT_TRUE(rig.names().contains(raw));
    EXPECT_TRUE(rig.names().contains(telnet));
}

// Handles the modal window of type T once it is shown, later during a run.
template <typename T> class WhenShown
{
public:
    explicit WhenShown(std::function<void(T &)> handle) : m_handle(std::move(handle))
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget())) {
                m_poll.stop();
                m_seen = true;
                m_handle(*window);
            }
        });
        m_poll.start();
    }
    bool seen() const { return m_seen; }

private:
    std::function<void(T &)> m_handle;
    QTimer m_poll;
    bool m_seen = false;
};

// The port field's command that probes every listed port.
class FindTheCommunicator : public ::testing::Test
{
protected:
    // Clicks the command; while the search runs, notes whether the main
    // window is disabled under the progress window.
    void find(Rig &rig)
    {
        QTimer watch;
        watch.setInterval(50);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (rig.progress->isVisible()) {
                disabledUnderProgress = disabledUnderProgress || !rig.window->isEnabled();
                if (!captions.contains(rig.progress->windowTitle()))
                    captions << rig.progress->windowTitle();
                if (!percents.contains(rig.progress->lblPercent->text()))
                    percents << rig.progress->lblPercent->text();
            }
        });
        watch.start();
        test::part<QToolButton>(*rig.window, "sbtFindPort")->click();
        EXPECT_FALSE(rig.progress->isVisible());
        EXPECT_TRUE(rig.window->isEnabled());
        EXPECT_FALSE(rig.app.connection().Opened());
    }

    bool disabledUnderProgress = false;
    // What the progress window said while the search ran, each once.
    QStringList captions;
    QStringList percents;
};

TEST_F(FindTheCommunicator, EndsOnTheAnsweringSimulator)
{
    test::SimProcess silent({QStringLiteral("--silent"), QStringLiteral("all")});
    test::SimProcess answering;
    test::SimProcess noise({QStringLiteral("--garbage"), QStringLiteral("all")});
    ASSERT_TRUE(silent.started() && answering.started() && noise.started());
    Rig rig({simulated(silent), simulated(answering), simulated(noise)});
    rig.window->show();
    rig.field()->setEditText(QStringLiteral("/dev/sr5n-no-such-port"));

    find(rig);
    EXPECT_EQ(rig.window->portName(), answering.path());
    EXPECT_TRUE(disabledUnderProgress);
    EXPECT_TRUE(rig.notifier.errors.isEmpty())
        << rig.notifier.errors.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rig.notifier.informations,
              QStringList{QStringLiteral("Коммуникатор найден: порт ") + answering.path()});
    EXPECT_EQ(UserSettings().lastPort(), answering.path());
    // The window says it searches, and which port of how many it asks; the
    // silent first port keeps it long enough to be seen, at 0 %, then the
    // bar moves on by a port.
    const QString searching = QStringLiteral("  Поиск коммуникатора: ");
    EXPECT_TRUE(captions.contains(searching + silent.path() + QStringLiteral(" (1 из 3)")))
        << captions.join(QLatin1Char('|')).toStdString();
    for (const QString &caption : std::as_const(captions))
        EXPECT_TRUE(caption.startsWith(searching)) << caption.toStdString();
    EXPECT_TRUE(percents.contains(QStringLiteral("0%")));
    for (test::SimProcess *sim : {&silent, &answering, &noise}) {
        for (const QString &request : sim->finish())
            EXPECT_TRUE(request.endsWith(QLatin1String(": :1162;"))) << request.toStdString();
    }
}

TEST_F(FindTheCommunicator, SaysPlainlyWhenNoneAnswers)
{
    test::SimProcess silent({QStringLiteral("--silent"), QStringLiteral("all")});
    test::SimProcess noise({QStringLiteral("--garbage"), QStringLiteral("all")});
    ASSERT_TRUE(silent.started() && noise.started());
    Rig rig({simulated(silent), simulated(noise)});
    rig.app.setNotifier(rig.window->messageBoxes()); // the real error box
    rig.window->show();
    rig.field()->setEditText(QStringLiteral("ttyUSB5"));
    QString shown;
    const WhenShown<QMessageBox> errorBox([&](QMessageBox &box) {
        shown = box.text();
        EXPECT_EQ(box.windowTitle(), AppTitle());
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        box.accept();
    });
    find(rig);
    EXPECT_TRUE(errorBox.seen());
    EXPECT_EQ(shown, QStringLiteral("Коммуникатор не найден: ни на одном порту он не ответил.\n"
                                    "  - ") +
                         silent.path() + QStringLiteral(": не отвечает\n  - ") + noise.path() +
                         QStringLiteral(": отвечает, но не как коммуникатор."));
    EXPECT_EQ(rig.window->portName(), QStringLiteral("ttyUSB5")) << "the field is left alone";
}

TEST_F(FindTheCommunicator, CancelStopsIt)
{
    test::SimProcess silent({QStringLiteral("--silent"), QStringLiteral("all")});
    test::SimProcess answering;
    ASSERT_TRUE(silent.started() && answering.started());
    Rig rig({simulated(silent), simulated(answering)});
    rig.window->show();
    rig.field()->setEditText(QStringLiteral("ttyUSB5"));
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(rig.progress->isVisible());
        rig.progress->btnCancel->click();
    });
    find(rig);
    EXPECT_LT(silent.finish().size(), TConnection::Attempts)
        << "the silent port was not waited out";
    EXPECT_EQ(rig.window->portName(), QStringLiteral("ttyUSB5"));
    EXPECT_TRUE(rig.notifier.errors.isEmpty());
    EXPECT_TRUE(rig.notifier.informations.isEmpty());
    EXPECT_TRUE(answering.finish().isEmpty()) << "the search ended before the next port";

    // Cancel ends ordinary operations again afterwards.
    rig.progress->showProgress();
    rig.progress->btnCancelClick();
    EXPECT_TRUE(rig.app.connection().Aborted());
}

TEST_F(FindTheCommunicator, LetsTheUserChooseWhenSeveralAnswer)
{
    test::SimProcess first;
    test::SimProcess second;
    ASSERT_TRUE(first.started() && second.started());
    Rig rig({simulated(first), simulated(second)});
    rig.window->show();
    QStringList offered;
    const WhenShown<QInputDialog> choice([&](QInputDialog &dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("dlgChoosePort"));
        EXPECT_EQ(dialog.windowTitle(), AppTitle());
        EXPECT_EQ(dialog.labelText(), TfrmMain::choosePortQuestion());
        offered = dialog.comboBoxItems();
        ASSERT_EQ(offered.size(), 2);
        dialog.setTextValue(offered[1]);
        dialog.accept();
    });
    find(rig);
    EXPECT_TRUE(choice.seen());
    EXPECT_TRUE(offered.value(0).startsWith(first.path() + QStringLiteral(" — ")));
    EXPECT_EQ(rig.window->portName(), second.path());
    EXPECT_TRUE(rig.notifier.informations.isEmpty()) << "the user chose it";
    EXPECT_EQ(UserSettings().lastPort(), second.path());
}

TEST_F(FindTheCommunicator, WithoutPortsSaysSo)
{
    Rig rig({});
    find(rig);
    EXPECT_EQ(rig.notifier.errors,
              QStringList{
                  QStringLiteral("Коммуникатор не найден: в системе нет последовательных портов")});
}

} // namespace
} // namespace sr5n
