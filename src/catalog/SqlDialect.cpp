#include "catalog/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

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

bool SqlDialect::beginWrite(QSqlDatabase &db, QString &error) const
{
    constexpr int attempts = 3;
    const ConnectionWatch watching = watch(db);
    QSqlQuery query(db);
    for (int attempt = 1;; ++attempt) {
        const QStringList statements = beginWriteStatements();
        if (std::all_of(statements.cbegin(), statements.cend(),
                        [&query](const QString &statement) { return query.exec(statement); }))
            return true;
        const QSqlError failed = query.lastError();
        if (attempt >= attempts || !isBusy(failed)) {
            error = problemText(failed);
            return false;
        }
        // What was begun before the busy statement is ended before the next try.
        query.exec(QStringLiteral("ROLLBACK"));
    }
}

std::optional<int> SqlDialect::schemaVersion(QSqlDatabase &db, QString *problem) const
{
    const ConnectionWatch watching = watch(db);
    QSqlQuery query(db);
    const auto failed = [&]() -> std::optional<int> {
        if (problem)
            *problem = problemText(query.lastError());
        return std::nullopt;
    };
    if (!query.exec(hasMetaTable()) || !query.next())
        return failed();
    if (!query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT value FROM catalog_meta WHERE key = 'schema-version'")))
        return failed();
    return query.next() ? query.value(0).toInt() : 0;
}

} // namespace sr5n
