#pragma once

#include <QString>

namespace sr5n {

// What salvaging a damaged catalogue kept and lost, table by table.
struct SalvageCount {
    int saved = 0;
    int lost = 0;             // rows that could not be read
    bool tailUnknown = false; // the table's end could not be read: maybe more lost
};
struct CatalogSalvageResult {
    SalvageCount objects;
    SalvageCount entries;
    SalvageCount configurations;
    int objectsFromEntries = 0; // objects rebuilt from their entries' codes
    QString failure;            // empty unless the damaged file could not be opened at all
};

// Copies every row of the damaged SQLite catalogue at `damagedPath` that can
// still be read into the open catalogue of connection `target` (its schema
// made): row by row in rowid order, stepping over the rows of pages that do
// not read, so that one bad page loses only its own rows. Entries whose
// object was lost keep a bare object of their codes; entries whose
// configuration was lost are lost with it.
CatalogSalvageResult SalvageCatalog(const QString &damagedPath, const QString &target);

// The counts as the user is told them, one line.
QString SalvageSummary(const CatalogSalvageResult &result);

// Salvages into `target` and gives the summary: the one call of the rebuild.
QString SalvageCatalogAndTell(const QString &damagedPath, const QString &target);

} // namespace sr5n
