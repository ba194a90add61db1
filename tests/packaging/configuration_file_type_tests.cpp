// The desktop's file type of configuration files, as the package installs it:
// recognised by the file's first record, and by the extension ".snc".
#include "config/ConfigurationFile.h"
#include "common/DataFile.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

const QString Type = QStringLiteral("application/x-sr5n-configuration");

TEST(ConfigurationFileType, KnownByItsHeaderAndItsExtension)
{
    // The desktop's type database of a user who has only this package's type.
    QTemporaryDir data;
    const QString packages = QDir(data.path()).filePath(QStringLiteral("mime/packages"));
    ASSERT_TRUE(QDir().mkpath(packages));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SR5N_MIME_XML),
                            QDir(packages).filePath(QStringLiteral("sr5n-configurator.xml"))));
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());

    QTemporaryDir files;
    const auto path = [&](const char *name) {
        return QDir(files.path()).filePath(QLatin1String(name));
    };
    const QStringList commands{QStringLiteral("1E")}, blocks{QStringLiteral("00")};
    ASSERT_TRUE(WriteConfigurationFile(path("saved.snc"), blocks, commands));
    ASSERT_TRUE(WriteConfigurationFile(path("saved-elsewhere.bin"), blocks, commands));
    {
        // Another file of the same record pattern, and a file of no pattern.
        DataFileWriter protocols(FileTypes::ProtocolList);
        ASSERT_TRUE(protocols.open(path("prtcls.bin")) && protocols.writeNumber(0) &&
                    protocols.commit());
        QFile text(path("notes.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("SR-5/N Configuration File\n");
    }

    const struct {
        const char *file;
        bool ours;
    } cases[] = {{"saved.snc", true},
                 {"saved-elsewhere.bin", true},
                 {"prtcls.bin", false},
                 {"notes.txt", false}};
    QMimeDatabase database;
    for (const auto &c : cases) {
        EXPECT_EQ(database.mimeTypeForFile(path(c.file)).name() == Type, c.ours) << c.file;
        EXPECT_EQ(database.mimeTypeForFile(path(c.file), QMimeDatabase::MatchContent).name() ==
                      Type,
                  c.ours)
            << c.file << " by content";
    }
    EXPECT_EQ(
        database.mimeTypeForFile(QStringLiteral("any.snc"), QMimeDatabase::MatchExtension).name(),
        Type);
}

} // namespace
