#include "ui/TfrmMain.h"

#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include "config/RequestRun.h"
#include "config/PairPage.h"
#include "config/ParametersPage.h"
#include "config/VoicePage.h"
#include "events/EventCodeTables.h"
#include "events/EventLogs.h"
#include "events/EventNameLists.h"
#include "events/ExternalCodesPage.h"
#include "events/InternalCodesPage.h"
#include "events/LogsPage.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"
#include "link/TfrmProgress.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "protocols/ProtocolLibraryDialogs.h"
#include "protocols/ProtocolLibraryLocation.h"
#include "protocols/ProtocolPage.h"
#include "report/HtmlReport.h"
#include "services/ClockPanel.h"
#include "services/DeviceClock.h"
#include "services/TfrmTestScheme.h"
#include "ui/BarButton.h"
#include "ui/AppTitle.h"
#include "ui/DocumentOpener.h"
#include "ui/Icons.h"
#include "ui/PageControl.h"
#include "ui/TfrmAbout.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTimeEdit>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace sr5n {

namespace {

constexpr int kClientWidth = 737;
constexpr int kClientHeight = 526;
constexpr int kBarHeight = 75;

BarButton *barButton(const QString &name, const QString &caption, const QString &hint,
                     const QIcon &icon, QWidget *parent)
{
    auto *button = new BarButton(caption, icon, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    return button;
}

} // namespace

TfrmMain::TfrmMain(QWidget *parent, LinkTimings timings)
    : QWidget(parent), m_messageBoxes(this), m_timings(timings),
      m_config(std::make_unique<ConfigModel>()), m_eventTables(std::make_unique<EventCodeTables>()),
      m_protocolEditor(std::make_unique<ProtocolEditor>(*m_config)),
      m_protocolDialogs(std::make_unique<ProtocolLibraryDialogs>(this)),
      m_protocols(std::make_unique<ProtocolLibrary>(*m_config, *m_protocolEditor, m_notifier,
                                                    ProtocolLibraryLocation::forThisProgram())),
      m_documents(new DocumentOpener(this))
{
    m_protocols->setDialogs(m_protocolDialogs.get());
    m_catalog = m_protocols.get();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle());
    setWindowIcon(Icons::application());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(0);
    createPages();
    createBottomBar();
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
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // The pages go while the models they are bound to still exist.
    PageControl *pages = std::exchange(pgcPages, nullptr);
    pages->disconnect(this);
    delete pages;
}

void TfrmMain::FormCreate()
{
    // The link, bound to the window's port and message capture.
    m_comPort = std::make_unique<TVaComm>(nullptr, m_timings);
    m_capture = std::make_unique<TVaCapture>(m_notifier);
    m_capture->SetComm(m_comPort.get());
    m_connection = std::make_unique<TConnection>(*m_capture, m_notifier, m_timings);

    // Lists the window keeps for its whole life.
    MaskPanels = MaskPanelNames();
    UnitSuffixes = {QString(), QStringLiteral("мс"), QStringLiteral("с"), QStringLiteral("м"),
                    QStringLiteral("ч"), QStringLiteral("дБм"), QStringLiteral("д")};

    // The protocol library beside the executable; its failure is reported and creation goes on.
    m_protocols->LoadProtocolList();

    QStringList ports;
    TVaComm::GetComPortNames(ports);
    fillPortSelector(ports);

    // The event name lists lie beside the executable, whatever the current folder.
    const QString dataFolder = QCoreApplication::applicationDirPath();
    SetUpEventTables(dataFolder, *m_eventTables, m_notifier);
    LoadLogEventList(QDir(dataFolder).filePath(QStringLiteral("lgintevs.bin")), LogInternalEvents,
                     m_notifier);
    LoadLogEventList(QDir(dataFolder).filePath(QStringLiteral("lgextevs.bin")), LogExternalEvents,
                     m_notifier);
    m_eventLogs = std::make_unique<EventLogs>(*logsPage, *m_connection, m_notifier,
                                              LogInternalEvents, LogExternalEvents,
                                              [this] { return portName(); });
    m_eventLogs->setProgressWindow(m_progress);
    connect(logsPage->btnReadLog, &QPushButton::clicked, this,
            [this] { m_eventLogs->btnReadLogClick(); });
    connect(this, &TfrmMain::deviceLogsClearRequested, this,
            [this] { m_eventLogs->ClearDeviceLogs(); });
    connect(this, &TfrmMain::pageEntered, this, [this](QWidget *entered) {
        if (entered == tshLogs)
            logsPage->ClearLogTable();
    });
}

const QStringList &TfrmMain::ProtocolNames() const
{
    return m_protocols->ProtocolNames();
}

const QStringList &TfrmMain::ProtocolRecords() const
{
    return m_protocols->ProtocolRecords();
}

void TfrmMain::setPrefixMaskWindow(TfrmPrefixMask *prefixMask)
{
    m_protocolPage->setPrefixMaskWindow(prefixMask);
}

void TfrmMain::setSaveNewProtocolWindow(TfrmSaveNewProtocol *saveNewProtocol)
{
    m_protocolDialogs->setNameDialog(saveNewProtocol);
}

void TfrmMain::setProgressWindow(TfrmProgress *progress)
{
    m_progress = progress;
    if (m_eventLogs)
        m_eventLogs->setProgressWindow(progress);
    if (m_progress)
        m_progress->setCancelHandler([this] { m_connection->abort(); });
}

void TfrmMain::setZonesDialog(TfrmExtEvZones *zones)
{
    externalCodesPage->setZonesDialog(zones);
}

void TfrmMain::createPages()
{
    pgcPages = new PageControl(this);
    pgcPages->setObjectName(QStringLiteral("pgcPages"));
    tsh1Pair = new PairPage(*m_config, 1, m_notifier, pgcPages);
    tsh2Pair = new PairPage(*m_config, 2, m_notifier, pgcPages);
    TabSheet1 = new VoicePage(*m_config, m_notifier, pgcPages);
    auto *parameters = new ParametersPage(*m_config, m_notifier, pgcPages);
    tshParams = parameters;
    internalCodesPage = new InternalCodesPage(*m_eventTables, m_notifier, pgcPages);
    tshEventsCodes = internalCodesPage;
    externalCodesPage = new ExternalCodesPage(*m_eventTables, pgcPages);
    TabSheet2 = externalCodesPage;
    logsPage = new LogsPage(pgcPages);
    tshLogs = logsPage;
    m_protocolPage =
        new ProtocolPage(*m_config, *m_protocolEditor, *m_protocols, m_notifier, pgcPages);
    tshProtocol = m_protocolPage;
    pgcPages->addPage(tsh1Pair, QStringLiteral("Первая пара номеров"));
    pgcPages->addPage(tsh2Pair, QStringLiteral("Вторая пара номеров"));
    pgcPages->addPage(TabSheet1, QStringLiteral("Голосовые / Входящие / ППКП"));
    pgcPages->addPage(tshParams, QStringLiteral("Параметры"));
    pgcPages->addPage(tshEventsCodes, QStringLiteral("Внутренние коды"));
    pgcPages->addPage(TabSheet2, QStringLiteral("Внешние коды"));
    pgcPages->addPage(tshLogs, QStringLiteral("Журналы событий"));
    pgcPages->addPage(tshProtocol, QStringLiteral("Редактор протоколов"));
    connect(pgcPages, &PageControl::currentChanged, this, &TfrmMain::pgcPagesChange);

    clockPanel = new ClockPanel(parameters->deviceClockArea());
    parameters->deviceClockArea()->layout()->addWidget(clockPanel);
    connect(clockPanel->sbtCurrentTimeRead, &QToolButton::clicked, this,
            &TfrmMain::sbtCurrentTimeReadClick);
    connect(clockPanel->sbtCurrentTimeWrite, &QToolButton::clicked, this,
            &TfrmMain::sbtCurrentTimeWriteClick);
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

    cbxComPort = new QComboBox(pnlControls);
    cbxComPort->setObjectName(QStringLiteral("cbxComPort"));
    cbxComPort->setEditable(true);
    cbxComPort->setInsertPolicy(QComboBox::NoInsert);
    cbxComPort->setGeometry(38, 36, 128, 24);

    auto *separator = new QFrame(pnlControls);
    separator->setObjectName(QStringLiteral("bvlSeparator"));
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(180, 8, 4, kBarHeight - 16);

    btnOpen = barButton(QStringLiteral("btnOpen"), QStringLiteral("Открыть"),
                        QStringLiteral("Открыть файл конфигурации"), Icons::open(), pnlControls);
    btnSave = barButton(QStringLiteral("btnSave"), QStringLiteral("Сохранить"),
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
    btnTestScheme = barButton(QStringLiteral("btnTestScheme"), QStringLiteral("Диагностика"),
                              QStringLiteral("Диагностика коммуникатора"), Icons::diagnostics(),
                              pnlControls);
    btnHelp = barButton(QStringLiteral("btnHelp"), QStringLiteral("Справка"),
                        QStringLiteral("Справка"), Icons::help(), pnlControls);
    btnAbout = barButton(QStringLiteral("btnAbout"), QStringLiteral("О программе"),
                         QStringLiteral("О программе"), Icons::about(), pnlControls);

    QPushButton *const columns[4][2] = {{btnOpen, btnSave},
                                        {btnRead, btnWrite},
                                        {btnExport, btnTestScheme},
                                        {btnHelp, btnAbout}};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 2; ++r)
            columns[c][r]->move(200 + c * 132, 10 + r * 31);

    QWidget::setTabOrder(btnOpen, btnSave);
    QWidget::setTabOrder(btnSave, btnRead);
    QWidget::setTabOrder(btnRead, btnWrite);
    QWidget::setTabOrder(btnWrite, cbxComPort);
    QWidget::setTabOrder(cbxComPort, btnHelp);
    QWidget::setTabOrder(btnHelp, btnAbout);
    QWidget::setTabOrder(btnAbout, btnExport);
    QWidget::setTabOrder(btnExport, btnTestScheme);

    pumHelp = new QMenu(this);
    pumHelp->setObjectName(QStringLiteral("pumHelp"));
    pumInterface = pumHelp->addAction(QStringLiteral("Краткое описание &интерфейса"));
    pumInterface->setObjectName(QStringLiteral("pumInterface"));
    pumRE = pumHelp->addAction(QStringLiteral("&Руководство по эксплуатации"));
    pumRE->setObjectName(QStringLiteral("pumRE"));

    connect(btnHelp, &QPushButton::clicked, this, &TfrmMain::btnHelpClick);
    connect(btnAbout, &QPushButton::clicked, this, &TfrmMain::btnAboutClick);
    connect(btnTestScheme, &QPushButton::clicked, this, &TfrmMain::btnTestSchemeClick);
    connect(btnExport, &QPushButton::clicked, this, &TfrmMain::btnExportClick);
    connect(btnRead, &QPushButton::clicked, this, &TfrmMain::btnReadClick);
    connect(btnWrite, &QPushButton::clicked, this, &TfrmMain::btnWriteClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmMain::btnSaveClick);
    connect(btnOpen, &QPushButton::clicked, this, &TfrmMain::btnOpenClick);
    connect(pumInterface, &QAction::triggered, this, &TfrmMain::pumInterfaceClick);
    connect(pumRE, &QAction::triggered, this, &TfrmMain::pumREClick);
}

void TfrmMain::fillPortSelector(const QStringList &ports)
{
    cbxComPort->clear();
    cbxComPort->addItems(ports);
    if (!ports.isEmpty())
        cbxComPort->setCurrentIndex(0);
}

QString TfrmMain::portName() const
{
    return cbxComPort->currentText();
}

void TfrmMain::sbtCurrentTimeReadClick()
{
    pgcPages->setFocus();
    m_connection->SetAborted(false);
    m_progress->Mode = TfrmProgress::ModeRead;
    m_progress->setMaximum(1);
    m_progress->showProgress();
    if (m_connection->Open(portName())) {
        if (m_connection->Read(QStringLiteral("11"), QString()) && m_connection->Answered()) {
            m_progress->Step();
            if (const std::optional<QTime> time = DecodeCurrentTime(m_connection->AnswerData()))
                clockPanel->dtpCurrentTime->setTime(*time);
            else
                m_notifier.reportFailure(QStringLiteral("Ошибка декодирования времени"));
        }
        m_connection->Close();
    }
    m_progress->closeProgress();
}

void TfrmMain::sbtCurrentTimeWriteClick()
{
    pgcPages->setFocus();
    m_connection->SetAborted(false);
    m_progress->Mode = TfrmProgress::ModeWrite;
    m_progress->setMaximum(1);
    m_progress->showProgress();
    bool written = false;
    if (m_connection->Open(portName())) {
        written = m_connection->Write(QStringLiteral("12"),
                                      EncodeCurrentTime(clockPanel->dtpCurrentTime->time()));
        m_progress->Step();
        m_connection->Close();
    }
    m_progress->closeProgress();
    if (written)
        m_notifier.showInformation(QStringLiteral("Время записано успешно"));
}

BlockContext TfrmMain::blockContext()
{
    Q_ASSERT(m_catalog);
    return BlockContext{*m_config, *m_eventTables, *m_catalog, m_notifier};
}

void TfrmMain::btnReadClick()
{
    m_connection->SetAborted(false);
    m_progress->Mode = TfrmProgress::ModeRead;
    m_progress->showProgress();
    if (m_connection->Open(portName())) {
        QStringList data, commands, answerData, answerCommands;
        BuildReadRequests(data, commands);
        m_progress->setMaximum(static_cast<int>(commands.size()));
        // Nothing of the configuration changes before every answer is in.
        const bool answered = RunRequests(*m_connection, RunKind::Reading, data, commands,
                                          [this] { m_progress->Step(); }, &answerData, &answerCommands);
        const bool decoded = answered && DecodeAnswers(blockContext(), answerData, answerCommands);
        m_connection->Close();
        if (decoded) {
            activateWindow();
            raise();
            m_notifier.showInformation(QStringLiteral("Конфигурация прочитана успешно"));
        }
    }
    m_progress->closeProgress();
}

void TfrmMain::btnWriteClick()
{
    m_connection->SetAborted(false);
    m_progress->Mode = TfrmProgress::ModeWrite;
    m_progress->showProgress();
    if (m_connection->Open(portName())) {
        QStringList data, commands;
        const bool built = BuildWriteRequests(blockContext(), data, commands);
        m_progress->setMaximum(static_cast<int>(commands.size()));
        const bool written = built
                             && RunRequests(*m_connection, RunKind::Writing, data, commands,
                                            [this] { m_progress->Step(); });
        m_connection->Close();
        if (written) {
            activateWindow();
            raise();
            m_notifier.showInformation(QStringLiteral("Конфигурация записана успешно"));
        }
    }
    m_progress->closeProgress();
}

namespace {

QString configurationFilter()
{
    return QStringLiteral("Файл конфигурации для СР-5/Н (*.snc)");
}

} // namespace

void TfrmMain::btnSaveClick()
{
    QFileDialog dialog(this, QStringLiteral("Сохранение файла конфигурации"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(configurationFilter());
    dialog.setDefaultSuffix(QStringLiteral("snc"));
    dialog.selectFile(QStringLiteral("Конфигурация"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveConfiguration(dialog.selectedFiles().constFirst());
}

bool TfrmMain::saveConfiguration(const QString &path)
{
    QStringList data, commands;
    if (!BuildWriteRequests(blockContext(), data, commands))
        return false;
    if (!WriteConfigurationFile(path, data, commands)) {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
        return false;
    }
    return true;
}

void TfrmMain::btnOpenClick()
{
    QFileDialog dialog(this, QStringLiteral("Открытие файла конфигурации"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(configurationFilter());
    dialog.setDefaultSuffix(QStringLiteral("snc"));
    if (!m_lastOpenedConfiguration.isEmpty())
        dialog.selectFile(m_lastOpenedConfiguration);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_lastOpenedConfiguration = dialog.selectedFiles().constFirst();
    openConfiguration(m_lastOpenedConfiguration);
}

bool TfrmMain::openConfiguration(const QString &path)
{
    QStringList data, commands;
    if (!ReadConfigurationFile(path, data, commands)) {
        m_notifier.reportFailure(QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден"));
        return false;
    }
    return DecodeAnswers(blockContext(), data, commands);
}

void TfrmMain::btnExportClick()
{
    QFileDialog dialog(this, QStringLiteral("Экспорт конфигурации"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Веб-страница (*.html)"));
    dialog.setDefaultSuffix(QStringLiteral("html"));
    dialog.selectFile(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    exportHtml(dialog.selectedFiles().constFirst());
}

bool TfrmMain::exportHtml(const QString &path, bool openInBrowser)
{
    const QByteArray page = BuildHtmlReport(*m_config, *m_eventTables, QDateTime::currentDateTime());
    if (!WriteHtmlReport(path, page)) {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
        return false;
    }
    if (openInBrowser)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return true;
}

void TfrmMain::btnTestSchemeClick()
{
    if (!m_testScheme || !m_connection->Open(portName()))
        return;
    m_testScheme->exec();
    // The window's exchange closes the link; make sure of it whatever happened.
    m_connection->Close();
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
        m_notifier.reportFailure(QStringLiteral("Не возможно открыть файл \"%1\". Возможно, файл "
                                                "удален или не установлено ПО для чтения файлов "
                                                "\"*.pdf\"")
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
    if (m_about)
        m_about->exec();
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
            } else if (FormShortCut(key->key(), key->modifiers())) {
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

} // namespace sr5n
