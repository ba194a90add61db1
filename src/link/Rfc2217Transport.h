#pragma once

#include "link/Rfc2217Session.h"
#include "link/TcpTransport.h"
#include "link/TelnetCodec.h"

namespace sr5n {

// A serial port behind a serial server that speaks Telnet with the COM Port
// Control option (RFC 2217): the connection is ready once the server has set
// its port to the local port's settings; the line's bytes travel with
// Telnet's escaping of byte 255 both ways.
class Rfc2217Transport final : public TcpTransport
{
    Q_OBJECT

public:
    using TcpTransport::TcpTransport;

    bool purge() override;
    QString settingsText() const override;
    // What the server reported it set on its port.
    const Rfc2217Session::Reported &reported() const { return m_session.reported(); }

protected:
    void beginSession() override;
    void fromNetwork(const QByteArray &bytes) override;
    QByteArray toNetwork(const QByteArray &bytes) override;
    QString sessionTimeoutReason(int timeoutMs) const override;

private:
    TelnetCodec m_codec;
    Rfc2217Session m_session;
};

} // namespace sr5n
