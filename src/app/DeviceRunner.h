#pragma once

#include "app/Configurator.h"
#include "common/Expected.h"
#include "config/ConfigComparison.h"
#include "link/OperationProgress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>

namespace sr5n {

class CommunicatorFinder;
class ConfigurationCopy;
class DeviceOperation;
class EventLogView;
struct BlockContext;
struct EventLogArea;

// Every device operation from the port to its result, written once for the
// main window and the command line: the link's Aborted lowered, the progress
// shown, the port opened, the work (which keeps its history entry), the link
// and the progress closed, and the port kept for the next run when the
// operation worked. A port that cannot be opened is told once the progress has
// closed. Each result carries its reason.
class DeviceRunner final
{
public:
    // `progress` may be null (nothing shown); both must outlive the runner.
    explicit DeviceRunner(Configurator &app, OperationProgress *progress = nullptr);

    void setProgress(OperationProgress *progress) { m_progress = progress; }
    // Whether a port that worked becomes the last port of the settings: the
    // window's runs keep it, a script's runs leave the user's choice alone.
    void setRemembersPort(bool remembers) { m_remembersPort = remembers; }
    // Whether the success notices are shown here, over the progress at its
    // last percentage as the window does; the command line tells them itself.
    void setShowsNotices(bool shows) { m_showsNotices = shows; }
    // Runs before the notice of a whole-configuration transfer (the window
    // comes to the front).
    void setBeforeNotice(std::function<void()> before) { m_beforeNotice = std::move(before); }
    // Runs after a port that worked has been kept (the window offers it again).
    void setPortKept(std::function<void()> kept) { m_portKept = std::move(kept); }

    // The whole configuration read into the configuration, or into `into` (a
    // copy the window never sees); written from the configuration.
    Expected<void> readConfiguration(const QString &port);
    Expected<void> readConfiguration(const QString &port, const BlockContext &into);
    Expected<void> writeConfiguration(const QString &port);

    struct Verified {
        Configurator::Verification result = Configurator::Verification::Unchecked;
        // What the device holds otherwise, for Different.
        QList<ConfigDifference> differences;
    };
    // Written, read back into `readBack` (a copy of this configuration) and
    // compared; a failure only when nothing was written. Different has been
    // reported as an error when this returns.
    Expected<Verified> writeVerified(const QString &port, ConfigurationCopy &readBack);

    Expected<QTime> readClock(const QString &port);
    Expected<void> writeClock(const QString &port, const QTime &time);

    // One log into `view`; a failure also when a piece failed after the
    // status (what was read before is shown).
    Expected<void> readLog(const QString &port, const EventLogArea &area, EventLogView &view);
    // Asks, then erases both logs; declining is a failure without a reason.
    Expected<void> clearLogs(const QString &port);

    // The self-test on its own (no progress to show): the fault mask.
    Expected<unsigned> selfTest(const QString &port);
    // The diagnostics window over the opened link: `show` runs it and is true
    // when it went to its verdict. No progress: the window is its own.
    Expected<void> diagnostics(const QString &port, const std::function<bool()> &show);

    // Probes `ports` for a communicator. `choose` picks one of several that
    // answered (empty: declined); `found` puts the port found where the user
    // sees it, before the notice. The port found is the result.
    Expected<QString> findCommunicator(const QStringList &ports, CommunicatorFinder &finder,
                                       const std::function<QString(const QStringList &)> &choose,
                                       const std::function<void(const QString &)> &found);

    // The success notices.
    static QString readNotice() { return QStringLiteral("Конфигурация прочитана успешно"); }
    static QString writeNotice() { return QStringLiteral("Конфигурация записана успешно"); }
    static QString clockWrittenNotice() { return QStringLiteral("Время записано успешно"); }

private:
    // The sequence itself: `work` runs over the opened link and returns the
    // result; its failure without a reason takes the last error of the run.
    struct Shape {
        OperationProgress::Kind kind;
        int maximum = 1;
        bool withProgress = true; // false: the operation shows a window of its own
        int stepsBeforeOpen = 0;
    };
    template <typename T, typename Work>
    Expected<T> run(const QString &port, const Shape &shape, Work &&work);
    void notice(const QString &text, bool beforeNotice);
    void remember(const QString &port);

    Configurator &m_app;
    OperationProgress *m_progress;
    bool m_remembersPort = true;
    bool m_showsNotices = true;
    std::function<void()> m_beforeNotice;
    std::function<void()> m_portKept;
};

} // namespace sr5n
