#pragma once

#include "common/Expected.h"
#include "link/PortListTracker.h"
#include "ui/DialogHost.h"
#include "ui/FileDialogFolders.h"
#include "ui/MessageBoxNotifier.h"
#include "ui/OnFirstUse.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QMenu;
class QAction;
class QAbstractButton;
class QPushButton;
class QLabel;
class QFrame;
class QTimer;
class QToolButton;

namespace sr5n {

class ClockPanel;
class CommunicatorFinder;
class DeviceRunner;
class DocumentOpener;
class Configurator;
class ProtocolLibraryDialogs;
class ProtocolPage;
class ExternalCodesPage;
class InternalCodesPage;
class LineJournal;
class LogsPage;
class PageControl;
class PortSelector;
class PortWatcher;
class TfrmProgress;
class TfrmAbout;
class TfrmTestScheme;
class TfrmPrefixMask;
class TfrmSaveNewProtocol;
class TfrmExtEvZones;
class TfrmCompare;
class TfrmObjects;
struct CatalogEntry;

// The main window: the eight pages, the bottom command bar with the port
// selector, the help menu, and the window-level hooks. The configuration, the
// link and the tables are the application object's, handed in from outside;
// the window's controls are its own (tests reach them by their names).
class TfrmMain final : public QWidget
{
    Q_OBJECT

public:
    // `app` must outlive the window.
    explicit TfrmMain(Configurator &app, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The dialogs of the window, each given ready or as the function that
    // makes it on first use.
    void setProgressWindow(TfrmProgress *progress);
    void setAboutWindow(TfrmAbout *about);
    void setAboutWindow(std::function<TfrmAbout *()> make);
    void setTestSchemeWindow(TfrmTestScheme *testScheme);
    void setTestSchemeWindow(std::function<TfrmTestScheme *()> make);
    // The prefix dialog of the protocol page, made when the page is built.
    void setPrefixMaskWindow(TfrmPrefixMask *prefixMask);
    void setPrefixMaskWindow(std::function<TfrmPrefixMask *()> make);
    void setSaveNewProtocolWindow(TfrmSaveNewProtocol *saveNewProtocol);
    void setSaveNewProtocolWindow(std::function<TfrmSaveNewProtocol *()> make);
    // The zones dialog becomes the dialog of every external code cell; made
    // when the page of the external codes is built.
    void setZonesDialog(TfrmExtEvZones *zones);
    void setZonesDialog(std::function<TfrmExtEvZones *()> make);

    // The window's message boxes, which the application object's notifier
    // shows unless a test puts its own notifier there.
    Notifier &messageBoxes() { return m_messageBoxes; }

    // The help document names, opened by bare name from the current folder.
    static QString interfaceDocument() { return QStringLiteral("SR5N_Conf_Int.pdf"); }
    static QString manualDocument() { return QStringLiteral("SR5N_Conf_RE.pdf"); }

    // Opens a help document; a missing one is reported with its message at
    // once (false), one that the desktop cannot show when the desktop says so.
    bool openHelpDocument(const QString &fileName);

    // The text of the port selector: the port every device operation opens.
    QString portName() const;

    // Scans the serial ports again and brings the port list up to date,
    // keeping what the field holds.
    void rescanPorts();
    // The text of the question when several ports answer.
    static QString choosePortQuestion()
    {
        return QStringLiteral("Коммуникатор ответил на нескольких портах. Выберите порт:");
    }

    // Opens the catalogue of objects and tells what there is to tell of it.
    void openCatalog();
    // Builds now what is otherwise built on first use (the pages not shown
    // yet, the comparison and objects windows), so that every control can be
    // found by its name.
    Q_INVOKABLE void createAllParts();
    // What start-up leaves until the window has painted: the first list of
    // ports and the watching of the ports. Done once; at once when called.
    void finishStartUp();
    // The comparison with a configuration file after its dialog.
    Expected<void> compareWithFile(const QString &path);

    // The configuration file and the export after their dialogs; a failure
    // carries the message shown.
    Expected<void> saveConfiguration(const QString &path);
    Expected<void> openConfiguration(const QString &path);
    // A failure (after the message) when the page cannot be written; then nothing is opened.
    Expected<void> exportHtml(const QString &path, bool openInBrowser = true);

signals:
    // The window has painted for the first time and the display has its picture.
    void firstPainted();
    // Alt+F12 pressed anywhere in the window (the key is already consumed).
    void deviceLogsClearRequested();
    // The user switched pages; `page` is the page now active.
    void pageEntered(QWidget *page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The window's commands, each run by its action.
    // Probes every listed port for a communicator and puts the one that
    // answers into the port field (asking which, when several do).
    void sbtFindPortClick();
    void btnReadClick();
    void btnWriteClick();
    void btnSaveClick();
    void btnOpenClick();
    void btnExportClick();
    void btnTestSchemeClick();
    void sbtCurrentTimeReadClick();
    void sbtCurrentTimeWriteClick();
    void btnReadLogClick();
    void clearDeviceLogs();
    // The service menu of the bottom bar: comparison, write with verification, objects.
    void compareWithDevice();
    void compareWithFileClick();
    void writeVerifiedClick();
    void objectsClick();
    // The catalogue's settings window: local or the team's server, its state.
    void catalogSettingsClick();

    // The commands as actions, named for tests ("actRead"): the bar's and the
    // pages' buttons, the menus and the keys trigger them.
    void createCommands();
    // An action of the window that runs `command`; one that talks to the
    // device is disabled while a device operation runs.
    QAction *command(const char *name, const QString &text, void (TfrmMain::*run)(), bool device);
    // A button that triggers `action` and is enabled as the action is.
    void triggerBy(QAbstractButton *button, QAction *action);
    // Runs a device command with the device commands disabled meanwhile.
    void runDeviceCommand(void (TfrmMain::*run)());
    void setDeviceCommandsEnabled(bool enabled);
    void FormCreate();
    void createPages();
    // The parts of pages that the commands reach, their page built first if need be.
    ClockPanel &clock();
    LogsPage &logsPage();
    void createBottomBar();
    void nameForScreenReaders();
    // Puts a scan's ports into the list, keeping what the field holds.
    void showPorts(const QList<PortEntry> &ports);
    // The ports may have changed: scanned again now when idle, else once idle.
    void portsMayHaveChanged();
    // Without device events the list is scanned on a clock, only while the
    // program is the active one.
    void scanWhileActive(Qt::ApplicationState state);
    // No device operation runs and the window is there to be used.
    bool idle() const;
    // Asks which of the ports that answered to take; empty when declined.
    QString choosePort(const QStringList &ports);
    void createServiceMenu();
    // The trace of the line: its journal, its window and the support file (TfrmMainTrace.cpp).
    void createTraceCommands();
    void lineTraceClick();
    void saveSupportInfoClick();
    // The open dialog of configuration files, proposing the file opened last;
    // the chosen file, or nothing.
    QString chooseConfigurationFile(const QString &title);
    // Writes, reads back and compares; "Записать" does the same when the user chose so.
    void writeVerified();
    // A configuration file compared with the window, its side named in the comparison window.
    Expected<void> compareWithConfigurationFile(const QString &path, const QString &heading,
                                                const QString &otherColumn);

    // The comparison and objects windows, each built on first use.
    TfrmCompare &compareWindow();
    TfrmObjects &objectsWindow();
    // The objects window and what it asks of the main window.
    void createObjectsWindow();
    // The title names the object of the last entry recorded.
    void nameObject(const CatalogEntry &entry);
    // The catalogue's integrity check ended: a damaged file was replaced and
    // the user is told.
    void settleCatalogCheck();
    // What the catalogue tells once, shown as it comes (after the opening's
    // password question, if any).
    void showCatalogNotices();
    // The server's password asked until it is taken or declined.
    void askCatalogPassword(const QString &firstQuestion, const QString &question);
    void showCatalogSettings(const QString &status);
    // A catalogue entry compared with what the device holds, read through the runner.
    void compareEntryWithDevice(const CatalogEntry &entry);
    // After a read: the device holds something else than was last written
    // to its object; said once, with the differences on request.
    void tellChangedSince();
    // A catalogue entry compared with the window; its side named by the entry.
    void compareWithEntry(const CatalogEntry &entry);
    void saveEntry(const CatalogEntry &entry);
    void openTemplate(const CatalogEntry &entry);

    void pgcPagesChange(int index);
    void btnHelpClick();
    void pumInterfaceClick();
    void pumREClick();
    void btnAboutClick();
    bool FormShortCut(int key, Qt::KeyboardModifiers modifiers);
    // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown, Ctrl+PageUp turn the pages;
    // Ctrl+O, Ctrl+S and F1 press "Открыть", "Сохранить" and "Справка".
    bool commandKey(int key, Qt::KeyboardModifiers modifiers);

    Configurator &m_app;
    DialogHost m_dialogHost{this};
    MessageBoxNotifier m_messageBoxes{&m_dialogHost};
    FileDialogFolders m_folders; // kept in the application's settings
    std::unique_ptr<ProtocolLibraryDialogs> m_protocolDialogs;
    DocumentOpener *m_documents = nullptr;

    // Pages, in tab order.
    PageControl *pgcPages = nullptr;
    QWidget *tsh1Pair = nullptr;
    QWidget *tsh2Pair = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *tshParams = nullptr;
    InternalCodesPage *tshEventsCodes = nullptr;
    ExternalCodesPage *TabSheet2 = nullptr;
    LogsPage *tshLogs = nullptr;
    ProtocolPage *tshProtocol = nullptr;
    ClockPanel *clockPanel = nullptr;

    // The bottom bar.
    QFrame *pnlControls = nullptr;
    PortSelector *cbxComPort = nullptr;
    QToolButton *sbtFindPort = nullptr;
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
    QToolButton *btnService = nullptr;
    QMenu *pumService = nullptr;
    QAction *pumCompareDevice = nullptr;
    QAction *pumCompareFile = nullptr;
    QAction *pumWriteVerified = nullptr;
    QAction *pumVerifyWrites = nullptr;
    QAction *pumObjects = nullptr;
    QAction *pumCatalogSettings = nullptr;
    // «Сервис» → «Журнал обмена…», «Справка» → «Сохранить сведения для обращения в поддержку…».
    QAction *pumLineTrace = nullptr;
    QAction *pumSupportInfo = nullptr;
    LineJournal *m_lineJournal = nullptr; // the trace of the line, kept while the window lives
    std::unique_ptr<QWidget> m_lineTraceWindow; // its own window, made on first use
    // The commands (the service menu's are its items above).
    QAction *actOpen = nullptr;
    QAction *actSave = nullptr;
    QAction *actRead = nullptr;
    QAction *actWrite = nullptr;
    QAction *actExport = nullptr;
    QAction *actTestScheme = nullptr;
    QAction *actHelp = nullptr;
    QAction *actAbout = nullptr;
    QAction *actFindPort = nullptr;
    QAction *actClockRead = nullptr;
    QAction *actClockWrite = nullptr;
    QAction *actReadLog = nullptr;
    QAction *actClearLogs = nullptr;
    QList<QAction *> m_deviceCommands;
    TfrmCompare *m_compare = nullptr;
    TfrmObjects *m_objectsWindow = nullptr;
    bool m_askingPassword = false;

    TfrmProgress *m_progress = nullptr;
    OnFirstUse<TfrmAbout> m_about;
    OnFirstUse<TfrmTestScheme> m_testScheme;
    OnFirstUse<TfrmPrefixMask> m_prefixMask;
    OnFirstUse<TfrmExtEvZones> m_zones;
    bool m_painted = false;
    QString m_lastOpenedConfiguration;
    PortListTracker m_ports;
    PortWatcher *m_portWatch = nullptr;
    QTimer *m_portScan = nullptr;           // only without device events
    QTimer *m_portsPending = nullptr;       // a change seen while busy, looked at again
    CommunicatorFinder *m_finder = nullptr; // while the search runs
    // Every device operation of the window, from the port in the field to its result.
    std::unique_ptr<DeviceRunner> m_runner;
};

} // namespace sr5n
