#pragma once

#include <QString>
#include <QStringList>

namespace sr5n {

class CatalogStore;

// Takes the configurations that earlier versions kept in a history folder
// into the catalogue: every file in it (and in its sub-folders) that ends in
// ".snc" or reads as a configuration file, whatever its name, byte for byte.
// Files named in the history's own form ("2025-03-14_09-30-05_read_ttyUSB0_
// 1234_0567.snc") give their time, operation and port; others are imported
// at their modification time. Each file is taken once (its path is the
// entry's source), so a run cut short is finished by the next. The folder is
// only read, never changed.
class HistoryImport final
{
public:
    struct Result {
        int found = 0;        // files that are entries
        int recorded = 0;     // of them in the catalogue now (taken now or before)
        QStringList failures; // files that could not be read or recorded
    };

    static Result run(CatalogStore &store, const QString &folder);
    // "history" in the program's folder of the user's data folder.
    static QString defaultFolder();
};

} // namespace sr5n
