#pragma once

#include "app/UserSettings.h"
#include "catalog/CatalogTypes.h"
#include "common/Expected.h"
#include "common/Notifier.h"
#include "config/BlockContext.h"
#include "config/ConfigComparison.h"
#include "link/CommunicatorFinder.h"
#include "link/LinkTimings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace sr5n {

class ConfigModel;
class ConfigurationCopy;
class CatalogService;
struct RecordedEntry;
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
    ForwardingNotifier &notifier() { return m_notifier; }
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

    // The catalogue of objects: every configuration read from the device,
    // written to it, saved to a file or opened from one is recorded in it.
    // Recording never stops nor holds up a device operation: the entry is
    // handed to the catalogue's own thread, and its first failure in a run is
    // reported once when it comes. Opened on first use; the earlier versions'
    // history folder is taken into it then.
    CatalogService &objects() { return *m_objects; }
    // Another catalogue file and history folder (tests, a user's choice);
    // recording stays on.
    // A server's address as `path` keeps what it cannot send in `localPath`
    // (empty: the local catalogue last set, else the user's own).
    void setCatalog(const QString &path, const QString &historyFolder,
                    const QString &localPath = QString());
    // The catalogue's integrity checked apart from its opening, now and in
    // catalogues set later (a window must not wait for it).
    void checkCatalogApart();
    // The catalogue the user chose: a server's address, or empty for the
    // local catalogue last set.
    void useCatalogLocation(const QString &location);
    QString catalogLocation() const;
    const QString &localCatalogPath() const { return m_localCatalogPath; }
    // Nothing recorded and the catalogue never opened (sr5n-cli --no-catalog).
    void disableCatalog() { m_catalogEnabled = false; }
    bool catalogEnabled() const { return m_catalogEnabled; }
    // The entry the last device read, write, save or open made, once the
    // catalogue has it; nothing when none was recorded (yet).
    const std::optional<CatalogEntry> &lastEntry() const { return m_lastEntry; }
    // Entries handed to the catalogue and not yet answered.
    int recordsPending() const { return m_recordsPending; }
    // Called after every entry recorded, when the catalogue has it (the
    // window names its object and tells changedSince()).
    void setRecordListener(std::function<void(const CatalogEntry &)> listener)
    {
        m_recordListener = std::move(listener);
    }
    // After a read into the window: the device holds something other than
    // what this program last wrote to that object. Cleared by the next entry.
    struct ChangedSince {
        CatalogEntry written; // the last write to the object
        qsizetype differences = 0;
    };
    const std::optional<ChangedSince> &changedSince() const { return m_changedSince; }
    // "Коммуникатор хранит не ту конфигурацию, которую программа записала ..."
    static QString changedSinceMessage(const ChangedSince &changed);
    // Takes what the user must be told once about the catalogue (a damaged
    // file kept aside, a newer program's file), for whoever shows it.
    QStringList takeCatalogNotices();
    // The .snc bytes of a catalogue entry, fetched on the catalogue's thread
    // and handed to `answer` in `context`'s; a failure is reported first.
    void fetchCatalogEntry(const CatalogEntry &entry, QObject *context,
                           std::function<void(Expected<QByteArray>)> answer);
    // The configuration of a catalogue entry put into the window (or into
    // `into`), nothing recorded; a failure is reported and carries its message.
    Expected<void> openCatalogEntry(const QByteArray &bytes);
    Expected<void> openCatalogEntry(const QByteArray &bytes, const BlockContext &into);

    // The whole configuration over an opened operation: every answer first,
    // then decoded into the configuration, or into `into` (a copy the window
    // never sees). True when all of it decoded; it is then recorded.
    bool readConfiguration(DeviceOperation &operation);
    bool readConfiguration(DeviceOperation &operation, const BlockContext &into);
    // The whole configuration sent over an opened operation. True when all of
    // it went; it is then recorded.
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
    // "Невозможно записать конфигурацию в базу объектов ...": told once a run.
    static QString CatalogRecordFailure(const QString &path, const QString &reason);

    // The configuration file; each failure is reported, and carries the
    // message shown.
    Expected<void> saveConfiguration(const QString &path);
    // Bytes of a configuration file written to `path` in one piece (the old
    // file survives a failure), nothing recorded; a failure is reported.
    Expected<void> saveConfigurationBytes(const QString &path, const QByteArray &bytes);
    // The configuration file's bytes handed to `write`, which returns the
    // message of its failure; kept in the catalogue as saved when written.
    using FileWriter =
        std::function<std::optional<QString>(const QString &path, const QByteArray &bytes)>;
    Expected<void> saveConfiguration(const QString &path, const FileWriter &write);
    Expected<void> openConfiguration(const QString &path);
    // Whether a refused configuration file's message names the file and what
    // is wrong with its entries under the usual text (for a script's log).
    void setExplainsFileFaults(bool explains) { m_explainsFileFaults = explains; }
    // A configuration file decoded into `into` (a copy the window never sees).
    Expected<void> openConfiguration(const QString &path, const BlockContext &into);
    // This configuration compared with another side (a copy read or opened).
    QList<ConfigDifference> compareWith(const ConfigSide &other);
    // The HTML page of the configuration, written to `path`; a failure is
    // reported and carries its message.
    Expected<void> exportHtml(const QString &path);
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
    // Hands a configuration to the catalogue; a failure is told once a run.
    // `names`: the entry names the window's object (lastEntry()).
    void keepInHistory(CatalogOperation operation, const QString &port, const ConfigModel &model,
                       const QStringList &data, const QStringList &commands,
                       const QString &note = QString(), bool names = true);
    // The catalogue's answer to an entry handed to it.
    void takeRecorded(Expected<RecordedEntry> recorded, bool names, bool intoWindow);
    // What the device holds after a read, against the object's last write.
    std::optional<ChangedSince> findChangedSince(const CatalogEntry &written,
                                                 const QByteArray &bytes);

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
    // Answers of the catalogue come to this object's thread.
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<CatalogService> m_objects;
    int m_recordsPending = 0;
    QString m_localCatalogPath;
    QString m_localHistoryFolder;
    bool m_catalogEnabled = true;
    bool m_catalogCheckApart = false;
    bool m_explainsFileFaults = false;
    bool m_historyWarned = false;
    std::optional<CatalogEntry> m_lastEntry;
    std::optional<ChangedSince> m_changedSince;
    std::function<void(const CatalogEntry &)> m_recordListener;
    UserSettings m_settings;
    std::unique_ptr<PortScanner> m_systemScanner;
    PortScanner *m_scanner = nullptr;
};

} // namespace sr5n
