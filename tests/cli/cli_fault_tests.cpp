// sr5n-cli where users' set-ups and scripts meet its edges: a data folder the
// user cannot write, read-only commands and the catalogue, named pipes,
// closed pipes, missing files and two names of one device.
#include "cli/CliRun.h"
#include "common/SimProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

#include <csignal>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sr5n {
namespace {

using test::RunCli;

const QString Quiet = QStringLiteral("--quiet");
const QString Program = QStringLiteral(SR5N_BIN_DIR "/sr5n-cli-short");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A configuration file read from a fresh simulator, recording nothing.
QString readConfiguration(const QTemporaryDir &folder)
{
    test::SimProcess sim({Quiet});
    const QString file = folder.filePath(QStringLiteral("read.snc"));
    const test::CliRun read = RunCli({"read", "--no-catalog", "--port", sim.path(), "-o", file});
    EXPECT_EQ(read.status, 0) << read.err.toStdString();
    return file;
}

// The entries of every object of the user's catalogue.
int catalogueEntries()
{
    const test::CliRun list = RunCli({"objects", "list", "--json"});
    int entries = 0;
    for (const QJsonValue &object : QJsonDocument::fromJson(list.out.toUtf8()).array()) {
        const test::CliRun show =
            RunCli({"objects", "show", object.toObject()["id"].toString(), "--json"});
        entries +=
            int(QJsonDocument::fromJson(show.out.toUtf8()).object()["entries"].toArray().size());
    }
    return entries;
}

// Commands that only read files (or write one from JSON) leave the catalogue
// as it was, with or without --catalog and --no-catalog; a diff against a
// device records the device's read.
TEST(CliFaults, ReadOnlyCommandsRecordNothing)
{
    QTemporaryDir folder;
    const QString file = readConfiguration(folder);
    const QString json = folder.filePath(QStringLiteral("c.json"));
    const QString other = folder.filePath(QStringLiteral("other.sqlite"));
    const QList<QStringList> commands = {
        {"json", file},
        {"json", file, "-o", json},
        {"json", "--import", json, "-o", folder.filePath(QStringLiteral("back.snc"))},
        {"diff", file, file},
        {"export", file, "-o", folder.filePath(QStringLiteral("r.html"))},
    };
    for (const QStringList &command : commands) {
        for (const QStringList &more :
             {QStringList(), QStringList{"--no-catalog"}, QStringList{"--catalog", other}}) {
            const test::CliRun run = RunCli(command + more);
            EXPECT_EQ(run.status, 0)
                << (command + more).join(u' ').toStdString() << run.err.toStdString();
        }
    }
    EXPECT_EQ(catalogueEntries(), 0);
    EXPECT_FALSE(QFileInfo::exists(other));

    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const test::CliRun diff = RunCli({"diff", file, QStringLiteral("device:") + sim.path()});
    EXPECT_EQ(diff.status, 0) << diff.err.toStdString();
    EXPECT_EQ(catalogueEntries(), 1) << "the device's read, not the file";
}

// A missing, empty or unreadable input file is named with what is wrong.
TEST(CliFaults, AnInputFileThatCannotBeReadIsNamedWithItsReason)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing.snc"));
    const QString empty = folder.filePath(QStringLiteral("empty.snc"));
    QFile(empty).open(QIODevice::WriteOnly);
    const QString dangling = folder.filePath(QStringLiteral("dangling.snc"));
    ASSERT_TRUE(QFile::link(missing, dangling));
    const struct {
        QString path;
        const char *reason;
    } files[] = {{missing, "нет такого файла"},
                 {empty, "файл пуст"},
                 {dangling, "ссылка ведет к несуществующему файлу"},
                 {folder.path(), "это не обычный файл"}};
    for (const auto &input : files) {
        const QString told = QStringLiteral("Невозможно прочитать файл \"%1\": %2")
                                 .arg(input.path, QString::fromUtf8(input.reason));
        for (const QStringList &command :
             {QStringList{"write", "--port", "/dev/null", input.path},
              QStringList{"json", input.path},
              QStringList{"json", "--import", input.path, "-o",
                          folder.filePath(QStringLiteral("x.snc"))},
              QStringList{"diff", input.path, input.path},
              QStringList{"export", input.path, "-o", folder.filePath(QStringLiteral("x.html"))}}) {
            const test::CliRun run = RunCli(command);
            EXPECT_EQ(run.status, 3) << command.join(u' ').toStdString();
            EXPECT_TRUE(run.err.contains(told)) << command.join(u' ').toStdString() << "\n"
                                                << run.err.toStdString();
        }
    }
}

// `-o` a named pipe that nobody reads: the wait is told and Ctrl+C ends it.
TEST(CliFaults, APipeNobodyReadsIsWaitedForUntilCtrlC)
{
    QTemporaryDir folder;
    const QString file = readConfiguration(folder);
    const QString fifo = folder.filePath(QStringLiteral("out.json"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess cli;
    cli.start(Program, {"json", file, "-o", fifo});
    ASSERT_TRUE(cli.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    QByteArray err;
    while (!err.contains("никто не читает") && waited.elapsed() < 30000) {
        cli.waitForReadyRead(100);
        err += cli.readAllStandardError();
    }
    ASSERT_TRUE(err.contains(QStringLiteral("Канал \"%1\" никто не читает").arg(fifo).toUtf8()))
        << err.toStdString();
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(10000)) << "the wait must end on Ctrl+C";
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130);
    err += cli.readAllStandardError();
    EXPECT_TRUE(err.contains(
        QStringLiteral("Невозможно сохранить файл \"%1\": прервано").arg(fifo).toUtf8()))
        << err.toStdString();

    // A reader that comes takes the whole output.
    QProcess late;
    late.start(Program, {"json", file, "-o", fifo});
    ASSERT_TRUE(late.waitForStarted());
    QThread::msleep(300);
    QFile reader(fifo);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    const QByteArray got = reader.readAll();
    ASSERT_TRUE(late.waitForFinished(30000));
    EXPECT_EQ(late.exitCode(), 0) << late.readAllStandardError().toStdString();
    EXPECT_TRUE(QJsonDocument::fromJson(got).isObject()) << got.left(80).toStdString();
}

// A dangling link given to -o stays a link: the file it names is written.
TEST(CliFaults, ADanglingLinkIsWrittenThrough)
{
    QTemporaryDir folder;
    const QString file = readConfiguration(folder);
    const QString target = folder.filePath(QStringLiteral("target.json"));
    const QString link = folder.filePath(QStringLiteral("link.json"));
    ASSERT_TRUE(QFile::link(target, link));
    const test::CliRun run = RunCli({"json", file, "-o", link});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QJsonDocument::fromJson(contents(target)).isObject());
}

// `| head`: the reader ends, the output ends silently with 141.
TEST(CliFaults, AClosedPipeEndsTheOutputSilently)
{
    QTemporaryDir folder;
    const QString file = readConfiguration(folder);
    QProcess shell;
    shell.start(QStringLiteral("bash"),
                {"-c", "\"$0\" json \"$1\" 2>\"$2\" | true; echo \"${PIPESTATUS[0]}\"", Program,
                 file, folder.filePath(QStringLiteral("err.txt"))});
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.readAllStandardOutput().trimmed(), "141");
    EXPECT_EQ(contents(folder.filePath(QStringLiteral("err.txt"))), QByteArray());
}

// Usage errors under --json are a JSON object on standard output too.
TEST(CliFaults, AWrongCommandLineUnderJsonIsAJsonObject)
{
    QTemporaryDir folder;
    const QString catalog = folder.filePath(QStringLiteral("c.sqlite"));
    for (const QStringList &arguments :
         {QStringList{"read", "--json"}, QStringList{"objects", "show", "--json"},
          QStringList{"objects", "show", "nothing-like-it", "--json", "--catalog", catalog},
          QStringList{"objects", "export", "nothing-like-it", "--json", "--catalog", catalog}}) {
        const test::CliRun run = RunCli(arguments);
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        EXPECT_EQ(result["outcome"].toString(), "failed") << run.out.toStdString();
        EXPECT_EQ(result["status"].toInt(), run.status);
        EXPECT_FALSE(result["message"].toString().isEmpty());
    }
}

// Two names of one device: the second is refused while the first works it.
TEST(CliFaults, ALinkAndItsDeviceAreOnePort)
{
    QTemporaryDir folder;
    // Slow answers: the first read holds the port for seconds.
    test::SimProcess sim({Quiet, QStringLiteral("--delay"), QStringLiteral("5")});
    ASSERT_TRUE(sim.started());
    const QString link = folder.filePath(QStringLiteral("device"));
    ASSERT_TRUE(QFile::link(sim.path(), link));
    QProcess first;
    first.start(Program, {"read", "--no-catalog", "--port", sim.path(), "-o",
                          folder.filePath(QStringLiteral("a.snc"))});
    ASSERT_TRUE(first.waitForStarted());
    QThread::msleep(500);
    const test::CliRun second =
        RunCli({"read", "--no-catalog", "--port", link, "-o", folder.filePath("b.snc")});
    ASSERT_TRUE(first.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.status, 3);
    EXPECT_TRUE(second.err.contains(QStringLiteral("Порт занят другой программой")))
        << second.err.toStdString();

    // Two names that give one file for {port} are refused before any work.
    const test::CliRun same =
        RunCli({"read", "--port", "pts/4", "--port", "pts_4", "-o", "x-{port}.snc"});
    EXPECT_EQ(same.status, 2);
    EXPECT_TRUE(same.err.contains(QStringLiteral("записали бы один и тот же файл x-pts_4.snc")))
        << same.err.toStdString();
}

// sr5n-cli run by an unprivileged user ("nobody") from `folder`.
test::CliRun runAsNobody(const QStringList &arguments, const QProcessEnvironment &environment,
                         const QString &folder)
{
    const passwd *nobody = getpwnam("nobody");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("setpriv"),
                  QStringList{QStringLiteral("--reuid=%1").arg(nobody ? nobody->pw_uid : 65534),
                              QStringLiteral("--regid=%1").arg(nobody ? nobody->pw_gid : 65534),
                              QStringLiteral("--clear-groups"), Program} +
                      arguments);
    test::CliRun run;
    if (process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A user whose data folder cannot be written still reads and writes devices
// with the installed protocol library; registering is refused before
// anything is sent, naming the folder.
TEST(CliFaults, AReadOnlyDataFolderLeavesDeviceWorkAlone)
{
    const passwd *nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(geteuid(), 0u) << "the tests switch to an unprivileged user";
    QTemporaryDir folder;
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    // The user's data folder exists and is not his to write.
    const QString home = folder.filePath(QStringLiteral("home"));
    const QString data = home + QStringLiteral("/.local/share");
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/sr5n-configurator")));
    // Where the user writes his files.
    const QString work = folder.filePath(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    ASSERT_EQ(::chown(QFile::encodeName(work).constData(), nobody->pw_uid, nobody->pw_gid), 0);

    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(::chmod(QFile::encodeName(sim.path()).constData(), 0666), 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    const auto asUser = [&](const QStringList &arguments) {
        return runAsNobody(arguments, environment, work);
    };
    const QString file = work + QStringLiteral("/read.snc");
    for (const QStringList &more : {QStringList{"--no-catalog"}, QStringList()}) {
        const test::CliRun read =
            asUser(QStringList{"read", "--port", sim.path(), "-o", file} + more);
        EXPECT_EQ(read.status, 0) << read.err.toStdString();
        EXPECT_FALSE(read.err.contains(QStringLiteral("список протоколов")))
            << read.err.toStdString();
        ASSERT_TRUE(QFileInfo::exists(file));
        const test::CliRun write = asUser(QStringList{"write", "--port", sim.path(), file} + more);
        EXPECT_EQ(write.status, 0) << write.err.toStdString();
    }

    test::SimProcess quiet;
    ASSERT_TRUE(quiet.started());
    ASSERT_EQ(::chmod(QFile::encodeName(quiet.path()).constData(), 0666), 0);
    const test::CliRun registering = asUser(
        {"read", "--register-protocols", "--no-catalog", "--port", quiet.path(), "-o", file});
    EXPECT_EQ(registering.status, 3);
    EXPECT_TRUE(registering.err.contains(
        QStringLiteral("Невозможно зарегистрировать протоколы (--register-protocols): папка "
                       "библиотеки протоколов \"%1\" недоступна для записи, и копию библиотеки "
                       "нельзя сохранить в папке данных пользователя \"%2\". В коммуникатор "
                       "ничего не отправлено")
            .arg(QStringLiteral(SR5N_BIN_DIR), data + QStringLiteral("/sr5n-configurator"))))
        << registering.err.toStdString();
    EXPECT_EQ(quiet.finish(), QStringList()) << "nothing was sent";
}

// A catalogue the user may only read is listed, shown and exported from;
// importing into it is refused with the reason.
TEST(CliFaults, ACatalogueTheUserCannotWriteIsRead)
{
    ASSERT_EQ(geteuid(), 0u) << "the tests switch to an unprivileged user";
    QTemporaryDir folder;
    ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0755), 0);
    const QString file = readConfiguration(folder);
    const QString catalog = folder.filePath(QStringLiteral("team.sqlite"));
    ASSERT_EQ(RunCli({"objects", "import", "--catalog", catalog, file}).status, 0);
    ::chmod(QFile::encodeName(file).constData(), 0644);
    const QString work = folder.filePath(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    ::chmod(QFile::encodeName(work).constData(), 0777);
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    const test::CliRun list =
        runAsNobody({"objects", "list", "--catalog", catalog}, environment, work);
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("0000 0000"))) << list.out.toStdString();
    const test::CliRun show =
        runAsNobody({"objects", "show", "0000", "--catalog", catalog}, environment, work);
    EXPECT_EQ(show.status, 0) << show.err.toStdString();
    const test::CliRun exported = runAsNobody(
        {"objects", "export", "0000", "--catalog", catalog, "-o", work + QStringLiteral("/x.snc")},
        environment, work);
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(contents(work + QStringLiteral("/x.snc")), contents(file));
    const test::CliRun imported =
        runAsNobody({"objects", "import", "--catalog", catalog, file}, environment, work);
    EXPECT_EQ(imported.status, 3);
    EXPECT_FALSE(imported.err.isEmpty());
}

} // namespace
} // namespace sr5n
