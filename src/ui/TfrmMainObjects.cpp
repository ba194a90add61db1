// The main window's part of the catalogue of objects: the objects window,
// the object named in the title, and what the objects window asks for.
#include "ui/TfrmMain.h"

#include "app/Configurator.h"
#include "app/DeviceRunner.h"
#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "common/AppTitle.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationCopy.h"
#include "events/EventCodeTables.h"
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

namespace sr5n {

namespace {

// A catalogue entry decoded apart from the window, as one side of a
// comparison window of its own.
struct EntrySide {
    ConfigModel model;
    EventCodeTables tables;

    bool load(Configurator &app, const QByteArray &bytes)
    {
        model.copyValues(app.config(), app.config().names());
        tables.copyFrom(app.eventTables());
        const BlockContext window = app.blockContext();
        return app
            .openCatalogEntry(bytes, BlockContext{model, tables, window.catalog, window.notifier})
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
        m_app.fetchCatalogEntry(entry, this, [this, entry](Expected<QByteArray> bytes) {
            if (bytes && m_app.openCatalogEntry(*bytes)) {
                m_objectsWindow->accept();
                nameObject(entry);
            }
        });
    });
    connect(m_objectsWindow, &TfrmObjects::compareRequested, this,
            [this](const CatalogEntry &entry) { compareWithEntry(entry); });
    connect(m_objectsWindow, &TfrmObjects::compareDeviceRequested, this,
            [this](const CatalogEntry &entry) { compareEntryWithDevice(entry); });
    connect(m_objectsWindow, &TfrmObjects::compareEntriesRequested, this,
            [this](const CatalogEntry &first, const CatalogEntry &second) {
                m_app.fetchCatalogEntry(
                    first, this, [this, first, second](Expected<QByteArray> firstBytes) {
                        if (!firstBytes)
                            return;
                        m_app.fetchCatalogEntry(
                            second, this,
                            [this, first, second,
                             firstBytes = *firstBytes](Expected<QByteArray> secondBytes) {
                                EntrySide a, b;
                                if (!secondBytes || !a.load(m_app, firstBytes) ||
                                    !b.load(m_app, *secondBytes))
                                    return;
                                TfrmCompare compare(a.model, a.tables, m_app.notifier(),
                                                    m_objectsWindow);
                                compare.compare(ConfigSide{b.model, b.tables},
                                                QStringLiteral("Записи базы объектов: %1 и %2")
                                                    .arg(describe(first), describe(second)),
                                                QStringLiteral("Во второй записи"));
                            });
                    });
            });
    connect(m_objectsWindow, &TfrmObjects::saveRequested, this,
            [this](const CatalogEntry &entry) { saveEntry(entry); });
    connect(m_objectsWindow, &TfrmObjects::templateRequested, this,
            [this](const CatalogEntry &entry) { openTemplate(entry); });
}

void TfrmMain::compareEntryWithDevice(const CatalogEntry &entry)
{
    // The entry first, so that a catalogue away costs no device read.
    m_app.fetchCatalogEntry(entry, this, [this, entry](Expected<QByteArray> bytes) {
        EntrySide side;
        if (!bytes || !side.load(m_app, *bytes))
            return;
        ConfigurationCopy device(m_app.blockContext());
        if (!m_runner->readConfiguration(portName(), device.context()))
            return;
        TfrmCompare compare(side.model, side.tables, m_app.notifier(), m_objectsWindow);
        compare.compare(ConfigSide{device.model(), device.tables()},
                        QStringLiteral("Конфигурация из базы объектов (%1) и в коммуникаторе "
                                       "(порт %2)")
                            .arg(describe(entry), portName()),
                        QStringLiteral("В коммуникаторе"));
    });
}

void TfrmMain::openCatalog()
{
    if (!m_app.catalogEnabled())
        return;
    CatalogService &service = m_app.objects();
    // Checked on a thread of its own: a large catalogue takes seconds.
    service.startCheck();
    m_askingPassword = true;
    service.ask<QString>(
        this,
        [](ObjectCatalog &catalog) -> Expected<QString> {
            catalog.reconnect();
            return catalog.passwordQuestion();
        },
        [this](Expected<QString> question) {
            askCatalogPassword(question ? *question : QString(), question ? *question : QString());
        });
}

void TfrmMain::askCatalogPassword(const QString &firstQuestion, const QString &question)
{
    // The server asks for a password: asked here, used for this run only.
    const auto finish = [this, firstQuestion](bool answered) {
        m_askingPassword = false;
        for (const QString &notice : m_app.takeCatalogNotices()) {
            // Once in, the first refusal is no news.
            if (answered && !firstQuestion.isEmpty() && notice.startsWith(firstQuestion))
                continue;
            m_app.notifier().showInformation(notice);
        }
    };
    if (question.isEmpty()) {
        finish(false);
        return;
    }
    QInputDialog prompt(this);
    prompt.setObjectName(QStringLiteral("dlgCatalogPassword"));
    prompt.setWindowTitle(QStringLiteral("Пароль общего каталога"));
    prompt.setLabelText(question);
    prompt.setTextEchoMode(QLineEdit::Password);
    prompt.setOkButtonText(QStringLiteral("Подключиться"));
    prompt.setCancelButtonText(QStringLiteral("Работать без связи"));
    if (prompt.exec() != QDialog::Accepted) {
        finish(false);
        return;
    }
    m_app.objects().ask<QString>(
        this,
        [password = prompt.textValue()](ObjectCatalog &catalog) -> Expected<QString> {
            if (catalog.tryPassword(password))
                return Failure{}; // in: nothing more to ask
            return catalog.passwordQuestion();
        },
        [this, firstQuestion, finish](Expected<QString> next) {
            if (!next)
                finish(true);
            else
                askCatalogPassword(firstQuestion, *next);
        });
}

void TfrmMain::showCatalogNotices()
{
    // The opening tells its own, after the password question.
    if (m_askingPassword)
        return;
    for (const QString &notice : m_app.takeCatalogNotices())
        m_app.notifier().showInformation(notice);
}

void TfrmMain::catalogSettingsClick()
{
    if (!m_app.catalogEnabled()) {
        showCatalogSettings(QString());
        return;
    }
    m_app.objects().ask<QString>(
        this, [](ObjectCatalog &catalog) -> Expected<QString> { return catalog.statusText(); },
        [this](Expected<QString> status) { showCatalogSettings(status ? *status : QString()); });
}

void TfrmMain::showCatalogSettings(const QString &status)
{
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
    showCatalogNotices();
    if (m_objectsWindow && m_objectsWindow->isVisible())
        m_objectsWindow->refresh();
}

void TfrmMain::nameObject(const CatalogEntry &entry)
{
    const QString id = entry.objectId;
    m_app.objects().ask<QString>(
        this,
        [id](ObjectCatalog &catalog) -> Expected<QString> {
            CatalogStore *store = catalog.store();
            const std::optional<CatalogObject> object = store ? store->object(id) : std::nullopt;
            return object ? object->name : QString();
        },
        [this, entry](Expected<QString> name) {
            QString title = AppTitle() + QStringLiteral(" — объект %1").arg(entry.codes);
            if (name && !name->isEmpty())
                title += QStringLiteral(" «%1»").arg(*name);
            title += QStringLiteral(" (%1 %2)")
                         .arg(OperationText(entry.operation).toLower(),
                              ObjectListModel::timeText(entry.time));
            setWindowTitle(title);
        });
}

void TfrmMain::tellChangedSince()
{
    const std::optional<Configurator::ChangedSince> changed = m_app.changedSince();
    if (!changed || !m_app.notifier().askYesNo(Configurator::changedSinceMessage(*changed),
                                               Notifier::QuestionIcon::Warning))
        return;
    compareWithEntry(changed->written);
}

void TfrmMain::compareWithEntry(const CatalogEntry &entry)
{
    m_app.fetchCatalogEntry(entry, this, [this, entry](Expected<QByteArray> bytes) {
        ConfigurationCopy side(m_app.blockContext());
        if (!bytes || !m_app.openCatalogEntry(*bytes, side.context()))
            return;
        compareWindow().compare(
            ConfigSide{side.model(), side.tables()},
            QStringLiteral("Конфигурация в окне и в базе объектов (%1)").arg(describe(entry)),
            QStringLiteral("В базе объектов"));
    });
}

void TfrmMain::saveEntry(const CatalogEntry &entry)
{
    m_app.fetchCatalogEntry(entry, this, [this, entry](Expected<QByteArray> bytes) {
        if (!bytes)
            return;
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
        (void)m_app.saveConfigurationBytes(dialog.selectedFiles().constFirst(), *bytes);
    });
}

void TfrmMain::openTemplate(const CatalogEntry &entry)
{
    m_app.fetchCatalogEntry(entry, this, [this, entry](Expected<QByteArray> bytes) {
        if (!bytes || !m_app.openCatalogEntry(*bytes))
            return;
        // A new installation: its object numbers are the engineer's to fill in.
        for (int pair = 1; pair <= 2; ++pair)
            for (int number = 1; number <= 2; ++number)
                m_app.config().setText(pair, number, u"NObjectCode", QString());
        m_objectsWindow->accept();
        setWindowTitle(AppTitle() +
                       QStringLiteral(" — новый объект из шаблона «%1»").arg(entry.templateName));
    });
}

} // namespace sr5n
