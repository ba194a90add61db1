#pragma once

#include <QSqlError>
#include <QString>
#include <QStringList>

#include <optional>

class QSqlDatabase;

namespace sr5n {

// Everything in which the databases of the catalogue differ; the store and
// the schema's migrations are written once against it.
class SqlDialect
{
public:
    virtual ~SqlDialect() = default;

    // The Qt SQL driver ("QSQLITE", "QPSQL").
    virtual QString driver() const = 0;
    // Column types: a globally unique identity (UUID text), bytes, a time
    // (kept as ISO 8601 text in UTC, so that it sorts as text), whole numbers.
    virtual QString idType() const { return QStringLiteral("TEXT"); }
    virtual QString blobType() const = 0;
    virtual QString timeType() const { return QStringLiteral("TEXT"); }
    virtual QString integerType() const = 0;
    // Run on every connection after it opened (WAL, waits for a busy file...).
    virtual QStringList connectionStatements() const = 0;
    // Opens a transaction that writes: it holds the write lock from its start,
    // so that finding an object and adding to it cannot interleave with
    // another process doing the same.
    virtual QStringList beginWriteStatements() const = 0;
    // "INSERT ... " that does nothing when a row with the same `key` exists.
    QString insertIgnoring(const QString &table, const QStringList &columns,
                           const QString &key) const;
    // The schema version the database holds: 0 for an empty database, nothing
    // when it cannot be read.
    std::optional<int> schemaVersion(QSqlDatabase &db) const;
    // Checks the database's own structure; empty when sound, else what is
    // wrong. A server keeps its own files whole.
    virtual QString integrityProblem(QSqlDatabase &) const { return {}; }
    // What the user reads about a failed statement: the driver's text, or
    // words of ours for what he can act on (a full disk).
    virtual QString problemText(const QSqlError &error) const { return error.text(); }

protected:
    // A statement whose one value is true when the table catalog_meta exists.
    virtual QString hasMetaTable() const = 0;
};

} // namespace sr5n
