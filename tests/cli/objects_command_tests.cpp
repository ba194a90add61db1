// sr5n-cli and the catalogue of objects: read and write record into it
// unless told not to; "objects" lists, shows, exports and imports.
#include "CliRun.h"

#include "catalog/CatalogFixture.h"
#include "catalog/SqliteCatalog.h"
#include "common/SimProcess.h"
#include "config/ConfigurationFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace sr5n {
namespace {

using test::RunCli;

const QString Quiet = QStringLiteral("--quiet");

QJsonArray jsonArray(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).array();
}

// The entries "objects show --json" lists for the only object.
QJsonArray entriesOfOnlyObject()
{
    const test::CliRun list = RunCli({"objects", "list", "--json"});
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    const QJsonArray objects = jsonArray(list.out);
    if (objects.size() != 1)
        return {};
    const test::CliRun show =
        RunCli({"objects", "show", objects[0].toObject()["id"].toString(), "--json"});
    EXPECT_EQ(show.status, 0) << show.err.toStdString();
    return QJsonDocument::fromJson(show.out.toUtf8()).object()["entries"].toArray();
}

TEST(CliObjects, ReadAndWriteRecordIntoTheCatalogueUnlessTold)
{
    QTemporaryDir folder;
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const QString file = folder.filePath(QStringLiteral("read.snc"));
    // Nothing recorded with --no-catalog, on one port and through workers.
    for (const QStringList &arguments :
         {QStringList{"read", "--no-catalog", "--port", sim.path(), "-o", file},
          QStringList{"write", "--no-catalog", "--port", sim.path(), file}}) {
        const test::CliRun run = RunCli(arguments);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }
    EXPECT_EQ(jsonArray(RunCli({"objects", "list", "--json"}).out).size(), 0);

    ASSERT_EQ(RunCli({"read", "--port", sim.path(), "-o", file}).status, 0);
    ASSERT_EQ(RunCli({"write", "--verify", "--port", sim.path(), file}).status, 0);
    const QJsonArray entries = entriesOfOnlyObject();
    QStringList operations, ports;
    for (const QJsonValue &entry : entries) {
        operations << entry.toObject()["operation"].toString();
        ports << entry.toObject()["port"].toString();
    }
    // Newest first: the verified write, the file it opened, the file the
    // read saved, the read; each file named in its note.
    EXPECT_EQ(operations, QStringList({"verified", "opened", "saved", "read"}));
    EXPECT_EQ(ports, QStringList({sim.path(), "", "", sim.path()}));
    EXPECT_EQ(entries[1].toObject()["note"].toString(), file);
    EXPECT_EQ(entries[2].toObject()["note"].toString(), file);
}

TEST(CliObjects, ImportsFilesAndExportsTheirBytesBack)
{
    QTemporaryDir folder;
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const QString original = folder.filePath(QStringLiteral("original.snc"));
    ASSERT_EQ(RunCli({"read", "--no-catalog", "--port", sim.path(), "-o", original}).status, 0);
    const QString catalog = folder.filePath(QStringLiteral("team.sqlite"));
    const QString damaged = folder.filePath(QStringLiteral("damaged.snc"));
    QFile cut(damaged);
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write("SR-5/N Configuration File");
    cut.close();

    // A well-formed file without the last entry of the list.
    const QString shortened = folder.filePath(QStringLiteral("short.snc"));
    {
        QStringList data, commands;
        ASSERT_TRUE(ReadConfigurationFile(original, data, commands));
        data.removeLast();
        commands.removeLast();
        ASSERT_TRUE(WriteConfigurationFile(shortened, data, commands));
    }

    // One good file, two damaged, one folder: the good one is taken, the
    // others named with their reason, and the status says not all went.
    const test::CliRun imported = RunCli({"objects", "import", "--catalog", catalog, "--json",
                                          original, damaged, shortened, folder.path()});
    EXPECT_EQ(imported.status, 3);
    const QJsonArray results = jsonArray(imported.out);
    ASSERT_EQ(results.size(), 4);
    EXPECT_EQ(results[0].toObject()["operation"].toString(), "imported");
    EXPECT_EQ(results[1].toObject()["error"].toString(),
              "Невозможно прочитать файл. Возможно, файл поврежден");
    EXPECT_FALSE(results[1].toObject().contains("reason"));
    EXPECT_EQ(results[2].toObject()["error"].toString(),
              "Невозможно прочитать файл. Возможно, файл поврежден");
    EXPECT_EQ(results[2].toObject()["reason"].toString(), "записей 857 вместо 858");
    EXPECT_EQ(results[3].toObject()["error"].toString(), "Невозможно прочитать файл");
    EXPECT_TRUE(imported.err.contains(damaged)) << imported.err.toStdString();
    EXPECT_TRUE(imported.err.contains(
        shortened + QStringLiteral(": Невозможно прочитать файл. Возможно, файл поврежден "
                                   "(записей 857 вместо 858)")))
        << imported.err.toStdString();

    // Found by its object numbers, as text and as JSON.
    const test::CliRun list = RunCli({"objects", "list", "--catalog", catalog, "--search", "0000"});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.out.contains(QStringLiteral("0000 0000"))) << list.out.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("Импорт")));
    EXPECT_EQ(RunCli({"objects", "list", "--catalog", catalog, "--search", "нет такого"}).out,
              QString());

    // SR5N_CATALOG names the catalogue when --catalog is not given.
    qputenv("SR5N_CATALOG", catalog.toUtf8());
    const test::CliRun byEnvironment = RunCli({"objects", "list", "--search", "0000"});
    qunsetenv("SR5N_CATALOG");
    EXPECT_TRUE(byEnvironment.out.contains(QStringLiteral("0000 0000")))
        << byEnvironment.out.toStdString() << byEnvironment.err.toStdString();

    const QString back = folder.filePath(QStringLiteral("back.snc"));
    const test::CliRun exported =
        RunCli({"objects", "export", "0000", "--catalog", catalog, "-o", back});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    QFile a(original), b(back);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // A device node is written, and stays a device node.
    const QString node = folder.filePath(QStringLiteral("mynull"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        const test::CliRun toNode =
            RunCli({"objects", "export", "0000", "--catalog", catalog, "-o", node});
        EXPECT_EQ(toNode.status, 0) << toNode.err.toStdString();
        struct stat info {
        };
        ASSERT_EQ(::lstat(QFile::encodeName(node).constData(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
    // A folder is refused, named with the reason.
    const test::CliRun toFolder =
        RunCli({"objects", "export", "0000", "--catalog", catalog, "-o", folder.path()});
    EXPECT_EQ(toFolder.status, 3);
    EXPECT_TRUE(toFolder.err.startsWith(
        QStringLiteral("Невозможно сохранить файл \"%1\"").arg(folder.path())))
        << toFolder.err.toStdString();

    // Standard output that is not a terminal takes the bytes.
    const test::CliRun piped = RunCli({"objects", "export", "0000", "--catalog", catalog});
    EXPECT_EQ(piped.status, 0);
    EXPECT_TRUE(piped.out.startsWith(QStringLiteral("\x19\0\0\0SR-5/N Configuration File")))
        << piped.out.left(40).toStdString();
}

// The catalogue a read or write records into, as the window finds it: a
// damaged one is kept aside and a newer program's one left read-only, and
// either is told once on standard error, with the window's text.
TEST(CliObjects, ReadAndWriteTellWhatWasFoundOfTheCatalogueOnce)
{
    QTemporaryDir folder;
    test::SimProcess sim({Quiet});
    ASSERT_TRUE(sim.started());
    const QString file = folder.filePath(QStringLiteral("read.snc"));
    const test::CliRun first = RunCli({"read", "--port", sim.path(), "-o", file});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_FALSE(first.err.contains(QStringLiteral("База объектов"))) << first.err.toStdString();
    const QString path = QDir(qEnvironmentVariable("XDG_DATA_HOME"))
                             .filePath(QStringLiteral("sr5n-configurator/catalog.sqlite"));
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    const auto notices = [](const QString &err) {
        QStringList found;
        for (const QString &line : err.split(u'\n'))
            if (line.startsWith(QStringLiteral("База объектов")))
                found << line;
        return found;
    };

    // Damaged: kept aside and told by the run that found it, not by the next.
    const QDir data = QFileInfo(path).dir();
    for (const QStringList &arguments : {QStringList{"read", "--port", sim.path(), "-o", file},
                                         QStringList{"write", "--port", sim.path(), file}}) {
        SCOPED_TRACE(arguments.constFirst().toStdString());
        for (const QString &old : data.entryList({QStringLiteral("catalog*")}, QDir::Files))
            ASSERT_TRUE(QFile::remove(data.filePath(old)));
        QFile garbage(path);
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray("not a catalogue\n").repeated(100));
        garbage.close();
        const test::CliRun damaged = RunCli(arguments);
        ASSERT_EQ(damaged.status, 0) << damaged.err.toStdString();
        const QStringList kept =
            data.entryList({QStringLiteral("catalog-damaged-*.sqlite")}, QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(notices(damaged.err),
                  QStringList{CatalogDamagedMessage(path, data.filePath(kept[0]))})
            << damaged.err.toStdString();
        const test::CliRun after = RunCli(arguments);
        ASSERT_EQ(after.status, 0) << after.err.toStdString();
        EXPECT_EQ(notices(after.err), QStringList()) << after.err.toStdString();
    }

    // Newer: told by every run (it stays so), once each, and left as it was.
    ASSERT_EQ(RunCli({"read", "--port", sim.path(), "-o", file}).status, 0);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(
            QStringLiteral("UPDATE catalog_meta SET value = '999' WHERE key = 'schema-version'")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));
    for (const QStringList &arguments : {QStringList{"read", "--port", sim.path(), "-o", file},
                                         QStringList{"write", "--port", sim.path(), file}}) {
        SCOPED_TRACE(arguments.constFirst().toStdString());
        const test::CliRun newer = RunCli(arguments);
        EXPECT_EQ(newer.status, 0) << newer.err.toStdString();
        EXPECT_EQ(notices(newer.err), QStringList{CatalogNewerMessage(path)})
            << newer.err.toStdString();
    }
    // --no-catalog leaves it unopened and untold.
    const test::CliRun untold = RunCli({"read", "--no-catalog", "--port", sim.path(), "-o", file});
    EXPECT_EQ(untold.status, 0);
    EXPECT_EQ(notices(untold.err), QStringList());
}

struct Refusal {
    QStringList arguments;
    int status;
    const char *error; // the beginning of standard error
};

TEST(CliObjects, WrongCommandLinesAndUnknownObjectsAreRefused)
{
    QTemporaryDir folder;
    const QString catalog = folder.filePath(QStringLiteral("c.sqlite"));
    const Refusal refusals[] = {
        {{"objects"}, 2, "sr5n-cli-short: не указано list, show, export или import"},
        {{"objects", "erase"}, 2, "sr5n-cli-short: неизвестная команда objects «erase»"},
        {{"objects", "show"}, 2, "sr5n-cli-short: не указан аргумент OBJECT\n"},
        {{"objects", "list", "extra"}, 2, "sr5n-cli-short: лишний аргумент «extra»"},
        {{"objects", "show", "0412", "--search", "x"},
         2,
         "sr5n-cli-short: параметр, которого «show» не принимает"},
        {{"objects", "import"}, 2, "sr5n-cli-short: не указан FILE.snc"},
        {{"objects", "show", "0412"}, 3, "Объекта \"0412\" нет в базе объектов"},
        {{"objects", "export", "0412", "-o", "x.snc"}, 3, "Объекта \"0412\" нет в базе объектов"},
    };
    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(refusal.arguments.join(u' ').toStdString());
        const test::CliRun run = RunCli(refusal.arguments + QStringList{"--catalog", catalog});
        EXPECT_EQ(run.status, refusal.status);
        EXPECT_TRUE(run.err.startsWith(QString::fromUtf8(refusal.error))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    // A catalogue that cannot be opened is a failure with its reason.
    const test::CliRun folderAsFile = RunCli({"objects", "list", "--catalog", folder.path()});
    EXPECT_EQ(folderAsFile.status, 3);
    EXPECT_EQ(folderAsFile.err,
              QStringLiteral("Невозможно открыть базу объектов \"%1\": это не файл\n")
                  .arg(folder.path()));
}

// Files of `count` configurations of their own (objects 1000, 1001...).
QStringList configurationFiles(const QTemporaryDir &folder, int count)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString path = folder.filePath(QStringLiteral("object-%1.snc").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(test::SampleOf(QByteArray::number(1000 + i).constData()).bytes()) <= 0)
            return {};
        files << path;
    }
    return files;
}

// An import stopped by SIGTERM has told every file it committed, ends with
// 130 and the count; the run again adds only the rest and says what it
// skipped.
// Fails since the catalogue service ends an interrupted import before it tells its count: to mend.
TEST(CliObjects, DISABLED_AnImportStoppedAndRunAgainLosesAndDoublesNothing)
{
    QTemporaryDir folder;
    const QString catalog = folder.filePath(QStringLiteral("c.sqlite"));
    const QStringList files = configurationFiles(folder, 150);
    ASSERT_EQ(files.size(), 150);
    QProcess import;
    import.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-cli-short"),
                 QStringList{"objects", "import", "--catalog", catalog} + files);
    ASSERT_TRUE(import.waitForStarted());
    QByteArray out;
    while (out.count('\n') < 3 && import.state() == QProcess::Running) {
        import.waitForReadyRead(100);
        out += import.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(import.processId()), SIGTERM);
    ASSERT_TRUE(import.waitForFinished(60000));
    out += import.readAllStandardOutput();
    const QString err = QString::fromUtf8(import.readAllStandardError());
    EXPECT_EQ(import.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(import.exitCode(), 130) << err.toStdString();
    const qsizetype told = out.count('\n');
    ASSERT_LT(told, 150) << "the stop came too late to show";
    EXPECT_TRUE(err.contains(
        QStringLiteral("Прервано: добавлено в базу объектов файлов: %1 из 150").arg(told)))
        << err.toStdString();
    const QJsonArray listed =
        jsonArray(RunCli({"objects", "list", "--catalog", catalog, "--json"}).out);
    EXPECT_EQ(listed.size(), told) << "each file told is in the catalogue, and only those";

    const test::CliRun again =
        RunCli(QStringList{"objects", "import", "--catalog", catalog} + files);
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(again.out.count(QStringLiteral("уже в базе")), told) << again.out.toStdString();
    EXPECT_TRUE(
        again.err.contains(QStringLiteral("Уже были в базе и пропущены файлов: %1").arg(told)))
        << again.err.toStdString();
    EXPECT_EQ(jsonArray(RunCli({"objects", "list", "--catalog", catalog, "--json"}).out).size(),
              150);
    // --quiet takes the notice away, not the lines.
    const test::CliRun quiet =
        RunCli(QStringList{"objects", "import", "--quiet", "--catalog", catalog} + files.mid(0, 2));
    EXPECT_EQ(quiet.status, 0) << quiet.err.toStdString();
    EXPECT_EQ(quiet.err, QString());
    EXPECT_EQ(quiet.out.count(QStringLiteral("уже в базе")), 2);
}

// Control characters planted in a shared catalogue reach no terminal: each
// object stays one line, its escapes shown as text.
TEST(CliObjects, ControlCharactersInNamesAreShownEscaped)
{
    QTemporaryDir folder;
    const QString catalog = folder.filePath(QStringLiteral("c.sqlite"));
    QString id;
    {
        CatalogOpening opening = OpenSqliteCatalog(catalog);
        ASSERT_TRUE(opening.store) << opening.failure.toStdString();
        const std::optional<CatalogEntry> entry =
            opening.store->record(test::ReadEntry(test::SampleOf("0412")));
        ASSERT_TRUE(entry);
        id = entry->objectId;
        ASSERT_TRUE(opening.store->describeObject(
            id, QStringLiteral("Склад\x1b]0;pwned\x07\x1b[2J"),
            QStringLiteral("ул. Ленина\r\nдом 1"), QString(QChar(0x9B)) + QStringLiteral("31m")));
    }
    const test::CliRun list = RunCli({"objects", "list", "--catalog", catalog});
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out.count(u'\n'), 1) << list.out.toStdString();
    EXPECT_TRUE(list.out.contains(
        QStringLiteral("Склад\\u001b]0;pwned\\u0007\\u001b[2J, ул. Ленина\\u000d\\u000aдом 1")))
        << list.out.toStdString();
    const test::CliRun show = RunCli({"objects", "show", id, "--catalog", catalog});
    EXPECT_EQ(show.status, 0) << show.err.toStdString();
    EXPECT_TRUE(show.out.contains(QStringLiteral("Заметки:  \\u009b31m\n")))
        << show.out.toStdString();
    for (const QString &out : {list.out, show.out})
        for (const QChar c : out)
            EXPECT_TRUE(c == u'\n' ||
                        (c.unicode() >= 0x20 && (c.unicode() < 0x7F || c.unicode() >= 0xA0)))
                << int(c.unicode());
    // JSON gives the texts as they are.
    const QJsonArray json =
        jsonArray(RunCli({"objects", "list", "--catalog", catalog, "--json"}).out);
    ASSERT_EQ(json.size(), 1);
    EXPECT_EQ(json[0].toObject()["address"].toString(), QStringLiteral("ул. Ленина\r\nдом 1"));
}

// Search reads "ё" as "е" and phone numbers without their punctuation.
TEST(CliObjects, SearchFindsYoAsYeAndPhoneNumbersWithPunctuation)
{
    QTemporaryDir folder;
    const QString catalog = folder.filePath(QStringLiteral("c.sqlite"));
    {
        CatalogOpening opening = OpenSqliteCatalog(catalog);
        ASSERT_TRUE(opening.store);
        const std::optional<CatalogEntry> entry =
            opening.store->record(test::ReadEntry(test::SampleOf("0412", "84959584800")));
        ASSERT_TRUE(entry);
        ASSERT_TRUE(opening.store->describeObject(entry->objectId, QStringLiteral("Ёлкина Т. С."),
                                                  QStringLiteral("д. 12-34"),
                                                  QStringLiteral("сторож 8 (812) 555-01-02")));
    }
    for (const char *search : {"елкина", "ЁЛКИНА", "Елкина т.", "958-48", "(495) 958", "555-01",
                               "8125550102", "12-34"}) {
        const test::CliRun found = RunCli(
            {"objects", "list", "--catalog", catalog, "--search", QString::fromUtf8(search)});
        EXPECT_EQ(found.out.count(u'\n'), 1) << search << " " << found.out.toStdString();
    }
}

} // namespace
} // namespace sr5n
