#include "catalog/PostgresDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace sr5n {

namespace {

// The advisory lock of the catalogue's writers ("sr5n" in ASCII).
constexpr qint64 kWriteLock = 0x7372356e;

} // namespace

QString PostgresDialect::driver() const
{
    return QStringLiteral("QPSQL");
}

QString PostgresDialect::idType() const
{
    return QStringLiteral("TEXT");
}

QString PostgresDialect::blobType() const
{
    return QStringLiteral("BYTEA");
}

QString PostgresDialect::timeType() const
{
    return QStringLiteral("TEXT");
}

QString PostgresDialect::integerType() const
{
    return QStringLiteral("BIGINT");
}

QStringList PostgresDialect::connectionStatements() const
{
    // "already exists, skipping" and the like are not the user's business.
    return {QStringLiteral("SET client_min_messages = warning")};
}

QStringList PostgresDialect::beginWriteStatements() const
{
    return {QStringLiteral("BEGIN"),
            QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kWriteLock)};
}

QString PostgresDialect::insertIgnoring(const QString &table, const QStringList &columns,
                                        const QString &key) const
{
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO NOTHING")
        .arg(table, columns.join(u", "), marks.join(u", "), key);
}

std::optional<int> PostgresDialect::schemaVersion(QSqlDatabase &db) const
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT to_regclass('catalog_meta') IS NOT NULL")) ||
        !query.next())
        return std::nullopt;
    if (!query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT value FROM catalog_meta WHERE key = 'schema-version'")))
        return std::nullopt;
    return query.next() ? query.value(0).toInt() : 0;
}

QString PostgresDialect::integrityProblem(QSqlDatabase &) const
{
    // The server keeps its own files whole.
    return {};
}

} // namespace sr5n
