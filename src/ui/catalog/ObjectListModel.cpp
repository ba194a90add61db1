#include "ui/catalog/ObjectListModel.h"

namespace sr5n {

void ObjectListModel::setObjects(QList<CatalogObject> objects)
{
    beginResetModel();
    m_objects = std::move(objects);
    endResetModel();
}

int ObjectListModel::rowOf(const QString &id) const
{
    for (qsizetype row = 0; row < m_objects.size(); ++row)
        if (m_objects.at(row).id == id)
            return static_cast<int>(row);
    return -1;
}

int ObjectListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_objects.size());
}

int ObjectListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ObjectListModel::timeText(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(u"dd.MM.yyyy HH:mm:ss") : QString();
}

QVariant ObjectListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_objects.size())
        return {};
    const CatalogObject &object = m_objects.at(index.row());
    if (role == Qt::ToolTipRole && index.column() == Name && !object.notes.isEmpty())
        return object.notes;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Codes:
        return object.codes;
    case Name:
        return object.name;
    case Address:
        return object.address;
    case LastOperation:
        return object.lastOperation ? OperationText(*object.lastOperation) : QString();
    case LastTime:
        return timeText(object.lastTime);
    default:
        return {};
    }
}

QVariant ObjectListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Codes:
        return QStringLiteral("Номера объекта");
    case Name:
        return QStringLiteral("Название");
    case Address:
        return QStringLiteral("Адрес");
    case LastOperation:
        return QStringLiteral("Последняя операция");
    case LastTime:
        return QStringLiteral("Дата");
    default:
        return {};
    }
}

} // namespace sr5n
