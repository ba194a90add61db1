#include "ProtocolFixtures.h"
#include "common/FakeNotifier.h"

#include "config/ConfigModel.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/ProtocolLibraryLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace sr5n;
using test::Protocol;

namespace {

const QString Installed = QStringLiteral("00000100000000000000000000000000050510");
const QString Users = QStringLiteral("00000100000000000000000000000000050511");

// An installation folder with its library, and a home with a data folder
// that does not exist yet.
struct LibraryLocation : ::testing::Test {
    QTemporaryDir root;
    QString installation = QDir(root.path()).filePath(QStringLiteral("lib/sr5n-configurator"));
    QString user =
        QDir(root.path()).filePath(QStringLiteral("home/.local/share/sr5n-configurator"));

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(installation));
        ASSERT_TRUE(test::WriteProtocolList(installedLibrary(),
                                            {{QStringLiteral("Installed"), Installed}}));
    }

    QString installedLibrary() const
    {
        return QDir(installation).filePath(QStringLiteral("prtcls.bin"));
    }
    QString userLibrary() const { return QDir(user).filePath(QStringLiteral("prtcls.bin")); }
};

TEST_F(LibraryLocation, WritableInstallationKeepsTheLibraryBesideTheExecutable)
{
    EXPECT_EQ(ProtocolLibraryLocation::prepare(installation, true, user), installation);
    EXPECT_FALSE(QFileInfo::exists(user)) << "nothing is made in the user's folder";
}

TEST_F(LibraryLocation, FirstUseStartsTheUsersLibraryFromTheInstalledOne)
{
    EXPECT_EQ(ProtocolLibraryLocation::prepare(installation, false, user), user);
    const auto copied = test::ReadProtocolList(userLibrary());
    ASSERT_TRUE(copied.has_value());
    EXPECT_EQ(*copied, (QList<Protocol>{{QStringLiteral("Installed"), Installed}}));
    EXPECT_TRUE(QFileInfo(userLibrary()).permissions() & QFile::WriteOwner);
}

TEST_F(LibraryLocation, UsersLibrarySurvivesAnUpgradeOfTheInstalledOne)
{
    ASSERT_TRUE(QDir().mkpath(user));
    ASSERT_TRUE(test::WriteProtocolList(userLibrary(), {{QStringLiteral("Mine"), Users}}));
    // The upgrade brings another installed library; the user's stays as it is.
    ASSERT_TRUE(test::WriteProtocolList(installedLibrary(), {{QStringLiteral("New"), Installed}}));
    EXPECT_EQ(ProtocolLibraryLocation::prepare(installation, false, user), user);
    EXPECT_EQ(test::ReadProtocolList(userLibrary()),
              (QList<Protocol>{{QStringLiteral("Mine"), Users}}));
}

TEST_F(LibraryLocation, WithoutAnInstalledLibraryTheUserStartsWithNone)
{
    ASSERT_TRUE(QFile::remove(installedLibrary()));
    EXPECT_EQ(ProtocolLibraryLocation::prepare(installation, false, user), user);
    EXPECT_FALSE(QFileInfo::exists(userLibrary()));
}

// The library of a read-only installation: loaded from the user's copy, and
// every change written there; the installed file is never touched.
TEST_F(LibraryLocation, ChangesGoToTheUsersLibraryOnly)
{
    const QByteArray installedBytes = [this] {
        QFile file(installedLibrary());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ConfigModel model;
    ProtocolEditor editor{model};
    test::FakeNotifier notifier;
    ProtocolLibrary library{model, editor, notifier,
                            ProtocolLibraryLocation::prepare(installation, false, user)};
    ASSERT_TRUE(library.LoadProtocolList());
    library.RegisterProtocol(QStringLiteral("Mine"), Users);
    ASSERT_TRUE(library.SaveProtocolList());
    EXPECT_TRUE(notifier.errors.isEmpty()) << notifier.errors.join(u'\n').toStdString();

    EXPECT_EQ(test::ReadProtocolList(userLibrary()),
              (QList<Protocol>{{QStringLiteral("Installed"), Installed},
                               {QStringLiteral("Mine"), Users}}));
    QFile installed(installedLibrary());
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    EXPECT_EQ(installed.readAll(), installedBytes);
}

// A user of an earlier version ran the program from a copy of the whole
// installation: the copy goes, the user's library and other files stay.
TEST_F(LibraryLocation, CopiedInstallationIsRemovedAndTheUsersLibraryKept)
{
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QStringList installed{executable, QStringLiteral("sr5n-sim"),
                                QStringLiteral("sintevs.bin"), QStringLiteral("SR5N_Conf_RE.pdf")};
    const auto touch = [](const QString &folder, const QString &name) {
        QFile file(QDir(folder).filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    };
    ASSERT_TRUE(QDir().mkpath(user));
    for (const QString &name : installed) {
        ASSERT_TRUE(touch(installation, name));
        ASSERT_TRUE(touch(user, name));
    }
    ASSERT_TRUE(touch(user, QStringLiteral("notes.txt")));
    ASSERT_TRUE(test::WriteProtocolList(userLibrary(), {{QStringLiteral("Mine"), Users}}));

    EXPECT_EQ(ProtocolLibraryLocation::prepare(installation, false, user), user);
    EXPECT_EQ(QDir(user).entryList(QDir::Files, QDir::Name),
              QStringList({"notes.txt", "prtcls.bin"}));
    EXPECT_EQ(test::ReadProtocolList(userLibrary()),
              (QList<Protocol>{{QStringLiteral("Mine"), Users}}));
    EXPECT_EQ(QDir(installation).entryList(QDir::Files).size(), installed.size() + 1)
        << "the installation is untouched";
}

TEST_F(LibraryLocation, FilesWithoutTheCopiedProgramAreNotACopy)
{
    ASSERT_TRUE(QDir().mkpath(user));
    QFile data(QDir(installation).filePath(QStringLiteral("sintevs.bin")));
    ASSERT_TRUE(data.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::copy(data.fileName(), QDir(user).filePath(QStringLiteral("sintevs.bin"))));
    ProtocolLibraryLocation::removeCopiedInstallation(installation, user);
    EXPECT_TRUE(QFileInfo::exists(QDir(user).filePath(QStringLiteral("sintevs.bin"))));
    // One folder for both (a portable copy there): nothing is removed from it.
    QFile executable(
        QDir(installation).filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    ASSERT_TRUE(executable.open(QIODevice::WriteOnly));
    executable.close();
    ProtocolLibraryLocation::removeCopiedInstallation(installation, installation);
    EXPECT_EQ(QDir(installation).entryList(QDir::Files).size(), 3);
}

// Whether the owner of `folder` may write into it, asked as that owner: root
// writes anywhere, so under root an ordinary user owns it and is asked.
constexpr uid_t Nobody = 65534;

bool writableForItsOwner(const QString &folder)
{
    if (::geteuid() != 0)
        return ProtocolLibraryLocation::isWritableFolder(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(Nobody) == 0 && ::setuid(Nobody) == 0;
        ::_exit(!dropped ? 2 : ProtocolLibraryLocation::isWritableFolder(folder) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2)
        << "could not become an ordinary user";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(LibraryLocation, WritableFolders)
{
    EXPECT_TRUE(ProtocolLibraryLocation::isWritableFolder(installation));
    EXPECT_FALSE(ProtocolLibraryLocation::isWritableFolder(user)) << "missing";
    EXPECT_FALSE(ProtocolLibraryLocation::isWritableFolder(installedLibrary())) << "a file";

    if (::geteuid() == 0) {
        ASSERT_TRUE(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                           QFile::ExeOwner | QFile::ReadOther |
                                                           QFile::ExeOther));
        ASSERT_EQ(::chown(QFile::encodeName(installation).constData(), Nobody, Nobody), 0);
    }
    EXPECT_TRUE(writableForItsOwner(installation));
    const QFile::Permissions readOnly =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(installation, readOnly));
    EXPECT_FALSE(writableForItsOwner(installation));
    QFile::setPermissions(installation, readOnly | QFile::WriteOwner);
}

} // namespace
