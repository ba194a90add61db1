#pragma once

#include "link/PortScanner.h"

namespace sr5n::test {

// A port the system knows nothing of but its name: ttyS0.
inline PortEntry PlainPort(const QString &name)
{
    PortEntry port;
    port.name = name;
    port.location = QStringLiteral("/dev/") + name;
    return port;
}

// A USB adapter as the system describes an FTDI cable, with its stable name.
inline PortEntry FtdiPort(const QString &name = QStringLiteral("ttyUSB0"))
{
    PortEntry port = PlainPort(name);
    port.description = QStringLiteral("FT232R USB UART");
    port.manufacturer = QStringLiteral("FTDI");
    port.serialNumber = QStringLiteral("A5XK3RJP");
    port.vendorId = 0x0403;
    port.productId = 0x6001;
    port.stableName =
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJP-if00-port0");
    return port;
}

} // namespace sr5n::test
