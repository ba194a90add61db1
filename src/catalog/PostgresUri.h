#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace sr5n {

// A PostgreSQL server as libpq's URI names it:
//     postgresql://[user[:password]@][host][:port][,...][/dbname][?name=value[&...]]
// parsed into what Qt's PostgreSQL driver takes: host, port, user, database
// and the other libpq keywords as its connect options. Parts left out are
// libpq's to fill in (PGHOST, PGUSER, the Unix socket, ~/.pgpass...).
class PostgresUri final
{
public:
    // Seconds libpq waits for an unreachable server, unless the URI says.
    static constexpr int DefaultConnectTimeout = 5;

    // True for text that is meant as such a URI ("postgresql://", "postgres://").
    static bool looksLikeOne(const QString &text);
    // The URI, or an invalid one whose error() tells the user what is wrong.
    static PostgresUri parse(const QString &text);

    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }

    // One host for Qt's host name and port; several go into the options.
    QString host() const;
    int port() const; // -1: libpq's default
    const QString &user() const { return m_user; }
    // A password written into the URI: used for this session, never kept.
    const QString &password() const { return m_password; }
    const QString &database() const { return m_database; }
    // The value of a libpq keyword given as a parameter ("sslmode"), or empty.
    QString parameter(const QString &name) const;

    // The driver's connect options: the parameters, several hosts, a connect
    // time-out and the program's name as the server lists its clients.
    QString connectOptions(const QString &applicationName) const;

    // The URI as the settings keep it: the same, without a password.
    QString withoutPassword() const;
    // Short, for the window's status: "engineer@db.example.org:5432/catalog".
    QString displayText() const;

private:
    QString m_error;
    QStringList m_hosts;
    QStringList m_ports;
    QString m_user;
    QString m_password;
    QString m_database;
    QList<QPair<QString, QString>> m_parameters;
};

} // namespace sr5n
