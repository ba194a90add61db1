#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace sr5n::test {

// A throwaway PostgreSQL server of this test process: a cluster copied from a
// template that the first test process of the build makes with initdb, run on
// a Unix socket in a temporary folder and on a loopback TCP port, and stopped
// at the end (or with the test process, should that die). Under root the
// server runs as "nobody", since PostgreSQL refuses to run as root.
//
// Its roles: "admin" (the superuser, used by the fixture itself), and the
// login roles below, which sign in without a password over the socket and
// with their password over TCP.
class PgServer final
{
public:
    // Owns the databases of createDatabase() and may create tables in them.
    static constexpr const char *Engineer = "engineer";
    static constexpr const char *EngineerPassword = "engineer-pass";
    // May read what the engineer's tables hold, nothing more.
    static constexpr const char *Reader = "reader";
    static constexpr const char *ReaderPassword = "reader-pass";
    // May sign in, but neither create tables nor read anybody's.
    static constexpr const char *Newcomer = "newcomer";

    // The server of this test process, started at the first call and stopped
    // when the application object ends.
    static PgServer &shared();

    PgServer();
    ~PgServer();

    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    bool running() const { return m_process.state() == QProcess::Running && m_ready; }
    // What went wrong in starting or in the last statement, with the server's log.
    const QString &error() const { return m_error; }

    // Stops the server (fast shutdown: clients are disconnected) and starts it
    // again on the same folder and port.
    bool stop();
    bool start();

    // Offers TLS with this certificate and key (PEM files, copied into the
    // server's folder) from now on, or no TLS when both are empty; the server
    // is not restarted.
    bool useTls(const QString &certificateFile, const QString &keyFile);

    // A new empty database owned by Engineer, whose tables Reader may read.
    QString createDatabase();
    // Runs SQL as the superuser; the output of psql, or nothing on failure.
    std::optional<QString> execute(const QString &database, const QString &sql);

    QString socketFolder() const;
    int port() const { return m_port; }
    // "postgresql://ROLE@%2Ftmp%2F...:PORT/DATABASE": over the Unix socket.
    QString socketUri(const QString &role, const QString &database) const;
    // "postgresql://ROLE@127.0.0.1:PORT/DATABASE?sslmode=disable": over TCP.
    QString tcpUri(const QString &role, const QString &database) const;

private:
    bool makeTemplate(const QString &templateFolder);
    bool launch(const QString &dataFolder);
    bool waitUntilReady(const QString &dataFolder);
    QString logTail() const;

    std::unique_ptr<QTemporaryDir> m_folder;
    QProcess m_process;
    QString m_bin;
    int m_port = 0;
    bool m_ready = false;
    int m_databases = 0;
    QString m_error;
};

} // namespace sr5n::test
