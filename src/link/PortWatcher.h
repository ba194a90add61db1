#pragma once

#include "link/PortScanner.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;

namespace sr5n {

class UdevMonitor;

// Says when the serial ports of the machine may have changed, without
// looking at them on a clock: a port added or removed (device events), a
// simulated communicator announced or withdrawn (its registry folder), or one
// whose process ended without withdrawing (the process itself). Events that
// come together are told once.
class PortWatcher final : public QObject
{
    Q_OBJECT

public:
    // `simulatorFolder`: where the simulators announce themselves.
    // `monitor`: the device events, or null where there are none.
    PortWatcher(const QString &simulatorFolder, std::unique_ptr<UdevMonitor> monitor,
                QObject *parent = nullptr);
    ~PortWatcher() override;

    // Whether ports plugged in and out are seen; without, the caller looks
    // again itself.
    bool followsHardware() const { return m_deviceEvents != nullptr; }

    // The ports of the last scan: the simulators among them are watched until
    // their processes end.
    void watchSimulators(const QList<PortEntry> &ports);

signals:
    void portsMayHaveChanged();

private:
    void deviceEvent();
    void watchFolder();
    void soon();

    std::unique_ptr<UdevMonitor> m_monitor;
    QSocketNotifier *m_deviceEvents = nullptr;
    QString m_simulatorFolder;
    QFileSystemWatcher *m_folders = nullptr;
    QHash<qint64, QSocketNotifier *> m_processes; // by process id, on its pidfd
    QTimer *m_settle = nullptr;
};

} // namespace sr5n
