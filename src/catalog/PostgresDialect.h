#pragma once

#include "catalog/SqlDialect.h"

#include <chrono>
#include <memory>

namespace sr5n {

// PostgreSQL: a server shared by many engineers, across a network. Every
// statement has a time limit, a lock is waited for only briefly, and writers
// lock only the objects they write.
class PostgresDialect final : public SqlDialect
{
public:
    // The connection is cut when the server has not answered a statement by
    // then: it stopped in the middle of the session. Longer than the
    // server's own statement limit (PostgresUri::StatementTimeoutMs), so
    // that a server that still answers says why itself.
    static constexpr std::chrono::milliseconds AnswerLimit{12000};

    PostgresDialect();
    ~PostgresDialect() override;

    QString driver() const override;
    QString blobType() const override;
    QString integerType() const override;
    QStringList connectionStatements() const override;
    QStringList beginWriteStatements() const override;
    QStringList beginSchemaStatements() const override;
    QString objectLock() const override;
    ConnectionWatch watch(const QSqlDatabase &db) const override;
    QString problemText(const QSqlError &error) const override;

protected:
    QString hasMetaTable() const override;

private:
    // Made at the first statement watched: a thread of its own.
    mutable std::unique_ptr<ConnectionWatchdog> m_watchdog;
};

// The socket of a connection of the "QPSQL" driver; -1 when it has none.
int PostgresSocket(const QSqlDatabase &db);

} // namespace sr5n
