#pragma once

#include <QList>
#include <QString>

namespace sr5n {

// Where running simulated communicators make themselves known, so that the
// port list can offer their pseudo-terminals: one symbolic link per process,
// named by its process id and pointing to its terminal.
class SimulatorRegistry
{
public:
    struct Simulator {
        qint64 pid = 0;
        QString terminal; // /dev/pts/4
    };

    // `folder`: the registry; the default is the user's runtime folder.
    explicit SimulatorRegistry(QString folder = defaultFolder());

    // $XDG_RUNTIME_DIR/sr5n-sim, or a folder of this user's own under the
    // temporary folder when there is no runtime folder.
    static QString defaultFolder();

    const QString &folder() const { return m_folder; }

    // False when the entry cannot be made (the simulator runs on, unlisted).
    bool announce(qint64 pid, const QString &terminal) const;
    void withdraw(qint64 pid) const;
    // The simulators whose process still runs and whose terminal exists, by
    // process id. Entries of ended processes are removed.
    QList<Simulator> running() const;

private:
    QString m_folder;
};

} // namespace sr5n
