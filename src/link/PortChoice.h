#pragma once

#include "link/PortScanner.h"

#include <QList>
#include <QString>

namespace sr5n {

// One line of the port list: the name that goes into the port field and is
// opened, the line the list shows for it, and every other detail known of the
// port (its device file, description, ...), one a line, for its hint.
struct PortChoice {
    QString name;
    QString text;
    QString hint;
    bool usb = false;
    // False for the stable name of a port listed just above it: the same
    // device under another name.
    bool primary = true;

    bool operator==(const PortChoice &) const = default;
};

// The lines of the port list for the ports scanned: each port, and after a
// USB adapter its stable /dev/serial/by-id name.
QList<PortChoice> PortChoices(const QList<PortEntry> &ports);

// What is known of a port, in one line: "FT232R USB UART, FTDI (A5XK3RJP),
// USB 0403:6001"; empty when the system knows nothing of it.
QString PortSummary(const PortEntry &port);

} // namespace sr5n
