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

TEST(UserSettings, EachDialogKeepsItsOwnFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir root(dir.path());
    for (const char *folder : {"открыть", "сохранить", "экспорт"})
        ASSERT_TRUE(root.mkdir(QString::fromUtf8(folder)));

    UserSettings settings;
    EXPECT_TRUE(settings.folder(UserSettings::Folder::Open).isEmpty());
    settings.setFolderOf(UserSettings::Folder::Open,
                         root.filePath(QStringLiteral("открыть/a.snc")));
    settings.setFolderOf(UserSettings::Folder::Save,
                         root.filePath(QStringLiteral("сохранить/b.snc")));
    settings.setFolderOf(UserSettings::Folder::Export,
                         root.filePath(QStringLiteral("экспорт/c.html")));

    const UserSettings nextRun;
    EXPECT_EQ(nextRun.folder(UserSettings::Folder::Open), root.filePath(QStringLiteral("открыть")));
    EXPECT_EQ(nextRun.folder(UserSettings::Folder::Save),
              root.filePath(QStringLiteral("сохранить")));
    EXPECT_EQ(nextRun.folder(UserSettings::Folder::Export),
              root.filePath(QStringLiteral("экспорт")));

    // A folder that is gone is forgotten rather than offered.
    ASSERT_TRUE(QDir(root.filePath(QStringLiteral("экспорт"))).removeRecursively());
    EXPECT_TRUE(nextRun.folder(UserSettings::Folder::Export).isEmpty());
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

} // namespace
} // namespace sr5n
