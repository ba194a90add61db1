// The link through a real serial-network bridge: Debian's ser2net in front of
// sr5n-sim's terminal, once as raw TCP and once as Telnet with RFC 2217.
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "common/Ser2netBridge.h"
#include "common/SimProcess.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationCopy.h"
#include "config/FakeProtocolCatalog.h"
#include "link/DeviceOperation.h"
#include "link/Rfc2217Transport.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace sr5n {
namespace {

enum class Mode { Raw, Rfc2217 };

std::string modeName(const ::testing::TestParamInfo<Mode> &info)
{
    return info.param == Mode::Raw ? "Raw" : "Rfc2217";
}

// Short waits, but the connection is given its production time and the
// bridge the moment it needs to let go of the terminal after a close.
LinkTimings bridgeTimings()
{
    LinkTimings timings = test::ShortLinkTimings();
    timings.portCloseDelayMs = 100;
    return timings;
}

// The terminal's settings as the system reports them (stty).
QString terminalSettings(const QString &device)
{
    QProcess stty;
    stty.start(QStringLiteral("stty"), {QStringLiteral("-F"), device, QStringLiteral("-a")});
    stty.waitForFinished(5000);
    return QString::fromLocal8Bit(stty.readAllStandardOutput());
}

// Whether stty's report holds `flag` as a word of its own ("parenb", not
// "-parenb").
bool hasFlag(const QString &settings, const char *flag)
{
    const QRegularExpression word(
        QStringLiteral("(^|\\s)%1(\\s|$)").arg(QRegularExpression::escape(QLatin1String(flag))));
    return settings.contains(word);
}

// The link's objects as the main window owns them.
struct Link {
    test::FakeNotifier notifier;
    TVaComm comm;
    TVaCapture capture{notifier};
    std::unique_ptr<TConnection> link;

    explicit Link(LinkTimings timings = bridgeTimings()) : comm(nullptr, timings)
    {
        capture.SetComm(&comm);
        link = std::make_unique<TConnection>(capture, notifier, timings);
    }
};

class ThroughSer2net : public ::testing::TestWithParam<Mode>
{
protected:
    // A simulator with `arguments` behind a bridge of its own.
    bool start(const QStringList &arguments = {})
    {
        sim = std::make_unique<test::SimProcess>(arguments);
        if (!sim->started())
            return false;
        bridge = std::make_unique<test::Ser2netBridge>(sim->path());
        if (!bridge->started())
            ADD_FAILURE() << bridge->log().toStdString();
        return bridge->started();
    }
    QString portName() const
    {
        return GetParam() == Mode::Raw ? bridge->rawName() : bridge->rfc2217Name();
    }

    std::unique_ptr<test::SimProcess> sim;
    std::unique_ptr<test::Ser2netBridge> bridge;
};

TEST_P(ThroughSer2net, WholeReadThenVerifiedWrite)
{
    ASSERT_TRUE(start({QStringLiteral("--quiet")}));
    test::FakeNotifier notifier;
    Configurator app(QCoreApplication::applicationDirPath(), bridgeTimings());
    app.setNotifier(notifier);
    test::FakeProtocolCatalog catalog(app.config());
    catalog.add(QStringLiteral("Contact ID"),
                QStringLiteral("02000004FF1F00000000000000000000050528"));
    app.setProtocolCatalog(&catalog);

    {
        DeviceOperation read(app.connection(), nullptr, OperationProgress::Kind::Reading);
        ASSERT_TRUE(read.open(portName()));
        EXPECT_TRUE(app.readConfiguration(read));
    }
    ASSERT_TRUE(notifier.errors.isEmpty()) << notifier.errors.join('|').toStdString();
    ASSERT_NE(app.config().text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("12AB"));

    app.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    {
        DeviceOperation write(app.connection(), nullptr, OperationProgress::Kind::Writing);
        ASSERT_TRUE(write.open(portName()));
        ConfigurationCopy readBack(app.blockContext());
        QList<ConfigDifference> differences;
        EXPECT_EQ(app.writeVerified(write, readBack, differences),
                  Configurator::Verification::Same);
        EXPECT_TRUE(differences.isEmpty());
    }
    EXPECT_TRUE(notifier.errors.isEmpty()) << notifier.errors.join('|').toStdString();
}

TEST_P(ThroughSer2net, TheLineSettingsAreWhatTheModeMakesThem)
{
    ASSERT_TRUE(start());
    Link rig;
    ASSERT_TRUE(rig.link->Open(portName()));
    ASSERT_TRUE(rig.link->Read(QStringLiteral("11"), QString()));
    const QString settings = terminalSettings(sim->path());

    // A pseudo-terminal keeps 8 data bits without parity whatever it is
    // told; its speed and stop bits show what the bridge set.
    if (GetParam() == Mode::Raw) {
        // Raw TCP sets nothing: the terminal keeps the bridge's 9600 bit/s, 2 stop bits.
        EXPECT_TRUE(hasFlag(settings, "9600")) << settings.toStdString();
        EXPECT_TRUE(hasFlag(settings, "cstopb")) << settings.toStdString();
    } else {
        // The bridge reported each setting it made, and the terminal has it.
        const auto *transport = dynamic_cast<const Rfc2217Transport *>(rig.comm.Transport());
        ASSERT_NE(transport, nullptr);
        const Rfc2217Session::Reported &reported = transport->reported();
        EXPECT_EQ(reported.baudRate, 115200u);
        EXPECT_EQ(reported.dataBits, 8);
        EXPECT_EQ(reported.parity, 1) << "none";
        EXPECT_EQ(reported.stopBits, 1);
        EXPECT_EQ(reported.flowControl, 1) << "none";
        for (const char *flag : {"115200", "-cstopb", "-crtscts", "-ixon", "-ixoff"})
            EXPECT_TRUE(hasFlag(settings, flag)) << flag << " in " << settings.toStdString();
    }
    EXPECT_TRUE(rig.link->Close());
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << rig.notifier.errors.join('|').toStdString();
}

TEST_P(ThroughSer2net, ABridgeThatGoesAwayInTheMiddleOfAWaitEndsIt)
{
    // Each answer takes 400 ms; the bridge is killed 100 ms into the wait.
    ASSERT_TRUE(start({QStringLiteral("--delay"), QStringLiteral("400")}));
    LinkTimings timings = bridgeTimings();
    timings.answerTimeoutMs = 3000;
    Link rig(timings);
    ASSERT_TRUE(rig.link->Open(portName()));
    ASSERT_TRUE(rig.link->Read(QStringLiteral("11"), QString()));
    QTimer::singleShot(100, [this] { bridge->kill(); });
    EXPECT_FALSE(rig.link->Read(QStringLiteral("1F"), QString()));
    EXPECT_EQ(rig.notifier.errors,
              QStringList{test::PortMessage(portName(),
                                            QStringLiteral("Соединение с сервером разорвано"))});
    EXPECT_EQ(rig.notifier.flashes, 1);
    EXPECT_TRUE(rig.link->Close());
    EXPECT_EQ(sim->finish().size(), 2) << "no frame after the line went";
}

TEST_P(ThroughSer2net, APortInUseSaysWhatTheBridgeSaid)
{
    ASSERT_TRUE(start());
    Link first;
    ASSERT_TRUE(first.link->Open(portName()));
    ASSERT_TRUE(first.link->Read(QStringLiteral("11"), QString()));

    Link second;
    const bool opened = second.link->Open(portName());
    if (GetParam() == Mode::Raw) {
        // The connection stands until the bridge's words and its close come.
        EXPECT_TRUE(opened);
        EXPECT_FALSE(second.link->Read(QStringLiteral("11"), QString()));
        EXPECT_EQ(second.notifier.errors,
                  QStringList{test::PortMessage(
                      portName(), QStringLiteral("Соединение с сервером разорвано; сервер "
                                                 "сообщил: «Port already in use»"))});
    } else {
        EXPECT_FALSE(opened);
        EXPECT_EQ(second.notifier.errors,
                  QStringList{
                      test::PortMessage(portName(), QStringLiteral("Сервер закрыл соединение при "
                                                                   "подключении: «Port already in "
                                                                   "use»"))});
    }
    second.link->Close();
    // The first user's link goes on.
    EXPECT_TRUE(first.link->Read(QStringLiteral("11"), QString()));
    EXPECT_TRUE(first.notifier.errors.isEmpty()) << first.notifier.errors.join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, ThroughSer2net, ::testing::Values(Mode::Raw, Mode::Rfc2217),
                         modeName);

TEST(Ser2netDoors, TelnetWithoutComPortControlIsRefusedAndRawIsNotTelnet)
{
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    test::Ser2netBridge bridge(sim.path());
    ASSERT_TRUE(bridge.started()) << bridge.log().toStdString();
    LinkTimings timings = bridgeTimings();
    timings.connectTimeoutMs = 1000;

    const struct {
        const char *what;
        QString name;
        QString reason;
    } cases[] = {
        {"Telnet door without RFC 2217",
         QStringLiteral("rfc2217://127.0.0.1:%1").arg(bridge.telnetPort()),
         QStringLiteral("Сервер не поддерживает управление портом по RFC 2217: включите этот "
                        "режим на сервере или откройте порт как tcp://УЗЕЛ:ПОРТ")},
        {"raw door asked for RFC 2217",
         QStringLiteral("rfc2217://127.0.0.1:%1").arg(bridge.rawPort()),
         QStringLiteral("Сервер не ответил на согласование RFC 2217 за 1 с: если он передаёт "
                        "байты без Telnet, откройте порт как tcp://УЗЕЛ:ПОРТ")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QThread::msleep(150); // the bridge lets go of the terminal after the last user
        Link rig(timings);
        EXPECT_FALSE(rig.link->Open(c.name));
        EXPECT_EQ(rig.notifier.errors, QStringList{test::PortMessage(c.name, c.reason)});
    }
}

} // namespace
} // namespace sr5n
