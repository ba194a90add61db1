#include "ui/catalog/TfrmEditConflict.h"

#include "ui/catalog/ObjectListModel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace sr5n {

QString TfrmEditConflict::explanation(const CatalogObject &theirs)
{
    QString who = theirs.editedBy.isEmpty()
                      ? QStringLiteral("другой пользователь")
                      : QStringLiteral("пользователь %1").arg(theirs.editedBy);
    if (theirs.editedAt.isValid())
        who += QStringLiteral(" (%1)").arg(ObjectListModel::timeText(theirs.editedAt));
    return QStringLiteral("Пока вы редактировали объект %1, его описание изменил %2. Оставьте свое "
                          "описание или возьмите сохраненное в каталоге.")
        .arg(theirs.codes, who);
}

TfrmEditConflict::TfrmEditConflict(const CatalogObject &mine, const CatalogObject &theirs,
                                   QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEditConflict"));
    setWindowTitle(QStringLiteral("Описание объекта изменено"));
    setModal(true);

    auto *lblConflict = new QLabel(explanation(theirs), this);
    lblConflict->setObjectName(QStringLiteral("lblConflict"));
    lblConflict->setWordWrap(true);

    tblConflict = new QTableWidget(3, 2, this);
    tblConflict->setObjectName(QStringLiteral("tblConflict"));
    tblConflict->setAccessibleName(QStringLiteral("Ваше описание и описание в каталоге"));
    tblConflict->setHorizontalHeaderLabels(
        {QStringLiteral("Ваше описание"), QStringLiteral("В каталоге сейчас")});
    tblConflict->setVerticalHeaderLabels(
        {QStringLiteral("Название"), QStringLiteral("Адрес"), QStringLiteral("Заметки")});
    tblConflict->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblConflict->setWordWrap(true);
    tblConflict->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tblConflict->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    const QStringList left{mine.name, mine.address, mine.notes};
    const QStringList right{theirs.name, theirs.address, theirs.notes};
    for (int row = 0; row < 3; ++row) {
        auto *own = new QTableWidgetItem(left.at(row));
        auto *stored = new QTableWidgetItem(right.at(row));
        // What differs stands out.
        if (left.at(row) != right.at(row)) {
            QFont bold = own->font();
            bold.setBold(true);
            own->setFont(bold);
            stored->setFont(bold);
        }
        tblConflict->setItem(row, 0, own);
        tblConflict->setItem(row, 1, stored);
    }

    auto *buttons = new QDialogButtonBox(this);
    btnKeepMine = buttons->addButton(QStringLiteral("Оставить мое"), QDialogButtonBox::AcceptRole);
    btnKeepMine->setObjectName(QStringLiteral("btnKeepMine"));
    btnKeepMine->setToolTip(QStringLiteral("Записать ваше описание вместо сохраненного"));
    btnTakeTheirs =
        buttons->addButton(QStringLiteral("Взять из каталога"), QDialogButtonBox::AcceptRole);
    btnTakeTheirs->setObjectName(QStringLiteral("btnTakeTheirs"));
    btnTakeTheirs->setToolTip(QStringLiteral("Отказаться от ваших изменений и показать описание "
                                             "из каталога"));
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setText(QStringLiteral("Отмена"));
    cancel->setObjectName(QStringLiteral("btnConflictCancel"));
    // Enter loses nothing: it keeps the engineer's texts in the fields.
    cancel->setDefault(true);
    connect(btnKeepMine, &QPushButton::clicked, this, [this] {
        m_choice = Choice::KeepMine;
        accept();
    });
    connect(btnTakeTheirs, &QPushButton::clicked, this, [this] {
        m_choice = Choice::TakeTheirs;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblConflict);
    layout->addWidget(tblConflict, 1);
    layout->addWidget(buttons);
    resize(640, 320);
}

} // namespace sr5n
