#include "common/PgServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sr5n::test {

namespace {

const QString Superuser = QStringLiteral("admin");

PgServer *sharedServer = nullptr;

void stopSharedServer()
{
    delete sharedServer;
    sharedServer = nullptr;
}

// The folder of initdb, postgres and psql: on the PATH, or Debian's newest
// /usr/lib/postgresql/VERSION/bin.
QString binFolder()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    if (!onPath.isEmpty())
        return QFileInfo(QFileInfo(onPath).canonicalFilePath()).absolutePath();
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    int newest = -1;
    QString folder;
    for (const QString &name : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const int version = name.toInt(&number);
        const QString bin = versions.filePath(name) + QStringLiteral("/bin");
        if (number && version > newest && QFileInfo::exists(bin + QStringLiteral("/initdb"))) {
            newest = version;
            folder = bin;
        }
    }
    return folder;
}

// PostgreSQL runs as an unprivileged user: under root, "nobody".
struct Runner {
    bool switchUser = false;
    uint uid = 0;
    uint gid = 0;
};

Runner runner()
{
    Runner result;
    if (geteuid() != 0)
        return result;
    if (const passwd *nobody = getpwnam("nobody")) {
        result.switchUser = true;
        result.uid = nobody->pw_uid;
        result.gid = nobody->pw_gid;
    }
    return result;
}

// setpriv's arguments that run a program as the runner; with `dieWithParent`
// the program gets SIGQUIT (immediate shutdown) when the test process ends.
QStringList asRunner(const QString &program, const QStringList &arguments, bool dieWithParent)
{
    const Runner user = runner();
    QStringList result;
    if (user.switchUser)
        result << QStringLiteral("--reuid=%1").arg(user.uid)
               << QStringLiteral("--regid=%1").arg(user.gid) << QStringLiteral("--clear-groups");
    if (dieWithParent)
        result << QStringLiteral("--pdeathsig") << QStringLiteral("QUIT");
    return result << QStringLiteral("--") << program << arguments;
}

bool giveToRunner(const QString &path)
{
    const Runner user = runner();
    if (!user.switchUser)
        return true;
    return QProcess::execute(QStringLiteral("chown"),
                             {QStringLiteral("-R"),
                              QStringLiteral("%1:%2").arg(user.uid).arg(user.gid), path}) == 0;
}

// The environment of the fixture's own programs, without the PG variables
// a test may have set for the program under test.
QProcessEnvironment cleanEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys()) {
        if (key.startsWith(QLatin1String("PG")))
            environment.remove(key);
    }
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return environment;
}

// A port of the loopback address that nothing listens on just now.
int freeLoopbackPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr *>(&address), length) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

} // namespace

PgServer &PgServer::shared()
{
    if (!sharedServer) {
        sharedServer = new PgServer;
        qAddPostRoutine(stopSharedServer);
    }
    return *sharedServer;
}

PgServer::PgServer()
{
    m_bin = binFolder();
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral("PostgreSQL is not installed (scripts/install-deps installs it)");
        return;
    }
    // The socket's path must stay short and the folder reachable by the runner.
    const QString parent = runner().switchUser ? QStringLiteral("/tmp") : QDir::tempPath();
    m_folder = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/sr5n-pg-XXXXXX"));
    if (!m_folder->isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_folder->errorString();
        return;
    }
    QDir(m_folder->path()).mkpath(QStringLiteral("sock"));
    QFile::setPermissions(m_folder->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ExeOther | QFile::ExeGroup);
    giveToRunner(m_folder->path() + QStringLiteral("/sock"));

    const QString templateFolder = QStringLiteral(SR5N_PG_TEMPLATE_DIR "-") +
                                   QFileInfo(QFileInfo(m_bin).absolutePath()).fileName();
    if (!makeTemplate(templateFolder))
        return;
    const QString data = m_folder->path() + QStringLiteral("/data");
    if (!QFileInfo::exists(data)) {
        if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), templateFolder, data}) !=
                0 ||
            !giveToRunner(data)) {
            m_error = QStringLiteral("could not copy the cluster ") + templateFolder;
            return;
        }
    }
    launch(data);
}

PgServer::~PgServer()
{
    stop();
}

bool PgServer::makeTemplate(const QString &templateFolder)
{
    QLockFile lock(templateFolder + QStringLiteral(".lock"));
    lock.setStaleLockTime(300000);
    lock.lock();
    if (QFileInfo::exists(templateFolder + QStringLiteral("/PG_VERSION")))
        return true;

    // A cluster of its own, with the roles, kept as the template once stopped.
    const QString data = m_folder->path() + QStringLiteral("/data");
    QDir(m_folder->path()).mkpath(QStringLiteral("data"));
    giveToRunner(data);
    QProcess initdb;
    initdb.setProcessEnvironment(cleanEnvironment());
    initdb.setProcessChannelMode(QProcess::MergedChannels);
    initdb.setWorkingDirectory(m_folder->path());
    initdb.start(
        QStringLiteral("setpriv"),
        asRunner(m_bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), Superuser,
                  QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("--no-sync")},
                 false));
    if (!initdb.waitForFinished(180000) || initdb.exitCode() != 0) {
        m_error = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(initdb.readAll());
        return false;
    }
    if (!launch(data))
        return false;
    const auto roles = execute(
        QStringLiteral("postgres"),
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'; CREATE ROLE %3 LOGIN PASSWORD '%4'; "
                       "CREATE ROLE %5 LOGIN;")
            .arg(QLatin1String(Engineer), QLatin1String(EngineerPassword), QLatin1String(Reader),
                 QLatin1String(ReaderPassword), QLatin1String(Newcomer)));
    if (!roles || !stop())
        return false;
    const QString partial = templateFolder + QStringLiteral(".partial");
    QDir(partial).removeRecursively();
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), data, partial}) != 0 ||
        !QDir().rename(partial, templateFolder)) {
        m_error = QStringLiteral("could not keep the cluster as ") + templateFolder;
        return false;
    }
    return true;
}

bool PgServer::launch(const QString &dataFolder)
{
    const bool samePort = m_port != 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!samePort)
            m_port = freeLoopbackPort();
        m_process.setProcessEnvironment(cleanEnvironment());
        m_process.setWorkingDirectory(m_folder->path());
        // The log is a file: a pipe nobody reads would stop the server when full.
        m_process.setStandardOutputFile(m_folder->path() + QStringLiteral("/log"),
                                        QIODevice::Append);
        m_process.setStandardErrorFile(m_folder->path() + QStringLiteral("/log"),
                                       QIODevice::Append);
        m_process.start(QStringLiteral("setpriv"),
                        asRunner(m_bin + QStringLiteral("/postgres"),
                                 {QStringLiteral("-D"), dataFolder, QStringLiteral("-k"),
                                  socketFolder(), QStringLiteral("-p"), QString::number(m_port),
                                  QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                                  QStringLiteral("-c"), QStringLiteral("fsync=off"),
                                  QStringLiteral("-c"), QStringLiteral("full_page_writes=off"),
                                  QStringLiteral("-c"), QStringLiteral("max_connections=60"),
                                  QStringLiteral("-c"), QStringLiteral("shared_buffers=16MB")},
                                 true));
        if (waitUntilReady(dataFolder))
            return true;
        if (samePort || !logTail().contains(QLatin1String("could not bind")))
            break;
    }
    return false;
}

bool PgServer::waitUntilReady(const QString &dataFolder)
{
    m_ready = false;
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("postgres did not start: ") + m_process.errorString();
        return false;
    }
    // Ready once postmaster.pid's status line says so, and the log agrees.
    const QString pidFile = dataFolder + QStringLiteral("/postmaster.pid");
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            m_error = QStringLiteral("postgres ended:\n") + logTail();
            return false;
        }
        QFile pid(pidFile);
        if (pid.open(QIODevice::ReadOnly) && pid.readAll().contains("\nready")) {
            m_ready = true;
            return true;
        }
        QThread::msleep(30);
    }
    m_error = QStringLiteral("postgres did not become ready:\n") + logTail();
    return false;
}

bool PgServer::stop()
{
    m_ready = false;
    if (m_process.state() == QProcess::NotRunning)
        return true;
    ::kill(pid_t(m_process.processId()), SIGINT);
    if (m_process.waitForFinished(60000))
        return true;
    ::kill(pid_t(m_process.processId()), SIGQUIT);
    m_process.waitForFinished(10000);
    m_error = QStringLiteral("postgres did not stop in time:\n") + logTail();
    return false;
}

bool PgServer::start()
{
    if (running())
        return true;
    return m_folder && launch(m_folder->path() + QStringLiteral("/data"));
}

bool PgServer::useTls(const QString &certificateFile, const QString &keyFile)
{
    if (!m_folder)
        return false;
    const bool on = !certificateFile.isEmpty();
    const QString wanted = on ? QStringLiteral("on") : QStringLiteral("off");
    if (!on) {
        if (!execute(QStringLiteral("postgres"), QStringLiteral("ALTER SYSTEM SET ssl = off")) ||
            !execute(QStringLiteral("postgres"), QStringLiteral("SELECT pg_reload_conf()")))
            return false;
    }
    const QString folder = m_folder->path() + QStringLiteral("/tls");
    if (on)
        QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString certificate = folder + QStringLiteral("/server.crt");
    const QString key = folder + QStringLiteral("/server.key");
    if (on && (!QFile::copy(certificateFile, certificate) || !QFile::copy(keyFile, key) ||
               !QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner) ||
               !giveToRunner(folder)))
        return false;
    // One statement a call: ALTER SYSTEM runs outside a transaction only.
    const QStringList statements = {
        QStringLiteral("ALTER SYSTEM SET ssl_cert_file = '%1'").arg(certificate),
        QStringLiteral("ALTER SYSTEM SET ssl_key_file = '%1'").arg(key),
        QStringLiteral("ALTER SYSTEM SET ssl = on"), QStringLiteral("SELECT pg_reload_conf()")};
    for (const QString &statement : on ? statements : QStringList()) {
        if (!execute(QStringLiteral("postgres"), statement))
            return false;
    }
    // The reload is the postmaster's, a moment later.
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (execute(QStringLiteral("postgres"), QStringLiteral("SHOW ssl")) == wanted)
            return true;
        QThread::msleep(50);
    }
    m_error = QStringLiteral("the server did not turn TLS %1:\n").arg(wanted) + logTail();
    return false;
}

QString PgServer::createDatabase()
{
    const QString name = QStringLiteral("catalog_%1").arg(++m_databases);
    const QString engineer = QLatin1String(Engineer);
    const QString reader = QLatin1String(Reader);
    if (!execute(QStringLiteral("postgres"),
                 QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, engineer)) ||
        !execute(name, QStringLiteral("ALTER DEFAULT PRIVILEGES FOR ROLE %1 IN SCHEMA public "
                                      "GRANT SELECT ON TABLES TO %2;"
                                      "ALTER DEFAULT PRIVILEGES FOR ROLE %1 IN SCHEMA public "
                                      "GRANT SELECT ON SEQUENCES TO %2;")
                           .arg(engineer, reader)))
        return {};
    return name;
}

std::optional<QString> PgServer::execute(const QString &database, const QString &sql)
{
    QProcess psql;
    psql.setProcessEnvironment(cleanEnvironment());
    psql.start(m_bin + QStringLiteral("/psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
                QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-h"), socketFolder(), QStringLiteral("-p"), QString::number(m_port),
                QStringLiteral("-U"), Superuser, QStringLiteral("-d"), database,
                QStringLiteral("-c"), sql});
    if (!psql.waitForFinished(60000) || psql.exitStatus() != QProcess::NormalExit ||
        psql.exitCode() != 0) {
        m_error = QStringLiteral("psql (%1, exit %2): %3%4")
                      .arg(psql.errorString())
                      .arg(psql.exitCode())
                      .arg(QString::fromLocal8Bit(psql.readAllStandardError()),
                           QString::fromLocal8Bit(psql.readAllStandardOutput()));
        return std::nullopt;
    }
    return QString::fromLocal8Bit(psql.readAllStandardOutput()).trimmed();
}

QString PgServer::socketFolder() const
{
    return m_folder ? m_folder->path() + QStringLiteral("/sock") : QString();
}

QString PgServer::socketUri(const QString &role, const QString &database) const
{
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(role, QString::fromLatin1(QUrl::toPercentEncoding(socketFolder())),
             QString::number(m_port), database);
}

QString PgServer::tcpUri(const QString &role, const QString &database) const
{
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3?sslmode=disable")
        .arg(role, QString::number(m_port), database);
}

QString PgServer::logTail() const
{
    QFile log(m_folder ? m_folder->path() + QStringLiteral("/log") : QString());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = log.readAll();
    return QString::fromLocal8Bit(text.right(2000));
}

} // namespace sr5n::test
