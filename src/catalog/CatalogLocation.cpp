#include "catalog/CatalogLocation.h"

#include "catalog/PostgresUri.h"
#include "catalog/SharedCatalogStore.h"

namespace sr5n {

bool IsSharedCatalog(const QString &location)
{
    return PostgresUri::looksLikeOne(location.trimmed());
}

CatalogOpening OpenCatalog(const QString &location, const QString &localPath, CatalogCheck check)
{
    if (!IsSharedCatalog(location))
        return OpenSqliteCatalog(location, check);
    CatalogOpening opening;
    PostgresUri uri = PostgresUri::parse(location);
    if (!uri.isValid()) {
        opening.failure = uri.error();
        return opening;
    }
    // Opened even when the server is away: the local catalogue takes the
    // entries meanwhile, and the store says so in its notices.
    opening.store = std::make_unique<SharedCatalogStore>(std::move(uri), localPath);
    return opening;
}

} // namespace sr5n
