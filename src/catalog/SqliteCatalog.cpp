#include "catalog/SqliteCatalog.h"

#include "catalog/CatalogSalvage.h"
#include "catalog/CatalogSchema.h"
#include "catalog/SqlCatalogStore.h"
#include "catalog/SqliteDialect.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace sr5n {

namespace {

// SQLite's result codes for a file that is not a database, or is damaged.
const QStringList kDamageCodes = {QStringLiteral("26"), QStringLiteral("11")};

QString newConnectionName()
{
    return QStringLiteral("sr5n-catalog-") + NewCatalogId();
}

QString journalMode(QSqlDatabase &db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next()
               ? query.value(0).toString()
               : QString();
}

struct Connection {
    QString name;
    QString problem; // empty: open and usable
    bool damaged = false;
};

// Opens `path` and runs the dialect's connection statements; a file that
// SQLite finds damaged, or that fails its integrity check, is `damaged`.
Connection connect(const QString &path, const SqliteDialect &dialect, bool readOnly,
                   bool check = true)
{
    Connection connection{newConnectionName(), {}, false};
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driver(), connection.name);
    db.setDatabaseName(path);
    db.setConnectOptions(SqliteDialect::connectOptions(readOnly));
    if (!db.open()) {
        connection.problem = db.lastError().text();
        connection.damaged = kDamageCodes.contains(db.lastError().nativeErrorCode());
        return connection;
    }
    for (const QString &statement : dialect.connectionStatements()) {
        // A read-only file keeps the journal mode it has; one already in
        // write-ahead logging is left as it is, which needs no lock that
        // another writer may hold.
        if (statement.contains(QLatin1String("journal_mode")) &&
            (readOnly || journalMode(db) == QLatin1String("wal")))
            continue;
        // A new file is made write-ahead while another process may be making it too.
        if (const QSqlError failed = dialect.runWhileBusy(db, {statement}); failed.isValid()) {
            connection.problem = dialect.problemText(failed);
            connection.damaged = kDamageCodes.contains(failed.nativeErrorCode());
            return connection;
        }
    }
    const QString integrity = check ? dialect.integrityProblem(db) : QString();
    if (!integrity.isEmpty()) {
        connection.problem = integrity;
        connection.damaged = true;
    }
    return connection;
}

void disconnect(const QString &name)
{
    if (name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Moves the file and its journal files to a free name beside it; that name.
QString keepAside(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss");
    QString kept;
    for (int copy = 1;; ++copy) {
        kept = info.dir().filePath(QStringLiteral("%1-damaged-%2%3.%4")
                                       .arg(info.completeBaseName(), stamp,
                                            copy > 1 ? QStringLiteral("-%1").arg(copy) : QString(),
                                            info.suffix()));
        if (!QFileInfo::exists(kept))
            break;
    }
    if (!QFile::rename(path, kept))
        return {};
    for (const char *journal : {"-wal", "-shm"}) {
        const QString from = path + QLatin1String(journal);
        if (QFileInfo::exists(from))
            QFile::rename(from, kept + QLatin1String(journal));
    }
    return kept;
}

} // namespace

QString DefaultCatalogPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(data).filePath(QStringLiteral("catalog.sqlite"));
}

QString CatalogDamagedMessage(const QString &path, const QString &keptAs)
{
    return QStringLiteral("База объектов \"%1\" повреждена. Она сохранена под именем \"%2\"; "
                          "новая база составлена из того, что удалось из нее прочитать")
        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(keptAs));
}

QString CatalogNewerMessage(const QString &path)
{
    return QStringLiteral("База объектов \"%1\" создана более новой версией программы и открыта "
                          "только для чтения: новые записи в нее не добавляются")
        .arg(QDir::toNativeSeparators(path));
}

QString CatalogOpenFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("Невозможно открыть базу объектов \"%1\": %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

CatalogIntegrity CheckSqliteCatalog(const QString &path)
{
    const SqliteDialect dialect;
    const Connection connection = connect(path, dialect, true);
    disconnect(connection.name);
    return CatalogIntegrity{connection.damaged, connection.problem};
}

CatalogOpening OpenSqliteCatalog(const QString &path, CatalogCheck check)
{
    CatalogOpening opening;
    const SqliteDialect dialect;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        opening.reason = QStringLiteral("это не файл");
        opening.failure = CatalogOpenFailure(path, opening.reason);
        return opening;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        opening.reason = QStringLiteral("папка недоступна для записи");
        opening.failure = CatalogOpenFailure(path, opening.reason);
        return opening;
    }

    Connection connection = check == CatalogCheck::FoundDamaged
                                ? Connection{{}, QStringLiteral("damaged"), true}
                                : connect(path, dialect, false, check == CatalogCheck::Now);
    QString salvageFrom;
    if (connection.damaged) {
        disconnect(connection.name);
        salvageFrom = keepAside(path);
        if (salvageFrom.isEmpty()) {
            opening.reason = connection.problem;
            opening.failure = CatalogOpenFailure(path, opening.reason);
            return opening;
        }
        opening.notices << CatalogDamagedMessage(path, salvageFrom);
        connection = connect(path, dialect, false);
    }
    if (!connection.problem.isEmpty()) {
        disconnect(connection.name);
        opening.reason = connection.problem;
        opening.failure = CatalogOpenFailure(path, opening.reason);
        return opening;
    }

    QSqlDatabase db = QSqlDatabase::database(connection.name, false);
    QString error;
    const std::optional<int> version = dialect.schemaVersion(db, &error);
    if (version && *version > CatalogSchema::latestVersion()) {
        db = QSqlDatabase();
        disconnect(connection.name);
        connection = connect(path, dialect, true, check == CatalogCheck::Now);
        if (!connection.problem.isEmpty()) {
            disconnect(connection.name);
            opening.reason = connection.problem;
            opening.failure = CatalogOpenFailure(path, opening.reason);
            return opening;
        }
        opening.notices << CatalogNewerMessage(path);
        opening.store = std::make_unique<SqlCatalogStore>(
            connection.name, std::make_unique<SqliteDialect>(), path, true);
        return opening;
    }
    // A file up to date is only read: no write lock that another writer may hold.
    if (!version || (*version < CatalogSchema::latestVersion() &&
                     !CatalogSchema::migrate(db, dialect, error))) {
        if (error.isEmpty())
            error = db.lastError().text();
        db = QSqlDatabase();
        disconnect(connection.name);
        opening.reason = error;
        opening.failure = CatalogOpenFailure(path, opening.reason);
        return opening;
    }
    db = QSqlDatabase();
    auto store = std::make_unique<SqlCatalogStore>(connection.name,
                                                   std::make_unique<SqliteDialect>(), path, false);
    if (!salvageFrom.isEmpty())
        opening.notices.last() += u'\n' + SalvageCatalogAndTell(salvageFrom, connection.name);
    opening.store = std::move(store);
    return opening;
}

} // namespace sr5n
