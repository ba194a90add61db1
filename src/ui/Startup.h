#pragma once

#include <QApplication>
#include <QTranslator>

#include <memory>

namespace sr5n {

class Configurator;
class Notifier;
class TfrmMain;
class TfrmProgress;
class TfrmAbout;
class TfrmTestScheme;
class TfrmPrefixMask;
class TfrmSaveNewProtocol;
class TfrmExtEvZones;

// The application object: errors that reach the message loop from any user
// action are reported in the error box and the program carries on.
class ConfiguratorApplication final : public QApplication
{
public:
    // Also names the program for the desktop and for its data folder.
    ConfiguratorApplication(int &argc, char **argv);

    // The face the windows are laid out for.
    static QFont programFont();

    void setNotifier(Notifier *notifier) { m_notifier = notifier; }
    bool notify(QObject *receiver, QEvent *event) override;

private:
    Notifier *m_notifier = nullptr;
    QTranslator m_qtTranslator;
};

// The windows of the program, each created once and kept until exit: the
// main and progress windows at start-up, the dialogs when first used. The
// dialogs are children of the main window and go with it; the progress
// window, a window of its own, is owned here.
class Windows final
{
public:
    // `app` must outlive the windows.
    explicit Windows(Configurator &app);
    ~Windows();

    TfrmMain &main() { return *m_main; }
    TfrmProgress &progress() { return *m_progress; }
    // Each dialog is made here when first asked for, by the main window or from outside.
    TfrmTestScheme &testScheme();
    TfrmPrefixMask &prefixMask();
    TfrmSaveNewProtocol &saveNewProtocol();
    TfrmExtEvZones &extEvZones();
    TfrmAbout &about();

private:
    Configurator &m_app;
    std::unique_ptr<TfrmMain> m_main;
    std::unique_ptr<TfrmProgress> m_progress;
    TfrmTestScheme *m_testScheme = nullptr;
    TfrmPrefixMask *m_prefixMask = nullptr;
    TfrmSaveNewProtocol *m_saveNewProtocol = nullptr;
    TfrmExtEvZones *m_extEvZones = nullptr;
    TfrmAbout *m_about = nullptr;
};

// Shows the main window; the catalogue of objects the user chose is opened
// once the window has painted (the earlier history taken in), and what the
// user must be told of it is told then.
void showMainWindow(Windows &windows);

// Opens the configuration file named on the command line once the message
// loop runs, as "Открыть" opens the file chosen in its dialog, with the same
// messages.
void openConfigurationAtStart(TfrmMain &window, const QString &file);

} // namespace sr5n
