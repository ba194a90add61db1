#pragma once

#include "catalog/CatalogStore.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace sr5n {

// What opening a catalogue gave: the store (none when it could not be
// opened: `failure` says why) and what the user is told once (a damaged file
// kept aside, a newer program's file opened read-only).
struct CatalogOpening {
    std::unique_ptr<CatalogStore> store;
    QStringList notices;
    QString failure; // the whole message
    QString reason;  // what went wrong, for messages of their own
};

// Opens the SQLite catalogue at `path`, creating it and its folder when
// missing, and brings its schema up to date. A file that fails its integrity
// check is kept beside under a new name and a new catalogue is made of what
// can be read of it; a file of a newer schema is opened read-only.
// `check`: the integrity check now; skipped (the caller runs
// CheckSqliteCatalog apart); or found failed apart (the file is kept aside and
// a new catalogue made of it at once).
enum class CatalogCheck { Now, Apart, FoundDamaged };
CatalogOpening OpenSqliteCatalog(const QString &path, CatalogCheck check = CatalogCheck::Now);

// The integrity check on a connection of its own, so that it may run on any
// thread: `damaged` when the file fails it.
struct CatalogIntegrity {
    bool damaged = false;
    QString problem;
};
CatalogIntegrity CheckSqliteCatalog(const QString &path);

// "catalog.sqlite" in the user's data folder of the program.
QString DefaultCatalogPath();

// The messages of opening a catalogue.
QString CatalogDamagedMessage(const QString &path, const QString &keptAs);
QString CatalogNewerMessage(const QString &path);
QString CatalogOpenFailure(const QString &path, const QString &reason);

} // namespace sr5n
