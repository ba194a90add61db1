// A configuration read back from the catalogue whose stored bytes are
// arbitrary (a damaged row, a database edited by hand): the catalogue gives
// back bytes whose hash is the one recorded, or refuses; what it gives is
// opened as the window opens a catalogue entry.
#include "FuzzSupport.h"

#include "catalog/CatalogTypes.h"
#include "catalog/SqliteCatalog.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"

#include <QDateTime>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace sr5n;

namespace {

// A catalogue with one entry, made once, and a second connection to it that
// damages the entry's stored bytes.
struct Catalogue {
    bool application = (fuzz::ensureApplication(), true);
    fuzz::Window window;
    // In memory where the system has a folder for it: a write per input.
    QTemporaryDir folder{QDir(QStringLiteral("/dev/shm")).exists()
                             ? QStringLiteral("/dev/shm/sr5n-fuzz-XXXXXX")
                             : QDir::temp().filePath(QStringLiteral("sr5n-fuzz-XXXXXX"))};
    CatalogOpening opening = OpenSqliteCatalog(folder.filePath(QStringLiteral("catalog.sqlite")));
    QString hash;
    QSqlDatabase damage;

    Catalogue()
    {
        QStringList data, commands;
        if (!opening.store || !BuildWriteRequests(window.context, data, commands))
            fuzz::fail("no catalogue to fuzz", opening.failure.toUtf8());
        NewCatalogEntry entry;
        entry.time = QDateTime::currentDateTimeUtc();
        entry.configuration = ConfigurationFileBytes(data, commands);
        entry.codes = QStringLiteral("0000 0000");
        const std::optional<CatalogEntry> recorded = opening.store->record(entry);
        if (!recorded)
            fuzz::fail("no entry to damage", opening.store->lastError().toUtf8());
        hash = recorded->hash;
        damage = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                           QStringLiteral("sr5n-fuzz-damage"));
        damage.setDatabaseName(folder.filePath(QStringLiteral("catalog.sqlite")));
        if (!damage.open())
            fuzz::fail("the catalogue does not open twice");
    }

    void store(const QByteArray &bytes)
    {
        QSqlQuery query(damage);
        query.prepare(
            QStringLiteral("UPDATE configurations SET bytes = ?, size = ? WHERE hash = ?"));
        query.addBindValue(bytes);
        query.addBindValue(bytes.size());
        query.addBindValue(hash);
        if (!query.exec())
            fuzz::fail("the stored bytes cannot be changed");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Catalogue catalogue;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    catalogue.store(bytes);
    const std::optional<QByteArray> read = catalogue.opening.store->configuration(catalogue.hash);
    if (!read) {
        if (ContentHash(bytes) == catalogue.hash)
            fuzz::fail("a whole configuration is refused",
                       catalogue.opening.store->lastError().toUtf8());
        return 0;
    }
    if (ContentHash(*read) != catalogue.hash)
        fuzz::fail("the catalogue gives bytes that are not the configuration recorded",
                   read->toHex());
    QStringList entries, commands;
    if (ReadConfigurationBytes(*read, entries, commands)) {
        if (DecodeAnswers(catalogue.window.context, entries, commands))
            catalogue.window.reset();
    }
    return 0;
}
