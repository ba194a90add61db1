#include "link/NetworkAddress.h"

#include <QRegularExpression>

namespace sr5n {

namespace {

const QLatin1String RawScheme("tcp://");
const QLatin1String Rfc2217Scheme("rfc2217://");

} // namespace

bool NetworkAddress::isNetworkName(const QString &name)
{
    const QString trimmed = name.trimmed();
    return trimmed.startsWith(RawScheme, Qt::CaseInsensitive) ||
           trimmed.startsWith(Rfc2217Scheme, Qt::CaseInsensitive);
}

std::optional<NetworkAddress> NetworkAddress::parse(const QString &name)
{
    const QString trimmed = name.trimmed();
    NetworkAddress address;
    QString rest;
    if (trimmed.startsWith(RawScheme, Qt::CaseInsensitive)) {
        rest = trimmed.mid(RawScheme.size());
    } else if (trimmed.startsWith(Rfc2217Scheme, Qt::CaseInsensitive)) {
        address.mode = Mode::Rfc2217;
        rest = trimmed.mid(Rfc2217Scheme.size());
    } else {
        return std::nullopt;
    }

    // HOST:PORT or [IPv6]:PORT; a trailing slash is forgiven.
    static const QRegularExpression form(
        QStringLiteral(R"(^(?:\[([0-9A-Fa-f:.]+)\]|([^\s/:\[\]@]+)):([0-9]{1,5})/?$)"));
    const QRegularExpressionMatch match = form.match(rest);
    if (!match.hasMatch())
        return std::nullopt;
    address.host = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    const int port = match.captured(3).toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    address.port = static_cast<quint16>(port);
    return address;
}

QString NetworkAddress::name() const
{
    const QString scheme = mode == Mode::Raw ? RawScheme : Rfc2217Scheme;
    const QString where = host.contains(u':') ? u'[' + host + u']' : host;
    return scheme + where + u':' + QString::number(port);
}

} // namespace sr5n
