#pragma once

#include "PostgresUri.h"

#include <QString>

class QSqlDatabase;

namespace sr5n {

// Opens a Qt SQL connection to a PostgreSQL server named by a URI and, when
// that fails, tells the user why in a sentence: the password is missing or
// wrong, the role or database does not exist, the server cannot be reached,
// its certificate does not pass the check.
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
        NoTls,       // TLS asked for and the server has none
        Certificate, // the server's certificate did not pass the check
    };

    struct Result {
        Failure failure = Failure::None;
        QString message; // empty when opened
        bool opened() const { return failure == Failure::None; }
    };

    // How the connection is protected, as the catalogue's status tells it.
    enum class Protection {
        Verified,  // TLS, the certificate checked against the server's name
        CaOnly,    // TLS, the certificate checked, its name not
        Encrypted, // TLS, the certificate not checked
        Plain,     // no TLS
        Local,     // a Unix socket: no network between client and server
    };

    // Opens `database` (a connection of the "QPSQL" driver) with the URI's
    // parts; `password`, when not empty, is used instead of libpq's own
    // (~/.pgpass, PGPASSWORD, a password written into the URI).
    static Result open(QSqlDatabase &database, const PostgresUri &uri,
                       const QString &password = {});

    // The failure a driver's error text stands for.
    static Failure classify(const QString &errorText);
    // The sentence for a failure: "Сервер каталога engineer@host:5432/catalog
    // не принял пароль роли «engineer»". Where our words stand for the
    // driver's, its own text follows on a line of its own ("Ответ драйвера: …").
    static QString message(Failure failure, const PostgresUri &uri, const QString &errorText);
    // The role the connection signs in as: the URI's, PGUSER or the system user.
    static QString role(const PostgresUri &uri);

    // How an open connection made with `uri` is protected (asks the server).
    static Protection protection(QSqlDatabase &database, const PostgresUri &uri);
    // "защищено, сертификат проверен", "шифруется, сертификат не
    // проверяется", "без шифрования"...
    static QString protectionText(Protection protection);
    // The driver's text as one printable line: its frame, control characters
    // and undecodable bytes left out.
    static QString driverText(const QString &errorText);
};

} // namespace sr5n
