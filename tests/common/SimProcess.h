#pragma once

#include "link/LinkTimings.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace sr5n::test {

// sr5n-sim started from the build's bin folder; it ends with this object (and
// with the test process, through --exit-with-parent).
class SimProcess
{
public:
    explicit SimProcess(const QStringList &arguments = {});
    ~SimProcess();

    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool started() const { return !m_path.isEmpty(); }
    // The terminal the configurator opens.
    QString path() const { return m_path; }
    qint64 pid() const { return m_process.processId(); }
    // Ends the simulator, once every frame already sent has been logged, and
    // returns the requests it logged ("request N: ...").
    QStringList finish();

private:
    QStringList stop();

    QProcess m_process;
    QString m_path;
    QStringList m_lines;
};

// Link waits short enough for tests against the simulator to run in seconds.
LinkTimings ShortLinkTimings();

} // namespace sr5n::test
