#include "cli/ObjectsCommand.h"

#include "catalog/CatalogService.h"
#include "catalog/CatalogLocation.h"
#include "catalog/CatalogStore.h"
#include "catalog/ConfigurationFacts.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SqlCatalogStore.h"
#include "catalog/SqliteCatalog.h"
#include "catalog/SqliteDialect.h"
#include "cli/CommandLine.h"
#include "cli/CommandResultJson.h"
#include "cli/InterruptSignals.h"
#include "cli/OutputFile.h"
#include "cli/TerminalNotifier.h"
#include "common/Expected.h"
#include "common/ReadableEcho.h"
#include "config/ConfigurationFile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <cstdio>

#include <unistd.h>

namespace sr5n {

namespace {

const QCommandLineOption JsonOption(QStringLiteral("json"),
                                    QStringLiteral("Print JSON instead of text."));
const QCommandLineOption CatalogOption(
    QStringLiteral("catalog"),
    QStringLiteral("The catalogue: a SQLite file or a postgresql:// address (default: "
                   "$SR5N_CATALOG, else catalog.sqlite in the user's data folder)."),
    QStringLiteral("FILE"));

struct Outcome {
    int status = ExitDone;
    QString out;       // standard output
    QString error;     // standard error, one message
};

Outcome usage(const QString &message)
{
    return {ExitUsage, {}, message};
}

Outcome failure(const QString &message)
{
    return {ExitFailed, {}, message};
}

QString CatalogReadFailure(const QString &reason)
{
    return QStringLiteral("Невозможно прочитать базу объектов: %1").arg(reason);
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(u"dd.MM.yyyy HH:mm:ss") : QString();
}

QJsonObject objectJson(const CatalogObject &object)
{
    return {{QStringLiteral("id"), object.id},
            {QStringLiteral("codes"), object.codes},
            {QStringLiteral("name"), object.name},
            {QStringLiteral("address"), object.address},
            {QStringLiteral("notes"), object.notes},
            {QStringLiteral("phones"), object.phones},
            {QStringLiteral("lastOperation"),
             object.lastOperation ? OperationWord(*object.lastOperation) : QString()},
            {QStringLiteral("lastTime"), object.lastTime.toString(Qt::ISODateWithMs)}};
}

QJsonObject entryJson(const CatalogEntry &entry)
{
    return {{QStringLiteral("id"), entry.id},
            {QStringLiteral("object"), entry.objectId},
            {QStringLiteral("time"), entry.time.toString(Qt::ISODateWithMs)},
            {QStringLiteral("operation"), OperationWord(entry.operation)},
            {QStringLiteral("operationText"), OperationText(entry.operation)},
            {QStringLiteral("port"), entry.port},
            {QStringLiteral("user"), entry.user},
            {QStringLiteral("version"), entry.version},
            {QStringLiteral("note"), entry.note},
            {QStringLiteral("codes"), entry.codes},
            {QStringLiteral("sha256"), entry.hash},
            {QStringLiteral("template"), entry.templateName}};
}

QString json(const QJsonValue &value)
{
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

QString objectLine(const CatalogObject &object)
{
    QString description = TerminalSafe(object.name);
    if (!object.address.isEmpty())
        description += (description.isEmpty() ? QString() : QStringLiteral(", ")) +
                       TerminalSafe(object.address);
    return QStringLiteral("%1  %2  %3  %4  %5\n")
               .arg(TerminalSafe(object.id.left(8)), TerminalSafe(object.codes).leftJustified(9),
                    timeText(object.lastTime).leftJustified(19),
                    (object.lastOperation ? OperationText(*object.lastOperation) : QString())
                        .leftJustified(28),
                    description)
               .trimmed() +
           u'\n';
}

// The object an argument names: its id, the first characters of its id, or
// its object numbers ("0412" or "0412 0000").
std::optional<CatalogObject> findObject(CatalogStore &store, const QString &name, QString &error)
{
    if (const std::optional<CatalogObject> exact = store.object(name))
        return exact;
    QList<CatalogObject> found;
    const QString wanted = name.simplified().toUpper();
    const Expected<QList<CatalogObject>> objects = store.objects();
    if (!objects) {
        error = CatalogReadFailure(objects.reason());
        return std::nullopt;
    }
    for (const CatalogObject &object : *objects) {
        const QStringList codes = object.codes.toUpper().split(u' ', Qt::SkipEmptyParts);
        if ((name.size() >= 4 && object.id.startsWith(name, Qt::CaseInsensitive)) ||
            object.codes.toUpper() == wanted || codes.contains(wanted))
            found.append(object);
    }
    if (found.size() == 1)
        return found.constFirst();
    if (found.isEmpty()) {
        error = QStringLiteral("Объекта \"%1\" нет в базе объектов").arg(name);
    } else {
        error = QStringLiteral("\"%1\" подходит к нескольким объектам; укажите id одного из них:\n")
                    .arg(name);
        for (const CatalogObject &object : std::as_const(found))
            error += QStringLiteral("  %1  %2  %3\n")
                         .arg(TerminalSafe(object.id), TerminalSafe(object.codes),
                              TerminalSafe(object.name));
        error.chop(1);
    }
    return std::nullopt;
}

Outcome list(CatalogStore &store, const QCommandLineParser &parser, bool asJson)
{
    const Expected<QList<CatalogObject>> found =
        store.objects(parser.value(QStringLiteral("search")));
    if (!found)
        return failure(CatalogReadFailure(found.reason()));
    const QList<CatalogObject> &objects = *found;
    Outcome outcome;
    if (asJson) {
        QJsonArray array;
        for (const CatalogObject &object : objects)
            array.append(objectJson(object));
        outcome.out = json(array);
        return outcome;
    }
    for (const CatalogObject &object : objects)
        outcome.out += objectLine(object);
    return outcome;
}

Outcome show(CatalogStore &store, const QString &name, bool asJson)
{
    QString error;
    const std::optional<CatalogObject> object = findObject(store, name, error);
    if (!object)
        return failure(error);
    Expected<QList<CatalogEntry>> recorded = store.timeline(object->id);
    if (!recorded)
        return failure(CatalogReadFailure(recorded.reason()));
    QList<CatalogEntry> timeline = std::move(*recorded);
    std::reverse(timeline.begin(), timeline.end()); // newest first
    Outcome outcome;
    if (asJson) {
        QJsonObject result = objectJson(*object);
        QJsonArray entries;
        for (const CatalogEntry &entry : std::as_const(timeline))
            entries.append(entryJson(entry));
        result.insert(QStringLiteral("entries"), entries);
        outcome.out = json(result);
        return outcome;
    }
    QString &out = outcome.out;
    // What anyone with a login may have put into a shared catalogue is shown
    // escaped: it never acts on the terminal nor breaks the lines.
    out += QStringLiteral("Объект:   %1\n").arg(TerminalSafe(object->codes));
    out += QStringLiteral("Название: %1\n").arg(TerminalSafe(object->name));
    out += QStringLiteral("Адрес:    %1\n").arg(TerminalSafe(object->address));
    if (!object->notes.isEmpty())
        out += QStringLiteral("Заметки:  %1\n").arg(TerminalSafe(object->notes));
    if (!object->phones.isEmpty())
        out += QStringLiteral("Телефоны: %1\n").arg(TerminalSafe(object->phones));
    out += QStringLiteral("Id:       %1\n\n").arg(TerminalSafe(object->id));
    for (const CatalogEntry &entry : std::as_const(timeline)) {
        QString line =
            QStringLiteral("%1  %2  %3  %4  %5  %6")
                .arg(timeText(entry.time), OperationText(entry.operation).leftJustified(28),
                     TerminalSafe(entry.port).leftJustified(12),
                     TerminalSafe(entry.user).leftJustified(10), TerminalSafe(entry.version),
                     TerminalSafe(entry.id.left(8)));
        if (!entry.templateName.isEmpty())
            line += QStringLiteral("  шаблон «%1»").arg(TerminalSafe(entry.templateName));
        if (!entry.note.isEmpty())
            line += QStringLiteral("  %1").arg(TerminalSafe(entry.note));
        out += line.trimmed() + u'\n';
    }
    return outcome;
}

Outcome exportEntry(CatalogStore &store, const QString &name, const QCommandLineParser &parser,
                    bool asJson)
{
    QString error;
    const std::optional<CatalogObject> object = findObject(store, name, error);
    if (!object)
        return failure(error);
    const Expected<QList<CatalogEntry>> entries = store.timeline(object->id);
    if (!entries)
        return failure(CatalogReadFailure(entries.reason()));
    const QList<CatalogEntry> &timeline = *entries;
    if (timeline.isEmpty())
        return failure(QStringLiteral("У объекта \"%1\" нет записей").arg(name));
    CatalogEntry chosen = timeline.constLast();
    if (parser.isSet(QStringLiteral("entry"))) {
        const QString wanted = parser.value(QStringLiteral("entry"));
        QList<CatalogEntry> matching;
        for (const CatalogEntry &entry : timeline)
            if (entry.id == wanted || (wanted.size() >= 4 && entry.id.startsWith(wanted)))
                matching.append(entry);
        if (matching.size() != 1)
            return failure(
                matching.isEmpty()
                    ? QStringLiteral("У объекта \"%1\" нет записи \"%2\"").arg(name, wanted)
                    : QStringLiteral("\"%1\" подходит к нескольким записям").arg(wanted));
        chosen = matching.constFirst();
    }
    const std::optional<QByteArray> bytes = store.configuration(chosen.hash);
    if (!bytes)
        return failure(QStringLiteral("Невозможно прочитать конфигурацию записи %1: %2")
                           .arg(chosen.id, store.lastError()));
    const QString output = parser.value(QStringLiteral("o"));
    Outcome outcome;
    if (output.isEmpty()) {
        if (asJson)
            return usage(QStringLiteral("--json: нужен -o FILE.snc"));
        if (isatty(fileno(stdout)))
            return usage(QStringLiteral("не указан -o FILE.snc (стандартный вывод — терминал)"));
        // A failed write is told by the caller, from the stream's state.
        PrintBytes(stdout, *bytes);
        return outcome;
    }
    // A device or a pipe is written, never replaced; a regular file at once.
    if (const std::optional<QString> fault = OutputFile::write(output, *bytes))
        return failure(*fault);
    if (asJson) {
        QJsonObject result = entryJson(chosen);
        result.insert(QStringLiteral("file"), output);
        outcome.out = json(result);
    } else {
        outcome.out = QStringLiteral("%1: %2, %3\n")
                          .arg(QDir::toNativeSeparators(output), OperationText(chosen.operation),
                               timeText(chosen.time));
    }
    return outcome;
}

// The entries imported into each object, by the hash of their bytes, read
// once an object a run: a second import of the same bytes adds nothing.
class ImportedEntries
{
public:
    explicit ImportedEntries(CatalogStore &store) : m_store(store) {}

    // The entry of the object these bytes belong to imported from them before.
    std::optional<CatalogEntry> find(const QByteArray &bytes)
    {
        const std::optional<ConfigurationFacts> facts = ConfigurationFacts::ofFile(bytes);
        if (!facts)
            return std::nullopt;
        const QString hash = ContentHash(bytes);
        // A catalogue that cannot be read here finds nothing: the import goes on.
        const Expected<QList<CatalogObject>> objects = m_store.objects(facts->codes);
        if (!objects)
            return std::nullopt;
        for (const CatalogObject &object : *objects) {
            if (object.codes != facts->codes)
                continue;
            const bool read = m_known.contains(object.id);
            QHash<QString, CatalogEntry> &byHash = m_known[object.id];
            if (!read) {
                const Expected<QList<CatalogEntry>> timeline = m_store.timeline(object.id);
                if (!timeline)
                    return std::nullopt;
                for (const CatalogEntry &entry : *timeline)
                    if (entry.operation == CatalogOperation::Imported)
                        byHash.insert(entry.hash, entry);
            }
            if (const auto it = byHash.constFind(hash); it != byHash.cend())
                return *it;
        }
        return std::nullopt;
    }

    void add(const CatalogEntry &entry)
    {
        if (m_known.contains(entry.objectId))
            m_known[entry.objectId].insert(entry.hash, entry);
    }

private:
    CatalogStore &m_store;
    QHash<QString, QHash<QString, CatalogEntry>> m_known;
};

// Each file is told on standard output as soon as it is in the catalogue, so
// that a run stopped by a signal leaves a true account; the stop ends the run
// with 130 and the count of files added.
Outcome importFiles(ObjectCatalog &catalog, const QStringList &files, bool asJson, bool quiet)
{
    Outcome outcome;
    QJsonArray results;
    QStringList errors;
    int added = 0;
    int skipped = 0;
    const InterruptSignals signalled([](int) {});
    std::optional<ImportedEntries> imported;
    if (catalog.store())
        imported.emplace(*catalog.store());
    const auto tell = [&](const QString &line) {
        if (!asJson)
            PrintText(stdout, line);
    };
    for (const QString &path : files) {
        if (InterruptSignals::received())
            break;
        QString problem;
        QString fault; // what is wrong with a damaged file's entries
        QByteArray bytes;
        QStringList data, commands;
        const QFileInfo info(path);
        QFile file(path);
        // Only regular files are read: a pipe or a device would hang the run.
        if (!info.exists())
            problem = QStringLiteral("Невозможно прочитать файл: нет такого файла");
        else if (!info.isFile() || !file.open(QIODevice::ReadOnly))
            problem = QStringLiteral("Невозможно прочитать файл");
        else if (bytes = file.readAll(); bytes.isEmpty())
            problem = QStringLiteral("Невозможно прочитать файл: файл пуст");
        else if (!ReadConfigurationBytes(bytes, data, commands, &fault))
            problem = QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден");
        std::optional<CatalogEntry> entry;
        if (problem.isEmpty() && imported) {
            if (const std::optional<CatalogEntry> before = imported->find(bytes)) {
                ++skipped;
                tell(QStringLiteral("%1: уже в базе (объект %2, запись %3), пропущен\n")
                         .arg(QDir::toNativeSeparators(path), TerminalSafe(before->codes),
                              before->id.left(8)));
                QJsonObject result = entryJson(*before);
                result.insert(QStringLiteral("file"), path);
                result.insert(QStringLiteral("skipped"), true);
                results.append(result);
                continue;
            }
        }
        if (problem.isEmpty()) {
            entry = catalog.recordFile(CatalogOperation::Imported, QString(), bytes,
                                       QDir::toNativeSeparators(info.absoluteFilePath()));
            if (entry)
                entry = catalog.sendOn(*entry);
            if (!entry)
                problem = QStringLiteral("Невозможно записать конфигурацию в базу объектов: %1")
                              .arg(catalog.failure());
        }
        if (!problem.isEmpty()) {
            errors << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem) +
                          (fault.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(fault));
            QJsonObject result{{QStringLiteral("file"), path}, {QStringLiteral("error"), problem}};
            if (!fault.isEmpty())
                result.insert(QStringLiteral("reason"), fault);
            results.append(result);
            continue;
        }
        ++added;
        if (imported)
            imported->add(*entry);
        QJsonObject result = entryJson(*entry);
        result.insert(QStringLiteral("file"), path);
        results.append(result);
        tell(QStringLiteral("%1: объект %2, запись %3\n")
                 .arg(QDir::toNativeSeparators(path), TerminalSafe(entry->codes),
                      entry->id.left(8)));
    }
    // What the catalogue found while recording (a server gone or back).
    for (const QString &notice : catalog.takeNotices())
        PrintText(stderr, notice + u'\n');
    if (asJson)
        outcome.out = json(results);
    if (!errors.isEmpty()) {
        outcome.status = ExitFailed;
        outcome.error = errors.join(u'\n');
    }
    if (InterruptSignals::received()) {
        outcome.status = ExitInterrupted;
        outcome.error += (outcome.error.isEmpty() ? QString() : QStringLiteral("\n")) +
                         QStringLiteral("Прервано: добавлено в базу объектов файлов: %1 из %2")
                             .arg(added)
                             .arg(files.size());
    }
    if (skipped > 0 && !asJson && !quiet)
        outcome.error += (outcome.error.isEmpty() ? QString() : QStringLiteral("\n")) +
                         QStringLiteral("Уже были в базе и пропущены файлов: %1").arg(skipped);
    return outcome;
}

// Whether this user may change the catalogue file at `path` (and make its
// journal beside it); a file not made yet counts as its folder.
bool mayWrite(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    return (!file.exists() || file.isWritable()) && (!folder.exists() || folder.isWritable());
}

// The catalogue file opened read-only, schema and all as it is. A file in
// write-ahead mode whose shared-memory file cannot be made beside it is read
// as a file nobody changes meanwhile.
Expected<std::unique_ptr<CatalogStore>> openForReading(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return Failure{QStringLiteral("файла нет, а создать его здесь нельзя: нет прав на запись")};
    const QString name = QStringLiteral("sr5n-objects-reading");
    QString problem;
    for (const bool immutable : {false, true}) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setConnectOptions(SqliteDialect::connectOptions(true) +
                                 (immutable ? QStringLiteral(";QSQLITE_OPEN_URI") : QString()));
            db.setDatabaseName(immutable
                                   ? QStringLiteral("file:%1?immutable=1")
                                         .arg(QString::fromUtf8(QUrl::toPercentEncoding(path, "/")))
                                   : path);
            QSqlQuery probe(db);
            if (db.open() && probe.exec(QStringLiteral("SELECT count(*) FROM objects")))
                break;
            problem =
                probe.lastError().isValid() ? probe.lastError().text() : db.lastError().text();
        }
        QSqlDatabase::removeDatabase(name);
        if (immutable)
            return Failure{QStringLiteral("база недоступна даже для чтения (%1)").arg(problem)};
    }
    return std::unique_ptr<CatalogStore>(
        std::make_unique<SqlCatalogStore>(name, std::make_unique<SqliteDialect>(), path, true));
}

QString help(const QString &program)
{
    return QStringLiteral(
               "Usage: %1 objects list [--search TEXT] [--json]\n"
               "       %1 objects show OBJECT [--json]\n"
               "       %1 objects export OBJECT [--entry ID] [-o FILE.snc] [--json]\n"
               "       %1 objects import FILE.snc... [--json]\n\n"
               "The catalogue of objects that the window and the read and write commands\n"
               "record into. OBJECT is an object's id (or its first characters) or its object\n"
               "numbers. export writes an entry's configuration (the latest by default) to\n"
               "FILE.snc, or to standard output when that is not a terminal.\n\n"
               "Options:\n"
               "  --search TEXT   only objects whose numbers, name, address, notes or phone\n"
               "                  numbers contain every word of TEXT\n"
               "  --entry ID      the entry to export (its id or its first characters)\n"
               "  -o FILE.snc     the file to write\n"
               "  --json          print JSON instead of text\n"
               "  --quiet         no notices (files already in the catalogue and skipped)\n"
               "  --catalog URL   another catalogue than the user's: a SQLite file or a\n"
               "                  postgresql:// address (default: $SR5N_CATALOG)\n"
               "  -h, --help      this help\n\n")
               .arg(program) +
           CommandLine::exitStatusText();
}

Outcome run(const QStringList &arguments)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(JsonOption);
    parser.addOption(CatalogOption);
    parser.addOption(QCommandLineOption(QStringLiteral("quiet")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("search"), QString(), QStringLiteral("TEXT")));
    parser.addOption(QCommandLineOption(QStringLiteral("entry"), QString(), QStringLiteral("ID")));
    parser.addOption(QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    QStringList rest = arguments;
    rest.removeAt(1);
    if (!parser.parse(rest))
        return usage(ParserErrorText(parser.errorText()));
    QStringList positional = parser.positionalArguments();
    const QString action = positional.isEmpty() ? QString() : positional.takeFirst();
    if (parser.isSet(QStringLiteral("help")) || action == u"help")
        return {ExitDone, help(program), {}};
    const bool asJson = parser.isSet(JsonOption);
    const auto expect = [&](qsizetype count) -> QString {
        if (positional.size() < count)
            return QStringLiteral("не указан аргумент OBJECT");
        if (positional.size() > count)
            return QStringLiteral("лишний аргумент «%1»").arg(positional.at(count));
        return {};
    };
    QString wrong;
    if (action == u"list")
        wrong = expect(0);
    else if (action == u"show" || action == u"export")
        wrong = expect(1);
    else if (action == u"import")
        wrong = positional.isEmpty() ? QStringLiteral("не указан FILE.snc") : QString();
    else
        wrong = action.isEmpty() ? QStringLiteral("не указано list, show, export или import")
                                 : QStringLiteral("неизвестная команда objects «%1»").arg(action);
    const bool only = [&] {
        if (parser.isSet(QStringLiteral("search")) && action != u"list")
            return false;
        if (parser.isSet(QStringLiteral("entry")) && action != u"export")
            return false;
        if (parser.isSet(QStringLiteral("o")) && action != u"export")
            return false;
        return true;
    }();
    if (wrong.isEmpty() && !only)
        wrong = QStringLiteral("параметр, которого «%1» не принимает").arg(action);
    if (!wrong.isEmpty())
        return usage(wrong);

    // As for read and write: --catalog, else SR5N_CATALOG, else the user's own.
    QString location = parser.isSet(CatalogOption) ? parser.value(CatalogOption)
                                                   : qEnvironmentVariable("SR5N_CATALOG");
    // The work runs on the catalogue's own thread; this one waits for it, or
    // for SIGINT/SIGTERM, which end the command at once.
    CatalogService service(CatalogPlace{location.isEmpty() ? DefaultCatalogPath() : location,
                                        QString(), DefaultCatalogPath(), false});
    std::optional<Expected<Outcome>> answer;
    QEventLoop loop;
    service.ask<Outcome>(
        &loop,
        [&parser, action, positional, asJson](ObjectCatalog &catalog) -> Expected<Outcome> {
            // Reading needs no more than reading: a catalogue this user cannot
            // write (another's, or on a read-only disk) is opened only to be read.
            std::unique_ptr<CatalogStore> reader;
            if (action != u"import" && !IsSharedCatalog(catalog.path()) &&
                !mayWrite(catalog.path())) {
                Expected<std::unique_ptr<CatalogStore>> opened = openForReading(catalog.path());
                if (!opened)
                    return failure(CatalogOpenFailure(catalog.path(), opened.reason()));
                reader = std::move(*opened);
            }
            CatalogStore *store = reader ? reader.get() : catalog.store();
            if (!store)
                return failure(CatalogOpenFailure(catalog.path(), catalog.failure()));
            // The team's catalogue is read from its server; what this machine
            // keeps for it goes first.
            if (CatalogLink *link = reader ? nullptr : catalog.link()) {
                link->sendWaiting();
                if (action != u"import" && !link->connected())
                    return failure(link->statusText());
            }
            if (action == u"list")
                return list(*store, parser, asJson);
            if (action == u"show")
                return show(*store, positional.at(0), asJson);
            if (action == u"export")
                return exportEntry(*store, positional.at(0), parser, asJson);
            return importFiles(catalog, positional, asJson,
                               parser.isSet(QStringLiteral("quiet")));
        },
        [&answer, &loop](Expected<Outcome> outcome) {
            answer.emplace(std::move(outcome));
            loop.quit();
        });
    {
        InterruptSignals signalled([&loop](int) { loop.quit(); });
        if (!answer)
            loop.exec();
    }
    for (const QString &notice : service.takeNotices())
        PrintText(stderr, notice + u'\n');
    if (!answer) {
        // What the catalogue was doing is left to the process's end.
        if (!service.stop(0)) {
            std::fflush(nullptr);
            ::_exit(ExitInterrupted);
        }
        return {ExitInterrupted, {}, QStringLiteral("Прервано")};
    }
    return answer->has_value() ? std::move(answer->value()) : failure(answer->reason());
}

} // namespace

QString ObjectsCommandSummary()
{
    return QStringLiteral("  objects the catalogue of objects: list, show, export, import\n");
}

int RunObjectsCommand(const QStringList &arguments)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    const Outcome outcome = run(arguments);
    if (!outcome.out.isEmpty())
        PrintText(stdout, outcome.out);
    else if (outcome.status != ExitDone && arguments.contains(QStringLiteral("--json")))
        PrintText(
            stdout,
            json(FailureJson(
                (QStringLiteral("objects ") +
                 arguments.mid(2).filter(QRegularExpression(QStringLiteral("^[^-]"))).value(0))
                    .trimmed(),
                outcome.status, outcome.error)));
    if (outcome.status == ExitUsage)
        PrintText(
            stderr,
            QStringLiteral("%1: %2\nПодробнее: %1 objects --help\n").arg(program, outcome.error));
    else if (!outcome.error.isEmpty())
        PrintText(stderr, outcome.error + u'\n');
    return outcome.status;
}

} // namespace sr5n
