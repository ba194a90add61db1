#pragma once

#include "catalog/SqlDialect.h"

namespace sr5n {

// SQLite: one file, write-ahead logging, a short wait for another
// process's write, synchronous commits.
class SqliteDialect final : public SqlDialect
{
public:
    QString driver() const override;
    QString blobType() const override;
    QString integerType() const override;
    QStringList connectionStatements() const override;
    QStringList beginWriteStatements() const override;
    QString integrityProblem(QSqlDatabase &db) const override;
    QString problemText(const QSqlError &error) const override;
    bool isBusy(const QSqlError &error) const override;
    QString progressMark(QSqlDatabase &db) const override;

    // The connect options of a file opened read-only, and of one written.
    static QString connectOptions(bool readOnly);

protected:
    QString hasMetaTable() const override;
};

} // namespace sr5n
