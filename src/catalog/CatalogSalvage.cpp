#include "catalog/CatalogSalvage.h"

#include "catalog/CatalogTypes.h"
#include "catalog/SqliteDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

#include <functional>
#include <optional>

namespace sr5n {

namespace {

// Row ids tried one by one past the last row read when the table's end does
// not read either: more than any page holds.
constexpr qint64 kProbeWindow = 10000;

// The columns both files have, in the new file's order: an older file lacks
// the later ones.
QStringList commonColumns(const QSqlDatabase &from, const QSqlDatabase &to, const QString &table)
{
    const QSqlRecord old = from.record(table);
    const QSqlRecord fresh = to.record(table);
    QStringList columns;
    for (int i = 0; i < fresh.count(); ++i)
        if (old.contains(fresh.fieldName(i)))
            columns << fresh.fieldName(i);
    return columns;
}

QVariantList rowValues(const QSqlQuery &query, qsizetype columns)
{
    QVariantList values;
    for (int i = 1; i <= columns; ++i)
        values << query.value(i);
    return values;
}

// Reads one table of the damaged file in row id order and hands each row that
// reads to `take` (false: refused, counted lost). Where a scan meets a page
// that does not read, the rows after it are looked up one by one until one
// reads, and the scan goes on from there.
SalvageCount walkRows(QSqlDatabase &from, const QString &table, const QStringList &columns,
                      const std::function<bool(const QVariantList &)> &take)
{
    SalvageCount count;
    if (columns.isEmpty())
        return count;
    const QString selected = QStringLiteral("SELECT rowid, %1 FROM \"%2\" WHERE rowid %3 ?")
                                 .arg(columns.join(QStringLiteral(", ")), table);
    QSqlQuery scan(from);
    scan.setForwardOnly(true);
    scan.prepare(selected.arg(QStringLiteral(">")) + QStringLiteral(" ORDER BY rowid"));
    QSqlQuery point(from);
    point.setForwardOnly(true);
    point.prepare(selected.arg(QStringLiteral("=")));
    std::optional<qint64> end;
    QSqlQuery last(from);
    if (last.exec(QStringLiteral("SELECT max(rowid) FROM \"%1\"").arg(table)) && last.next())
        end = last.value(0).toLongLong();

    const auto keep = [&](const QSqlQuery &query) {
        if (take(rowValues(query, columns.size())))
            ++count.saved;
        else
            ++count.lost;
        return query.value(0).toLongLong();
    };
    qint64 after = 0;
    for (;;) {
        scan.bindValue(0, after);
        bool whole = scan.exec();
        while (whole && scan.next())
            after = keep(scan);
        if (whole && !scan.lastError().isValid())
            break;
        int unread = 0;
        bool found = false;
        for (qint64 id = after + 1; end ? id <= *end : id <= after + kProbeWindow; ++id) {
            point.bindValue(0, id);
            if (point.exec() && point.next()) {
                after = keep(point);
                found = true;
                break;
            }
            if (point.lastError().isValid())
                ++unread;
        }
        if (!found) {
            // Past the end of what reads: known only when the table's end read.
            if (end)
                count.lost += unread;
            else
                count.tailUnknown = true;
            break;
        }
        count.lost += unread;
    }
    return count;
}

class Copier
{
public:
    Copier(QSqlDatabase &from, QSqlDatabase &to) : m_from(from), m_to(to) {}

    // Copies the rows of `table` that read and that `accept` takes.
    SalvageCount
    copy(const QString &table, const QString &key,
         const std::function<bool(const QStringList &, const QVariantList &)> &accept = {})
    {
        const QStringList columns = commonColumns(m_from, m_to, table);
        QSqlQuery insert(m_to);
        insert.prepare(SqliteDialect().insertIgnoring(table, columns, key));
        return walkRows(m_from, table, columns, [&](const QVariantList &values) {
            if (accept && !accept(columns, values))
                return false;
            for (const QVariant &value : values)
                insert.addBindValue(value);
            return insert.exec();
        });
    }

private:
    QSqlDatabase &m_from;
    QSqlDatabase &m_to;
};

// A configuration whose bytes no longer give its hash was damaged in place.
bool wholeConfiguration(const QStringList &columns, const QVariantList &values)
{
    const qsizetype hash = columns.indexOf(QStringLiteral("hash"));
    const qsizetype bytes = columns.indexOf(QStringLiteral("bytes"));
    return hash >= 0 && bytes >= 0 &&
           ContentHash(values.at(bytes).toByteArray()) == values.at(hash).toString();
}

int affected(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) ? query.numRowsAffected() : 0;
}

// Objects whose row was lost but whose entries were read: a bare object of
// the entries' codes, so that no entry read is dropped.
int rebuildObjectsOfEntries(QSqlDatabase &to)
{
    QSqlQuery orphans(to);
    orphans.setForwardOnly(true);
    if (!orphans.exec(QStringLiteral(
            "SELECT e.object_id, e.codes, min(e.time), max(e.time), "
            "(SELECT l.id FROM entries l WHERE l.object_id = e.object_id ORDER BY l.time DESC "
            "LIMIT 1), "
            "(SELECT l.operation FROM entries l WHERE l.object_id = e.object_id ORDER BY l.time "
            "DESC LIMIT 1) "
            "FROM entries e WHERE e.object_id NOT IN (SELECT id FROM objects) "
            "GROUP BY e.object_id")))
        return 0;
    QList<QVariantList> rows;
    while (orphans.next())
        rows << QVariantList{orphans.value(0), orphans.value(1), orphans.value(2),
                             orphans.value(3), orphans.value(4), orphans.value(5)};
    QSqlQuery insert(to);
    insert.prepare(QStringLiteral(
        "INSERT INTO objects (id, codes, created, last_time, last_entry, last_operation, search) "
        "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    int rebuilt = 0;
    for (const QVariantList &row : rows) {
        for (const QVariant &value : row)
            insert.addBindValue(value);
        insert.addBindValue(CatalogSearchText(row.at(1).toString(), {}, {}, {}, {}));
        if (insert.exec())
            ++rebuilt;
    }
    return rebuilt;
}

QString counted(const SalvageCount &count)
{
    return count.tailUnknown ? QStringLiteral("не менее %1").arg(count.lost)
                             : QString::number(count.lost);
}

} // namespace

CatalogSalvageResult SalvageCatalog(const QString &damagedPath, const QString &target)
{
    CatalogSalvageResult result;
    const QString name = QStringLiteral("sr5n-salvage-") + NewCatalogId();
    {
        QSqlDatabase from = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        from.setDatabaseName(damagedPath);
        from.setConnectOptions(SqliteDialect::connectOptions(true));
        QSqlDatabase to = QSqlDatabase::database(target, false);
        // A file cut short is refused as a whole unless the schema may be
        // "written": then SQLite reads the pages the file still has. The
        // connection only reads.
        if (from.open())
            QSqlQuery(from).exec(QStringLiteral("PRAGMA writable_schema = ON"));
        if (!from.isOpen() || from.tables().isEmpty()) {
            result.failure = QStringLiteral("Невозможно прочитать поврежденную базу: ") +
                             (from.lastError().isValid()
                                  ? from.lastError().text()
                                  : QStringLiteral("в файле не найдено ни одной таблицы"));
        } else if (to.isOpen()) {
            // Parents may come after their children in a damaged file: the
            // references are put right once every row that reads is in.
            affected(to, QStringLiteral("PRAGMA foreign_keys = OFF"));
            to.transaction();
            Copier copier(from, to);
            copier.copy(QStringLiteral("catalog_meta"), QStringLiteral("key"));
            result.configurations = copier.copy(QStringLiteral("configurations"),
                                                QStringLiteral("hash"), wholeConfiguration);
            result.objects = copier.copy(QStringLiteral("objects"), QStringLiteral("id"));
            result.entries = copier.copy(QStringLiteral("entries"), QStringLiteral("id"));
            affected(to, QStringLiteral("UPDATE objects SET merged_into = NULL WHERE merged_into "
                                        "NOT IN (SELECT id FROM objects)"));
            // An entry is the configuration it holds: without it, it is lost.
            const int bare = affected(to, QStringLiteral("DELETE FROM entries WHERE hash NOT IN "
                                                         "(SELECT hash FROM configurations)"));
            result.entries.saved -= bare;
            result.entries.lost += bare;
            result.objectsFromEntries = rebuildObjectsOfEntries(to);
            result.objects.saved += result.objectsFromEntries;
            if (!to.commit()) {
                result.failure = QStringLiteral("Невозможно сохранить прочитанное в новой базе: ") +
                                 to.lastError().text();
                to.rollback();
                result.objects.saved = result.entries.saved = result.configurations.saved = 0;
            }
            affected(to, QStringLiteral("PRAGMA foreign_keys = ON"));
        }
        from.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

QString SalvageSummary(const CatalogSalvageResult &result)
{
    if (!result.failure.isEmpty() &&
        result.objects.saved + result.entries.saved + result.configurations.saved == 0)
        return result.failure;
    QString summary =
        QStringLiteral("Сохранено объектов: %1, записей: %2, конфигураций: %3. "
                       "Не удалось прочитать объектов: %4, записей: %5, "
                       "конфигураций: %6")
            .arg(result.objects.saved)
            .arg(result.entries.saved)
            .arg(result.configurations.saved)
            .arg(counted(result.objects), counted(result.entries), counted(result.configurations));
    if (result.objects.tailUnknown || result.entries.tailUnknown ||
        result.configurations.tailUnknown)
        summary += QStringLiteral(" (конец таблицы не читается: сколько строк было в нем, "
                                  "неизвестно)");
    if (result.objectsFromEntries > 0)
        summary += QStringLiteral(" (объектов восстановлено по их записям, без названия и "
                                  "адреса: %1)")
                       .arg(result.objectsFromEntries);
    if (!result.failure.isEmpty())
        summary += QStringLiteral(". ") + result.failure;
    return summary;
}

QString SalvageCatalogAndTell(const QString &damagedPath, const QString &target)
{
    return SalvageSummary(SalvageCatalog(damagedPath, target));
}

} // namespace sr5n
