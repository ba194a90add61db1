#include "link/PortWatcher.h"

#include "common/LogCategories.h"
#include "link/UdevMonitor.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace sr5n {

namespace {

// Events of one plug-in (the USB device, its interface, its port) come within
// a few milliseconds of each other.
constexpr int kSettleMs = 150;

// A descriptor that becomes readable when the process ends; -1 where the
// system has none.
int processDescriptor(qint64 pid)
{
#if defined(Q_OS_LINUX) && defined(SYS_pidfd_open)
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

} // namespace

PortWatcher::PortWatcher(const QString &simulatorFolder, std::unique_ptr<UdevMonitor> monitor,
                         QObject *parent)
    : QObject(parent), m_monitor(std::move(monitor)), m_simulatorFolder(simulatorFolder),
      m_folders(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        qCDebug(lcPorts) << "the ports may have changed: scanning again";
        emit portsMayHaveChanged();
    });

    if (m_monitor) {
        m_deviceEvents = new QSocketNotifier(m_monitor->descriptor(), QSocketNotifier::Read, this);
        connect(m_deviceEvents, &QSocketNotifier::activated, this, &PortWatcher::deviceEvent);
    }

    connect(m_folders, &QFileSystemWatcher::directoryChanged, this, [this] {
        // The registry may just have been made inside the folder watched; a
        // change beside it says nothing of the ports.
        watchFolder();
        if (QFileInfo(m_simulatorFolder).isDir())
            soon();
    });
    watchFolder();
}

PortWatcher::~PortWatcher()
{
    for (QSocketNotifier *process : std::as_const(m_processes)) {
        const int descriptor = static_cast<int>(process->socket());
        delete process;
#ifdef Q_OS_UNIX
        ::close(descriptor);
#endif
    }
}

void PortWatcher::deviceEvent()
{
    if (m_monitor->drain()) {
        qCDebug(lcPorts) << "a serial device came or went";
        soon();
    }
}

void PortWatcher::soon()
{
    if (!m_settle->isActive())
        m_settle->start();
}

void PortWatcher::watchFolder()
{
    // The registry, or while there is none the nearest folder above it that
    // exists, where it will appear.
    QString folder = m_simulatorFolder;
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return;
        folder = parent;
    }
    const QStringList watched = m_folders->directories();
    if (watched == QStringList{folder})
        return;
    if (!watched.isEmpty())
        m_folders->removePaths(watched);
    m_folders->addPath(folder);
}

void PortWatcher::watchSimulators(const QList<PortEntry> &ports)
{
    QList<qint64> running;
    for (const PortEntry &port : ports) {
        if (port.isSimulator())
            running.append(port.simulatorPid);
    }
    for (auto it = m_processes.begin(); it != m_processes.end();) {
        if (running.contains(it.key())) {
            ++it;
            continue;
        }
        const int descriptor = static_cast<int>(it.value()->socket());
        delete it.value();
#ifdef Q_OS_UNIX
        ::close(descriptor);
#endif
        it = m_processes.erase(it);
    }
    for (qint64 pid : std::as_const(running)) {
        if (m_processes.contains(pid))
            continue;
        const int descriptor = processDescriptor(pid);
        if (descriptor < 0)
            continue;
        auto *process = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(process, &QSocketNotifier::activated, this, [this, process] {
            // Readable from the end of the process on: told once.
            process->setEnabled(false);
            qCDebug(lcPorts) << "a simulator's process ended";
            soon();
        });
        m_processes.insert(pid, process);
    }
}

} // namespace sr5n
