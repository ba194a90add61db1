#pragma once

#include "catalog/CatalogTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

// Where the catalogue of objects is kept. Every change is one transaction:
// an entry is recorded whole (its configuration, its object, the entry) or
// not at all. Identities are UUID texts and configurations are keyed by the
// SHA-256 of their bytes, so entries recorded by many processes, or copied
// later into a shared server, never collide and are never stored twice.
//
// Back ends. SqlCatalogStore implements this over Qt SQL for any database;
// what differs between databases (column types, upsert, pragmas, the opening
// transaction, how a newer schema is detected) is a SqlDialect, and the
// schema's migrations (CatalogSchema) are written once against it. A second
// back end is a SqlDialect subclass plus a function that opens its
// QSqlDatabase and hands both to SqlCatalogStore, as OpenSqliteCatalog does
// for SQLite; nothing above this interface knows which database it talks to.
class CatalogStore
{
public:
    virtual ~CatalogStore() = default;

    // The database as the user names it (a file path, a server URI).
    virtual QString location() const = 0;
    // True when the store takes no changes (a newer program's database).
    virtual bool isReadOnly() const = 0;
    // What went wrong with the last call that failed.
    virtual QString lastError() const = 0;
    // What the user is told once that happened since the last call (a server
    // lost, entries sent); emptied by the call.
    virtual QStringList takeNotices() { return {}; }

    // Records an entry: stores its configuration unless stored already, finds
    // its object (entry.objectId, else the object whose numbers match, else a
    // new one) and adds the entry. An entry with a source already recorded
    // is not recorded again: that entry is returned.
    virtual std::optional<CatalogEntry> record(const NewCatalogEntry &entry) = 0;
    // Records several entries in one transaction: all of them or none.
    virtual std::optional<QList<CatalogEntry>> recordAll(const QList<NewCatalogEntry> &entries) = 0;

    // Objects (not merged into another), the latest entry first; with a
    // search text, those whose numbers, name, address, notes or phone numbers
    // contain every word of it (letter case ignored). `count` of them from
    // `first` on (a negative count: all), so that a list shows a page at once.
    virtual QList<CatalogObject> objects(const QString &search = QString(), qsizetype first = 0,
                                         qsizetype count = -1) = 0;
    // How many objects objects(search) lists in all.
    virtual std::optional<qsizetype> objectCount(const QString &search = QString()) = 0;
    virtual std::optional<CatalogObject> object(const QString &id) = 0;
    // An object's entries, oldest first.
    virtual QList<CatalogEntry> timeline(const QString &objectId) = 0;
    virtual std::optional<CatalogEntry> entry(const QString &id) = 0;
    // The .snc bytes stored under a hash.
    virtual std::optional<QByteArray> configuration(const QString &hash) = 0;
    // Entries marked as templates, by name.
    virtual QList<CatalogEntry> templates() = 0;

    // What the engineer edits about an object.
    virtual bool describeObject(const QString &id, const QString &name, const QString &address,
                                const QString &notes) = 0;
    // The same, written only when the object still has the name, address and
    // notes of `seen`: many engineers may edit one object at once.
    virtual ObjectEdit editObject(const CatalogObject &seen, const QString &name,
                                  const QString &address, const QString &notes) = 0;
    // Moves every entry of `from` to `into`; `from` then points to `into`
    // and a configuration with its numbers joins `into`.
    virtual bool mergeObjects(const QString &into, const QString &from) = 0;
    virtual bool moveEntry(const QString &entryId, const QString &objectId) = 0;
    // Marks an entry as a template under a name; an empty name unmarks it.
    virtual bool setTemplate(const QString &entryId, const QString &name) = 0;

    // Values the catalogue keeps about itself ("history-imported").
    virtual std::optional<QString> value(const QString &key) = 0;
    virtual bool setValue(const QString &key, const QString &value) = 0;
};

} // namespace sr5n
