#pragma once

#include "catalog/SqliteCatalog.h"

#include <QString>

namespace sr5n {

// Opens the catalogue the user chose: a PostgreSQL URI ("postgresql://...")
// gives the team's shared catalogue, which keeps what it cannot send in the
// local catalogue at `localPath`; anything else is the path of a SQLite file,
// its integrity checked as `check` says.
CatalogOpening OpenCatalog(const QString &location, const QString &localPath = DefaultCatalogPath(),
                           CatalogCheck check = CatalogCheck::Now);

// True when the location names a server rather than a file.
bool IsSharedCatalog(const QString &location);

} // namespace sr5n
