#include "ui/catalog/ObjectListWidgets.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

namespace sr5n {

QLineEdit *MakeObjectSearchField(QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setPlaceholderText(
        QStringLiteral("Номер объекта, название, адрес, заметки или номер телефона"));
    field->setClearButtonEnabled(true);
    field->setAccessibleName(QStringLiteral("Поиск объектов"));
    return field;
}

QTableView *MakeObjectTable(QAbstractItemModel *model, QWidget *parent)
{
    auto *table = new QTableView(parent);
    table->setAccessibleName(QStringLiteral("Объекты"));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace sr5n
