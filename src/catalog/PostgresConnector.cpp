#include "PostgresConnector.h"

#include "catalog/PostgresCertificate.h"
#include "catalog/PostgresDialect.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <pwd.h>
#include <unistd.h>

namespace sr5n {

namespace {

bool has(const QString &text, const char *pattern)
{
    return text.contains(
        QRegularExpression(QString::fromUtf8(pattern), QRegularExpression::CaseInsensitiveOption));
}

QString captured(const QString &text, const char *pattern, int group = 1)
{
    return QRegularExpression(QString::fromUtf8(pattern)).match(text).captured(group);
}

// libpq's text without its frame: "connection to server at ... failed: FATAL:  x" -> "x".
QString serverText(const QString &errorText)
{
    QString text = PostgresConnector::driverText(errorText);
    static const QRegularExpression frame(
        QStringLiteral("^connection to server (at|on) .*? failed: "),
        QRegularExpression::DotMatchesEverythingOption);
    text.remove(frame);
    static const QRegularExpression severity(QStringLiteral("^[A-ZА-ЯЁ]+:\\s+"));
    text.remove(severity);
    return text.simplified();
}

int connectTimeout(const PostgresUri &uri)
{
    bool number = false;
    const int given = uri.parameter(QStringLiteral("connect_timeout")).toInt(&number);
    return number && given > 0 ? given : PostgresUri::DefaultConnectTimeout;
}

// Our words for why nobody answered.
QString unreachableReason(const PostgresUri &uri, const QString &errorText)
{
    const QString host = uri.host().isEmpty() ? QStringLiteral("localhost") : uri.host();
    if (has(errorText, "timeout expired"))
        return QStringLiteral("сервер не ответил за %1 с: он выключен, недоступен по сети или "
                              "соединение блокируется")
            .arg(connectTimeout(uri));
    if (has(errorText, "Connection refused"))
        return QStringLiteral("сервер не принимает подключения: служба PostgreSQL не запущена или "
                              "порт указан неверно");
    if (has(errorText, "could not translate host name|Name or service not known|"
                       "Temporary failure in name resolution|nodename nor servname"))
        return QStringLiteral("имя «%1» не удается разрешить в адрес").arg(host);
    if (has(errorText, "No route to host|Network is unreachable"))
        return QStringLiteral("сеть до сервера недоступна");
    if (has(errorText, "No such file or directory") && uri.host().startsWith(u'/'))
        return QStringLiteral("на этом компьютере сервер не запущен: в папке «%1» нет его сокета")
            .arg(QDir::toNativeSeparators(uri.host()));
    if (has(errorText, "invalid response to SSL negotiation|expected authentication request"))
        return QStringLiteral("на этом порту отвечает не сервер PostgreSQL");
    if (has(errorText, "server closed the connection|connection reset|SSL SYSCALL|"
                       "no connection to the server|terminating connection"))
        return QStringLiteral("соединение с сервером прервано");
    if (has(errorText, "не ответил за|разорвано"))
        return errorText; // our own words already
    return QStringLiteral("нет соединения с сервером");
}

QString withDetail(const QString &sentence, const QString &errorText)
{
    const QString detail = serverText(errorText);
    if (detail.isEmpty() || sentence.endsWith(detail))
        return sentence;
    return sentence + QStringLiteral("\nОтвет драйвера: ") + detail;
}

// Our words for a certificate that did not pass libpq's check.
QString certificateReason(const PostgresUri &uri, const QString &errorText)
{
    const QString root = QDir::toNativeSeparators(PostgresRootCertificatePath(uri));
    if (has(errorText, "root certificate file .* does not exist"))
        return QStringLiteral("для проверки сертификата сервера нужен корневой сертификат центра, "
                              "который его выдал, а файла «%1» нет: выберите корневой сертификат "
                              "в настройках каталога или положите его в этот файл")
            .arg(QDir::toNativeSeparators(
                captured(errorText, "root certificate file \"(.*)\" does not exist")));
    if (has(errorText, "could not read root certificate file"))
        return QStringLiteral("корневой сертификат «%1» не читается").arg(root);
    // The server itself shows what is wrong with its certificate.
    const QString found = PostgresCertificateProblem(uri, connectTimeout(uri) * 1000);
    if (!found.isEmpty())
        return QStringLiteral("сертификат сервера не прошел проверку: %1").arg(found);
    const QString names =
        captured(errorText, "server certificate for \"(.*?)\"( \\(and \\d+ other names?\\))? "
                            "does not match host name");
    if (!names.isEmpty())
        return QStringLiteral("сертификат сервера выдан на имя «%1», а в адресе указано «%2»")
            .arg(names, uri.host());
    return QStringLiteral("сертификат сервера не подписан центром сертификации из файла «%1»")
        .arg(root);
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
    if (has(errorText, "server does not support SSL"))
        return Failure::NoTls;
    if (has(errorText, "certificate"))
        return Failure::Certificate;
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
        return withDetail(QStringLiteral("Сервер каталога %1 недоступен: %2")
                              .arg(server, unreachableReason(uri, errorText)),
                          errorText);
    case Failure::Refused:
        return QStringLiteral("Сервер каталога %1 отказал в подключении: %2")
            .arg(server, serverText(errorText));
    case Failure::NoTls:
        return QStringLiteral(
                   "Сервер каталога %1 не поддерживает шифрование (TLS), а адрес требует "
                   "его (sslmode=%2): включите TLS на сервере")
            .arg(server, uri.sslMode());
    case Failure::Certificate:
        return withDetail(QStringLiteral("Подключение к серверу каталога %1 отклонено: %2")
                              .arg(server, certificateReason(uri, errorText)),
                          errorText);
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

PostgresConnector::Protection PostgresConnector::protection(QSqlDatabase &database,
                                                            const PostgresUri &uri)
{
    bool encrypted = false;
    bool socket = false;
    {
        const PostgresDialect dialect;
        const ConnectionWatch watching = dialect.watch(database);
        QSqlQuery query(database);
        if (query.exec(QStringLiteral("SELECT ssl, inet_client_addr() IS NULL FROM pg_stat_ssl "
                                      "WHERE pid = pg_backend_pid()")) &&
            query.next()) {
            encrypted = query.value(0).toBool();
            socket = query.value(1).toBool();
        }
    }
    if (!encrypted)
        return socket ? Protection::Local : Protection::Plain;
    const QString mode = uri.sslMode();
    if (mode == QLatin1String("verify-full"))
        return Protection::Verified;
    if (mode == QLatin1String("verify-ca"))
        return Protection::CaOnly;
    return Protection::Encrypted;
}

QString PostgresConnector::protectionText(Protection protection)
{
    switch (protection) {
    case Protection::Verified:
        return QStringLiteral("защищено, сертификат проверен");
    case Protection::CaOnly:
        return QStringLiteral("шифруется, имя сервера в сертификате не проверяется");
    case Protection::Encrypted:
        return QStringLiteral("шифруется, сертификат не проверяется");
    case Protection::Plain:
        return QStringLiteral("без шифрования");
    case Protection::Local:
        return QStringLiteral("внутри этого компьютера");
    }
    return {};
}

QString PostgresConnector::driverText(const QString &errorText)
{
    QString text;
    text.reserve(errorText.size());
    for (const QChar c : errorText) {
        // Control characters and what could not be decoded (U+FFFD) say nothing.
        if (c.isSpace())
            text += u' ';
        else if (c.isPrint() && c != QChar::ReplacementCharacter)
            text += c;
    }
    return text.simplified();
}

} // namespace sr5n
