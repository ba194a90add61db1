#include "catalog/PostgresCatalog.h"

#include "catalog/CatalogSchema.h"
#include "catalog/CatalogTypes.h"
#include "catalog/PostgresDialect.h"
#include "catalog/SqlCatalogStore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace sr5n {

namespace {

void disconnect(const QString &name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// One row of one query's values, or nothing (and why in `problem`) when it fails.
std::optional<QVariantList> row(QSqlDatabase &db, const PostgresDialect &dialect,
                                const QString &sql, int columns, QString &problem)
{
    const ConnectionWatch watching = dialect.watch(db);
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next()) {
        problem = dialect.problemText(query.lastError());
        return std::nullopt;
    }
    QVariantList values;
    for (int i = 0; i < columns; ++i)
        values << query.value(i);
    return values;
}

} // namespace

QString CatalogServerNewerMessage(const QString &server)
{
    return QStringLiteral("Общий каталог %1 создан более новой версией программы и открыт только "
                          "для чтения: новые записи в него не добавляются")
        .arg(server);
}

QString CatalogReadOnlyRoleMessage(const QString &server, const QString &role)
{
    return QStringLiteral("Роль «%1» может только читать общий каталог %2: операции, сделанные "
                          "под этой ролью, в него не записываются")
        .arg(role, server);
}

QString CatalogCannotCreateMessage(const QString &server, const QString &database,
                                   const QString &role, const QString &schema)
{
    return QStringLiteral("В базе данных «%1» сервера %2 еще нет каталога, а роль «%3» не может "
                          "его создать: нужно право CREATE на схему «%4» (GRANT CREATE ON SCHEMA "
                          "%4 TO %3) или каталог, созданный ролью с этим правом")
        .arg(database, server, role, schema);
}

QString CatalogCannotReadMessage(const QString &server, const QString &role, const QString &schema)
{
    return QStringLiteral("Роль «%1» не может читать общий каталог %2: нужно право SELECT на его "
                          "таблицы (GRANT SELECT ON ALL TABLES IN SCHEMA %3 TO %1)")
        .arg(role, server, schema);
}

QString CatalogCannotUpgradeMessage(const QString &server, const QString &role,
                                    const QString &owner)
{
    return QStringLiteral("Схема общего каталога %1 записана более старой версией программы, а "
                          "роль «%2» не может ее обновить: это сделает владелец его таблиц («%3»), "
                          "открыв каталог этой версией программы")
        .arg(server, role, owner);
}

PostgresOpening OpenPostgresCatalog(const PostgresUri &uri, const QString &password)
{
    PostgresOpening result;
    CatalogOpening &opening = result.opening;
    if (!uri.isValid()) {
        opening.failure = uri.error();
        return result;
    }
    const QString server = uri.displayText();
    const PostgresDialect dialect;
    const QString name = QStringLiteral("sr5n-catalog-") + NewCatalogId();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driver(), name);
        const PostgresConnector::Result connected = PostgresConnector::open(db, uri, password);
        if (!connected.opened()) {
            result.connectFailure = connected.failure;
            opening.failure = connected.message;
            db = QSqlDatabase();
            disconnect(name);
            return result;
        }
    }
    QSqlDatabase db = QSqlDatabase::database(name, false);
    const auto fail = [&](const QString &message) {
        opening.failure = message;
        db = QSqlDatabase();
        disconnect(name);
        return std::move(result);
    };
    QString error;
    {
        const ConnectionWatch watching = dialect.watch(db);
        if (!ExecuteAll(db, dialect.connectionStatements(), error))
            return fail(CatalogOpenFailure(server, error));
    }
    result.protection = PostgresConnector::protectionText(PostgresConnector::protection(db, uri));
    const auto ask = [&](const QString &sql, int columns) {
        return row(db, dialect, sql, columns, error);
    };
    const auto who = ask(QStringLiteral("SELECT current_user, current_schema()"), 2);
    if (!who)
        return fail(CatalogOpenFailure(server, error));
    const QString role = who->at(0).toString();
    const QString schema = who->at(1).toString();

    std::optional<int> version = dialect.schemaVersion(db, &error);
    if (!version) {
        // The meta table is there, but this role may not read it.
        const auto readable =
            ask(QStringLiteral("SELECT has_table_privilege('catalog_meta', 'SELECT')"), 1);
        if (readable && !readable->at(0).toBool())
            return fail(CatalogCannotReadMessage(server, role, schema));
        return fail(CatalogOpenFailure(server, error));
    }
    bool readOnly = false;
    if (*version > CatalogSchema::latestVersion()) {
        opening.notices << CatalogServerNewerMessage(server);
        result.readOnlyReason = QStringLiteral("общий каталог %1 создан более новой версией "
                                               "программы и открыт только для чтения")
                                    .arg(server);
        readOnly = true;
    } else if (*version < CatalogSchema::latestVersion()) {
        if (*version == 0) {
            const auto may = ask(QStringLiteral("SELECT has_schema_privilege(current_schema(), "
                                                "'CREATE')"),
                                 1);
            if (!may || !may->at(0).toBool())
                return fail(CatalogCannotCreateMessage(
                    server, uri.database().isEmpty() ? role : uri.database(), role, schema));
        } else {
            const auto owner = ask(QStringLiteral("SELECT tableowner, pg_has_role(tableowner, "
                                                  "'USAGE') FROM pg_tables WHERE tablename = "
                                                  "'entries' AND schemaname = current_schema()"),
                                   2);
            if (owner && !owner->at(1).toBool())
                return fail(CatalogCannotUpgradeMessage(server, role, owner->at(0).toString()));
        }
        if (!CatalogSchema::migrate(db, dialect, error))
            return fail(CatalogOpenFailure(server, error));
    }
    const auto rights = ask(QStringLiteral("SELECT has_table_privilege('objects', 'SELECT') AND "
                                           "has_table_privilege('entries', 'SELECT') AND "
                                           "has_table_privilege('configurations', 'SELECT'), "
                                           "has_table_privilege('entries', 'INSERT') AND "
                                           "has_table_privilege('objects', 'INSERT, UPDATE') AND "
                                           "has_table_privilege('configurations', 'INSERT')"),
                            2);
    if (!rights)
        return fail(CatalogOpenFailure(server, error));
    if (!rights->at(0).toBool())
        return fail(CatalogCannotReadMessage(server, role, schema));
    if (!readOnly && !rights->at(1).toBool()) {
        opening.notices << CatalogReadOnlyRoleMessage(server, role);
        result.readOnlyReason =
            QStringLiteral("роль «%1» может только читать общий каталог %2").arg(role, server);
        readOnly = true;
    }
    db = QSqlDatabase();
    result.connectionName = name;
    opening.store = std::make_unique<SqlCatalogStore>(name, std::make_unique<PostgresDialect>(),
                                                      uri.withoutPassword(), readOnly);
    return result;
}

} // namespace sr5n
