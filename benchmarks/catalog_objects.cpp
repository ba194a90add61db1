// The catalogue of objects at the size of a large security company: 10,000
// objects with 5 entries each (a read, a write, a verified write of the same
// configuration, then a changed one read twice). Measures opening the
// objects window, a search as the user types, recording one more entry, and
// the file's size per entry. Run: QT_QPA_PLATFORM=offscreen
// sr5n-catalog-benchmark [FOLDER] (a temporary folder by default).
#include "app/Configurator.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include "ui/catalog/TfrmObjects.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace sr5n;

namespace {

constexpr int kObjects = 10000;

// This thread's CPU time in milliseconds: on a shared machine the wall clock
// also counts the time other processes held the cores.
double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// A whole configuration's request list as a file holds it, with the object
// numbers and a phone number of its own in the block that carries them.
struct Variant {
    QStringList data, commands;
    QByteArray bytes(int object, int change) const
    {
        QStringList changed = data;
        // Any data text will do: the store keeps bytes, the facts come apart.
        changed[0] = QStringLiteral("%1%2")
                         .arg(object, 8, 16, QLatin1Char('0'))
                         .arg(change, 4, 16, QLatin1Char('0')) +
                     changed[0].mid(12);
        return ConfigurationFileBytes(changed, commands);
    }
};

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
    if (!BuildWriteRequests(app.blockContext(), variant.data, variant.commands)) {
        std::fprintf(stderr, "no configuration to record\n");
        return 1;
    }
    CatalogStore *store = app.objects().store();
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(app.objects().failure()));
        return 1;
    }

    QElapsedTimer filling;
    filling.start();
    if (!made) {
        const CatalogOperation operations[] = {CatalogOperation::Read, CatalogOperation::Written,
                                               CatalogOperation::VerifiedWrite,
                                               CatalogOperation::Read, CatalogOperation::Read};
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
        QList<NewCatalogEntry> batch;
        for (int object = 0; object < kObjects; ++object) {
            const QByteArray first = variant.bytes(object, 0);
            const QByteArray second = variant.bytes(object, 1);
            for (int i = 0; i < 5; ++i) {
                NewCatalogEntry entry;
                entry.time = start.addSecs(object * 60 + i * 3600 * 24 * 30);
                entry.operation = operations[i];
                entry.port = QStringLiteral("/dev/ttyUSB0");
                entry.user = QStringLiteral("engineer");
                entry.version = QStringLiteral(SR5N_VERSION);
                entry.configuration = i < 3 ? first : second;
                entry.codes = QStringLiteral("%1 %2")
                                  .arg(object % 10000, 4, 10, QLatin1Char('0'))
                                  .arg((object * 7) % 10000, 4, 10, QLatin1Char('0'));
                entry.phones = QStringLiteral("8495%1").arg(object, 7, 10, QLatin1Char('0'));
                batch.append(entry);
            }
            if (batch.size() >= 1000 || object == kObjects - 1) {
                if (!store->recordAll(batch)) {
                    std::fprintf(stderr, "%s\n", qPrintable(store->lastError()));
                    return 1;
                }
                batch.clear();
            }
            if (object % 500 == 499)
                store->describeObject(
                    store->objects(QStringLiteral("8495%1").arg(object, 7, 10, QLatin1Char('0')))
                        .value(0)
                        .id,
                    QStringLiteral("Объект № %1").arg(object),
                    QStringLiteral("ул. Садовая, %1").arg(object), QString());
        }
        std::printf("catalogue of %d objects x 5 entries made in %.1f s\n", kObjects,
                    filling.elapsed() / 1000.0);
    }

    // Opening the window: the list filled and shown.
    // The main window makes its objects window once; the time of making it
    // is shown apart.
    QList<double> opening, openingCpu, making, listing;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        TfrmObjects window(app);
        making << timer.nsecsElapsed() / 1e6;
        window.refresh();
        listing << timer.nsecsElapsed() / 1e6 - making.constLast();
        window.show();
        QApplication::processEvents();
        opening << timer.nsecsElapsed() / 1e6;
        openingCpu << cpuMs() - cpu;
        window.hide();
    }

    // A search as the user types "1", "12", "123", "1234", then a name.
    TfrmObjects window(app);
    window.refresh();
    window.show();
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("edtObjectsSearch"));
    QList<double> typing, typingCpu;
    for (int round = 0; round < 3; ++round) {
        for (const QString &text :
             {QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("123"),
              QStringLiteral("1234"), QStringLiteral("садовая 45")}) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = cpuMs();
            search->setText(text);
            QApplication::processEvents();
            typing << timer.nsecsElapsed() / 1e6;
            typingCpu << cpuMs() - cpu;
        }
    }

    // Recording one more entry, as after a read.
    QList<double> recording, recordingCpu;
    for (int i = 0; i < 20; ++i) {
        const QByteArray bytes = variant.bytes(kObjects + i, 0);
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        if (!app.objects().recordFile(CatalogOperation::Read, QStringLiteral("/dev/ttyUSB0"), bytes,
                                      QString()))
            std::fprintf(stderr, "%s\n", qPrintable(app.objects().failure()));
        recording << timer.nsecsElapsed() / 1e6;
        recordingCpu << cpuMs() - cpu;
    }

    // The file's size with the write-ahead log folded in.
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    const qint64 entries = qint64(kObjects) * 5 + recording.size();
    const qint64 size = QFileInfo(path).size();
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("load average %.2f %.2f %.2f on %d cores\n", load[0], load[1], load[2],
                QThread::idealThreadCount());
    std::printf("opening the objects window (10,000 objects, the first page listed): median "
                "%.1f ms (CPU %.1f ms), of which making the window %.1f ms, listing %.1f ms\n",
                median(opening), median(openingCpu), median(making), median(listing));
    std::printf("search as you type (one keystroke): median %.1f ms (CPU %.1f ms), slowest "
                "%.1f ms\n",
                median(typing), median(typingCpu),
                *std::max_element(typing.cbegin(), typing.cend()));
    std::printf("recording an entry: median %.1f ms (CPU %.1f ms), slowest %.1f ms\n",
                median(recording), median(recordingCpu),
                *std::max_element(recording.cbegin(), recording.cend()));
    std::printf("file: %.1f MB for %lld entries = %.0f bytes per entry (a .snc is %lld bytes; "
                "identical configurations stored once)\n",
                size / 1e6, static_cast<long long>(entries), double(size) / entries,
                static_cast<long long>(variant.bytes(0, 0).size()));
    return 0;
}
