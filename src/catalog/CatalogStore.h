#pragma once

#include "catalog/CatalogTypes.h"
#include "common/Expected.h"

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
// A store that reaches its catalogue over a network: its state, the password
// it may ask for, and the entries that wait for it. A local file has none.
class CatalogLink
{
public:
    virtual ~CatalogLink() = default;

    virtual bool connected() const = 0;
    // Tries the server now (with this password, when given, for this run
    // only); on success sends what waits. True when connected.
    virtual bool connect(const QString &password = {}) = 0;
    // The question to put to the user when the server wants a password (or
    // refused the one given); empty when none is needed.
    virtual QString passwordQuestion() const = 0;
    // "Общий каталог ...: на связи" or why not, and what waits.
    virtual QString statusText() = 0;
    // Sends the entries kept here for the server; how many went now that
    // were made without it (what the user is told).
    virtual int sendWaiting() = 0;
    // The server's version of each entry the last sendWaiting() delivered.
    virtual QList<CatalogEntry> lastSent() const = 0;
    // The entries of the operation whose sending comes next (kept apart):
    // no news when they go.
    virtual void ownOperation(const QStringList &sources) = 0;
};

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
    // The network link of a store that has one.
    virtual CatalogLink *link() { return nullptr; }

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
    virtual Expected<QList<CatalogObject>> objects(const QString &search = QString(),
                                                   qsizetype first = 0, qsizetype count = -1) = 0;
    // How many objects objects(search) lists in all.
    virtual Expected<qsizetype> objectCount(const QString &search = QString()) = 0;
    virtual std::optional<CatalogObject> object(const QString &id) = 0;
    // An object's entries, oldest first.
    virtual Expected<QList<CatalogEntry>> timeline(const QString &objectId) = 0;
    // The object's latest write to a device (written, verified or not); none
    // when it was never written.
    virtual Expected<std::optional<CatalogEntry>> lastWrite(const QString &objectId) = 0;
    virtual std::optional<CatalogEntry> entry(const QString &id) = 0;
    // The .snc bytes stored under a hash.
    virtual std::optional<QByteArray> configuration(const QString &hash) = 0;
    // Entries marked as templates, by name.
    virtual Expected<QList<CatalogEntry>> templates() = 0;

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
