#include "catalog/CatalogSchema.h"

#include "catalog/CatalogTypes.h"
#include "catalog/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace sr5n {

namespace {

// Objects, their timelines and the configurations they hold.
bool createTables(QSqlDatabase &db, const SqlDialect &d, QString &error)
{
    const QString id = d.idType();
    const QString time = d.timeType();
    return ExecuteAll(
        db,
        {QStringLiteral("CREATE TABLE IF NOT EXISTS catalog_meta (key TEXT PRIMARY KEY, "
                        "value TEXT NOT NULL)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS configurations (hash TEXT PRIMARY KEY, "
                        "bytes %1 NOT NULL, size %2 NOT NULL)")
             .arg(d.blobType(), d.integerType()),
         QStringLiteral("CREATE TABLE IF NOT EXISTS objects (id %1 PRIMARY KEY, "
                        "codes TEXT NOT NULL, name TEXT NOT NULL DEFAULT '', "
                        "address TEXT NOT NULL DEFAULT '', notes TEXT NOT NULL DEFAULT '', "
                        "phones TEXT NOT NULL DEFAULT '', created %2 NOT NULL, "
                        "merged_into %1 REFERENCES objects (id), last_time %2, "
                        "last_operation TEXT, last_entry %1)")
             .arg(id, time),
         QStringLiteral("CREATE INDEX IF NOT EXISTS objects_by_codes ON objects (codes)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS entries (id %1 PRIMARY KEY, "
                        "object_id %1 NOT NULL REFERENCES objects (id), time %2 NOT NULL, "
                        "operation TEXT NOT NULL, port TEXT NOT NULL, user_name TEXT NOT NULL, "
                        "version TEXT NOT NULL, note TEXT NOT NULL, "
                        "hash TEXT NOT NULL REFERENCES configurations (hash), "
                        "codes TEXT NOT NULL, phones TEXT NOT NULL DEFAULT '')")
             .arg(id, time),
         QStringLiteral(
             "CREATE INDEX IF NOT EXISTS entries_by_object ON entries (object_id, time)")},
        error);
}

// Templates, the source of imported entries (each imported once), and the
// text searched as the user types.
bool addTemplatesAndSearch(QSqlDatabase &db, const SqlDialect &, QString &error)
{
    if (!ExecuteAll(db,
                    {QStringLiteral("ALTER TABLE entries ADD COLUMN template_name TEXT"),
                     QStringLiteral("ALTER TABLE entries ADD COLUMN source TEXT"),
                     QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS entries_by_source "
                                    "ON entries (source)"),
                     QStringLiteral("ALTER TABLE objects ADD COLUMN search TEXT NOT NULL "
                                    "DEFAULT ''")},
                    error))
        return false;
    QSqlQuery rows(db);
    if (!rows.exec(QStringLiteral("SELECT id, codes, name, address, notes, phones FROM objects"))) {
        error = rows.lastError().text();
        return false;
    }
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE objects SET search = ? WHERE id = ?"));
    while (rows.next()) {
        update.addBindValue(CatalogSearchText(rows.value(1).toString(), rows.value(2).toString(),
                                              rows.value(3).toString(), rows.value(4).toString(),
                                              rows.value(5).toString()));
        update.addBindValue(rows.value(0));
        if (!update.exec()) {
            error = update.lastError().text();
            return false;
        }
    }
    return true;
}

// Who last edited an object's texts and when, told to an engineer whose edit
// of the same object came second.
bool addEditors(QSqlDatabase &db, const SqlDialect &d, QString &error)
{
    return ExecuteAll(
        db,
        {QStringLiteral("ALTER TABLE objects ADD COLUMN edited_by TEXT"),
         QStringLiteral("ALTER TABLE objects ADD COLUMN edited_at %1").arg(d.timeType())},
        error);
}

} // namespace

bool ExecuteAll(QSqlDatabase &db, const QStringList &statements, QString &error)
{
    QSqlQuery query(db);
    for (const QString &statement : statements) {
        if (!query.exec(statement)) {
            error = query.lastError().text();
            return false;
        }
    }
    return true;
}

const QList<CatalogSchema::Step> &CatalogSchema::steps()
{
    static const QList<Step> list = {
        {1, createTables},
        {2, addTemplatesAndSearch},
        {3, addEditors},
    };
    return list;
}

int CatalogSchema::latestVersion()
{
    return steps().constLast().version;
}

bool CatalogSchema::migrate(QSqlDatabase &db, const SqlDialect &dialect, QString &error, int upTo)
{
    QString ignored;
    for (const Step &step : steps()) {
        if (step.version > upTo)
            break;
        if (const QSqlError failed = dialect.runWhileBusy(db, dialect.beginSchemaStatements());
            failed.isValid()) {
            error = dialect.problemText(failed);
            return false;
        }
        // Another process may have run the step meanwhile.
        const std::optional<int> version = dialect.schemaVersion(db);
        if (version && *version >= step.version) {
            ExecuteAll(db, {QStringLiteral("ROLLBACK")}, ignored);
            continue;
        }
        bool done = false;
        if (!version) {
            error = QStringLiteral("не удалось прочитать версию схемы базы");
        } else if (step.apply(db, dialect, error)) {
            QSqlQuery mark(db);
            mark.prepare(dialect.insertIgnoring(QStringLiteral("catalog_meta"),
                                                {QStringLiteral("key"), QStringLiteral("value")},
                                                QStringLiteral("key")));
            mark.addBindValue(QStringLiteral("schema-version"));
            mark.addBindValue(QString::number(step.version));
            QSqlQuery update(db);
            update.prepare(
                QStringLiteral("UPDATE catalog_meta SET value = ? WHERE key = 'schema-version'"));
            update.addBindValue(QString::number(step.version));
            if (!mark.exec())
                error = mark.lastError().text();
            else if (!update.exec())
                error = update.lastError().text();
            else
                done = ExecuteAll(db, {QStringLiteral("COMMIT")}, error);
        }
        if (!done) {
            ExecuteAll(db, {QStringLiteral("ROLLBACK")}, ignored);
            return false;
        }
    }
    return true;
}

} // namespace sr5n
