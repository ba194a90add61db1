#include "catalog/PostgresDialect.h"

#include "catalog/PostgresUri.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <dlfcn.h>

namespace sr5n {

namespace {

// The advisory locks of the catalogue ("sr5n" in ASCII), the first of their
// two keys: 0 for the schema, the hash of an object's key for an object.
constexpr int kLockSpace = 0x7372356e;

// libpq's PQsocket, taken from the library Qt's driver has loaded, so that
// the program needs no libpq of its own to build.
using SocketOf = int (*)(const void *);

SocketOf socketOf()
{
    static const SocketOf function = [] {
        void *library = ::dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<SocketOf>(::dlsym(library, "PQsocket")) : nullptr;
    }();
    return function;
}

int seconds(std::chrono::milliseconds limit)
{
    return int(std::chrono::duration_cast<std::chrono::seconds>(limit).count());
}

int seconds(int milliseconds)
{
    return seconds(std::chrono::milliseconds(milliseconds));
}

} // namespace

int PostgresSocket(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return -1;
    const QVariant handle = db.driver()->handle();
    // Qt names the handle's type by libpq's struct: "pg_conn*" ("PGconn*" in some builds).
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return -1;
    const void *connection = *static_cast<void *const *>(handle.data());
    const SocketOf function = socketOf();
    return connection && function ? function(connection) : -1;
}

PostgresDialect::PostgresDialect() = default;

PostgresDialect::~PostgresDialect() = default;

QString PostgresDialect::driver() const
{
    return QStringLiteral("QPSQL");
}

QString PostgresDialect::blobType() const
{
    return QStringLiteral("BYTEA");
}

QString PostgresDialect::integerType() const
{
    return QStringLiteral("BIGINT");
}

QStringList PostgresDialect::connectionStatements() const
{
    // "already exists, skipping" and the like are not the user's business.
    return {QStringLiteral("SET client_min_messages = warning")};
}

QStringList PostgresDialect::beginWriteStatements() const
{
    return {QStringLiteral("BEGIN")};
}

QStringList PostgresDialect::beginSchemaStatements() const
{
    return {QStringLiteral("BEGIN"),
            QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(kLockSpace)};
}

QString PostgresDialect::objectLock() const
{
    return QStringLiteral("SELECT pg_advisory_xact_lock(%1, hashtext(?))").arg(kLockSpace);
}

ConnectionWatch PostgresDialect::watch(const QSqlDatabase &db) const
{
    const int socket = PostgresSocket(db);
    if (socket < 0)
        return {};
    if (!m_watchdog)
        m_watchdog = std::make_unique<ConnectionWatchdog>(AnswerLimit);
    return ConnectionWatch(m_watchdog.get(), socket);
}

QString PostgresDialect::problemText(const QSqlError &error) const
{
    if (m_watchdog && m_watchdog->cut())
        return QStringLiteral("сервер не ответил за %1 с, соединение разорвано")
            .arg(seconds(AnswerLimit));
    // SQLSTATE: lock_not_available, query_canceled, deadlock_detected.
    const QString state = error.nativeErrorCode();
    if (state == QLatin1String("55P03"))
        return QStringLiteral("данные общего каталога заняты незавершенной транзакцией другого "
                              "сеанса дольше %1 с")
            .arg(seconds(PostgresUri::LockTimeoutMs));
    if (state == QLatin1String("57014"))
        return QStringLiteral("сервер не выполнил запрос за %1 с")
            .arg(seconds(PostgresUri::StatementTimeoutMs));
    if (state == QLatin1String("40P01"))
        return QStringLiteral("запись столкнулась с одновременной записью другого сеанса, сервер "
                              "ее отменил");
    return error.text();
}

QString PostgresDialect::hasMetaTable() const
{
    return QStringLiteral("SELECT to_regclass('catalog_meta') IS NOT NULL");
}

} // namespace sr5n
