#pragma once

#include <QString>
#include <QStringList>

namespace sr5n {

// What the configuration blocks need of the protocol library: the record at a
// library position (a pair's protocol choice is such a position) and the
// registration of a record that arrives from the device or from a file.
class ProtocolCatalog
{
public:
    virtual ~ProtocolCatalog() = default;

    // Number of protocols in the library.
    virtual int protocolCount() const = 0;
    // The record at a library position; empty outside the library.
    virtual QString recordAt(int index) const = 0;
    // The first position whose record equals `record`, letter case ignored; -1 if none.
    virtual int indexOfRecord(const QString &record) const = 0;
    // Makes sure the record is in the library, asking the user to register it
    // under a name (for pair 1 or 2) when it is not. The protocols of the
    // records in `kept` (those the configuration already holds for its other
    // pairs) are never replaced by it. True when it is in the library on return.
    virtual bool RegisterDeviceProtocol(const QString &record, int pair,
                                        const QStringList &kept) = 0;
};

} // namespace sr5n
