#include "catalog/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace sr5n {

QString SqlDialect::insertIgnoring(const QString &table, const QStringList &columns,
                                   const QString &key) const
{
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO NOTHING")
        .arg(table, columns.join(u", "), marks.join(u", "), key);
}

std::optional<int> SqlDialect::schemaVersion(QSqlDatabase &db) const
{
    QSqlQuery query(db);
    if (!query.exec(hasMetaTable()) || !query.next())
        return std::nullopt;
    if (!query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT value FROM catalog_meta WHERE key = 'schema-version'")))
        return std::nullopt;
    return query.next() ? query.value(0).toInt() : 0;
}

} // namespace sr5n
