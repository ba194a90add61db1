// The port list: the lines that say what each port is, how the list follows
// the ports from one scan to the next, and where the simulators and the USB
// adapters' stable names are found.
#include "common/SimProcess.h"

#include "common/PortEntries.h"

#include "link/PortChoice.h"
#include "link/PortListTracker.h"
#include "link/SimulatorRegistry.h"
#include "link/SystemPortScanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace sr5n {
namespace {

PortEntry ftdi()
{
    return test::FtdiPort();
}

PortEntry plain(const QString &name)
{
    return test::PlainPort(name);
}

PortEntry usb(const QString &name, quint16 product = 0x7523)
{
    PortEntry port = plain(name);
    port.description = QStringLiteral("USB Serial");
    port.vendorId = 0x1A86;
    port.productId = product;
    return port;
}

TEST(PortChoices, EachLineSaysWhatThePortIs)
{
    PortEntry simulator;
    simulator.name = simulator.location = QStringLiteral("/dev/pts/4");
    simulator.simulatorPid = 4321;
    PortEntry sameNames = plain(QStringLiteral("ttyACM0"));
    sameNames.description = QStringLiteral("Arduino");
    sameNames.manufacturer = QStringLiteral("arduino");
    PortEntry idsOnly = plain(QStringLiteral("ttyUSB3"));
    idsOnly.vendorId = 0x10C4;

    const struct {
        PortEntry port;
        QString line;
    } cases[] = {
        {ftdi(), QStringLiteral("ttyUSB0 — FT232R USB UART, FTDI (A5XK3RJP), USB 0403:6001")},
        {plain(QStringLiteral("ttyS0")), QStringLiteral("ttyS0")},
        {simulator, QStringLiteral("/dev/pts/4 — имитатор коммуникатора (sr5n-sim, процесс 4321)")},
        {sameNames, QStringLiteral("ttyACM0 — Arduino")},
        {idsOnly, QStringLiteral("ttyUSB3 — USB 10C4:????")},
    };
    for (const auto &c : cases) {
        const QList<PortChoice> choices = PortChoices({c.port});
        ASSERT_FALSE(choices.isEmpty());
        EXPECT_EQ(choices.constFirst().name, c.port.name) << "the name opened stays the name";
        EXPECT_EQ(choices.constFirst().text, c.line);
        EXPECT_EQ(choices.constFirst().usb, c.port.isUsb());
    }
}

TEST(PortChoices, AUsbAdapterIsAlsoOfferedByItsStableName)
{
    const QList<PortChoice> choices = PortChoices({ftdi(), plain(QStringLiteral("ttyS0"))});
    ASSERT_EQ(choices.size(), 3);
    EXPECT_EQ(choices[0].name, QStringLiteral("ttyUSB0"));
    EXPECT_TRUE(choices[0].primary);
    EXPECT_EQ(choices[1].name, ftdi().stableName);
    EXPECT_FALSE(choices[1].primary) << "the same device is probed once";
    EXPECT_EQ(choices[1].text,
              ftdi().stableName + QStringLiteral(" — постоянное имя порта ttyUSB0"));
    EXPECT_EQ(choices[2].name, QStringLiteral("ttyS0"));

    EXPECT_EQ(choices[0].hint, QStringLiteral("Устройство: /dev/ttyUSB0\n"
                                              "Описание: FT232R USB UART\n"
                                              "Изготовитель: FTDI\n"
                                              "Серийный номер: A5XK3RJP\n"
                                              "USB VID:PID: 0403:6001\n"
                                              "Постоянное имя: ") +
                                   ftdi().stableName);
    EXPECT_EQ(choices[2].hint, QStringLiteral("Устройство: /dev/ttyS0"));
}

// One scan after another, with what the field holds at each.
struct Scan {
    QList<PortEntry> ports;
    QString field;
    QStringList added;
    QStringList removed;
    QString select; // empty: nothing is put into the field
};

struct TrackerCase {
    const char *name;
    QList<Scan> scans;
};

void PrintTo(const TrackerCase &c, std::ostream *out)
{
    *out << c.name;
}

class PortListFollowsThePorts : public ::testing::TestWithParam<TrackerCase>
{
};

TEST_P(PortListFollowsThePorts, FromScanToScan)
{
    PortListTracker tracker;
    int n = 0;
    for (const Scan &scan : GetParam().scans) {
        SCOPED_TRACE(testing::Message() << "scan " << ++n);
        const PortListTracker::Update update = tracker.update(scan.ports, scan.field);
        EXPECT_EQ(update.added, scan.added);
        EXPECT_EQ(update.removed, scan.removed);
        EXPECT_EQ(update.select.value_or(QString()), scan.select);
        EXPECT_EQ(update.choices, PortChoices(scan.ports));
    }
}

const QString S0 = QStringLiteral("ttyS0");
const QString U0 = QStringLiteral("ttyUSB0");
const QString U1 = QStringLiteral("ttyUSB1");

INSTANTIATE_TEST_SUITE_P(
    Cases, PortListFollowsThePorts,
    ::testing::Values(
        TrackerCase{"ports at start are not newly plugged",
                    {{{plain(S0), usb(U0)}, QString(), {S0, U0}, {}, QString()}}},
        TrackerCase{"an adapter plugged into an empty field is selected",
                    {{{plain(S0)}, QString(), {S0}, {}, QString()},
                     {{plain(S0), usb(U0)}, QString(), {U0}, {}, U0}}},
        TrackerCase{"unplugged and plugged again under another name",
                    {{{plain(S0), usb(U0)}, U0, {S0, U0}, {}, QString()},
                     {{plain(S0)}, U0, {}, {U0}, QString()},
                     {{plain(S0), usb(U1)}, U0, {U1}, {}, U1}}},
        TrackerCase{"a remembered port that is absent gives way",
                    {{{plain(S0)}, QStringLiteral("/dev/sr5n-gone"), {S0}, {}, QString()},
                     {{plain(S0), usb(U1)}, QStringLiteral("/dev/sr5n-gone"), {U1}, {}, U1}}},
        TrackerCase{"a port present in the field stays",
                    {{{plain(S0)}, S0, {S0}, {}, QString()},
                     {{plain(S0), usb(U0)}, S0, {U0}, {}, QString()}}},
        TrackerCase{"a typed path that exists stays",
                    {{{}, QStringLiteral("/dev/null"), {}, {}, QString()},
                     {{usb(U0)}, QStringLiteral("/dev/null"), {U0}, {}, QString()}}},
        TrackerCase{
            "a serial server's port in the field stays",
            {{{plain(S0)}, QStringLiteral("tcp://10.0.0.5:4001"), {S0}, {}, QString()},
             {{plain(S0), usb(U0)}, QStringLiteral("rfc2217://box:2217"), {U0}, {}, QString()}}},
        TrackerCase{"two adapters at once: no guessing",
                    {{{plain(S0)}, QString(), {S0}, {}, QString()},
                     {{plain(S0), usb(U0), usb(U1, 0x55D4)}, QString(), {U0, U1}, {}, QString()}}},
        TrackerCase{
            "a new port that is not USB is only listed",
            {{{}, QString(), {}, {}, QString()}, {{plain(S0)}, QString(), {S0}, {}, QString()}}},
        TrackerCase{"the stable name comes and goes with its adapter",
                    {{{plain(S0)}, S0, {S0}, {}, QString()},
                     {{plain(S0), ftdi()}, S0, {U0, ftdi().stableName}, {}, QString()},
                     {{plain(S0)}, S0, {}, {U0, ftdi().stableName}, QString()}}}),
    [](const ::testing::TestParamInfo<TrackerCase> &param) {
        std::string name = param.param.name;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(SimulatorRegistry, ListsRunningSimulatorsAndDropsEndedOnes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SimulatorRegistry registry(dir.filePath(QStringLiteral("sims")));
    EXPECT_TRUE(registry.running().isEmpty()) << "no folder yet";

    // An ended process: its entry is stale and goes.
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForFinished(5000));
    ASSERT_TRUE(registry.announce(ended.processId(), QStringLiteral("/dev/null")));
    ASSERT_TRUE(registry.announce(QCoreApplication::applicationPid(), QStringLiteral("/dev/null")));
    // A terminal that is gone is not offered.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(sleeper.waitForStarted(5000));
    ASSERT_TRUE(registry.announce(sleeper.processId(), QStringLiteral("/dev/sr5n-gone")));

    const QList<SimulatorRegistry::Simulator> running = registry.running();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].pid, QCoreApplication::applicationPid());
    EXPECT_EQ(running[0].terminal, QStringLiteral("/dev/null"));
    EXPECT_FALSE(
        QFileInfo(registry.folder() + QLatin1Char('/') + QString::number(ended.processId()))
            .isSymLink());

    registry.withdraw(QCoreApplication::applicationPid());
    EXPECT_TRUE(registry.running().isEmpty());
    sleeper.kill();
    sleeper.waitForFinished(5000);
}

TEST(SimulatorRegistry, TrustsOnlyAFolderOfThisUsersOwn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SimulatorRegistry own(dir.filePath(QStringLiteral("sims")));
    ASSERT_TRUE(own.announce(QCoreApplication::applicationPid(), QStringLiteral("/dev/null")));
    ASSERT_EQ(own.running().size(), 1);

    // A folder that is a link to another is not a registry.
    ASSERT_TRUE(QFile::link(own.folder(), dir.filePath(QStringLiteral("link"))));
    const SimulatorRegistry linked(dir.filePath(QStringLiteral("link")));
    EXPECT_TRUE(linked.running().isEmpty());
    EXPECT_FALSE(linked.announce(QCoreApplication::applicationPid(), QStringLiteral("/dev/null")));

    // Nor is another user's folder (root can make one to try).
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(own.folder()).constData(), 65534, 65534), 0);
        EXPECT_TRUE(own.running().isEmpty());
    }
}

TEST(SystemPortScanner, FindsTheStableNameOfEachDevice)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("by-id")));
    QFile device(root.filePath(QStringLiteral("ttyUSB0")));
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    device.close();
    const QString link = root.filePath(QStringLiteral("by-id/usb-FTDI_A5XK3RJP-if00-port0"));
    // Relative, as udev makes them.
    ASSERT_TRUE(QFile::link(QStringLiteral("../ttyUSB0"), link));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("gone")),
                            root.filePath(QStringLiteral("by-id/usb-broken"))));

    const QHash<QString, QString> names =
        SystemPortScanner::stableNames(root.filePath(QStringLiteral("by-id")));
    EXPECT_EQ(names.size(), 1);
    EXPECT_EQ(names.value(QFileInfo(device).canonicalFilePath()), link);
    EXPECT_TRUE(SystemPortScanner::stableNames(root.filePath(QStringLiteral("none"))).isEmpty());
}

TEST(SystemPortScanner, ListsASimulatorWhileItRuns)
{
    const auto simulators = [] {
        QStringList terminals;
        for (const PortEntry &port : SystemPortScanner().scan()) {
            if (port.isSimulator())
                terminals.append(port.name);
        }
        return terminals;
    };
    QString terminal;
    {
        test::SimProcess sim;
        ASSERT_TRUE(sim.started());
        terminal = sim.path();
        EXPECT_TRUE(simulators().contains(terminal));

        test::SimProcess unlisted({QStringLiteral("--unlisted")});
        ASSERT_TRUE(unlisted.started());
        EXPECT_FALSE(simulators().contains(unlisted.path()));
    }
    EXPECT_FALSE(simulators().contains(terminal)) << "an ended simulator takes its entry away";
}

} // namespace
} // namespace sr5n
