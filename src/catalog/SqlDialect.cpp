#include "catalog/SqlDialect.h"

#include <QElapsedTimer>
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
    const QSqlError failed = runWhileBusy(db, beginWriteStatements());
    if (failed.isValid())
        error = problemText(failed);
    return !failed.isValid();
}

QSqlError SqlDialect::runWhileBusy(QSqlDatabase &db, const QStringList &statements) const
{
    constexpr int stalledAttempts = 3;
    constexpr qint64 longestWaitMs = 10000;
    const ConnectionWatch watching = watch(db);
    QElapsedTimer waited;
    waited.start();
    QString mark = progressMark(db);
    int stalled = 0;
    QSqlQuery query(db);
    for (;;) {
        if (std::all_of(statements.cbegin(), statements.cend(),
                        [&query](const QString &statement) { return query.exec(statement); }))
            return {};
        const QSqlError failed = query.lastError();
        const QString now = isBusy(failed) ? progressMark(db) : QString();
        stalled = now == mark ? stalled + 1 : 0;
        mark = now;
        if (!isBusy(failed) || stalled >= stalledAttempts || waited.elapsed() > longestWaitMs)
            return failed;
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
