#pragma once

#include "catalog/ConnectionWatchdog.h"

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
    // Opens a transaction that writes. A file's write lock is taken at its
    // start; a server's writers lock only the objects they write
    // (objectLock()), so that one engineer's slow transaction never holds up
    // the others.
    virtual QStringList beginWriteStatements() const = 0;
    // Runs beginWriteStatements(), begun again while the database is busy
    // with other writers that are getting on (their commits show in
    // progressMark()); false, and what the user reads in `error`, when it
    // cannot: the database held by a writer that commits nothing for about
    // a second (three busy waits), or busy for 10 s in all.
    bool beginWrite(QSqlDatabase &db, QString &error) const;
    // Runs `statements` as beginWrite() runs its own: again while the
    // database is busy with writers that are getting on. The error of the
    // statement that failed; none (!isValid()) when all ran.
    QSqlError runWhileBusy(QSqlDatabase &db, const QStringList &statements) const;
    // Opens the transaction of a schema step: one at a time for the whole
    // database.
    virtual QStringList beginSchemaStatements() const { return beginWriteStatements(); }
    // A statement, with the object's key (its numbers, or its id) as its one
    // value, that holds the object for the rest of the transaction: finding
    // an object and adding to it, or checking its texts and changing them,
    // never interleaves with another writer of the same object. Empty where
    // the transaction already holds the whole database.
    virtual QString objectLock() const { return {}; }
    // Held while a statement runs on `db`: where a server may stop answering
    // in the middle of a session, its connection is cut past the limit.
    virtual ConnectionWatch watch(const QSqlDatabase &) const { return {}; }
    // "INSERT ... " that does nothing when a row with the same `key` exists.
    QString insertIgnoring(const QString &table, const QStringList &columns,
                           const QString &key) const;
    // The schema version the database holds: 0 for an empty database, nothing
    // (and why in `problem`, when given) when it cannot be read.
    std::optional<int> schemaVersion(QSqlDatabase &db, QString *problem = nullptr) const;
    // Checks the database's own structure; empty when sound, else what is
    // wrong. A server keeps its own files whole.
    virtual QString integrityProblem(QSqlDatabase &) const { return {}; }
    // What the user reads about a failed statement: the driver's text, or
    // words of ours for what he can act on (a full disk).
    virtual QString problemText(const QSqlError &error) const { return error.text(); }
    // True when a statement failed because another writer holds the database.
    virtual bool isBusy(const QSqlError &) const { return false; }
    // A value that changes whenever another connection commits (empty where
    // the database does not tell).
    virtual QString progressMark(QSqlDatabase &) const { return {}; }

protected:
    // A statement whose one value is true when the table catalog_meta exists.
    virtual QString hasMetaTable() const = 0;
};

} // namespace sr5n
