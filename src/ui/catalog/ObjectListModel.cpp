#include "ui/catalog/ObjectListModel.h"

namespace sr5n {

void ObjectListModel::list(QList<CatalogObject> shown, qsizetype total, qsizetype asked,
                           Fetch fetch)
{
    beginResetModel();
    ++m_generation;
    m_fetching = false;
    m_fetch = std::move(fetch);
    m_objects = std::move(shown);
    m_total = qMax<qsizetype>(total, 0);
    // Others may have changed the catalogue since it was counted.
    if (m_objects.size() < asked)
        m_total = m_objects.size();
    m_total = qMax(m_total, m_objects.size());
    endResetModel();
}

bool ObjectListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_fetching && m_fetch && m_objects.size() < m_total;
}

void ObjectListModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    m_fetching = true;
    const quint64 generation = m_generation;
    m_fetch(m_objects.size(), kPage, [this, generation](Expected<QList<CatalogObject>> more) {
        // A page of a list since listed anew is no longer wanted.
        if (generation != m_generation)
            return;
        m_fetching = false;
        if (!more) {
            m_total = m_objects.size();
            emit fetchFailed(more.reason());
            return;
        }
        append(*more, kPage);
    });
}

void ObjectListModel::append(const QList<CatalogObject> &more, qsizetype count)
{
    if (more.size() < count)
        m_total = m_objects.size() + more.size();
    if (more.isEmpty())
        return;
    const int first = static_cast<int>(m_objects.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(more.size()) - 1);
    m_objects.append(more);
    endInsertRows();
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
    if (role == IdRole)
        return object.id;
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
