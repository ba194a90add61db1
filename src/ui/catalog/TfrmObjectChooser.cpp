#include "ui/catalog/TfrmObjectChooser.h"

#include "catalog/CatalogStore.h"
#include "ui/catalog/ObjectListModel.h"
#include "ui/catalog/ObjectListWidgets.h"
#include "ui/catalog/ObjectSearch.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace sr5n {

TfrmObjectChooser::TfrmObjectChooser(const QString &title, CatalogService &service,
                                     const QString &exceptId, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmObjectChooser"));
    setWindowTitle(title);
    setModal(true);
    resize(640, 420);

    auto *lblSearch = new QLabel(QStringLiteral("&Поиск:"), this);
    lblSearch->setObjectName(QStringLiteral("lblChooserSearch"));
    edtChooserSearch = MakeObjectSearchField(this);
    edtChooserSearch->setObjectName(QStringLiteral("edtChooserSearch"));
    lblSearch->setBuddy(edtChooserSearch);
    // The arrows move through the list while the user types.
    edtChooserSearch->installEventFilter(this);
    m_model = new ObjectListModel(this);
    m_search = new ObjectSearch(service, *m_model, this);
    connect(edtChooserSearch, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_search->typed(text); });
    // The object asked about is left out by its id, whatever page it is on.
    m_offered = new QSortFilterProxyModel(this);
    m_offered->setSourceModel(m_model);
    m_offered->setFilterRole(ObjectListModel::IdRole);
    m_offered->setFilterKeyColumn(ObjectListModel::Codes);
    m_offered->setFilterRegularExpression(
        QRegularExpression(QStringLiteral("^(?!%1$)").arg(QRegularExpression::escape(exceptId))));

    tvChooser = MakeObjectTable(m_offered, this);
    tvChooser->setObjectName(QStringLiteral("tvChooser"));
    tvChooser->horizontalHeader()->resizeSection(ObjectListModel::Codes, 110);
    tvChooser->horizontalHeader()->resizeSection(ObjectListModel::Name, 190);
    tvChooser->horizontalHeader()->resizeSection(ObjectListModel::Address, 190);
    tvChooser->setColumnHidden(ObjectListModel::LastOperation, true);
    connect(tvChooser->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { updateChoice(); });
    connect(tvChooser, &QTableView::doubleClicked, this, [this] { pick(); });

    lblChooserInfo = new QLabel(this);
    lblChooserInfo->setObjectName(QStringLiteral("lblChooserInfo"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnChooserOk = buttons->button(QDialogButtonBox::Ok);
    btnChooserOk->setObjectName(QStringLiteral("btnChooserOk"));
    btnChooserOk->setText(QStringLiteral("Выбрать"));
    btnChooserOk->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { pick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(lblSearch);
    searchRow->addWidget(edtChooserSearch, 1);
    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(lblChooserInfo, 1);
    bottomRow->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(tvChooser, 1);
    layout->addLayout(bottomRow);

    connect(m_search, &ObjectSearch::searching, this,
            [this] { lblChooserInfo->setText(QStringLiteral("Поиск…")); });
    connect(m_search, &ObjectSearch::listed, this, [this] { listed(); });
    connect(m_search, &ObjectSearch::failed, this, [this](const QString &reason) {
        lblChooserInfo->setText(QStringLiteral("База объектов недоступна: %1").arg(reason));
        updateChoice();
    });
    // The first page may hold only the object left out: the next one is asked for.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { listed(); });

    setTabOrder(edtChooserSearch, tvChooser);
    m_search->now(QString());
    edtChooserSearch->setFocus();
}

bool TfrmObjectChooser::busy() const
{
    return m_search->busy() || m_model->fetching();
}

void TfrmObjectChooser::listed()
{
    if (m_offered->rowCount() == 0 && m_model->canFetchMore(QModelIndex())) {
        m_model->fetchMore(QModelIndex());
        return;
    }
    if (!tvChooser->currentIndex().isValid())
        tvChooser->setCurrentIndex(m_offered->index(0, 0));
    lblChooserInfo->setText(m_offered->rowCount() == 0 ? QStringLiteral("Подходящих объектов нет")
                                                       : QString());
    updateChoice();
}

void TfrmObjectChooser::updateChoice()
{
    btnChooserOk->setEnabled(tvChooser->currentIndex().isValid());
}

void TfrmObjectChooser::pick()
{
    const QModelIndex current = tvChooser->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = current.data(ObjectListModel::IdRole).toString();
    accept();
}

bool TfrmObjectChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtChooserSearch && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(tvChooser, event);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace sr5n
