#pragma once

#include "common/PgServer.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

namespace sr5n::test {

// Another engineer's long transaction: every table named locked by a session
// of its own until release() (or the end of the object).
class PgTableLock final
{
public:
    PgTableLock(PgServer &server, const QString &database,
                const QStringList &tables = {QStringLiteral("configurations"),
                                             QStringLiteral("objects"), QStringLiteral("entries"),
                                             QStringLiteral("catalog_meta")})
        : m_name(QStringLiteral("lock-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(server.socketFolder());
        db.setPort(server.port());
        db.setDatabaseName(database);
        db.setUserName(QString::fromLatin1(PgServer::Engineer));
        if (!db.open())
            return;
        QSqlQuery query(db);
        m_held = query.exec(QStringLiteral("BEGIN")) &&
                 query.exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE")
                                .arg(tables.join(QStringLiteral(", "))));
    }
    ~PgTableLock() { release(); }

    PgTableLock(const PgTableLock &) = delete;
    PgTableLock &operator=(const PgTableLock &) = delete;

    bool held() const { return m_held; }
    void release()
    {
        if (m_name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen())
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
        m_held = false;
    }

private:
    QString m_name;
    bool m_held = false;
};

} // namespace sr5n::test
