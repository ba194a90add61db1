#pragma once

#include <QList>
#include <QString>

#include <functional>

class QSqlDatabase;

namespace sr5n {

class SqlDialect;

// The catalogue's schema as one ordered list of versioned steps, written
// against a SqlDialect so that every database runs the same steps. A step
// runs in its own write transaction, which also records its version; a
// database is brought up to date at start, one step after another.
class CatalogSchema final
{
public:
    struct Step {
        int version;
        std::function<bool(QSqlDatabase &, const SqlDialect &, QString &error)> apply;
    };

    static const QList<Step> &steps();
    // The version this program writes.
    static int latestVersion();
    // Runs the steps above the database's version up to `upTo`. False with
    // `error` when one fails (that step left no trace).
    static bool migrate(QSqlDatabase &db, const SqlDialect &dialect, QString &error,
                        int upTo = latestVersion());
};

// Runs SQL statements in order; false with `error` at the first that fails.
bool ExecuteAll(QSqlDatabase &db, const QStringList &statements, QString &error);

} // namespace sr5n
