#pragma once

#include "link/PortScanner.h"
#include "link/SimulatorRegistry.h"

#include <QHash>

namespace sr5n {

// The serial ports the system reports (with what it knows of each adapter
// and the stable by-id name of a USB adapter), then the pseudo-terminals of
// the simulated communicators that run for this user.
class SystemPortScanner final : public PortScanner
{
public:
    explicit SystemPortScanner(QString stableFolder = QStringLiteral("/dev/serial/by-id"),
                               SimulatorRegistry simulators = SimulatorRegistry());

    QList<PortEntry> scan() override;

    // The links of `folder` by the device file each leads to.
    static QHash<QString, QString> stableNames(const QString &folder);

private:
    QString m_stableFolder;
    SimulatorRegistry m_simulators;
};

} // namespace sr5n
