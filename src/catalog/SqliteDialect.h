#pragma once

#include "catalog/SqlDialect.h"

namespace sr5n {

// SQLite: one file, write-ahead logging, a wait of up to a minute for
// another process's write, synchronous commits.
class SqliteDialect final : public SqlDialect
{
public:
    QString driver() const override;
    QString idType() const override;
    QString blobType() const override;
    QString timeType() const override;
    QString integerType() const override;
    QStringList connectionStatements() const override;
    QStringList beginWriteStatements() const override;
    QString insertIgnoring(const QString &table, const QStringList &columns,
                           const QString &key) const override;
    std::optional<int> schemaVersion(QSqlDatabase &db) const override;
    QString integrityProblem(QSqlDatabase &db) const override;
    QString problemText(const QSqlError &error) const override;

    // The connect options of a file opened read-only, and of one written.
    static QString connectOptions(bool readOnly);
};

} // namespace sr5n
