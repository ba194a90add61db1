#include "link/SimulatorRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace sr5n {

namespace {

bool processRuns(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
#else
    return pid > 0;
#endif
}

// Only a folder of this user's own is trusted: in a shared temporary folder
// another user could make one that leads the port list to any device.
bool ownFolder(const QString &folder)
{
    const QFileInfo info(folder);
#ifdef Q_OS_UNIX
    return info.isDir() && !info.isSymLink() && info.ownerId() == ::getuid();
#else
    return info.isDir();
#endif
}

} // namespace

SimulatorRegistry::SimulatorRegistry(QString folder) : m_folder(std::move(folder)) {}

QString SimulatorRegistry::defaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/sr5n-sim");
#ifdef Q_OS_UNIX
    return QDir::tempPath() + QStringLiteral("/sr5n-sim-%1").arg(::getuid());
#else
    return QDir::tempPath() + QStringLiteral("/sr5n-sim");
#endif
}

bool SimulatorRegistry::announce(qint64 pid, const QString &terminal) const
{
    if (!QDir().mkpath(m_folder) || !ownFolder(m_folder))
        return false;
    // Only this user lists and adds simulators here.
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString entry = QDir(m_folder).filePath(QString::number(pid));
    QFile::remove(entry);
    return QFile::link(terminal, entry);
}

void SimulatorRegistry::withdraw(qint64 pid) const
{
    QFile::remove(QDir(m_folder).filePath(QString::number(pid)));
}

QList<SimulatorRegistry::Simulator> SimulatorRegistry::running() const
{
    QList<Simulator> simulators;
    if (!ownFolder(m_folder))
        return simulators;
    const QDir folder(m_folder);
    const QFileInfoList entries =
        folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.fileName().toLongLong(&numeric);
        if (!numeric || !entry.isSymLink())
            continue;
        if (!processRuns(pid)) {
            // A simulator that was killed could not take its entry away.
            QFile::remove(entry.absoluteFilePath());
            continue;
        }
        const QString terminal = entry.symLinkTarget();
        if (QFileInfo::exists(terminal))
            simulators.append({pid, terminal});
    }
    std::sort(simulators.begin(), simulators.end(),
              [](const Simulator &a, const Simulator &b) { return a.pid < b.pid; });
    return simulators;
}

} // namespace sr5n
