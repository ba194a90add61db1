#pragma once

#include "app/ConfigHistory.h"
#include "app/UserSettings.h"
#include "common/Notifier.h"
#include "config/BlockContext.h"
#include "config/ConfigComparison.h"
#include "link/CommunicatorFinder.h"
#include "link/LinkTimings.h"

#include <QString>
#include <QStringList>
#include <QTime>

#include <memory>
#include <optional>

namespace sr5n {

class ConfigModel;
class ConfigurationCopy;
class DeviceOperation;
class EventCodeTables;
class EventLogs;
class OperationProgress;
class PortScanner;
class ProtocolCatalog;
class ProtocolDialogs;
class ProtocolEditor;
class ProtocolLibrary;
class TConnection;
class TVaCapture;
class TVaComm;

// The configurator without its windows: the configuration, the event code
// tables, the protocol editor and library, the port with its link, and the
// event log operations, with the work on them that the main window and the
// command line share. Created before the main window and destroyed after it.
class Configurator final
{
public:
    // `dataFolder` holds the installation data (the executable's folder in the
    // program), and the protocol library when the folder is writable; else the
    // library is the user's own (ProtocolLibraryLocation). `timings` are the
    // link's waits, shortened only by tests.
    explicit Configurator(QString dataFolder, LinkTimings timings = LinkTimings());
    ~Configurator();

    Configurator(const Configurator &) = delete;
    Configurator &operator=(const Configurator &) = delete;

    // Everything here talks to the user through this notifier; whoever shows
    // the messages (message boxes, a terminal, a test's fake) is put behind it.
    Notifier &notifier() { return m_notifier; }
    void setNotifier(Notifier &target) { m_notifier.setTarget(target); }
    // Back to showing nothing.
    void resetNotifier() { m_notifier.setTarget(*m_silence); }
    // Where the protocol library asks for names and files; none: nothing is registered.
    void setProtocolDialogs(ProtocolDialogs *dialogs);

    // Loads the protocol library and the event name lists; each failure is
    // reported and loading goes on.
    void load();

    const QString &dataFolder() const { return m_dataFolder; }
    const LinkTimings &timings() const { return m_timings; }

    ConfigModel &config() { return *m_config; }
    EventCodeTables &eventTables() { return *m_eventTables; }
    ProtocolEditor &protocolEditor() { return *m_protocolEditor; }
    ProtocolLibrary &protocols() { return *m_protocols; }
    TVaComm &port() { return *m_port; }
    TVaCapture &capture() { return *m_capture; }
    TConnection &connection() { return *m_connection; }
    EventLogs &eventLogs() { return *m_eventLogs; }
    const QStringList &logInternalEvents() const { return m_logInternalEvents; }
    const QStringList &logExternalEvents() const { return m_logExternalEvents; }

    // The protocol library the configuration blocks use: the library, unless
    // a test puts another in its place.
    void setProtocolCatalog(ProtocolCatalog *catalog);
    BlockContext blockContext();

    // Every configuration read from the device and written to it, kept as a
    // file; keeping one never stops a device operation, and its first
    // failure in a run is reported once.
    ConfigHistory &history() { return m_history; }
    // The whole configuration over an opened operation: every answer first,
    // then decoded into the configuration, or into `into` (a copy the window
    // never sees). True when all of it decoded; it is then kept in the history.
    bool readConfiguration(DeviceOperation &operation);
    bool readConfiguration(DeviceOperation &operation, const BlockContext &into);
    // The whole configuration sent over an opened operation. True when all of
    // it went; it is then kept in the history.
    bool writeConfiguration(DeviceOperation &operation);

    enum class Verification {
        NotWritten, // the write failed or was cancelled (the user has been told)
        Unchecked,  // written, but reading it back failed or was cancelled
        Same,       // the device holds what was written
        Different,  // the device holds something else
    };
    // Writes the configuration, then reads the device's whole configuration
    // back into `readBack` (a copy of this configuration) and compares what
    // was written with it; `differences` lists what the device holds otherwise.
    Verification writeVerified(DeviceOperation &operation, ConfigurationCopy &readBack,
                               QList<ConfigDifference> &differences);
    // What the user is told of a verified write: the notice of Same and of
    // Unchecked (empty for the others), and the error of Different.
    static QString verificationNotice(Verification result);
    static QString verificationFailure(qsizetype differences);

    // The configuration file; each failure is reported with its message.
    bool saveConfiguration(const QString &path);
    // The bytes of the configuration file, for a writer of its own; nothing
    // (the user has been told) when there is no protocol to save.
    std::optional<QByteArray> configurationFileBytes();
    bool openConfiguration(const QString &path);
    // A configuration file decoded into `into` (a copy the window never sees).
    bool openConfiguration(const QString &path, const BlockContext &into);
    // This configuration compared with another side (a copy read or opened).
    QList<ConfigDifference> compareWith(const ConfigSide &other);
    // The HTML page of the configuration, written to `path`; a failure is reported.
    bool exportHtml(const QString &path);
    QByteArray htmlReport() const;

    // The device clock over an opened operation; a time that cannot be decoded is reported.
    std::optional<QTime> readClock(DeviceOperation &operation);
    bool writeClock(DeviceOperation &operation, const QTime &time);

    // What is remembered between runs: the last port, the dialogs' folders,
    // whether writes are verified.
    UserSettings &settings() { return m_settings; }

    // The serial ports present; the system's, unless a test puts another
    // scanner in its place (null: the system's again).
    PortScanner &portScanner() { return *m_scanner; }
    void setPortScanner(PortScanner *scanner);

    // Probes `ports` for a communicator with `finder` under `progress`. The
    // link's failure messages are not shown: the result tells each port's.
    CommunicatorFinder::Result findCommunicator(CommunicatorFinder &finder,
                                                const QStringList &ports,
                                                OperationProgress *progress);

private:
    // The write request list of this configuration sent; the progress counts
    // `laterSteps` more steps after it.
    bool sendConfiguration(DeviceOperation &operation, int laterSteps, QStringList &data,
                           QStringList &commands);
    // The read requests of a whole configuration sent, their answers collected.
    bool collectAnswers(DeviceOperation &operation, QStringList &answerData,
                        QStringList &answerCommands);
    void keepInHistory(ConfigHistory::Operation operation, const QString &port,
                       const ConfigModel &model, const QStringList &data,
                       const QStringList &commands);

    QString m_dataFolder;
    LinkTimings m_timings;
    // Until someone shows messages, nothing is shown.
    std::unique_ptr<Notifier> m_silence;
    ForwardingNotifier m_notifier;
    std::unique_ptr<ConfigModel> m_config;
    std::unique_ptr<EventCodeTables> m_eventTables;
    std::unique_ptr<ProtocolEditor> m_protocolEditor;
    std::unique_ptr<ProtocolLibrary> m_protocols;
    ProtocolCatalog *m_catalog = nullptr;
    // Destroyed in reverse order: the link before the capture and the port.
    std::unique_ptr<TVaComm> m_port;
    std::unique_ptr<TVaCapture> m_capture;
    std::unique_ptr<TConnection> m_connection;
    QStringList m_logInternalEvents;
    QStringList m_logExternalEvents;
    std::unique_ptr<EventLogs> m_eventLogs;
    ConfigHistory m_history;
    bool m_historyWarned = false;
    UserSettings m_settings;
    std::unique_ptr<PortScanner> m_systemScanner;
    PortScanner *m_scanner = nullptr;
};

} // namespace sr5n
