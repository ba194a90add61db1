#pragma once

#include "link/LinkTimings.h"
#include "ui/MessageBoxNotifier.h"

#include <QStringList>
#include <QWidget>

#include <memory>

class QComboBox;
class QMenu;
class QAction;
class QPushButton;
class QLabel;
class QFrame;

namespace sr5n {

class ClockPanel;
class DocumentOpener;
class ConfigModel;
class EventCodeTables;
class ProtocolEditor;
class ProtocolLibrary;
class ProtocolLibraryDialogs;
class ProtocolPage;
class ExternalCodesPage;
class InternalCodesPage;
class EventLogs;
class LogsPage;
class PageControl;
class ProtocolCatalog;
struct BlockContext;
class TConnection;
class TVaCapture;
class TVaComm;
class TfrmProgress;
class TfrmAbout;
class TfrmTestScheme;
class TfrmPrefixMask;
class TfrmSaveNewProtocol;
class TfrmExtEvZones;

// The main window: the eight pages, the bottom command bar with the port
// selector, the help menu, and the window-level hooks. It owns everything
// the configuration, the link and the tables need for the program's life.
class TfrmMain final : public QWidget
{
    Q_OBJECT

public:
    // `timings` are the link's waits: the program's fixed values unless a
    // test shortens them.
    explicit TfrmMain(QWidget *parent = nullptr, LinkTimings timings = LinkTimings());
    ~TfrmMain() override;

    // The dialogs created after the main window (start-up order).
    void setProgressWindow(TfrmProgress *progress);
    void setAboutWindow(TfrmAbout *about) { m_about = about; }
    void setTestSchemeWindow(TfrmTestScheme *testScheme) { m_testScheme = testScheme; }
    void setPrefixMaskWindow(TfrmPrefixMask *prefixMask);
    void setSaveNewProtocolWindow(TfrmSaveNewProtocol *saveNewProtocol);
    // The zones dialog becomes the dialog of every external code cell.
    void setZonesDialog(TfrmExtEvZones *zones);

    // Everything the window creates talks to the user through this notifier;
    // tests put a fake behind it with setNotifier().
    Notifier &notifier() { return m_notifier; }
    void setNotifier(Notifier &target) { m_notifier.setTarget(target); }

    // The help document names, opened by bare name from the current folder.
    static QString interfaceDocument() { return QStringLiteral("SR5N_Conf_Int.pdf"); }
    static QString manualDocument() { return QStringLiteral("SR5N_Conf_RE.pdf"); }

    // Opens a help document; a missing one is reported with its message at
    // once (false), one that the desktop cannot show when the desktop says so.
    bool openHelpDocument(const QString &fileName);

    // Pages, in tab order.
    PageControl *pgcPages = nullptr;
    QWidget *tsh1Pair = nullptr;
    QWidget *tsh2Pair = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *tshParams = nullptr;
    QWidget *tshEventsCodes = nullptr;
    QWidget *TabSheet2 = nullptr;
    QWidget *tshLogs = nullptr;
    QWidget *tshProtocol = nullptr;
    // The event code pages (tshEventsCodes and TabSheet2).
    InternalCodesPage *internalCodesPage = nullptr;
    ExternalCodesPage *externalCodesPage = nullptr;
    LogsPage *logsPage = nullptr; // tshLogs

    // Reading the event logs and erasing them (Alt+F12).
    EventLogs &EventLogOperations() { return *m_eventLogs; }

    // The bottom bar.
    QFrame *pnlControls = nullptr;
    QComboBox *cbxComPort = nullptr;
    QPushButton *btnOpen = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnRead = nullptr;
    QPushButton *btnWrite = nullptr;
    QPushButton *btnExport = nullptr;
    QPushButton *btnTestScheme = nullptr;
    QPushButton *btnHelp = nullptr;
    QPushButton *btnAbout = nullptr;
    QMenu *pumHelp = nullptr;
    QAction *pumInterface = nullptr;
    QAction *pumRE = nullptr;

    // Lists owned by the window; the protocol library holds the protocol lists.
    const QStringList &ProtocolNames() const;
    const QStringList &ProtocolRecords() const;
    QStringList LogInternalEvents;
    QStringList LogExternalEvents;
    QStringList MaskPanels;
    QStringList UnitSuffixes;

    // The text of the port selector: the port every device operation opens.
    QString portName() const;

    // The configuration as the pages show it, and the event code tables.
    ConfigModel &Config() { return *m_config; }
    EventCodeTables &EventTables() { return *m_eventTables; }
    // The protocol editor's record and chooser, and the protocol library.
    ProtocolEditor &protocolEditor() { return *m_protocolEditor; }
    ProtocolLibrary &Protocols() { return *m_protocols; }
    ProtocolPage *protocolPage() const { return m_protocolPage; }

    // The serial port, its message capture and the one link with the device.
    TVaComm &VaComPort() { return *m_comPort; }
    TVaCapture &VaCapture() { return *m_capture; }
    TConnection &Connection() { return *m_connection; }

    // The device clock on the parameters page.
    ClockPanel *clockPanel = nullptr;
    void sbtCurrentTimeReadClick();
    void sbtCurrentTimeWriteClick();

    // The protocol library the configuration blocks use: the window's own,
    // unless a test puts another in its place.
    void setProtocolCatalog(ProtocolCatalog *catalog) { m_catalog = catalog; }

    // Reading and writing the whole configuration through the link.
    void btnReadClick();
    void btnWriteClick();
    // The configuration file: the dialogs, then the work on the chosen path.
    void btnSaveClick();
    void btnOpenClick();
    bool saveConfiguration(const QString &path);
    bool openConfiguration(const QString &path);

    // HTML export: asks for a file, writes the page and opens it in the browser.
    void btnExportClick();
    // The export after the dialog: false (after the message) when the page
    // cannot be written; then nothing is opened.
    bool exportHtml(const QString &path, bool openInBrowser = true);

    // Diagnostics: opens the link and shows the diagnostics window modally.
    void btnTestSchemeClick();

signals:
    // Alt+F12 pressed anywhere in the window (the key is already consumed).
    void deviceLogsClearRequested();
    // The user switched pages; `page` is the page now active.
    void pageEntered(QWidget *page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    BlockContext blockContext();
    void createPages();
    void createBottomBar();
    void fillPortSelector(const QStringList &ports);

    void pgcPagesChange(int index);
    void btnHelpClick();
    void pumInterfaceClick();
    void pumREClick();
    void btnAboutClick();
    bool FormShortCut(int key, Qt::KeyboardModifiers modifiers);

    MessageBoxNotifier m_messageBoxes;
    ForwardingNotifier m_notifier{m_messageBoxes};
    LinkTimings m_timings;
    std::unique_ptr<ConfigModel> m_config;
    std::unique_ptr<EventCodeTables> m_eventTables;
    std::unique_ptr<ProtocolEditor> m_protocolEditor;
    std::unique_ptr<ProtocolLibraryDialogs> m_protocolDialogs;
    std::unique_ptr<ProtocolLibrary> m_protocols;
    DocumentOpener *m_documents = nullptr;
    ProtocolPage *m_protocolPage = nullptr;
    // Destroyed in reverse order: the link before the capture and the port.
    std::unique_ptr<TVaComm> m_comPort;
    std::unique_ptr<TVaCapture> m_capture;
    std::unique_ptr<TConnection> m_connection;
    std::unique_ptr<EventLogs> m_eventLogs;
    TfrmProgress *m_progress = nullptr;
    TfrmAbout *m_about = nullptr;
    TfrmTestScheme *m_testScheme = nullptr;
    ProtocolCatalog *m_catalog = nullptr;
    QString m_lastOpenedConfiguration;
};

} // namespace sr5n
