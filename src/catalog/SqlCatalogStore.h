#pragma once

#include "catalog/CatalogStore.h"
#include "catalog/SqlDialect.h"

#include <QSqlDatabase>

#include <QVariant>

#include <functional>
#include <map>
#include <memory>

class QSqlQuery;

namespace sr5n {

// The catalogue over a Qt SQL connection; the dialect says how this database
// differs from others. The connection is opened, brought up to date by the
// schema and checked by whoever creates the store (OpenSqliteCatalog), and
// closed and removed with the store.
class SqlCatalogStore final : public CatalogStore
{
public:
    SqlCatalogStore(const QString &connectionName, std::unique_ptr<SqlDialect> dialect,
                    QString location, bool readOnly);
    ~SqlCatalogStore() override;

    SqlCatalogStore(const SqlCatalogStore &) = delete;
    SqlCatalogStore &operator=(const SqlCatalogStore &) = delete;

    QString location() const override { return m_location; }
    bool isReadOnly() const override { return m_readOnly; }
    QString lastError() const override { return m_lastError; }

    std::optional<CatalogEntry> record(const NewCatalogEntry &entry) override;
    std::optional<QList<CatalogEntry>> recordAll(const QList<NewCatalogEntry> &entries) override;
    QList<CatalogObject> objects(const QString &search = QString(), qsizetype first = 0,
                                 qsizetype count = -1) override;
    std::optional<qsizetype> objectCount(const QString &search = QString()) override;
    std::optional<CatalogObject> object(const QString &id) override;
    QList<CatalogEntry> timeline(const QString &objectId) override;
    std::optional<CatalogEntry> entry(const QString &id) override;
    std::optional<QByteArray> configuration(const QString &hash) override;
    QList<CatalogEntry> templates() override;
    bool describeObject(const QString &id, const QString &name, const QString &address,
                        const QString &notes) override;
    ObjectEdit editObject(const CatalogObject &seen, const QString &name, const QString &address,
                          const QString &notes) override;
    bool mergeObjects(const QString &into, const QString &from) override;
    bool moveEntry(const QString &entryId, const QString &objectId) override;
    bool setTemplate(const QString &entryId, const QString &name) override;
    std::optional<QString> value(const QString &key) override;
    bool setValue(const QString &key, const QString &value) override;

    // Copies what can be read of another catalogue of the same schema
    // (a damaged one) into this one; rows that fail to read are skipped.
    // The number of entries copied.
    int salvageFrom(QSqlDatabase &other);

    // A time as it is stored, and back.
    static QString timeText(const QDateTime &time);
    static QDateTime timeFrom(const QVariant &value);

private:
    bool begin();
    bool commit();
    // Holds the object of `key` (its numbers or its id) until the transaction ends.
    bool lockObject(const QString &key);
    void rollback();
    // Runs a statement with its values bound in order. Each statement is
    // prepared once on the connection and kept, so that a server parses it
    // once. The query to read from, or null (and why in lastError()).
    QSqlQuery *run(const QString &sql, const QVariantList &values);
    // A statement that returns no rows; how many rows it changed in `affected`.
    bool execute(const QString &sql, const QVariantList &values, int *affected = nullptr);
    // A statement whose rows go to `row` one by one.
    bool select(const QString &sql, const QVariantList &values,
                const std::function<void(const QSqlQuery &)> &row);
    bool fail(const QString &error);
    bool refuseReadOnly();
    // record() inside a transaction already open.
    std::optional<CatalogEntry> add(const NewCatalogEntry &entry);
    // Writes an object's texts, who and when, in the open transaction.
    bool writeDescription(const QString &id, const QString &name, const QString &address,
                          const QString &notes);
    // The object a configuration with these numbers joins: the oldest one with
    // them, followed through merges; empty when none.
    std::optional<QString> objectWithCodes(const QString &codes);
    std::optional<QString> followMerges(QString id);
    // Makes `entryId` the object's latest entry when it is newer than the
    // latest, with its numbers and phone numbers.
    bool refreshObject(const QString &objectId);
    // "SELECT `what` FROM objects WHERE ..." of the objects a search finds,
    // its values added to `values`.
    static QString objectsWhere(const QString &what, const QString &search, QVariantList &values);
    // The entries of "... WHERE `condition`" (with an ORDER BY, if any).
    QList<CatalogEntry> entriesWhere(const QString &condition, const QVariantList &values);
    CatalogEntry entryFrom(const QSqlQuery &query) const;
    CatalogObject objectFrom(const QSqlQuery &query) const;

    QString m_connectionName;
    QSqlDatabase m_db;
    std::unique_ptr<SqlDialect> m_dialect;
    QString m_location;
    bool m_readOnly = false;
    QString m_lastError;
    // The statements prepared on the connection, by their text.
    std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
};

} // namespace sr5n
