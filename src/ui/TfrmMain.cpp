#include "ui/TfrmMain.h"

#include "app/Configurator.h"
#include "app/DeviceRunner.h"
#include "app/UserSettings.h"
#include "catalog/CatalogService.h"
#include "common/AppTitle.h"
#include "common/DocumentOpener.h"
#include "components/FieldGuard.h"
#include "components/FrameAccessible.h"
#include "components/Icons.h"
#include "config/ConfigurationCopy.h"
#include "link/CommunicatorFinder.h"
#include "link/PortScanner.h"
#include "link/PortWatcher.h"
#include "link/SimulatorRegistry.h"
#include "link/TConnection.h"
#include "link/UdevMonitor.h"
#include "ui/BarButton.h"
#include "ui/PageControl.h"
#include "ui/PortSelector.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmProgress.h"
#include "ui/catalog/TfrmObjects.h"
#include "ui/config/PairPage.h"
#include "ui/config/ParametersPage.h"
#include "ui/config/TfrmCompare.h"
#include "ui/config/VoicePage.h"
#include "ui/events/ExternalCodesPage.h"
#include "ui/events/InternalCodesPage.h"
#include "ui/events/LogsPage.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/ProtocolLibraryDialogs.h"
#include "ui/protocols/ProtocolPage.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/services/ClockPanel.h"
#include "ui/services/TfrmTestScheme.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <iterator>
#include <utility>

namespace sr5n {

namespace {

constexpr int kClientWidth = 737;
constexpr int kClientHeight = 526;
constexpr int kBarHeight = 75;
// The bar's four columns of buttons sit at its right edge, so that the port
// field, left of them, is as wide as the bar allows.
constexpr int kBarWidth = kClientWidth - 8;
constexpr int kButtonWidth = 90;
constexpr int kColumnStep = 116;
constexpr int kButtonsLeft = kBarWidth - 8 - (3 * kColumnStep + kButtonWidth);
constexpr int kSeparatorLeft = kButtonsLeft - 20;
constexpr int kFindPortLeft = kSeparatorLeft - 8 - 24;
constexpr int kPortFieldLeft = 38;
constexpr int kPortFieldWidth = kFindPortLeft - 3 - kPortFieldLeft;
// Without device events: how often the port list is scanned again while the
// program is active and the window idle.
constexpr int kPortScanMs = 2000;
// A change of the ports seen during a device operation is looked at this
// often until the window is idle again.
constexpr int kPendingPortsMs = 500;
// The places of the pages that the window's commands reach into.
constexpr int kParametersPage = 3;
constexpr int kLogsPage = 6;

BarButton *barButton(const QString &name, const QString &caption, const QString &hint,
                     const QIcon &icon, QWidget *parent)
{
    auto *button = new BarButton(caption, icon, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    return button;
}

} // namespace

TfrmMain::TfrmMain(Configurator &app, QWidget *parent)
    : QWidget(parent), m_app(app), m_folders(&app.settings()),
      m_protocolDialogs(std::make_unique<ProtocolLibraryDialogs>(m_dialogHost, m_folders)),
      m_documents(new DocumentOpener(this)), m_runner(std::make_unique<DeviceRunner>(app))
{
    m_app.setNotifier(m_messageBoxes);
    m_app.setProtocolDialogs(m_protocolDialogs.get());
    m_app.checkCatalogApart();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle());
    // A transfer that worked brings the window to the front for its notice.
    m_runner->setBeforeNotice([this] {
        activateWindow();
        raise();
    });
    // A server port that worked is offered in the list from now on.
    m_runner->setPortKept([this] { cbxComPort->setNetworkPorts(m_app.settings().networkPorts()); });
    setWindowIcon(Icons::application());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(0);
    createCommands();
    createPages();
    createBottomBar();
    createServiceMenu();
    createTraceCommands();
    nameForScreenReaders();
    layout->addWidget(pgcPages, 1);
    layout->addWidget(pnlControls);

    // The window sees every key before its controls do (Alt+F12).
    qApp->installEventFilter(this);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    FormCreate();
    // The ports are listed and watched once the window is on the screen.
    connect(this, &TfrmMain::firstPainted, this, &TfrmMain::finishStartUp);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // The application object outlives the window: it keeps nothing of it.
    m_app.setProtocolDialogs(nullptr);
    m_app.resetNotifier();
    m_app.connection().setTrace(nullptr);
}

void TfrmMain::FormCreate()
{
    // The protocol library, the event name lists and the log name lists lie
    // beside the executable; each failure is reported and creation goes on.
    m_app.load();

    connect(this, &TfrmMain::deviceLogsClearRequested, actClearLogs, &QAction::trigger);
    connect(this, &TfrmMain::pageEntered, this, [this](QWidget *entered) {
        if (entered == tshLogs)
            tshLogs->ClearLogTable();
    });
}

void TfrmMain::setAboutWindow(TfrmAbout *about)
{
    m_about.set(about);
}

void TfrmMain::setAboutWindow(std::function<TfrmAbout *()> make)
{
    m_about.setMaker(std::move(make));
}

void TfrmMain::setTestSchemeWindow(TfrmTestScheme *testScheme)
{
    m_testScheme.set(testScheme);
}

void TfrmMain::setTestSchemeWindow(std::function<TfrmTestScheme *()> make)
{
    m_testScheme.setMaker(std::move(make));
}

void TfrmMain::setPrefixMaskWindow(TfrmPrefixMask *prefixMask)
{
    m_prefixMask.set(prefixMask);
    if (tshProtocol)
        tshProtocol->setPrefixMaskWindow(prefixMask);
}

void TfrmMain::setPrefixMaskWindow(std::function<TfrmPrefixMask *()> make)
{
    m_prefixMask.setMaker(std::move(make));
    if (tshProtocol)
        tshProtocol->setPrefixMaskWindow(m_prefixMask.get());
}

void TfrmMain::setSaveNewProtocolWindow(TfrmSaveNewProtocol *saveNewProtocol)
{
    m_protocolDialogs->setNameDialog(saveNewProtocol);
}

void TfrmMain::setSaveNewProtocolWindow(std::function<TfrmSaveNewProtocol *()> make)
{
    m_protocolDialogs->setNameDialog(std::move(make));
}

void TfrmMain::setProgressWindow(TfrmProgress *progress)
{
    m_progress = progress;
    m_runner->setProgress(progress);
    m_dialogHost.setProgressWindow(progress);
    if (m_progress)
        m_progress->setCancelHandler([this] {
            // Cancel ends the search for the communicator, or else the operation.
            if (m_finder)
                m_finder->cancel();
            else
                m_app.connection().abort();
        });
}

void TfrmMain::setZonesDialog(TfrmExtEvZones *zones)
{
    m_zones.set(zones);
    if (TabSheet2)
        TabSheet2->setZonesDialog(zones);
}

void TfrmMain::setZonesDialog(std::function<TfrmExtEvZones *()> make)
{
    m_zones.setMaker(std::move(make));
    if (TabSheet2)
        TabSheet2->setZonesDialog(m_zones.get());
}

void TfrmMain::createPages()
{
    pgcPages = new PageControl(this);
    pgcPages->setObjectName(QStringLiteral("pgcPages"));
    // Each page is built when first shown: the first one now, the others
    // when the user turns to them (or the window needs their controls). The
    // pages show what the models hold when they are built.
    Notifier &notifier = m_app.notifier();
    ConfigModel &config = m_app.config();
    pgcPages->addPage(
        [this, &config, &notifier](QWidget *parent) {
            return tsh1Pair = new PairPage(config, 1, notifier, parent);
        },
        PairPage::caption(1));
    pgcPages->addPage(
        [this, &config, &notifier](QWidget *parent) {
            return tsh2Pair = new PairPage(config, 2, notifier, parent);
        },
        PairPage::caption(2));
    pgcPages->addPage(
        [this, &config, &notifier](QWidget *parent) {
            return TabSheet1 = new VoicePage(config, notifier, parent);
        },
        VoicePage::caption());
    pgcPages->addPage(
        [this, &config, &notifier](QWidget *parent) {
            auto *parameters = new ParametersPage(config, notifier, parent);
            tshParams = parameters;
            clockPanel = new ClockPanel(parameters->deviceClockArea());
            parameters->deviceClockArea()->layout()->addWidget(clockPanel);
            triggerBy(clockPanel->sbtCurrentTimeRead, actClockRead);
            triggerBy(clockPanel->sbtCurrentTimeWrite, actClockWrite);
            return parameters;
        },
        ParametersPage::caption());
    pgcPages->addPage(
        [this, &notifier](QWidget *parent) {
            return tshEventsCodes = new InternalCodesPage(m_app.eventTables(), notifier, parent);
        },
        InternalCodesPage::caption());
    pgcPages->addPage(
        [this](QWidget *parent) {
            TabSheet2 = new ExternalCodesPage(m_app.eventTables(), parent);
            if (TfrmExtEvZones *zones = m_zones.get())
                TabSheet2->setZonesDialog(zones);
            return TabSheet2;
        },
        ExternalCodesPage::caption());
    pgcPages->addPage(
        [this](QWidget *parent) {
            tshLogs = new LogsPage(parent);
            triggerBy(tshLogs->btnReadLog, actReadLog);
            return tshLogs;
        },
        QStringLiteral("Журналы событий"));
    pgcPages->addPage(
        [this, &config, &notifier](QWidget *parent) {
            tshProtocol = new ProtocolPage(config, m_app.protocolEditor(), m_app.protocols(),
                                           notifier, parent);
            if (TfrmPrefixMask *prefixMask = m_prefixMask.get())
                tshProtocol->setPrefixMaskWindow(prefixMask);
            return tshProtocol;
        },
        ProtocolPage::caption());
    connect(pgcPages, &PageControl::currentChanged, this, &TfrmMain::pgcPagesChange);
}

ClockPanel &TfrmMain::clock()
{
    pgcPages->page(kParametersPage);
    return *clockPanel;
}

LogsPage &TfrmMain::logsPage()
{
    pgcPages->page(kLogsPage);
    return *tshLogs;
}

void TfrmMain::createBottomBar()
{
    pnlControls = new QFrame(this);
    pnlControls->setObjectName(QStringLiteral("pnlControls"));
    pnlControls->setFixedHeight(kBarHeight);

    auto *portLabel = new QLabel(QStringLiteral("Порт подключения:"), pnlControls);
    portLabel->setObjectName(QStringLiteral("lblComPort"));
    portLabel->setGeometry(12, 12, 150, 18);

    auto *portIcon = new QLabel(pnlControls);
    portIcon->setObjectName(QStringLiteral("imgComPort"));
    portIcon->setPixmap(Icons::connection().pixmap(24, 24));
    portIcon->setGeometry(10, 36, 24, 24);

    cbxComPort = new PortSelector(pnlControls);
    cbxComPort->setObjectName(QStringLiteral("cbxComPort"));
    cbxComPort->setGeometry(kPortFieldLeft, 36, kPortFieldWidth, 24);
    connect(cbxComPort, &PortSelector::listAboutToShow, this, [this] {
        if (!m_finder)
            rescanPorts();
    });

    sbtFindPort = new QToolButton(pnlControls);
    sbtFindPort->setObjectName(QStringLiteral("sbtFindPort"));
    sbtFindPort->setAutoRaise(true);
    sbtFindPort->setFocusPolicy(Qt::TabFocus);
    sbtFindPort->setIcon(Icons::findPort());
    sbtFindPort->setIconSize(QSize(16, 16));
    sbtFindPort->setToolTip(
        QStringLiteral("Найти коммуникатор: опросить все порты списка запросом времени"));
    sbtFindPort->setAccessibleName(QStringLiteral("Найти коммуникатор"));
    sbtFindPort->setGeometry(kFindPortLeft, 36, 24, 24);
    triggerBy(sbtFindPort, actFindPort);

    auto *separator = new QFrame(pnlControls);
    separator->setObjectName(QStringLiteral("bvlSeparator"));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(kSeparatorLeft, 8, 4, kBarHeight - 16);

    btnOpen = barButton(QStringLiteral("btnOpen"), QStringLiteral("Открыть"),
                        QStringLiteral("Открыть файл конфигурации"), Icons::open(), pnlControls);
    btnSave =
        barButton(QStringLiteral("btnSave"), QStringLiteral("Сохранить"),
                  QStringLiteral("Сохранить конфигурацию в файл"), Icons::save(), pnlControls);
    btnRead = barButton(QStringLiteral("btnRead"), QStringLiteral("Прочитать"),
                        QStringLiteral("Прочитать конфигурацию с коммуникатора"), Icons::read(),
                        pnlControls);
    btnWrite = barButton(QStringLiteral("btnWrite"), QStringLiteral("Записать"),
                         QStringLiteral("Записать конфигурацию в коммуникатор"), Icons::write(),
                         pnlControls);
    btnExport = barButton(QStringLiteral("btnExport"), QStringLiteral("Экспорт"),
                          QStringLiteral("Экспорт конфигурации в формат HTML"), Icons::exportHtml(),
                          pnlControls);
    btnTestScheme =
        barButton(QStringLiteral("btnTestScheme"), QStringLiteral("Диагностика"),
                  QStringLiteral("Диагностика коммуникатора"), Icons::diagnostics(), pnlControls);
    btnHelp = barButton(QStringLiteral("btnHelp"), QStringLiteral("Справка"),
                        QStringLiteral("Справка"), Icons::help(), pnlControls);
    btnAbout = barButton(QStringLiteral("btnAbout"), QStringLiteral("О программе"),
                         QStringLiteral("О программе"), Icons::about(), pnlControls);

    QPushButton *const columns[4][2] = {
        {btnOpen, btnSave}, {btnRead, btnWrite}, {btnExport, btnTestScheme}, {btnHelp, btnAbout}};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 2; ++r)
            columns[c][r]->move(kButtonsLeft + c * kColumnStep, 10 + r * 31);

    pumHelp = new QMenu(this);
    pumHelp->setObjectName(QStringLiteral("pumHelp"));
    pumInterface = pumHelp->addAction(QStringLiteral("Краткое описание &интерфейса"));
    pumInterface->setObjectName(QStringLiteral("pumInterface"));
    pumRE = pumHelp->addAction(QStringLiteral("&Руководство по эксплуатации"));
    pumRE->setObjectName(QStringLiteral("pumRE"));

    triggerBy(btnHelp, actHelp);
    triggerBy(btnAbout, actAbout);
    triggerBy(btnTestScheme, actTestScheme);
    triggerBy(btnExport, actExport);
    triggerBy(btnRead, actRead);
    triggerBy(btnWrite, actWrite);
    triggerBy(btnSave, actSave);
    triggerBy(btnOpen, actOpen);
    connect(pumInterface, &QAction::triggered, this, &TfrmMain::pumInterfaceClick);
    connect(pumRE, &QAction::triggered, this, &TfrmMain::pumREClick);
}

void TfrmMain::createServiceMenu()
{
    // In the free space of the port column, right of its label, so that the
    // bar's buttons and the port field stay where they are.
    btnService = new QToolButton(pnlControls);
    btnService->setObjectName(QStringLiteral("btnService"));
    btnService->setText(QStringLiteral("Сервис"));
    btnService->setToolTip(
        QStringLiteral("Сравнение конфигураций, запись с проверкой, история конфигураций"));
    btnService->setIcon(Icons::service());
    btnService->setIconSize(QSize(16, 16));
    btnService->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnService->setPopupMode(QToolButton::InstantPopup);
    btnService->setAutoRaise(true);
    const int serviceWidth = btnService->sizeHint().width();
    btnService->setGeometry(kSeparatorLeft - 8 - serviceWidth, 8, serviceWidth, 26);

    pumService = new QMenu(this);
    pumService->setObjectName(QStringLiteral("pumService"));
    pumCompareDevice = pumService->addAction(QStringLiteral("Сравнить с коммуникатором"));
    pumCompareDevice->setObjectName(QStringLiteral("pumCompareDevice"));
    pumCompareDevice->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    pumCompareFile = pumService->addAction(QStringLiteral("Сравнить с файлом..."));
    pumCompareFile->setObjectName(QStringLiteral("pumCompareFile"));
    pumCompareFile->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    pumService->addSeparator();
    pumWriteVerified = pumService->addAction(QStringLiteral("Записать с проверкой"));
    pumWriteVerified->setObjectName(QStringLiteral("pumWriteVerified"));
    pumWriteVerified->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    pumVerifyWrites =
        pumService->addAction(QStringLiteral("Проверять запись кнопкой \"Записать\""));
    pumVerifyWrites->setObjectName(QStringLiteral("pumVerifyWrites"));
    pumVerifyWrites->setCheckable(true);
    pumVerifyWrites->setChecked(m_app.settings().verifyWrites());
    pumService->addSeparator();
    pumObjects = pumService->addAction(QStringLiteral("Объекты..."));
    pumObjects->setObjectName(QStringLiteral("pumObjects"));
    pumObjects->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    pumCatalogSettings = pumService->addAction(QStringLiteral("Каталог объектов..."));
    pumCatalogSettings->setObjectName(QStringLiteral("pumCatalogSettings"));
    btnService->setMenu(pumService);
    // The shortcuts work anywhere in the window, not only while the menu is open.
    addActions(pumService->actions());

    connect(pumCompareDevice, &QAction::triggered, this,
            [this] { runDeviceCommand(&TfrmMain::compareWithDevice); });
    connect(pumCompareFile, &QAction::triggered, this, &TfrmMain::compareWithFileClick);
    connect(pumWriteVerified, &QAction::triggered, this,
            [this] { runDeviceCommand(&TfrmMain::writeVerifiedClick); });
    connect(pumObjects, &QAction::triggered, this, &TfrmMain::objectsClick);
    connect(pumCatalogSettings, &QAction::triggered, this, &TfrmMain::catalogSettingsClick);
    m_deviceCommands << pumCompareDevice << pumWriteVerified;
    connect(pumVerifyWrites, &QAction::toggled, this,
            [this](bool on) { m_app.settings().setVerifyWrites(on); });
    // Another window of the program may have changed the setting meanwhile.
    connect(pumService, &QMenu::aboutToShow, this, [this] {
        const QSignalBlocker quiet(pumVerifyWrites);
        pumVerifyWrites->setChecked(m_app.settings().verifyWrites());
    });

    // The title names the object of every entry recorded, also before the
    // objects window is first opened. The window may go before the configurator.
    const QPointer<TfrmMain> self(this);
    // After a read the device may hold something else than was last written.
    m_app.setRecordListener([self](const CatalogEntry &entry) {
        if (!self)
            return;
        self->nameObject(entry);
        self->tellChangedSince();
    });
    connect(&m_app.objects(), &CatalogService::noticesWaiting, this, &TfrmMain::showCatalogNotices);
    connect(&m_app.objects(), &CatalogService::checkFinished, this, &TfrmMain::settleCatalogCheck);
}

TfrmCompare &TfrmMain::compareWindow()
{
    if (!m_compare)
        m_compare = new TfrmCompare(m_app.config(), m_app.eventTables(), m_app.notifier(), this);
    return *m_compare;
}

void TfrmMain::createAllParts()
{
    pgcPages->buildAllPages();
    compareWindow();
    objectsWindow();
}

void TfrmMain::nameForScreenReaders()
{
    InstallFrameAccessibility();
    pnlControls->setAccessibleName(QStringLiteral("Порт и команды"));
    if (auto *icon = pnlControls->findChild<QLabel *>(QStringLiteral("imgComPort")))
        icon->setAccessibleName(QStringLiteral("Значок порта подключения"));
    // Tab follows the bar as the eye does: the port column (field, search,
    // service menu), then the button columns left to right, top to bottom.
    QWidget *const order[] = {cbxComPort, sbtFindPort, btnService,    btnOpen, btnSave, btnRead,
                              btnWrite,   btnExport,   btnTestScheme, btnHelp, btnAbout};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    // The port selector, whose text is a port name, is named by its label.
    if (auto *label = pnlControls->findChild<QLabel *>(QStringLiteral("lblComPort"))) {
        label->setBuddy(cbxComPort);
        QString name = label->text();
        name.remove(u':');
        cbxComPort->setAccessibleName(name);
        if (QLineEdit *edit = cbxComPort->lineEdit())
            edit->setAccessibleName(name);
    }
}

void TfrmMain::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (m_painted)
        return;
    m_painted = true;
    // Once this picture has gone to the display.
    QTimer::singleShot(0, this, &TfrmMain::firstPainted);
}

void TfrmMain::finishStartUp()
{
    if (m_portWatch)
        return;
    // A port typed or chosen before stays in the field.
    const QString held = cbxComPort->currentText();
    cbxComPort->setNetworkPorts(m_app.settings().networkPorts());
    const QList<PortEntry> ports = m_app.portScanner().scan();
    cbxComPort->setChoices(m_ports.update(ports, held).choices);
    if (cbxComPort->count() > 0)
        cbxComPort->setCurrentIndex(0);
    // The port of the last run, also when it is not plugged in now.
    const QString last = m_app.settings().lastPort();
    if (!last.isEmpty())
        cbxComPort->choose(last);
    if (!held.isEmpty())
        cbxComPort->choose(held);

    m_portWatch = new PortWatcher(SimulatorRegistry::defaultFolder(), UdevMonitor::open(), this);
    m_portWatch->watchSimulators(ports);
    connect(m_portWatch, &PortWatcher::portsMayHaveChanged, this, &TfrmMain::portsMayHaveChanged);
    m_portsPending = new QTimer(this);
    m_portsPending->setSingleShot(true);
    m_portsPending->setInterval(kPendingPortsMs);
    connect(m_portsPending, &QTimer::timeout, this, &TfrmMain::portsMayHaveChanged);

    if (!m_portWatch->followsHardware()) {
        m_portScan = new QTimer(this);
        m_portScan->setObjectName(QStringLiteral("tmrPortScan"));
        m_portScan->setInterval(kPortScanMs);
        connect(m_portScan, &QTimer::timeout, this, [this] {
            if (idle())
                rescanPorts();
        });
        connect(qApp, &QGuiApplication::applicationStateChanged, this, &TfrmMain::scanWhileActive);
        scanWhileActive(QGuiApplication::applicationState());
    }
}

void TfrmMain::scanWhileActive(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive) {
        m_portScan->stop();
        return;
    }
    // Coming back: what changed meanwhile is shown at once.
    if (!m_portScan->isActive() && idle())
        rescanPorts();
    m_portScan->start();
}

void TfrmMain::portsMayHaveChanged()
{
    if (!idle()) {
        m_portsPending->start();
        return;
    }
    rescanPorts();
}

QString TfrmMain::portName() const
{
    return cbxComPort->currentText();
}

bool TfrmMain::idle() const
{
    return isVisible() && isEnabled() && !m_finder && !m_app.connection().Opened() &&
           !cbxComPort->view()->isVisible() && QApplication::activeModalWidget() == nullptr;
}

void TfrmMain::rescanPorts()
{
    finishStartUp();
    if (m_portsPending)
        m_portsPending->stop();
    showPorts(m_app.portScanner().scan());
}

void TfrmMain::showPorts(const QList<PortEntry> &ports)
{
    const PortListTracker::Update update = m_ports.update(ports, cbxComPort->currentText());
    cbxComPort->setChoices(update.choices);
    if (update.select)
        cbxComPort->choose(*update.select);
    if (m_portWatch)
        m_portWatch->watchSimulators(ports);
}

void TfrmMain::sbtFindPortClick()
{
    rescanPorts();
    CommunicatorFinder finder(m_app.connection());
    m_finder = &finder;
    (void)m_runner->findCommunicator(
        cbxComPort->portNames(), finder,
        [this](const QStringList &ports) { return choosePort(ports); },
        [this](const QString &port) { cbxComPort->choose(port); });
    m_finder = nullptr;
}

QString TfrmMain::choosePort(const QStringList &ports)
{
    QStringList lines;
    for (const QString &port : ports)
        lines.append(cbxComPort->lineOf(port));
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgChoosePort"));
    dialog.setWindowTitle(AppTitle());
    dialog.setLabelText(choosePortQuestion());
    dialog.setComboBoxItems(lines);
    dialog.setComboBoxEditable(false);
    dialog.setTextValue(lines.constFirst());
    if (m_dialogHost.exec(dialog) != QDialog::Accepted)
        return QString();
    const qsizetype chosen = lines.indexOf(dialog.textValue());
    return chosen >= 0 ? ports.at(chosen) : QString();
}

void TfrmMain::sbtCurrentTimeReadClick()
{
    pgcPages->setFocus();
    if (const Expected<QTime> time = m_runner->readClock(portName()))
        clock().dtpCurrentTime->setTime(*time);
}

void TfrmMain::sbtCurrentTimeWriteClick()
{
    pgcPages->setFocus();
    (void)m_runner->writeClock(portName(), clock().dtpCurrentTime->time());
}

void TfrmMain::btnReadClick()
{
    (void)m_runner->readConfiguration(portName());
}

void TfrmMain::btnWriteClick()
{
    if (m_app.settings().verifyWrites()) {
        writeVerified();
        return;
    }
    (void)m_runner->writeConfiguration(portName());
}

void TfrmMain::writeVerifiedClick()
{
    writeVerified();
}

void TfrmMain::writeVerified()
{
    // The device's configuration goes into a copy; the window keeps what was written.
    ConfigurationCopy readBack(m_app.blockContext());
    const QString port = portName();
    const Expected<DeviceRunner::Verified> verified = m_runner->writeVerified(port, readBack);
    if (!verified || verified->result != Configurator::Verification::Different)
        return;
    compareWindow().compare(ConfigSide{readBack.model(), readBack.tables()},
                            QStringLiteral("Записанная конфигурация (в окне) и конфигурация, "
                                           "прочитанная из коммуникатора после записи (порт %1)")
                                .arg(port),
                            QStringLiteral("В коммуникаторе"));
}

void TfrmMain::compareWithDevice()
{
    // Read into a copy: the window is not touched.
    ConfigurationCopy device(m_app.blockContext());
    const QString port = portName();
    if (m_runner->readConfiguration(port, device.context()))
        compareWindow().compare(
            ConfigSide{device.model(), device.tables()},
            QStringLiteral("Конфигурация в окне и в коммуникаторе (порт %1)").arg(port),
            QStringLiteral("В коммуникаторе"));
}

void TfrmMain::objectsClick()
{
    openCatalog();
    objectsWindow().showObjects();
}

void TfrmMain::btnReadLogClick()
{
    LogsPage &logs = logsPage();
    (void)m_runner->readLog(portName(), logs.activeArea(), logs);
}

void TfrmMain::clearDeviceLogs()
{
    (void)m_runner->clearLogs(portName());
}

namespace {

QString configurationFilter()
{
    return QStringLiteral("Файл конфигурации для СР-5/Н (*.snc)");
}

} // namespace

void TfrmMain::btnSaveClick()
{
    using Folder = FileDialogFolders::Dialog;
    QFileDialog dialog(this, QStringLiteral("Сохранение файла конфигурации"),
                       m_folders.startFolder(Folder::SaveConfiguration));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(configurationFilter());
    dialog.setDefaultSuffix(QStringLiteral("snc"));
    dialog.selectFile(QStringLiteral("Конфигурация"));
    if (ExecFileDialog(dialog, m_dialogHost, m_folders, Folder::SaveConfiguration) !=
            QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return;
    (void)saveConfiguration(dialog.selectedFiles().constFirst());
}

Expected<void> TfrmMain::saveConfiguration(const QString &path)
{
    return m_app.saveConfiguration(path);
}

QString TfrmMain::chooseConfigurationFile(const QString &title)
{
    using Folder = FileDialogFolders::Dialog;
    QFileDialog dialog(this, title, m_folders.startFolder(Folder::OpenConfiguration));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(configurationFilter());
    dialog.setDefaultSuffix(QStringLiteral("snc"));
    // The file chosen last time is offered by its name in the start folder.
    if (!m_lastOpenedConfiguration.isEmpty())
        dialog.selectFile(QFileInfo(m_lastOpenedConfiguration).fileName());
    if (ExecFileDialog(dialog, m_dialogHost, m_folders, Folder::OpenConfiguration) !=
            QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void TfrmMain::btnOpenClick()
{
    const QString path = chooseConfigurationFile(QStringLiteral("Открытие файла конфигурации"));
    if (path.isEmpty())
        return;
    m_lastOpenedConfiguration = path;
    (void)openConfiguration(m_lastOpenedConfiguration);
}

Expected<void> TfrmMain::openConfiguration(const QString &path)
{
    return m_app.openConfiguration(path);
}

void TfrmMain::compareWithFileClick()
{
    const QString path = chooseConfigurationFile(QStringLiteral("Сравнение с файлом конфигурации"));
    if (!path.isEmpty())
        (void)compareWithFile(path);
}

Expected<void> TfrmMain::compareWithFile(const QString &path)
{
    return compareWithConfigurationFile(
        path,
        QStringLiteral("Конфигурация в окне и в файле \"%1\"").arg(QDir::toNativeSeparators(path)),
        QStringLiteral("В файле"));
}

Expected<void> TfrmMain::compareWithConfigurationFile(const QString &path, const QString &heading,
                                                      const QString &otherColumn)
{
    ConfigurationCopy file(m_app.blockContext());
    if (Expected<void> opened = m_app.openConfiguration(path, file.context()); !opened)
        return opened;
    compareWindow().compare(ConfigSide{file.model(), file.tables()}, heading, otherColumn);
    return {};
}

void TfrmMain::btnExportClick()
{
    using Folder = FileDialogFolders::Dialog;
    QFileDialog dialog(this, QStringLiteral("Экспорт конфигурации"),
                       m_folders.startFolder(Folder::Export));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Веб-страница (*.html)"));
    dialog.setDefaultSuffix(QStringLiteral("html"));
    dialog.selectFile(QString());
    if (ExecFileDialog(dialog, m_dialogHost, m_folders, Folder::Export) != QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return;
    (void)exportHtml(dialog.selectedFiles().constFirst());
}

Expected<void> TfrmMain::exportHtml(const QString &path, bool openInBrowser)
{
    if (Expected<void> exported = m_app.exportHtml(path); !exported)
        return exported;
    if (openInBrowser)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return {};
}

void TfrmMain::btnTestSchemeClick()
{
    TfrmTestScheme *testScheme = m_testScheme.get();
    if (!testScheme)
        return;
    // Diagnostics shows its own window instead of the progress window.
    (void)m_runner->diagnostics(portName(),
                                [testScheme] { return testScheme->exec() == QDialog::Accepted; });
}

void TfrmMain::pgcPagesChange(int index)
{
    emit pageEntered(pgcPages->page(index));
}

void TfrmMain::btnHelpClick()
{
    const QPoint corner = btnHelp->geometry().bottomLeft() + QPoint(0, 1);
    pumHelp->popup(pnlControls->mapToGlobal(corner));
}

bool TfrmMain::openHelpDocument(const QString &fileName)
{
    // The bare name resolves against the current folder, where the documents
    // lie when the program runs from its own folder; beside the executable
    // is the fallback, so help also works when started from elsewhere.
    QString path = QDir::current().absoluteFilePath(fileName);
    if (!QFileInfo::exists(path))
        path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(fileName);
    const auto failed = [this, fileName] {
        m_app.notifier().reportFailure(
            QStringLiteral("Не возможно открыть файл \"%1\". Возможно, файл удален "
                           "или не установлено ПО для чтения файлов \"*.pdf\"")
                .arg(fileName));
    };
    if (!QFileInfo::exists(path)) {
        failed();
        return false;
    }
    // Without a viewer, or when it fails, the desktop says so later.
    m_documents->open(path, failed);
    return true;
}

void TfrmMain::pumInterfaceClick()
{
    openHelpDocument(interfaceDocument());
}

void TfrmMain::pumREClick()
{
    openHelpDocument(manualDocument());
}

void TfrmMain::btnAboutClick()
{
    if (TfrmAbout *about = m_about.get())
        about->exec();
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (event->type() == QEvent::ShortcutOverride) {
                // Keep Alt+F12 away from the focused control's shortcuts.
                if (key->key() == Qt::Key_F12 && (key->modifiers() & Qt::AltModifier)) {
                    event->accept();
                    return false;
                }
            } else if (FormShortCut(key->key(), key->modifiers()) ||
                       commandKey(key->key(), key->modifiers())) {
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmMain::FormShortCut(int key, Qt::KeyboardModifiers modifiers)
{
    if (key != Qt::Key_F12 || !(modifiers & Qt::AltModifier))
        return false;
    // Handled before anything else: the key never reaches the focused control.
    emit deviceLogsClearRequested();
    return true;
}

bool TfrmMain::commandKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool ctrl = held == Qt::ControlModifier;
    const bool ctrlShift = held == (Qt::ControlModifier | Qt::ShiftModifier);
    // The pages, as the desktop's page control turns them.
    if ((ctrl && (key == Qt::Key_Tab || key == Qt::Key_PageDown))) {
        pgcPages->selectNextPage(true);
        return true;
    }
    if ((ctrlShift && (key == Qt::Key_Backtab || key == Qt::Key_Tab)) ||
        (ctrl && key == Qt::Key_PageUp)) {
        pgcPages->selectNextPage(false);
        return true;
    }
    // The commands that have the desktop's usual keys, each by its action's
    // shortcut; the focused field is checked first, as leaving it for the
    // button would.
    const QKeySequence pressed(QKeyCombination(held, Qt::Key(key)));
    for (QAction *action : {actOpen, actSave, actHelp}) {
        if (action->shortcut() != pressed)
            continue;
        LeaveFocusedField();
        action->trigger();
        return true;
    }
    return false;
}

void TfrmMain::createCommands()
{
    actOpen = command("actOpen", QStringLiteral("Открыть"), &TfrmMain::btnOpenClick, false);
    actOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    actSave = command("actSave", QStringLiteral("Сохранить"), &TfrmMain::btnSaveClick, false);
    actSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    actRead = command("actRead", QStringLiteral("Прочитать"), &TfrmMain::btnReadClick, true);
    actWrite = command("actWrite", QStringLiteral("Записать"), &TfrmMain::btnWriteClick, true);
    actExport = command("actExport", QStringLiteral("Экспорт"), &TfrmMain::btnExportClick, false);
    actTestScheme = command("actTestScheme", QStringLiteral("Диагностика"),
                            &TfrmMain::btnTestSchemeClick, true);
    actHelp = command("actHelp", QStringLiteral("Справка"), &TfrmMain::btnHelpClick, false);
    actHelp->setShortcut(QKeySequence(Qt::Key_F1));
    actAbout = command("actAbout", QStringLiteral("О программе"), &TfrmMain::btnAboutClick, false);
    actFindPort = command("actFindPort", QStringLiteral("Найти коммуникатор"),
                          &TfrmMain::sbtFindPortClick, true);
    actClockRead = command("actClockRead", QStringLiteral("Прочитать время"),
                           &TfrmMain::sbtCurrentTimeReadClick, true);
    actClockWrite = command("actClockWrite", QStringLiteral("Записать время"),
                            &TfrmMain::sbtCurrentTimeWriteClick, true);
    actReadLog =
        command("actReadLog", QStringLiteral("Прочитать журнал"), &TfrmMain::btnReadLogClick, true);
    actClearLogs = command("actClearLogs", QStringLiteral("Очистить журналы"),
                           &TfrmMain::clearDeviceLogs, true);
}

QAction *TfrmMain::command(const char *name, const QString &text, void (TfrmMain::*run)(),
                           bool device)
{
    auto *action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (device) {
        m_deviceCommands << action;
        connect(action, &QAction::triggered, this, [this, run] { runDeviceCommand(run); });
    } else {
        connect(action, &QAction::triggered, this, run);
    }
    return action;
}

void TfrmMain::triggerBy(QAbstractButton *button, QAction *action)
{
    connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    button->setEnabled(action->isEnabled());
}

void TfrmMain::runDeviceCommand(void (TfrmMain::*run)())
{
    // A command given before the window painted finds the port list there.
    finishStartUp();
    // One device operation at a time: the others wait until it is over.
    setDeviceCommandsEnabled(false);
    (this->*run)();
    setDeviceCommandsEnabled(true);
}

void TfrmMain::setDeviceCommandsEnabled(bool enabled)
{
    for (QAction *action : std::as_const(m_deviceCommands))
        action->setEnabled(enabled);
}

} // namespace sr5n
