#include "PostgresUri.h"

#include <QByteArray>
#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace sr5n {

namespace {

const QString LongPrefix = QStringLiteral("postgresql://");
const QString ShortPrefix = QStringLiteral("postgres://");

// Percent-decoding as libpq does it: "%XX" only, never "%00".
std::optional<QString> decoded(const QString &part)
{
    const QByteArray bytes = part.toUtf8();
    QByteArray result;
    result.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%') {
            result.append(bytes[i]);
            continue;
        }
        if (i + 2 >= bytes.size())
            return std::nullopt;
        bool ok = false;
        const int value = bytes.mid(i + 1, 2).toInt(&ok, 16);
        if (!ok || value == 0 || !QByteArray("0123456789abcdefABCDEF").contains(bytes[i + 1]) ||
            !QByteArray("0123456789abcdefABCDEF").contains(bytes[i + 2]))
            return std::nullopt;
        result.append(char(value));
        i += 2;
    }
    return QString::fromUtf8(result);
}

QString encoded(const QString &part)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(part));
}

// libpq's quoting of a value in a "keyword=value" list.
QString quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// "host", "host:port", "[::1]:port", ":port" -> host and port, still encoded.
bool splitHost(const QString &spec, QString &host, QString &port)
{
    qsizetype colon = -1;
    if (spec.startsWith(QLatin1Char('['))) {
        const qsizetype close = spec.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        host = spec.mid(1, close - 1);
        if (close + 1 < spec.size()) {
            if (spec[close + 1] != QLatin1Char(':'))
                return false;
            colon = close + 1;
        }
    } else {
        colon = spec.indexOf(QLatin1Char(':'));
        host = colon < 0 ? spec : spec.left(colon);
    }
    port = colon < 0 ? QString() : spec.mid(colon + 1);
    return true;
}

bool validPort(const QString &port)
{
    if (port.isEmpty())
        return true;
    bool ok = false;
    const int number = port.toInt(&ok);
    return ok && number > 0 && number <= 65535 &&
           !port.contains(QRegularExpression(QStringLiteral("[^0-9]")));
}

// "::1" -> "[::1]"; a name (even one with a colon), an IPv4 address or a
// socket folder stays as it is.
QString bracketed(const QString &host)
{
    static const QRegularExpression address6(QStringLiteral("^[0-9A-Fa-f.]*:[0-9A-Fa-f:.]*$"));
    return address6.match(host).hasMatch() ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

// A host of libpq's list that is this machine: a socket folder (or an
// abstract socket, "@name"), the default socket (empty), "localhost" or a
// loopback address.
bool isLocalHost(const QString &host)
{
    if (host.isEmpty() || host.startsWith(QLatin1Char('/')) || host.startsWith(QLatin1Char('@')) ||
        host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString invalidText(const QString &what)
{
    return QStringLiteral("Неверный адрес каталога: %1").arg(what);
}

} // namespace

bool PostgresUri::looksLikeOne(const QString &text)
{
    return text.startsWith(LongPrefix) || text.startsWith(ShortPrefix);
}

PostgresUri PostgresUri::parse(const QString &text)
{
    PostgresUri uri;
    const QString trimmed = text.trimmed();
    if (!looksLikeOne(trimmed)) {
        uri.m_error = invalidText(QStringLiteral("он начинается не с «postgresql://»"));
        return uri;
    }
    // libpq takes no character 0, written or escaped ("%00" is refused below).
    if (trimmed.contains(QChar(0))) {
        uri.m_error = invalidText(QStringLiteral("он содержит символ с кодом 0"));
        return uri;
    }
    QString rest =
        trimmed.mid(trimmed.startsWith(LongPrefix) ? LongPrefix.size() : ShortPrefix.size());
    QString query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest.truncate(mark);
    }
    QString authority = rest;
    QString path;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        authority = rest.left(slash);
        path = rest.mid(slash + 1);
    }
    const auto fail = [&uri](const QString &what) {
        uri.m_error = invalidText(what);
        return uri;
    };
    const QString badEncoding = QStringLiteral("неверная последовательность «%»");

    if (const qsizetype at = authority.indexOf(QLatin1Char('@')); at >= 0) {
        const QString userSpec = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userSpec.indexOf(QLatin1Char(':'));
        const auto user = decoded(colon < 0 ? userSpec : userSpec.left(colon));
        const auto password = decoded(colon < 0 ? QString() : userSpec.mid(colon + 1));
        if (!user || !password)
            return fail(badEncoding);
        uri.m_user = *user;
        uri.m_password = *password;
    }
    if (!authority.isEmpty()) {
        for (const QString &spec : authority.split(QLatin1Char(','))) {
            QString host;
            QString port;
            if (!splitHost(spec, host, port))
                return fail(QStringLiteral("неверный узел «%1»").arg(spec));
            const auto plainHost = decoded(host);
            if (!plainHost)
                return fail(badEncoding);
            // Several hosts go into the driver's options, which ";" separates.
            if (plainHost->contains(QLatin1Char(';')))
                return fail(QStringLiteral("узел «%1» содержит «;»").arg(*plainHost));
            if (!validPort(port))
                return fail(QStringLiteral("неверный порт «%1»").arg(port));
            uri.m_hosts.append(*plainHost);
            uri.m_ports.append(port);
        }
    }
    if (const auto database = decoded(path))
        uri.m_database = *database;
    else
        return fail(badEncoding);

    static const QRegularExpression keyword(QStringLiteral("^[a-z_]+$"));
    for (const QString &pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const auto name = decoded(equals < 0 ? pair : pair.left(equals));
        const auto value = decoded(equals < 0 ? QString() : pair.mid(equals + 1));
        if (!name || !value)
            return fail(badEncoding);
        if (equals < 0 || !keyword.match(*name).hasMatch())
            return fail(QStringLiteral("неверный параметр «%1»").arg(pair));
        // Qt's driver takes ";" as a separator of its options, even in a value.
        if (value->contains(QLatin1Char(';')))
            return fail(QStringLiteral("значение параметра «%1» содержит «;»").arg(*name));
        if (*name == QLatin1String("user")) {
            uri.m_user = *value;
        } else if (*name == QLatin1String("password")) {
            uri.m_password = *value;
        } else if (*name == QLatin1String("dbname")) {
            uri.m_database = *value;
        } else if (*name == QLatin1String("host")) {
            uri.m_hosts = value->split(QLatin1Char(','));
            uri.m_ports = QStringList(uri.m_hosts.size(), QString());
        } else if (*name == QLatin1String("port")) {
            const QStringList ports = value->split(QLatin1Char(','));
            for (const QString &port : ports) {
                if (!validPort(port))
                    return fail(QStringLiteral("неверный порт «%1»").arg(port));
            }
            uri.m_ports = ports;
        } else {
            uri.m_parameters.append({*name, *value});
        }
    }
    return uri;
}

QString PostgresUri::host() const
{
    return m_hosts.size() == 1 ? m_hosts.first() : QString();
}

int PostgresUri::port() const
{
    if (m_hosts.size() > 1 || m_ports.size() != 1 || m_ports.first().isEmpty())
        return -1;
    return m_ports.first().toInt();
}

QString PostgresUri::parameter(const QString &name) const
{
    // A keyword given twice: libpq takes the later.
    for (auto it = m_parameters.crbegin(); it != m_parameters.crend(); ++it) {
        if (it->first == name)
            return it->second;
    }
    return {};
}

PostgresUri PostgresUri::withParameter(const QString &name, const QString &value) const
{
    PostgresUri uri = *this;
    uri.m_parameters.removeIf([&name](const auto &pair) { return pair.first == name; });
    if (!value.isEmpty())
        uri.m_parameters.append({name, value});
    return uri;
}

bool PostgresUri::isOnThisMachine() const
{
    // libpq connects to "hostaddr" when given, whatever "host" says.
    QStringList hosts = parameter(QStringLiteral("hostaddr")).split(QLatin1Char(','));
    if (hosts.join(QString()).isEmpty())
        hosts = m_hosts;
    if (hosts.isEmpty())
        hosts = qEnvironmentVariable("PGHOST").split(QLatin1Char(','));
    return std::all_of(hosts.cbegin(), hosts.cend(), isLocalHost);
}

QString PostgresUri::sslMode() const
{
    const QString given = parameter(QStringLiteral("sslmode"));
    if (!given.isEmpty() || isOnThisMachine())
        return given;
    return QStringLiteral("verify-full");
}

QString PostgresUri::connectOptions(const QString &applicationName) const
{
    QStringList options;
    for (const auto &[key, value] : m_parameters) {
        if (key != QLatin1String("options"))
            options.append(key + QLatin1Char('=') + quoted(value));
    }
    // The time limits first: a setting the URI's options give again wins.
    options.append(QStringLiteral("options=") +
                   quoted(QStringLiteral("-c statement_timeout=%1 -c lock_timeout=%2 %3")
                              .arg(StatementTimeoutMs)
                              .arg(LockTimeoutMs)
                              .arg(parameter(QStringLiteral("options")))
                              .trimmed()));
    // Several hosts (tried in turn by libpq) are beyond Qt's one host name.
    if (m_hosts.size() > 1 || (m_hosts.isEmpty() && !m_ports.isEmpty()) || m_ports.size() > 1) {
        if (!m_hosts.isEmpty())
            options.append(QStringLiteral("host=") + quoted(m_hosts.join(QLatin1Char(','))));
        if (!m_ports.join(QString()).isEmpty())
            options.append(QStringLiteral("port=") + quoted(m_ports.join(QLatin1Char(','))));
    }
    const auto byDefault = [&](const QString &name, const QString &value) {
        if (parameter(name).isEmpty() && !value.isEmpty())
            options.append(name + QLatin1Char('=') + value);
    };
    byDefault(QStringLiteral("sslmode"), sslMode());
    byDefault(QStringLiteral("connect_timeout"), QString::number(DefaultConnectTimeout));
    byDefault(QStringLiteral("keepalives"), QStringLiteral("1"));
    byDefault(QStringLiteral("keepalives_idle"), QString::number(KeepalivesIdle));
    byDefault(QStringLiteral("keepalives_interval"), QString::number(KeepalivesInterval));
    byDefault(QStringLiteral("keepalives_count"), QString::number(KeepalivesCount));
    byDefault(QStringLiteral("tcp_user_timeout"), QString::number(TcpUserTimeoutMs));
    if (!applicationName.isEmpty())
        options.append(QStringLiteral("fallback_application_name=") + quoted(applicationName));
    return options.join(QLatin1Char(';'));
}

QString PostgresUri::withoutPassword() const
{
    QString text = LongPrefix;
    if (!m_user.isEmpty())
        text += encoded(m_user) + QLatin1Char('@');
    // Each host with its port where they pair up; else hosts and ports go
    // into the query, each list as it is.
    const bool paired = m_ports.size() == m_hosts.size();
    QStringList hosts;
    for (qsizetype i = 0; i < m_hosts.size(); ++i) {
        const QString &host = m_hosts[i];
        QString spec = bracketed(host) != host ? bracketed(host) : encoded(host);
        if (paired && !m_ports[i].isEmpty())
            spec += QLatin1Char(':') + m_ports[i];
        hosts.append(spec);
    }
    if (paired)
        text += hosts.join(QLatin1Char(','));
    if (!m_database.isEmpty())
        text += QLatin1Char('/') + encoded(m_database);
    QStringList query;
    if (!paired && !m_hosts.isEmpty())
        query.append(QStringLiteral("host=") + encoded(m_hosts.join(QLatin1Char(','))));
    if (!paired)
        query.append(QStringLiteral("port=") + encoded(m_ports.join(QLatin1Char(','))));
    for (const auto &[key, value] : m_parameters)
        query.append(key + QLatin1Char('=') + encoded(value));
    if (!query.isEmpty())
        text += QLatin1Char('?') + query.join(QLatin1Char('&'));
    return text;
}

QString PostgresUri::displayText() const
{
    QString text;
    if (!m_user.isEmpty())
        text += m_user + QLatin1Char('@');
    QStringList hosts;
    for (qsizetype i = 0; i < m_hosts.size(); ++i) {
        QString spec = bracketed(m_hosts[i]);
        if (i < m_ports.size() && !m_ports[i].isEmpty())
            spec += QLatin1Char(':') + m_ports[i];
        hosts.append(spec);
    }
    text += hosts.isEmpty() ? QStringLiteral("localhost") : hosts.join(QLatin1Char(','));
    if (!m_database.isEmpty())
        text += QLatin1Char('/') + m_database;
    return text;
}

} // namespace sr5n
