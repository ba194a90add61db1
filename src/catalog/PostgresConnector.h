#pragma once

#include "PostgresUri.h"

#include <QString>

class QSqlDatabase;

namespace sr5n {

// Opens a Qt SQL connection to a PostgreSQL server named by a URI and, when
// that fails, tells the user why in a sentence: the password is missing or
// wrong, the role or database does not exist, the server cannot be reached.
class PostgresConnector final
{
public:
    enum class Failure {
        None,
        NoDriver,         // Qt SQL has no PostgreSQL driver
        PasswordNeeded,   // the server asks for a password that nobody gave
        PasswordRejected, // the password given is not the role's
        NoSuchRole,
        NoSuchDatabase,
        Unreachable, // no answer: refused, timed out, no such host
        Refused,     // any other refusal by the server
    };

    struct Result {
        Failure failure = Failure::None;
        QString message; // empty when opened
        bool opened() const { return failure == Failure::None; }
    };

    // Opens `database` (a connection of the "QPSQL" driver) with the URI's
    // parts; `password`, when not empty, is used instead of libpq's own
    // (~/.pgpass, PGPASSWORD, a password written into the URI).
    static Result open(QSqlDatabase &database, const PostgresUri &uri,
                       const QString &password = {});

    // The failure a driver's error text stands for.
    static Failure classify(const QString &errorText);
    // The sentence for a failure: "Сервер каталога engineer@host:5432/catalog
    // не принял пароль роли «engineer»".
    static QString message(Failure failure, const PostgresUri &uri, const QString &errorText);
    // The role the connection signs in as: the URI's, PGUSER or the system user.
    static QString role(const PostgresUri &uri);
};

} // namespace sr5n
