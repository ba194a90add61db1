#pragma once

#include "catalog/CatalogTypes.h"
#include "common/Expected.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>

namespace sr5n {

// The objects of the catalogue as the list of the objects window shows
// them: numbers, name, address, the last operation and its date. A catalogue
// of thousands is listed a page at a time, the next page fetched as the view
// scrolls to the end of what it has: asked of the catalogue's thread, added
// when it comes.
class ObjectListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Codes, Name, Address, LastOperation, LastTime, ColumnCount };
    // The role under which every cell of a row gives its object's id.
    static constexpr int IdRole = Qt::UserRole;
    // Objects a page asks for.
    static constexpr qsizetype kPage = 200;
    // Asks for `count` objects of the list from `first` on; `done` takes them.
    using Done = std::function<void(Expected<QList<CatalogObject>>)>;
    using Fetch = std::function<void(qsizetype first, qsizetype count, Done done)>;

    using QAbstractTableModel::QAbstractTableModel;

    // Lists anew `shown`, the first of `total` objects; `fetch` gives the
    // rest as the view scrolls. Fewer than asked (`asked`) end the list.
    void list(QList<CatalogObject> shown, qsizetype total, qsizetype asked, Fetch fetch);
    void clear() { list({}, 0, 0, {}); }
    // What is listed so far.
    const QList<CatalogObject> &objects() const { return m_objects; }
    // A page asked for and not come yet.
    bool fetching() const { return m_fetching; }
    // How many the list holds in all.
    qsizetype total() const { return m_total; }
    // The row of an object, -1 when it is not listed.
    int rowOf(const QString &id) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // A time as the window shows it: local, "14.03.2025 09:30:05".
    static QString timeText(const QDateTime &time);

signals:
    // A page could not be fetched: the list ends where it is.
    void fetchFailed(const QString &reason);

private:
    // Appends up to `count` more objects; fewer than asked end the list.
    void append(const QList<CatalogObject> &more, qsizetype count);

    Fetch m_fetch;
    bool m_fetching = false;
    quint64 m_generation = 0;
    QList<CatalogObject> m_objects;
    qsizetype m_total = 0;
};

} // namespace sr5n
