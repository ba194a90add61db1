#pragma once

#include "catalog/SqlDialect.h"

namespace sr5n {

// PostgreSQL: a server shared by many engineers. Writers take one advisory
// lock for their transaction, so that finding an object and adding to it is
// never interleaved with another engineer doing the same.
class PostgresDialect final : public SqlDialect
{
public:
    QString driver() const override;
    QString blobType() const override;
    QString integerType() const override;
    QStringList connectionStatements() const override;
    QStringList beginWriteStatements() const override;

protected:
    QString hasMetaTable() const override;
};

} // namespace sr5n
