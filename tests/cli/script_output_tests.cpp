// What sr5n-cli writes for scripts: output files of every kind, and the
// checks of a JSON text that the parser leaves out.
#include "cli/JsonKeys.h"
#include "cli/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace sr5n;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isCharacterDevice(const QString &path)
{
    struct stat info {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISCHR(info.st_mode);
}

} // namespace

TEST(OutputFile, ReplacesOnlyRegularFilesAndWritesDevicesAsTheyAre)
{
    QTemporaryDir folder;
    const QString regular = folder.filePath(QStringLiteral("old.snc"));
    QFile file(regular);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old contents, longer than the new");
    file.close();
    ASSERT_TRUE(QFile::setPermissions(regular, QFile::ReadOwner | QFile::WriteOwner));
    const QString missing = folder.filePath(QStringLiteral("new.snc"));
    const QString link = folder.filePath(QStringLiteral("link.snc"));
    ASSERT_TRUE(QFile::link(regular, link));

    EXPECT_EQ(OutputFile::kindOf(QString()), OutputFile::Kind::StandardOutput);
    EXPECT_EQ(OutputFile::kindOf(QStringLiteral("-")), OutputFile::Kind::StandardOutput);
    EXPECT_EQ(OutputFile::kindOf(missing), OutputFile::Kind::Replaced);
    EXPECT_EQ(OutputFile::write(missing, "new"), std::nullopt);
    EXPECT_EQ(contents(missing), QByteArray("new"));

    // A link stays a link; the file it leads to gets the new contents and keeps its permissions.
    EXPECT_EQ(OutputFile::write(link, "via link"), std::nullopt);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contents(regular), QByteArray("via link"));
    struct stat info {
    };
    ASSERT_EQ(::stat(QFile::encodeName(regular).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);

    // A named pipe is written, not replaced by a file.
    const QString pipe = folder.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(OutputFile::kindOf(pipe), OutputFile::Kind::Direct);
    QByteArray piped;
    std::thread reader([&] {
        QFile end(pipe);
        if (end.open(QIODevice::ReadOnly))
            piped = end.readAll();
    });
    EXPECT_EQ(OutputFile::write(pipe, "through the pipe"), std::nullopt);
    reader.join();
    EXPECT_EQ(piped, QByteArray("through the pipe"));
    EXPECT_FALSE(QFileInfo(pipe).isFile());
}

TEST(OutputFile, DeviceNodeStaysADevice)
{
    // A node made here, never a system one: /dev/null's numbers.
    QTemporaryDir folder;
    const QString node = folder.filePath(QStringLiteral("mynull"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "device nodes cannot be made here";
    EXPECT_EQ(OutputFile::kindOf(node), OutputFile::Kind::Direct);
    EXPECT_EQ(OutputFile::write(node, QByteArray(100000, 'x')), std::nullopt);
    EXPECT_TRUE(isCharacterDevice(node));
    EXPECT_EQ(QDir(folder.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("mynull")});
}

TEST(OutputFile, FailureNamesThePathAndTheReason)
{
    QTemporaryDir folder;
    const QString socketPath = folder.filePath(QStringLiteral("socket"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    const QString readOnly = folder.filePath(QStringLiteral("locked"));
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);

    const struct {
        QString path;
        const char *reason;
    } cases[] = {
        {folder.path(), "это папка"},
        {socketPath, "это сокет, а не файл"},
        {folder.filePath(QStringLiteral("none/x.snc")), "нет такой папки"},
        {QStringLiteral("/dev/full"), "нет места на диске"},
        // Root may write anywhere: the case counts only for a user.
        {readOnly + QStringLiteral("/x.snc"), ::geteuid() == 0 ? nullptr : "нет прав на запись"},
    };
    for (const auto &c : cases) {
        if (!c.reason)
            continue;
        EXPECT_EQ(OutputFile::write(c.path, "bytes"),
                  QStringLiteral("Невозможно сохранить файл \"%1\": %2")
                      .arg(c.path, QString::fromUtf8(c.reason)))
            << c.path.toStdString();
    }
    ::close(fd);
    // A refused path is left as it was.
    EXPECT_TRUE(QFileInfo(folder.path()).isDir());
}

TEST(JsonKeys, AKeyGivenTwiceInOneObjectIsFound)
{
    const struct {
        const char *json;
        const char *fault;
    } cases[] = {
        {R"({"a": 1, "b": 2})", nullptr},
        {R"({"a": 1, "b": {"a": 2}, "c": [{"a": 3}, {"a": 4}]})", nullptr},
        // A value equal to a key is no key.
        {R"({"a": "a", "b": ["a", "a"]})", nullptr},
        {R"({"trb1PCallsTrialCount": 3, "x": 0, "trb1PCallsTrialCount": 4})",
         "ключ \"trb1PCallsTrialCount\" повторяется"},
        {R"({"a": 1, "\u0061": 2})", "ключ \"a\" повторяется"},
        {R"({"mgdExternalEvents": [{"Код": 1, "В/П": true, "В/П": false}]})",
         "ключ \"В/П\" повторяется в \"mgdExternalEvents\""},
        {R"({"a \"q\"": 1, "a \"q\"": 2})", "ключ \"a \"q\"\" повторяется"},
    };
    for (const auto &c : cases) {
        const std::optional<QString> found = DuplicateJsonKey(QByteArray(c.json));
        if (c.fault)
            EXPECT_EQ(found, QString::fromUtf8(c.fault)) << c.json;
        else
            EXPECT_EQ(found, std::nullopt) << c.json;
    }
}

TEST(JsonKeys, PlaceCountsLinesAndCharactersNotBytes)
{
    const QByteArray text = QStringLiteral("{\n  \"имя\": x\n}").toUtf8();
    const qsizetype offset = text.indexOf('x');
    const TextPlace place = PlaceOfOffset(text, offset);
    EXPECT_EQ(place.line, 2);
    EXPECT_EQ(place.column, 10);
}

TEST(JsonKeys, EchoIsCutAndItsControlCharactersShown)
{
    EXPECT_EQ(ReadableEcho(QStringLiteral("30 с")), QStringLiteral("30 с"));
    EXPECT_EQ(ReadableEcho(QString(QChar(0)) + u'A'), QStringLiteral("\\u0000A"));
    const QString huge(10'000'000, u'A');
    EXPECT_EQ(ReadableEcho(huge), QString(60, u'A') + QStringLiteral("… (10000000 знаков)"));
}
