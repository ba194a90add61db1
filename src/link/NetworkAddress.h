#pragma once

#include <QString>

#include <optional>

namespace sr5n {

// A port reached over the network, named "tcp://HOST:PORT" (the connection's
// bytes are the serial line's bytes) or "rfc2217://HOST:PORT" (a Telnet
// session that also sets the remote port's line). HOST is a name, an IPv4
// address or an IPv6 address in brackets ("tcp://[::1]:4001").
struct NetworkAddress {
    enum class Mode { Raw, Rfc2217 };

    Mode mode = Mode::Raw;
    QString host;
    quint16 port = 0;

    // Whether `name` names a network port by its scheme, well formed or not.
    static bool isNetworkName(const QString &name);
    // The address in `name`; nothing when it is not a well-formed network
    // port name (no host, a port outside 1-65535, anything after the port).
    static std::optional<NetworkAddress> parse(const QString &name);
    // The port name of the address, as parse() takes it back.
    QString name() const;

    bool operator==(const NetworkAddress &) const = default;
};

} // namespace sr5n
