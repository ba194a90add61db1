#include "ui/Startup.h"

#include "app/Configurator.h"

#include "common/Notifier.h"
#include "components/ContrastStyle.h"
#include "link/TConnection.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"
#include "ui/services/TfrmTestScheme.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTimer>

#include <exception>

namespace sr5n {

ConfiguratorApplication::ConfiguratorApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The name of the desktop entry and of the user's data folder
    // (~/.local/share/sr5n-configurator); window captions use the title.
    setApplicationName(QStringLiteral("sr5n-configurator"));
    setDesktopFileName(QStringLiteral("sr5n-configurator"));
    setApplicationVersion(QStringLiteral(SR5N_VERSION));

    setFont(programFont());
    // The desktop's style, with check boxes and disabled texts that show on
    // any palette.
    setStyle(new ContrastStyle(QStyleFactory::create(style()->name())));

    // The toolkit's own texts (file dialogs, Yes/No buttons) in Russian, like
    // the rest of the program, where the translations are installed.
    if (m_qtTranslator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslator);
}

QFont ConfiguratorApplication::programFont()
{
    // The window is laid out at a fixed size for a compact 8-point face. The
    // points follow the desktop's scale: Qt scales the whole window with the
    // desktop (QT_SCALE_FACTOR, the font DPI), so the layout keeps its fit.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    return font;
}

bool ConfiguratorApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        if (m_notifier)
            m_notifier->showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        if (m_notifier)
            m_notifier->showError(QString());
    }
    return false;
}

Windows::Windows(Configurator &app) : m_app(app)
{
    m_main = std::make_unique<TfrmMain>(app);
    m_progress = std::make_unique<TfrmProgress>(m_main.get());
    m_main->setProgressWindow(m_progress.get());
    m_main->setTestSchemeWindow([this] { return &testScheme(); });
    m_main->setPrefixMaskWindow([this] { return &prefixMask(); });
    m_main->setSaveNewProtocolWindow([this] { return &saveNewProtocol(); });
    m_main->setZonesDialog([this] { return &extEvZones(); });
    m_main->setAboutWindow([this] { return &about(); });
}

TfrmTestScheme &Windows::testScheme()
{
    if (!m_testScheme)
        m_testScheme = new TfrmTestScheme(m_app.connection(), m_app.notifier(), m_main.get());
    return *m_testScheme;
}

TfrmPrefixMask &Windows::prefixMask()
{
    if (!m_prefixMask)
        m_prefixMask = new TfrmPrefixMask(m_main.get());
    return *m_prefixMask;
}

TfrmSaveNewProtocol &Windows::saveNewProtocol()
{
    if (!m_saveNewProtocol)
        m_saveNewProtocol = new TfrmSaveNewProtocol(m_app.notifier(), m_main.get());
    return *m_saveNewProtocol;
}

TfrmExtEvZones &Windows::extEvZones()
{
    if (!m_extEvZones)
        m_extEvZones = new TfrmExtEvZones(m_app.notifier(), m_main.get());
    return *m_extEvZones;
}

TfrmAbout &Windows::about()
{
    if (!m_about)
        m_about = new TfrmAbout(m_app.notifier(), m_main.get());
    return *m_about;
}

Windows::~Windows()
{
    // The progress window refers to the main window: it goes first.
    m_progress.reset();
}

void showMainWindow(Windows &windows)
{
    TfrmMain &main = windows.main();
    QObject::connect(&main, &TfrmMain::firstPainted, &main, [&main] { main.openCatalog(); });
    main.show();
}

void openConfigurationAtStart(TfrmMain &window, const QString &file)
{
    if (file.isEmpty())
        return;
    const QString path = QFileInfo(file).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, path] { (void)window.openConfiguration(path); });
}

} // namespace sr5n
