// Why a port cannot be opened: the second line under "Порт … недоступен",
// from what the system reports, on real terminals.
#include "common/SimProcess.h"

#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "link/PortOpenFailure.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace sr5n {
namespace {

using Reason = PortOpenFailure::Reason;

TEST(PortOpenFailure, TheReasonFollowsFromWhatIsKnown)
{
    const struct {
        const char *name;
        PortOpenFailure::Facts facts;
        Reason reason;
    } cases[] = {
        {"no name", {false, false, true, QSerialPort::DeviceNotFoundError, {}}, Reason::NoName},
        {"no device file",
         {true, false, true, QSerialPort::PermissionError, {}},
         Reason::NoSuchPort},
        {"reported missing",
         {true, true, true, QSerialPort::DeviceNotFoundError, {}},
         Reason::NoSuchPort},
        {"no rights",
         {true, true, false, QSerialPort::PermissionError, {}},
         Reason::PermissionDenied},
        {"rights, still refused",
         {true, true, true, QSerialPort::PermissionError, {}},
         Reason::InUse},
        {"other error",
         {true, true, true, QSerialPort::UnknownError, QStringLiteral("EIO")},
         Reason::Other},
        {"nothing reported", {true, true, true, QSerialPort::NoError, {}}, Reason::Unknown},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PortOpenFailure::classify(c.facts), c.reason) << c.name;

    EXPECT_EQ(PortOpenFailure::text(Reason::Other, QStringLiteral("Input/output error")),
              QStringLiteral("Система сообщает: Input/output error"));
    EXPECT_TRUE(PortOpenFailure::text(Reason::Other).isEmpty());
    EXPECT_TRUE(PortOpenFailure::text(Reason::Unknown).isEmpty());
    EXPECT_EQ(PortOpenFailure::devicePath(QStringLiteral("ttyUSB0")),
              QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(PortOpenFailure::devicePath(QStringLiteral("/dev/pts/3")),
              QStringLiteral("/dev/pts/3"));
}

// The link as the program has it, on short timings.
struct Link {
    test::FakeNotifier notifier;
    TVaComm comm{nullptr, test::ShortLinkTimings()};
    TVaCapture capture{notifier};
    std::unique_ptr<TConnection> link;

    Link()
    {
        capture.SetComm(&comm);
        link = std::make_unique<TConnection>(capture, notifier, test::ShortLinkTimings());
    }

    // The one message of a failed opening.
    QString openFailure(const QString &port)
    {
        notifier.clear();
        if (link->Open(port)) {
            link->Close();
            return QStringLiteral("(opened)");
        }
        return notifier.errors.join(QStringLiteral(" | "));
    }
};

TEST(PortOpenFailure, AMissingPortSaysSo)
{
    Link rig;
    for (const QString &port :
         {QStringLiteral("ttyUSB97"), QStringLiteral("/dev/serial/by-id/usb-sr5n-unplugged")})
        EXPECT_EQ(rig.openFailure(port), test::NoSuchPortMessage(port));
    EXPECT_EQ(rig.openFailure(QString()), QStringLiteral("Порт  недоступен\nИмя порта не указано"));
    EXPECT_EQ(rig.notifier.flashes, 1);
}

// Opening as a user without rights to the terminal: the test's own user, or,
// when the tests run as root (who may open anything), the user "nobody" for
// the moment of opening.
class WithoutRoot
{
public:
    WithoutRoot()
    {
        if (::geteuid() == 0)
            m_dropped = ::seteuid(65534) == 0;
    }
    ~WithoutRoot()
    {
        if (m_dropped) {
            EXPECT_EQ(::seteuid(0), 0);
        }
    }
    bool ok() const { return m_dropped || ::geteuid() != 0; }

private:
    bool m_dropped = false;
};

// Named by its path, or by its bare name under /dev as a user types ttyUSB0:
// the rights are those of the device file the name stands for, not of a file
// of that name in the current folder.
TEST(PortOpenFailure, ATerminalWithoutRightsAdvisesTheDialoutGroup)
{
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(sim.path().startsWith(QLatin1String("/dev/")));
    // Root's terminal, closed to others; or closed to its owner.
    const mode_t mode = ::geteuid() == 0 ? 0600 : 0;
    ASSERT_EQ(::chmod(QFile::encodeName(sim.path()).constData(), mode), 0);
    // From a folder anyone may search, so that the bare name looked up in the
    // current folder would show as a file that is not there.
    QTemporaryDir folder;
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const auto back = qScopeGuard([&before] { QDir::setCurrent(before); });
    for (const QString &name : {sim.path(), sim.path().mid(5)}) {
        SCOPED_TRACE(qPrintable(name));
        Link rig;
        QString message;
        {
            WithoutRoot user;
            ASSERT_TRUE(user.ok());
            message = rig.openFailure(name);
        }
        EXPECT_EQ(message, test::PermissionDeniedMessage(name));
        EXPECT_FALSE(rig.link->Opened());
    }
}

TEST(PortOpenFailure, APortHeldByAnotherProgramIsInUse)
{
    test::SimProcess sim;
    ASSERT_TRUE(sim.started());
    QProcess holder;
    holder.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-test-port-holder"), {sim.path()});
    ASSERT_TRUE(holder.waitForReadyRead(5000)) << holder.readAllStandardError().toStdString();
    ASSERT_EQ(holder.readLine().trimmed(), QByteArray("held"));

    Link rig;
    EXPECT_EQ(rig.openFailure(sim.path()), test::InUseMessage(sim.path()));

    // Once the other program lets go, the port opens.
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(5000));
    EXPECT_EQ(rig.openFailure(sim.path()), QStringLiteral("(opened)"));
}

} // namespace
} // namespace sr5n
