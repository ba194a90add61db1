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
    // The limits every connection gets unless the URI sets its own, so that
    // a server that is gone is known within seconds, not TCP's minutes:
    // seconds libpq waits for a connection to be made (per address);
    static constexpr int DefaultConnectTimeout = 5;
    // an idle connection is probed after 5 s, every 2 s, and given up after
    // 2 probes unanswered: a connection that died while idle is known in 9 s;
    static constexpr int KeepalivesIdle = 5;
    static constexpr int KeepalivesInterval = 2;
    static constexpr int KeepalivesCount = 2;
    // data sent and not acknowledged for 8 s ends the connection (a cable
    // pulled or a VPN gone in the middle of a statement).
    static constexpr int TcpUserTimeoutMs = 8000;
    // The server ends a statement that runs longer than 10 s (a server
    // overloaded), and one that waits longer than 3 s for a lock another
    // session holds (a colleague's transaction left open): a recording does
    // not wait behind another for long. Given as the session's options, so
    // that the URI's own "options=-c statement_timeout=..." wins.
    static constexpr int StatementTimeoutMs = 10000;
    static constexpr int LockTimeoutMs = 3000;

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
    // The same URI with a parameter set to `value`, or left out when it is empty.
    PostgresUri withParameter(const QString &name, const QString &value) const;

    // True when every server it names is on this machine: a Unix socket, a
    // loopback address or "localhost" (no host: libpq's PGHOST or its socket).
    bool isOnThisMachine() const;
    // The TLS mode the connection asks for: the URI's own; "verify-full" (TLS
    // with the certificate checked against its name) for a server elsewhere;
    // empty on this machine (libpq's default).
    QString sslMode() const;

    // The driver's connect options: the parameters, several hosts, the TLS
    // mode, the time limits above and the program's name as the server lists
    // its clients.
    QString connectOptions(const QString &applicationName) const;

    // The URI as the settings keep it: the same, without a password.
    QString withoutPassword() const;
    // Short, for the window's status: "engineer@db.example.org:5432/catalog",
    // an IPv6 address in brackets: "engineer@[::1]:5432/catalog".
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
