#pragma once

#include "catalog/CatalogTypes.h"

#include <QAbstractTableModel>
#include <QList>

namespace sr5n {

// The objects of the catalogue as the list of the objects window shows
// them: numbers, name, address, the last operation and its date.
class ObjectListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Codes, Name, Address, LastOperation, LastTime, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setObjects(QList<CatalogObject> objects);
    const QList<CatalogObject> &objects() const { return m_objects; }
    // The row of an object, -1 when it is not listed.
    int rowOf(const QString &id) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A time as the window shows it: local, "14.03.2025 09:30:05".
    static QString timeText(const QDateTime &time);

private:
    QList<CatalogObject> m_objects;
};

} // namespace sr5n
