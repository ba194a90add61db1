#include "link/SystemPortScanner.h"

#include "common/LogCategories.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace sr5n {

SystemPortScanner::SystemPortScanner(QString stableFolder, SimulatorRegistry simulators)
    : m_stableFolder(std::move(stableFolder)), m_simulators(std::move(simulators))
{
}

QHash<QString, QString> SystemPortScanner::stableNames(const QString &folder)
{
    QHash<QString, QString> names;
    const QFileInfoList links =
        QDir(folder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty() && !names.contains(device))
            names.insert(device, link.absoluteFilePath());
    }
    return names;
}

QList<PortEntry> SystemPortScanner::scan()
{
    QList<PortEntry> entries;
    const QHash<QString, QString> stable = stableNames(m_stableFolder);
    QStringList seen;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (info.portName().isEmpty() || seen.contains(info.portName()))
            continue;
        seen.append(info.portName());
        PortEntry entry;
        entry.name = info.portName();
        entry.location = info.systemLocation();
        entry.description = info.description();
        entry.manufacturer = info.manufacturer();
        entry.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            entry.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            entry.productId = info.productIdentifier();
        const QString device = QFileInfo(entry.location).canonicalFilePath();
        entry.stableName = stable.value(device.isEmpty() ? entry.location : device);
        entries.append(entry);
    }
    for (const SimulatorRegistry::Simulator &simulator : m_simulators.running()) {
        PortEntry entry;
        entry.name = simulator.terminal;
        entry.location = simulator.terminal;
        entry.simulatorPid = simulator.pid;
        entries.append(entry);
    }
    qCDebug(lcPorts) << "scanned" << entries.size() << "ports:" << seen << "and"
                     << entries.size() - seen.size() << "simulators";
    return entries;
}

} // namespace sr5n
