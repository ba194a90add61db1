// The catalogue of objects at the size of a large security company: 10,000
// objects with 5 entries each (a read, a write, a verified write of the same
// configuration, then a changed one read twice). Measures opening the
// objects window, a search as the user types, recording one more entry, and
// the file's size per entry, and the longest time the window's thread was
// busy during each. Run: QT_QPA_PLATFORM=offscreen
// sr5n-catalog-benchmark [FOLDER] (a temporary folder by default).
#include "CatalogBench.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace sr5n;
using namespace sr5n::bench;

namespace {

constexpr int kObjects = 10000;

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const QString path = folder + QStringLiteral("/catalog.sqlite");
    // A catalogue made by an earlier run is measured again as it is.
    const bool made = QFileInfo(path).size() > 100'000'000;

    Configurator app(QCoreApplication::applicationDirPath());
    app.load();
    app.setCatalog(path, QString());
    Variant variant;
    if (!variant.make(app))
        return 1;
    QElapsedTimer filling;
    filling.start();
    if (!made) {
        if (!fillCatalog(app, variant, kObjects, true))
            return 1;
        std::printf("catalogue of %d objects x 5 entries made in %.1f s\n", kObjects,
                    filling.elapsed() / 1000.0);
    }

    // A search as the user types "1", "12", "123", "1234", then a name.
    const WindowFigures f =
        measureWindow(app, variant, kObjects,
                      {QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("123"),
                       QStringLiteral("1234"), QStringLiteral("садовая 45")});

    // The file's size with the write-ahead log folded in.
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    const qint64 entries = qint64(kObjects) * 5 + f.recording.size();
    const qint64 size = QFileInfo(path).size();
    printLoad();
    std::printf("opening the objects window (10,000 objects, the first page listed): median "
                "%.1f ms until listed; the window's thread busy at most %.1f ms\n",
                median(f.opening), slowest(f.openingBusy));
    std::printf("search burst (a key every 60 ms, then the pause): median %.1f ms until listed; "
                "searches sent per burst: %.0f to %.0f; the window's thread busy at most %.1f "
                "ms\n",
                median(f.burst),
                *std::min_element(f.burstSearches.cbegin(), f.burstSearches.cend()) * 1.0,
                *std::max_element(f.burstSearches.cbegin(), f.burstSearches.cend()) * 1.0,
                slowest(f.burstBusy));
    std::printf("recording an entry (as after a read, with the object's last write found): "
                "median %.1f ms until answered, %.0f statements; the window's thread busy at "
                "most %.1f ms\n",
                median(f.recording), median(f.statements), slowest(f.recordingBusy));
    std::printf("file: %.1f MB for %lld entries = %.0f bytes per entry (a .snc is %lld bytes; "
                "identical configurations stored once)\n",
                size / 1e6, static_cast<long long>(entries), double(size) / entries,
                static_cast<long long>(variant.bytes(0, 0).size()));
    return 0;
}
