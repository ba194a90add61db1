#include "PostgresConnector.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>

#include <pwd.h>
#include <unistd.h>

namespace sr5n {

namespace {

bool has(const QString &text, const char *pattern)
{
    return text.contains(
        QRegularExpression(QString::fromUtf8(pattern), QRegularExpression::CaseInsensitiveOption));
}

// libpq's text without its frame: "connection to server at ... failed: FATAL:  x" -> "x".
QString serverText(const QString &errorText)
{
    QString text = errorText;
    static const QRegularExpression frame(
        QStringLiteral("^connection to server (at|on) .*? failed: "),
        QRegularExpression::DotMatchesEverythingOption);
    text.remove(frame);
    static const QRegularExpression severity(QStringLiteral("^[A-ZА-ЯЁ]+:\\s+"));
    text.remove(severity);
    return text.simplified();
}

} // namespace

PostgresConnector::Result PostgresConnector::open(QSqlDatabase &database, const PostgresUri &uri,
                                                  const QString &password)
{
    Result result;
    if (!database.isValid()) {
        result.failure = Failure::NoDriver;
        result.message = message(result.failure, uri, {});
        return result;
    }
    database.setHostName(uri.host());
    database.setPort(uri.port());
    database.setUserName(uri.user());
    database.setDatabaseName(uri.database());
    database.setPassword(password.isEmpty() ? uri.password() : password);
    database.setConnectOptions(uri.connectOptions(QCoreApplication::applicationName()));
    if (database.open())
        return result;
    const QString text = database.lastError().databaseText();
    result.failure = classify(text);
    result.message = message(result.failure, uri, text);
    return result;
}

PostgresConnector::Failure PostgresConnector::classify(const QString &errorText)
{
    if (has(errorText, "no password supplied"))
        return Failure::PasswordNeeded;
    if (has(errorText,
            "password authentication failed|не прошёл проверку подлинности \\(по паролю\\)"))
        return Failure::PasswordRejected;
    if (has(errorText, "role \".*\" does not exist|роль \".*\" не существует"))
        return Failure::NoSuchRole;
    if (has(errorText, "database \".*\" does not exist|база данных \".*\" не существует"))
        return Failure::NoSuchDatabase;
    // TLS that the URI asks for and the server does not give.
    if (has(errorText, "server does not support SSL|certificate"))
        return Failure::Refused;
    // What the server itself says comes with its severity; the rest is the
    // client's: nobody answered.
    if (has(errorText, "(FATAL|ВАЖНО|ERROR|ОШИБКА):"))
        return Failure::Refused;
    return Failure::Unreachable;
}

QString PostgresConnector::message(Failure failure, const PostgresUri &uri,
                                   const QString &errorText)
{
    const QString server = uri.displayText();
    switch (failure) {
    case Failure::None:
        return {};
    case Failure::NoDriver:
        return QStringLiteral("Нет драйвера PostgreSQL для Qt SQL (пакет libqt6sql6-psql): "
                              "общий каталог недоступен");
    case Failure::PasswordNeeded:
        return QStringLiteral("Сервер каталога %1 просит пароль роли «%2»").arg(server, role(uri));
    case Failure::PasswordRejected:
        return QStringLiteral("Сервер каталога %1 не принял пароль роли «%2»")
            .arg(server, role(uri));
    case Failure::NoSuchRole:
        return QStringLiteral("На сервере каталога %1 нет роли «%2»").arg(server, role(uri));
    case Failure::NoSuchDatabase:
        return QStringLiteral("На сервере каталога %1 нет базы данных «%2»")
            .arg(server, uri.database().isEmpty() ? role(uri) : uri.database());
    case Failure::Unreachable:
        return QStringLiteral("Сервер каталога %1 недоступен: %2")
            .arg(server, serverText(errorText));
    case Failure::Refused:
        return QStringLiteral("Сервер каталога %1 отказал в подключении: %2")
            .arg(server, serverText(errorText));
    }
    return {};
}

QString PostgresConnector::role(const PostgresUri &uri)
{
    if (!uri.user().isEmpty())
        return uri.user();
    const QString fromEnvironment = qEnvironmentVariable("PGUSER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (const passwd *user = getpwuid(geteuid()))
        return QString::fromLocal8Bit(user->pw_name);
    return {};
}

} // namespace sr5n
