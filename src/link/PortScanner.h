#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace sr5n {

// One serial port of this machine and what the system knows of it.
struct PortEntry {
    QString name;     // what the port field holds and the link opens: ttyUSB0, /dev/pts/4
    QString location; // the device file: /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId; // USB adapters only
    std::optional<quint16> productId;
    QString stableName;      // /dev/serial/by-id/... of a USB adapter, when there is one
    qint64 simulatorPid = 0; // the process of a simulated communicator on a pseudo-terminal

    bool isUsb() const { return vendorId.has_value() || productId.has_value(); }
    bool isSimulator() const { return simulatorPid > 0; }
};

// Lists the serial ports present now, in the order they are offered.
class PortScanner
{
public:
    virtual ~PortScanner() = default;
    virtual QList<PortEntry> scan() = 0;
};

} // namespace sr5n
