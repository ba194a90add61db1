// The main window's part of the catalogue of objects: the objects window,
// the object named in the title, and what the objects window asks for.
#include "ui/TfrmMain.h"

#include "app/Configurator.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "common/AppTitle.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationCopy.h"
#include "events/EventCodeTables.h"
#include "link/DeviceOperation.h"
#include "link/TConnection.h"
#include "ui/FileDialogFolders.h"
#include "ui/TfrmProgress.h"
#include "ui/catalog/ObjectListModel.h"
#include "ui/catalog/TfrmCatalogSettings.h"
#include "ui/catalog/TfrmObjects.h"
#include "ui/config/TfrmCompare.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

namespace sr5n {

namespace {

// A catalogue entry decoded apart from the window, as one side of a
// comparison window of its own.
struct EntrySide {
    ConfigModel model;
    EventCodeTables tables;

    bool load(Configurator &app, const CatalogEntry &entry)
    {
        model.copyValues(app.config(), app.config().names());
        tables.copyFrom(app.eventTables());
        const BlockContext window = app.blockContext();
        return app
            .openCatalogEntry(entry, BlockContext{model, tables, window.catalog, window.notifier})
            .has_value();
    }
};

QString describe(const CatalogEntry &entry)
{
    QString text = QStringLiteral("%1, %2").arg(OperationText(entry.operation),
                                                ObjectListModel::timeText(entry.time));
    if (!entry.port.isEmpty())
        text += QStringLiteral(", порт %1").arg(QDir::toNativeSeparators(entry.port));
    return text;
}

// The entry as a column's heading: its operation and time.
QString sideName(const CatalogEntry &entry)
{
    return QStringLiteral("%1 %2").arg(OperationText(entry.operation),
                                       ObjectListModel::timeText(entry.time));
}

} // namespace

TfrmObjects &TfrmMain::objectsWindow()
{
    if (!m_objectsWindow)
        createObjectsWindow();
    return *m_objectsWindow;
}

void TfrmMain::createObjectsWindow()
{
    m_objectsWindow = new TfrmObjects(m_app, this);
    connect(m_objectsWindow, &TfrmObjects::openRequested, this, [this](const CatalogEntry &entry) {
        if (m_app.openCatalogEntry(entry)) {
            m_objectsWindow->accept();
            nameObject(entry);
        }
    });
    connect(m_objectsWindow, &TfrmObjects::compareRequested, this,
            [this](const CatalogEntry &entry) { (void)compareWithEntry(entry); });
    connect(m_objectsWindow, &TfrmObjects::compareDeviceRequested, this,
            [this](const CatalogEntry &entry) {
                ConfigurationCopy device(m_app.blockContext());
                bool read = false;
                {
                    DeviceOperation operation(m_app.connection(), m_progress,
                                              OperationProgress::Kind::Reading);
                    read = operation.open(portName()) &&
                           m_app.readConfiguration(operation, device.context());
                }
                EntrySide side;
                if (!read || !side.load(m_app, entry))
                    return;
                // Neither side is the window: shown, with nothing to take.
                TfrmCompare compare(side.model, side.tables, m_app.notifier(), m_objectsWindow);
                compare.compareApart(
                    ConfigSide{device.model(), device.tables()},
                    QStringLiteral("Конфигурация из базы объектов (%1) и в коммуникаторе "
                                   "(порт %2)")
                        .arg(describe(entry), portName()),
                    sideName(entry), QStringLiteral("Коммуникатор"));
            });
    connect(m_objectsWindow, &TfrmObjects::compareEntriesRequested, this,
            [this](const CatalogEntry &first, const CatalogEntry &second) {
                EntrySide a, b;
                if (!a.load(m_app, first) || !b.load(m_app, second))
                    return;
                TfrmCompare compare(a.model, a.tables, m_app.notifier(), m_objectsWindow);
                compare.compareApart(ConfigSide{b.model, b.tables},
                                     QStringLiteral("Записи базы объектов: %1 и %2")
                                         .arg(describe(first), describe(second)),
                                     sideName(first), sideName(second));
            });
    connect(m_objectsWindow, &TfrmObjects::saveRequested, this,
            [this](const CatalogEntry &entry) { saveEntry(entry); });
    connect(m_objectsWindow, &TfrmObjects::templateRequested, this,
            [this](const CatalogEntry &entry) { openTemplate(entry); });
}

void TfrmMain::openCatalog()
{
    if (!m_app.catalogEnabled())
        return;
    ObjectCatalog &catalog = m_app.objects();
    catalog.reconnect();
    // Checked on a thread of its own: a large catalogue takes seconds.
    catalog.startCheck(this, [this] { settleCatalogCheck(); });
    // The server asks for a password: asked here, used for this run only.
    const QString firstQuestion = catalog.passwordQuestion();
    bool answered = false;
    for (QString question = firstQuestion; !question.isEmpty();
         question = catalog.passwordQuestion()) {
        QInputDialog prompt(this);
        prompt.setObjectName(QStringLiteral("dlgCatalogPassword"));
        prompt.setWindowTitle(QStringLiteral("Пароль общего каталога"));
        prompt.setLabelText(question);
        prompt.setTextEchoMode(QLineEdit::Password);
        prompt.setOkButtonText(QStringLiteral("Подключиться"));
        prompt.setCancelButtonText(QStringLiteral("Работать без связи"));
        if (prompt.exec() != QDialog::Accepted)
            break;
        if (catalog.tryPassword(prompt.textValue())) {
            answered = true;
            break;
        }
    }
    for (const QString &notice : m_app.takeCatalogNotices()) {
        // Once in, the first refusal is no news.
        if (answered && notice.startsWith(firstQuestion))
            continue;
        m_app.notifier().showInformation(notice);
    }
}

void TfrmMain::catalogSettingsClick()
{
    const QString status = m_app.catalogEnabled() ? m_app.objects().statusText() : QString();
    TfrmCatalogSettings settings(m_app.catalogLocation(), m_app.localCatalogPath(), status,
                                 m_app.notifier(), this);
    if (settings.exec() != QDialog::Accepted)
        return;
    m_app.settings().setCatalogLocation(settings.location());
    m_app.useCatalogLocation(settings.location());
    openCatalog();
}

void TfrmMain::settleCatalogCheck()
{
    // The catalogue's connection is closed only between device operations.
    if (m_app.connection().Opened()) {
        QTimer::singleShot(200, this, [this] { settleCatalogCheck(); });
        return;
    }
    if (!m_app.objects().finishCheck())
        return;
    for (const QString &notice : m_app.takeCatalogNotices())
        m_app.notifier().showInformation(notice);
    if (m_objectsWindow && m_objectsWindow->isVisible())
        m_objectsWindow->refresh();
}

void TfrmMain::nameObject(const CatalogEntry &entry)
{
    CatalogStore *store = m_app.objects().store();
    const std::optional<CatalogObject> object =
        store ? store->object(entry.objectId) : std::nullopt;
    QString title = AppTitle() + QStringLiteral(" — объект %1").arg(entry.codes);
    if (object && !object->name.isEmpty())
        title += QStringLiteral(" «%1»").arg(object->name);
    title +=
        QStringLiteral(" (%1 %2)")
            .arg(OperationText(entry.operation).toLower(), ObjectListModel::timeText(entry.time));
    setWindowTitle(title);
}

void TfrmMain::tellChangedSince()
{
    const std::optional<Configurator::ChangedSince> changed = m_app.changedSince();
    if (!changed || !m_app.notifier().askYesNo(Configurator::changedSinceMessage(*changed),
                                               Notifier::QuestionIcon::Warning))
        return;
    (void)compareWithEntry(changed->written);
}

Expected<void> TfrmMain::compareWithEntry(const CatalogEntry &entry)
{
    ConfigurationCopy side(m_app.blockContext());
    if (Expected<void> opened = m_app.openCatalogEntry(entry, side.context()); !opened)
        return opened;
    compareWindow().compare(
        ConfigSide{side.model(), side.tables()},
        QStringLiteral("Конфигурация в окне и в базе объектов (%1)").arg(describe(entry)),
        sideName(entry));
    return {};
}

void TfrmMain::saveEntry(const CatalogEntry &entry)
{
    CatalogStore *store = m_app.objects().store();
    const std::optional<QByteArray> bytes = store ? store->configuration(entry.hash) : std::nullopt;
    if (!bytes) {
        m_app.notifier().reportFailure(
            QStringLiteral("Невозможно прочитать конфигурацию из базы объектов"));
        return;
    }
    using Folder = FileDialogFolders::Dialog;
    QFileDialog dialog(m_objectsWindow, QStringLiteral("Сохранение файла конфигурации"),
                       m_folders.startFolder(Folder::SaveConfiguration));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Файл конфигурации для СР-5/Н (*.snc)"));
    dialog.setDefaultSuffix(QStringLiteral("snc"));
    dialog.selectFile(QStringLiteral("Объект %1").arg(entry.codes));
    if (ExecFileDialog(dialog, m_dialogHost, m_folders, Folder::SaveConfiguration) !=
            QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return;
    QSaveFile file(dialog.selectedFiles().constFirst());
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit())
        m_app.notifier().reportFailure(QStringLiteral("Невозможно сохранить файл"));
}

void TfrmMain::openTemplate(const CatalogEntry &entry)
{
    if (!m_app.openCatalogEntry(entry))
        return;
    // A new installation: its object numbers are the engineer's to fill in.
    for (int pair = 1; pair <= 2; ++pair)
        for (int number = 1; number <= 2; ++number)
            m_app.config().setText(pair, number, u"NObjectCode", QString());
    m_objectsWindow->accept();
    setWindowTitle(AppTitle() +
                   QStringLiteral(" — новый объект из шаблона «%1»").arg(entry.templateName));
}

} // namespace sr5n
