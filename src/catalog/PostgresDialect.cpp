#include "catalog/PostgresDialect.h"

namespace sr5n {

namespace {

// The advisory lock of the catalogue's writers ("sr5n" in ASCII).
constexpr qint64 kWriteLock = 0x7372356e;

} // namespace

QString PostgresDialect::driver() const
{
    return QStringLiteral("QPSQL");
}

QString PostgresDialect::blobType() const
{
    return QStringLiteral("BYTEA");
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

QString PostgresDialect::hasMetaTable() const
{
    return QStringLiteral("SELECT to_regclass('catalog_meta') IS NOT NULL");
}

} // namespace sr5n
