#pragma once

#include "ui/MessageBoxNotifier.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QMenu;
class QAction;
class QPushButton;
class QLabel;
class QFrame;

namespace sr5n {

class PageControl;
class TfrmProgress;
class TfrmAbout;

// The main window: the eight pages, the bottom command bar with the port
// selector, the help menu, and the window-level hooks. It owns everything
// the configuration, the link and the tables need for the program's life.
class TfrmMain final : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The dialogs created after the main window (start-up order).
    void setProgressWindow(TfrmProgress *progress) { m_progress = progress; }
    void setAboutWindow(TfrmAbout *about) { m_about = about; }

    // Everything the window creates talks to the user through this notifier;
    // tests put a fake behind it with setNotifier().
    Notifier &notifier() { return m_notifier; }
    void setNotifier(Notifier &target) { m_notifier.setTarget(target); }

    // The help document names, opened by bare name from the current folder.
    static QString interfaceDocument() { return QStringLiteral("SR5N_Conf_Int.pdf"); }
    static QString manualDocument() { return QStringLiteral("SR5N_Conf_RE.pdf"); }

    // Opens a help document; a missing one is reported with its message.
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

    // Lists owned by the window.
    QStringList ProtocolNames;
    QStringList ProtocolRecords;
    QStringList LogInternalEvents;
    QStringList LogExternalEvents;
    QStringList MaskPanels;
    QStringList UnitSuffixes;

    // The text of the port selector: the port every device operation opens.
    QString portName() const;

signals:
    // Alt+F12 pressed anywhere in the window (the key is already consumed).
    void deviceLogsClearRequested();
    // The user switched pages; `page` is the page now active.
    void pageEntered(QWidget *page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
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
    TfrmProgress *m_progress = nullptr;
    TfrmAbout *m_about = nullptr;
};

} // namespace sr5n
