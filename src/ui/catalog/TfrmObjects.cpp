#include "ui/catalog/TfrmObjects.h"

#include "app/Configurator.h"
#include "catalog/CatalogLocation.h"
#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "ui/catalog/ObjectListModel.h"
#include "ui/catalog/ObjectListWidgets.h"
#include "ui/catalog/ObjectSearch.h"
#include "ui/catalog/TfrmEditConflict.h"
#include "ui/catalog/TfrmObjectChooser.h"

#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sr5n {

namespace {

QPushButton *button(const char *name, const QString &text, const QString &tip, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfrmObjects::TfrmObjects(Configurator &app, QWidget *parent) : QDialog(parent), m_app(app)
{
    setObjectName(QStringLiteral("frmObjects"));
    setWindowTitle(QStringLiteral("Объекты"));
    setModal(true);
    resize(980, 640);

    auto *lblSearch = new QLabel(QStringLiteral("&Поиск:"), this);
    lblSearch->setObjectName(QStringLiteral("lblObjectsSearch"));
    edtObjectsSearch = MakeObjectSearchField(this);
    edtObjectsSearch->setObjectName(QStringLiteral("edtObjectsSearch"));
    lblSearch->setBuddy(edtObjectsSearch);
    connect(edtObjectsSearch, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_search->typed(text); });
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        edtObjectsSearch->setFocus(Qt::ShortcutFocusReason);
        edtObjectsSearch->selectAll();
    });

    lblObjectsInfo = new QLabel(this);
    lblObjectsInfo->setObjectName(QStringLiteral("lblObjectsInfo"));
    lblObjectsInfo->setWordWrap(true);
    lblObjectsInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_model = new ObjectListModel(this);
    m_search = new ObjectSearch(m_app.objects(), *m_model, this);
    connect(m_search, &ObjectSearch::searching, this, [this] { showState(); });
    connect(m_search, &ObjectSearch::listed, this,
            [this](const ObjectPage &page) { listed(page); });
    connect(m_search, &ObjectSearch::failed, this, [this](const QString &reason) {
        m_available = false;
        m_writable = false;
        lblObjectsInfo->setText(unavailableText(reason));
        afterListing();
    });
    connect(m_model, &ObjectListModel::fetchFailed, this, [this](const QString &reason) {
        lblObjectsInfo->setText(QStringLiteral("Объектов: %1. Остальные не получены: %2")
                                    .arg(m_model->total())
                                    .arg(reason));
    });
    tvObjects = MakeObjectTable(m_model, this);
    tvObjects->setObjectName(QStringLiteral("tvObjects"));
    tvObjects->horizontalHeader()->resizeSection(ObjectListModel::Codes, 120);
    tvObjects->horizontalHeader()->resizeSection(ObjectListModel::Name, 220);
    tvObjects->horizontalHeader()->resizeSection(ObjectListModel::Address, 240);
    tvObjects->horizontalHeader()->resizeSection(ObjectListModel::LastOperation, 200);
    connect(tvObjects->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showObject(); });

    // The chosen object: what the engineer writes about it.
    auto *gbxObject = new QGroupBox(QStringLiteral("Объект"), this);
    gbxObject->setObjectName(QStringLiteral("gbxObject"));
    edtObjectName = new QLineEdit(gbxObject);
    edtObjectName->setObjectName(QStringLiteral("edtObjectName"));
    edtObjectAddress = new QLineEdit(gbxObject);
    edtObjectAddress->setObjectName(QStringLiteral("edtObjectAddress"));
    memObjectNotes = new QPlainTextEdit(gbxObject);
    memObjectNotes->setObjectName(QStringLiteral("memObjectNotes"));
    memObjectNotes->setTabChangesFocus(true);
    memObjectNotes->setMaximumHeight(fontMetrics().height() * 4);
    btnObjectDescribe =
        button("btnObjectDescribe", QStringLiteral("Сохранить описание"),
               QStringLiteral("Сохранить название, адрес и заметки объекта"), gbxObject);
    btnObjectMerge =
        button("btnObjectMerge", QStringLiteral("Объединить с..."),
               QStringLiteral("Перенести все записи другого объекта в этот"), gbxObject);
    connect(btnObjectDescribe, &QPushButton::clicked, this, [this] { describeObject(); });
    connect(btnObjectMerge, &QPushButton::clicked, this, [this] { mergeObject(); });
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Название:"), edtObjectName);
    form->addRow(QStringLiteral("Адрес:"), edtObjectAddress);
    form->addRow(QStringLiteral("Заметки:"), memObjectNotes);
    auto *objectButtons = new QHBoxLayout;
    objectButtons->addWidget(btnObjectDescribe);
    objectButtons->addWidget(btnObjectMerge);
    objectButtons->addStretch(1);
    auto *objectLayout = new QVBoxLayout(gbxObject);
    objectLayout->addLayout(form);
    objectLayout->addLayout(objectButtons);

    tvTimeline = new QTreeWidget(this);
    tvTimeline->setObjectName(QStringLiteral("tvTimeline"));
    tvTimeline->setAccessibleName(QStringLiteral("Записи объекта"));
    tvTimeline->setRootIsDecorated(false);
    tvTimeline->setUniformRowHeights(true);
    tvTimeline->setAlternatingRowColors(true);
    tvTimeline->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvTimeline->setHeaderLabels({QStringLiteral("Дата и время"), QStringLiteral("Операция"),
                                 QStringLiteral("Порт"), QStringLiteral("Пользователь"),
                                 QStringLiteral("Номера"), QStringLiteral("Примечание")});
    tvTimeline->header()->resizeSection(0, 140);
    tvTimeline->header()->resizeSection(1, 230);
    tvTimeline->header()->resizeSection(2, 110);
    tvTimeline->header()->resizeSection(3, 90);
    tvTimeline->header()->resizeSection(4, 80);
    connect(tvTimeline, &QTreeWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    connect(tvTimeline, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (const QList<CatalogEntry> chosen = chosenEntries(); chosen.size() == 1)
            emit openRequested(chosen.constFirst());
    });

    btnEntryOpen = button("btnEntryOpen", QStringLiteral("Открыть в окне"),
                          QStringLiteral("Открыть выбранную конфигурацию в главном окне"), this);
    btnEntryCompare = button("btnEntryCompare", QStringLiteral("Сравнить с окном"),
                             QStringLiteral("Сравнить выбранную конфигурацию с конфигурацией "
                                            "в главном окне"),
                             this);
    btnEntryCompareDevice = button(
        "btnEntryCompareDevice", QStringLiteral("Сравнить с коммуникатором"),
        QStringLiteral("Прочитать конфигурацию коммуникатора и сравнить ее с выбранной"), this);
    btnEntryCompareEntries =
        button("btnEntryCompareEntries", QStringLiteral("Сравнить две записи"),
               QStringLiteral("Сравнить две выбранные записи между собой"), this);
    btnEntrySave = button("btnEntrySave", QStringLiteral("Сохранить в файл..."),
                          QStringLiteral("Сохранить выбранную конфигурацию в файл .snc"), this);
    btnEntryTemplate = button("btnEntryTemplate", QStringLiteral("Шаблон..."),
                              QStringLiteral("Отметить выбранную запись как шаблон"), this);
    btnEntryMove = button("btnEntryMove", QStringLiteral("Перенести..."),
                          QStringLiteral("Перенести выбранную запись в другой объект"), this);
    btnFromTemplate = button("btnFromTemplate", QStringLiteral("Новый объект из шаблона..."),
                             QStringLiteral("Открыть шаблон в главном окне с пустыми номерами "
                                            "объекта"),
                             this);
    btnObjectsClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnObjectsClose->setObjectName(QStringLiteral("btnObjectsClose"));
    btnObjectsClose->setDefault(true);
    const auto withEntry = [this](void (TfrmObjects::*request)(const CatalogEntry &)) {
        return [this, request] {
            if (const QList<CatalogEntry> chosen = chosenEntries(); !chosen.isEmpty())
                emit(this->*request)(chosen.constFirst());
        };
    };
    connect(btnEntryOpen, &QPushButton::clicked, this, withEntry(&TfrmObjects::openRequested));
    connect(btnEntryCompare, &QPushButton::clicked, this,
            withEntry(&TfrmObjects::compareRequested));
    connect(btnEntryCompareDevice, &QPushButton::clicked, this,
            withEntry(&TfrmObjects::compareDeviceRequested));
    connect(btnEntrySave, &QPushButton::clicked, this, withEntry(&TfrmObjects::saveRequested));
    connect(btnEntryCompareEntries, &QPushButton::clicked, this, [this] {
        if (const QList<CatalogEntry> chosen = chosenEntries(); chosen.size() == 2)
            emit compareEntriesRequested(chosen.at(0), chosen.at(1));
    });
    connect(btnEntryTemplate, &QPushButton::clicked, this, [this] { markTemplate(); });
    connect(btnEntryMove, &QPushButton::clicked, this, [this] { moveEntry(); });
    connect(btnFromTemplate, &QPushButton::clicked, this, [this] { newFromTemplate(); });
    connect(btnObjectsClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(edtObjectsSearch, 1);
    searchRow->addWidget(btnFromTemplate);
    auto *entryButtons = new QHBoxLayout;
    for (QPushButton *b : {btnEntryOpen, btnEntryCompare, btnEntryCompareDevice,
                           btnEntryCompareEntries, btnEntrySave, btnEntryTemplate, btnEntryMove})
        entryButtons->addWidget(b);
    entryButtons->addStretch(1);
    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(gbxObject);
    lowerLayout->addWidget(tvTimeline, 1);
    lowerLayout->addLayout(entryButtons);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splObjects"));
    split->setChildrenCollapsible(false);
    split->addWidget(tvObjects);
    split->addWidget(lower);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    auto *closeRow = new QHBoxLayout;
    closeRow->addWidget(lblObjectsInfo, 1);
    closeRow->addWidget(btnObjectsClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(split, 1);
    layout->addLayout(closeRow);

    setTabOrder(edtObjectsSearch, btnFromTemplate);
    setTabOrder(btnFromTemplate, tvObjects);
    updateButtons();
}

QString TfrmObjects::unavailableText(const QString &reason)
{
    return QStringLiteral("База объектов недоступна: %1").arg(reason);
}

const QList<CatalogObject> &TfrmObjects::objects() const
{
    return m_model->objects();
}

bool TfrmObjects::busy() const
{
    return m_search->busy() || m_model->fetching() || m_timelineWaiting || m_requests > 0;
}

void TfrmObjects::showObjects()
{
    m_connected = false;
    refresh();
    edtObjectsSearch->setFocus();
    exec();
}

void TfrmObjects::refresh()
{
    if (!m_app.catalogEnabled()) {
        m_model->clear();
        m_available = false;
        lblObjectsInfo->setText(unavailableText(QStringLiteral("каталог отключен")));
        afterListing();
        return;
    }
    // Listed again after a change: as far as the user had scrolled.
    const QString text = edtObjectsSearch->text();
    m_search->now(text, text == m_search->text() ? m_model->objects().size() : 0);
}

void TfrmObjects::showState()
{
    // Until the first answer a server is being reached; later answers are searches.
    const bool shared = IsSharedCatalog(m_app.objects().place().path);
    lblObjectsInfo->setText(shared && !m_connected
                                ? QStringLiteral("Подключение к общему каталогу…")
                                : QStringLiteral("Поиск…"));
}

void TfrmObjects::listed(const ObjectPage &page)
{
    m_connected = true;
    m_available = true;
    m_writable = !page.readOnly;
    lblObjectsInfo->setText(QStringLiteral("Объектов: %1. %2").arg(page.total).arg(page.status));
    afterListing();
}

void TfrmObjects::afterListing()
{
    // Choosing a row shows its object; with none to choose, none is shown.
    const QString keep = m_objectId;
    const int row = m_model->rowOf(keep);
    m_objectId.clear();
    selectObject(row >= 0 ? row : 0);
    if (m_objectId.isEmpty())
        showObject();
}

void TfrmObjects::selectObject(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        tvObjects->setCurrentIndex(QModelIndex());
        return;
    }
    tvObjects->setCurrentIndex(m_model->index(row, 0));
}

void TfrmObjects::showObject()
{
    const int row = tvObjects->currentIndex().row();
    const bool chosen = row >= 0 && row < m_model->rowCount();
    const CatalogObject object = chosen ? m_model->objects().at(row) : CatalogObject();
    m_objectId = object.id;
    m_seen = object;
    edtObjectName->setText(object.name);
    edtObjectAddress->setText(object.address);
    memObjectNotes->setPlainText(object.notes);
    fillTimeline();
}

void TfrmObjects::fillTimeline()
{
    tvTimeline->clear();
    m_timeline.clear();
    updateButtons();
    if (m_objectId.isEmpty() || !m_available)
        return;
    const QString id = m_objectId;
    m_timelineWaiting = true;
    m_app.objects().ask<QList<CatalogEntry>>(
        this,
        [id](ObjectCatalog &catalog) -> Expected<QList<CatalogEntry>> {
            CatalogStore *store = catalog.store();
            if (!store)
                return Failure{catalog.failure()};
            return store->timeline(id);
        },
        [this, id](Expected<QList<CatalogEntry>> timeline) {
            m_timelineWaiting = false;
            // Another object chosen meanwhile asks for its own.
            if (id != m_objectId)
                return;
            if (!timeline) {
                lblObjectsInfo->setText(
                    QStringLiteral("Записи объекта не получены: %1").arg(timeline.reason()));
                return;
            }
            showTimeline(*timeline);
        },
        QStringLiteral("timeline:%1").arg(reinterpret_cast<quintptr>(this), 0, 16));
}

void TfrmObjects::showTimeline(QList<CatalogEntry> timeline)
{
    tvTimeline->clear();
    m_timeline = std::move(timeline);
    // Newest first.
    std::reverse(m_timeline.begin(), m_timeline.end());
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const CatalogEntry &entry : std::as_const(m_timeline)) {
        QString operation = OperationText(entry.operation);
        if (!entry.templateName.isEmpty())
            operation += QStringLiteral(" (шаблон «%1»)").arg(entry.templateName);
        auto *item =
            new QTreeWidgetItem(tvTimeline, {ObjectListModel::timeText(entry.time), operation,
                                             QDir::toNativeSeparators(entry.port), entry.user,
                                             entry.codes, entry.note});
        // A write whose check did not pass, and its read-back, stand out.
        if (OperationIsWarning(entry.operation)) {
            item->setIcon(1, warning);
            QFont bold = item->font(1);
            bold.setBold(true);
            item->setFont(1, bold);
        }
        item->setToolTip(5, entry.note);
    }
    if (!m_timeline.isEmpty())
        selectEntry(0);
    updateButtons();
}

void TfrmObjects::selectEntry(qsizetype index, qsizetype also)
{
    tvTimeline->clearSelection();
    for (const qsizetype i : {index, also}) {
        if (QTreeWidgetItem *item = tvTimeline->topLevelItem(static_cast<int>(i))) {
            item->setSelected(true);
            if (i == index)
                tvTimeline->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
    }
    updateButtons();
}

QList<CatalogEntry> TfrmObjects::chosenEntries() const
{
    QList<CatalogEntry> chosen;
    for (int i = 0; i < tvTimeline->topLevelItemCount(); ++i)
        if (tvTimeline->topLevelItem(i)->isSelected() && i < m_timeline.size())
            chosen.append(m_timeline.at(i));
    return chosen;
}

void TfrmObjects::updateButtons()
{
    const qsizetype chosen = chosenEntries().size();
    const bool writable = m_available && m_writable;
    for (QPushButton *b : {btnEntryOpen, btnEntryCompare, btnEntryCompareDevice, btnEntrySave})
        b->setEnabled(chosen == 1);
    btnEntryTemplate->setEnabled(chosen == 1 && writable);
    btnEntryMove->setEnabled(chosen == 1 && writable);
    btnEntryCompareEntries->setEnabled(chosen == 2);
    const bool object = !m_objectId.isEmpty();
    btnObjectDescribe->setEnabled(object && writable);
    btnObjectMerge->setEnabled(object && writable && m_model->rowCount() > 1);
    edtObjectName->setReadOnly(!writable);
    edtObjectAddress->setReadOnly(!writable);
    memObjectNotes->setReadOnly(!writable);
    btnFromTemplate->setEnabled(m_available);
}

void TfrmObjects::showFailure(const QString &reason)
{
    m_app.notifier().reportFailure(
        QStringLiteral("Не удалось изменить базу объектов: %1").arg(reason));
}

void TfrmObjects::change(std::function<bool(CatalogStore &)> edit, std::function<void()> then)
{
    ++m_requests;
    m_app.objects().ask<bool>(
        this,
        [edit = std::move(edit)](ObjectCatalog &catalog) -> Expected<bool> {
            CatalogStore *store = catalog.store();
            if (!store)
                return Failure{catalog.failure()};
            if (!edit(*store))
                return Failure{store->lastError()};
            return true;
        },
        [this, then = std::move(then)](Expected<bool> done) {
            --m_requests;
            if (!done) {
                showFailure(done.reason());
                // The catalogue's state line says what became of the server.
                refresh();
                return;
            }
            then();
        });
}

void TfrmObjects::describeObject()
{
    if (m_objectId.isEmpty() || !m_available)
        return;
    CatalogObject mine = m_seen;
    mine.name = edtObjectName->text().trimmed();
    mine.address = edtObjectAddress->text().trimmed();
    mine.notes = memObjectNotes->toPlainText().trimmed();
    saveDescription(m_seen, mine);
}

void TfrmObjects::saveDescription(const CatalogObject &seen, const CatalogObject &mine)
{
    // Written only over the texts this engineer saw; someone else's change
    // meanwhile is shown beside his own and he chooses.
    ++m_requests;
    m_app.objects().ask<ObjectEdit>(
        this,
        [seen, mine](ObjectCatalog &catalog) -> Expected<ObjectEdit> {
            CatalogStore *store = catalog.store();
            if (!store)
                return Failure{catalog.failure()};
            const ObjectEdit edit = store->editObject(seen, mine.name, mine.address, mine.notes);
            if (edit.outcome == ObjectEdit::Outcome::Failed)
                return Failure{store->lastError()};
            return edit;
        },
        [this, mine](Expected<ObjectEdit> edit) {
            --m_requests;
            if (!edit) {
                showFailure(edit.reason());
                refresh();
                return;
            }
            if (edit->outcome == ObjectEdit::Outcome::ChangedMeanwhile) {
                TfrmEditConflict conflict(mine, edit->current, this);
                conflict.exec();
                if (conflict.choice() == TfrmEditConflict::Choice::KeepMine) {
                    saveDescription(edit->current, mine);
                    return;
                }
                if (conflict.choice() == TfrmEditConflict::Choice::Cancel)
                    return;
            }
            refresh();
        });
}

void TfrmObjects::markTemplate()
{
    const QList<CatalogEntry> chosen = chosenEntries();
    if (!m_available || chosen.size() != 1)
        return;
    bool accepted = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Шаблон"),
                              QStringLiteral("Название шаблона (пустое название снимает отметку):"),
                              QLineEdit::Normal, chosen[0].templateName, &accepted);
    if (!accepted)
        return;
    const QString id = chosen[0].id;
    change([id, name](CatalogStore &store) { return store.setTemplate(id, name); },
           [this] { fillTimeline(); });
}

QString TfrmObjects::chooseObject(const QString &title, const QString &exceptId)
{
    if (!m_available)
        return {};
    TfrmObjectChooser chooser(title, m_app.objects(), exceptId, this);
    return chooser.exec() == QDialog::Accepted ? chooser.chosenId() : QString();
}

void TfrmObjects::moveEntry()
{
    const QList<CatalogEntry> chosen = chosenEntries();
    if (chosen.size() != 1)
        return;
    const QString target = chooseObject(QStringLiteral("Перенос записи"), m_objectId);
    if (target.isEmpty())
        return;
    const QString id = chosen[0].id;
    change([id, target](CatalogStore &store) { return store.moveEntry(id, target); },
           [this] { refresh(); });
}

void TfrmObjects::mergeObject()
{
    if (m_objectId.isEmpty())
        return;
    const QString other = chooseObject(QStringLiteral("Объединение объектов"), m_objectId);
    if (other.isEmpty())
        return;
    const QString into = m_objectId;
    change([into, other](CatalogStore &store) { return store.mergeObjects(into, other); },
           [this] { refresh(); });
}

void TfrmObjects::newFromTemplate()
{
    if (!m_available)
        return;
    ++m_requests;
    m_app.objects().ask<QList<CatalogEntry>>(
        this,
        [](ObjectCatalog &catalog) -> Expected<QList<CatalogEntry>> {
            CatalogStore *store = catalog.store();
            if (!store)
                return Failure{catalog.failure()};
            return store->templates();
        },
        [this](Expected<QList<CatalogEntry>> templates) {
            --m_requests;
            if (!templates) {
                m_app.notifier().reportFailure(
                    QStringLiteral("Шаблоны не получены: %1").arg(templates.reason()));
                return;
            }
            chooseTemplate(*templates);
        });
}

void TfrmObjects::chooseTemplate(const QList<CatalogEntry> &templates)
{
    if (templates.isEmpty()) {
        m_app.notifier().showInformation(
            QStringLiteral("Шаблонов нет. Отметьте запись объекта как шаблон кнопкой «Шаблон...»"));
        return;
    }
    QStringList names;
    for (const CatalogEntry &entry : templates)
        names << entry.templateName;
    bool accepted = false;
    const QString name =
        QInputDialog::getItem(this, QStringLiteral("Новый объект из шаблона"),
                              QStringLiteral("Шаблон:"), names, 0, false, &accepted);
    const qsizetype index = names.indexOf(name);
    if (accepted && index >= 0)
        emit templateRequested(templates.at(index));
}

} // namespace sr5n
