// What the configurator remembers between runs.
#include "app/UserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sr5n {
namespace {

TEST(UserSettings, TheLastPortOutlivesTheRun)
{
    EXPECT_TRUE(UserSettings().lastPort().isEmpty());
    UserSettings().setLastPort(QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A5XK3RJP"));
    // A new object reads the file anew, as the next run does.
    EXPECT_EQ(UserSettings().lastPort(),
              QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A5XK3RJP"));
    UserSettings().setLastPort(QStringLiteral("   "));
    EXPECT_EQ(UserSettings().lastPort(),
              QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_A5XK3RJP"))
        << "an empty field is not a port";
}

TEST(UserSettings, ServerPortsThatWorkedAreKeptMostRecentFirst)
{
    const QString a = QStringLiteral("tcp://10.0.0.5:4001");
    const QString b = QStringLiteral("rfc2217://box.local:2217");
    // Local ports and malformed server addresses are never offered as servers.
    for (const QString &port : {QStringLiteral("ttyUSB0"), QStringLiteral("/dev/pts/3"),
                                QStringLiteral("tcp://10.0.0.5"), a, b, a})
        UserSettings().setLastPort(port);
    EXPECT_EQ(UserSettings().networkPorts(), QStringList({a, b})) << "used again: first, once";
    EXPECT_EQ(UserSettings().lastPort(), a);

    for (int i = 0; i < UserSettings::MaxNetworkPorts + 3; ++i)
        UserSettings().setLastPort(QStringLiteral("tcp://10.0.1.%1:4001").arg(i));
    const QStringList kept = UserSettings().networkPorts();
    ASSERT_EQ(kept.size(), UserSettings::MaxNetworkPorts);
    EXPECT_EQ(kept.constFirst(),
              QStringLiteral("tcp://10.0.1.%1:4001").arg(UserSettings::MaxNetworkPorts + 2));
    EXPECT_FALSE(kept.contains(a)) << "the oldest go";
}

TEST(UserSettings, EachDialogKeepsItsOwnFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir root(dir.path());
    using Folder = UserSettings::Folder;
    const struct {
        Folder dialog;
        const char *name;
    } folders[] = {{Folder::OpenConfiguration, "открыть"},
                   {Folder::SaveConfiguration, "сохранить"},
                   {Folder::Export, "экспорт"},
                   {Folder::ProtocolFile, "протоколы"},
                   {Folder::AnyDialog, "последняя"}};
    UserSettings settings;
    for (const auto &f : folders) {
        ASSERT_TRUE(root.mkdir(QString::fromUtf8(f.name)));
        EXPECT_TRUE(settings.folder(f.dialog).isEmpty());
        settings.setFolder(f.dialog, root.filePath(QString::fromUtf8(f.name)));
    }
    const UserSettings nextRun;
    for (const auto &f : folders)
        EXPECT_EQ(nextRun.folder(f.dialog), root.filePath(QString::fromUtf8(f.name))) << f.name;

    // A folder that is gone is forgotten rather than offered.
    ASSERT_TRUE(QDir(root.filePath(QStringLiteral("экспорт"))).removeRecursively());
    EXPECT_TRUE(nextRun.folder(Folder::Export).isEmpty());
}

TEST(UserSettings, KeptInTheUsersConfigurationFolder)
{
    // The program's file is in the user's configuration folder under a name
    // of its own; the tests move that folder into a temporary one.
    const QFileInfo file(UserSettings::fileName());
    EXPECT_EQ(file.fileName(), QStringLiteral("sr5n-configurator.ini"));
    EXPECT_EQ(file.dir().dirName(), QStringLiteral("sr5n-configurator"));
    EXPECT_TRUE(file.absoluteFilePath().startsWith(QDir::tempPath()));
    UserSettings().setLastPort(QStringLiteral("ttyUSB0"));
    EXPECT_TRUE(file.exists());
}

TEST(UserSettings, WriteVerificationIsOffUntilTurnedOnAndIsKept)
{
    EXPECT_FALSE(UserSettings().verifyWrites());
    UserSettings().setVerifyWrites(true);
    EXPECT_TRUE(UserSettings().verifyWrites());
    UserSettings().setVerifyWrites(false);
    EXPECT_FALSE(UserSettings().verifyWrites());
}

} // namespace
} // namespace sr5n
