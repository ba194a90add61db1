#pragma once

#include "catalog/PostgresConnector.h"
#include "catalog/PostgresUri.h"
#include "catalog/SqliteCatalog.h"

namespace sr5n {

// What opening the shared catalogue gave: the opening as for a file, and
// when the server was not reached, why (the window asks for a password when
// the server wants one).
struct PostgresOpening {
    CatalogOpening opening;
    PostgresConnector::Failure connectFailure = PostgresConnector::Failure::None;
    // The Qt SQL connection of the store, to tell a lost server from a refusal.
    QString connectionName;
    // How the connection is protected: "защищено, сертификат проверен"...
    QString protection;
    // Why a store opened read-only takes no entries (empty when it takes them).
    QString readOnlyReason;
};

// Opens the catalogue on a PostgreSQL server and brings its schema up to
// date. An empty database is set up when the role may create tables; a
// schema of a newer program, or a role that may not add rows, gives a
// read-only store and a notice.
PostgresOpening OpenPostgresCatalog(const PostgresUri &uri, const QString &password = {});

// The messages of opening the shared catalogue; `server` as
// PostgresUri::displayText() gives it.
QString CatalogServerNewerMessage(const QString &server);
QString CatalogReadOnlyRoleMessage(const QString &server, const QString &role);
QString CatalogCannotCreateMessage(const QString &server, const QString &database,
                                   const QString &role, const QString &schema);
QString CatalogCannotReadMessage(const QString &server, const QString &role, const QString &schema);
QString CatalogCannotUpgradeMessage(const QString &server, const QString &role,
                                    const QString &owner);

} // namespace sr5n
