#pragma once

// What the catalogue's benchmarks share: a catalogue of objects with 5
// entries each (a read, a write, a verified write of the same configuration,
// then a changed one read twice), and opening the objects window, a search
// as the user types and recording one more entry, measured on it.

#include "app/Configurator.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include "ui/catalog/TfrmObjects.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace sr5n::bench {

// This thread's CPU time in milliseconds: on a shared machine the wall clock
// also counts the time other processes held the cores.
inline double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

inline double slowest(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

// "load average 1.00 0.90 0.80 on 2 cores"
inline void printLoad()
{
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("load average %.2f %.2f %.2f on %d cores\n", load[0], load[1], load[2],
                QThread::idealThreadCount());
}

// A whole configuration's request list as a file holds it, with the object
// numbers and a phone number of its own in the block that carries them.
struct Variant {
    QStringList data, commands;

    // False (said why) when the program's data makes no configuration.
    bool make(Configurator &app)
    {
        if (BuildWriteRequests(app.blockContext(), data, commands))
            return true;
        std::fprintf(stderr, "no configuration to record\n");
        return false;
    }
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

// Records `objects` objects of 5 entries each, 1,000 entries a transaction;
// every 500th object gets a name and an address when `describe` is set.
// False (said why) on failure.
inline bool fillCatalog(CatalogStore &store, const Variant &variant, int objects, bool describe)
{
    const CatalogOperation operations[] = {CatalogOperation::Read, CatalogOperation::Written,
                                           CatalogOperation::VerifiedWrite, CatalogOperation::Read,
                                           CatalogOperation::Read};
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
    QList<NewCatalogEntry> batch;
    for (int object = 0; object < objects; ++object) {
        const QByteArray first = variant.bytes(object, 0);
        const QByteArray second = variant.bytes(object, 1);
        const QString phone = QStringLiteral("8495%1").arg(object, 7, 10, QLatin1Char('0'));
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
            entry.phones = phone;
            batch.append(entry);
        }
        if (batch.size() >= 1000 || object == objects - 1) {
            if (!store.recordAll(batch)) {
                std::fprintf(stderr, "%s\n", qPrintable(store.lastError()));
                return false;
            }
            batch.clear();
        }
        if (describe && object % 500 == 499)
            store.describeObject(store.objects(phone).value(0).id,
                                 QStringLiteral("Объект № %1").arg(object),
                                 QStringLiteral("ул. Садовая, %1").arg(object), QString());
    }
    return true;
}

// Times in milliseconds, wall clock and this thread's CPU.
struct WindowFigures {
    QList<double> opening, openingCpu, making, listing;
    QList<double> typing, typingCpu;
    QList<double> recording, recordingCpu;
};

// Opening the objects window (made and listed, then shown) five times; the
// texts typed into its search, three rounds; 20 more entries recorded, as
// after reads of objects numbered from `firstNew` on.
inline WindowFigures measureWindow(Configurator &app, const Variant &variant, int firstNew,
                                   const QStringList &typed)
{
    WindowFigures f;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        // The main window makes its objects window once; the time of making
        // it is shown apart.
        TfrmObjects window(app);
        f.making << timer.nsecsElapsed() / 1e6;
        window.refresh();
        f.listing << timer.nsecsElapsed() / 1e6 - f.making.constLast();
        window.show();
        QApplication::processEvents();
        f.opening << timer.nsecsElapsed() / 1e6;
        f.openingCpu << cpuMs() - cpu;
        window.hide();
    }

    TfrmObjects window(app);
    window.refresh();
    window.show();
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("edtObjectsSearch"));
    for (int round = 0; round < 3; ++round) {
        for (const QString &text : typed) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = cpuMs();
            search->setText(text);
            QApplication::processEvents();
            f.typing << timer.nsecsElapsed() / 1e6;
            f.typingCpu << cpuMs() - cpu;
        }
    }

    for (int i = 0; i < 20; ++i) {
        const QByteArray bytes = variant.bytes(firstNew + i, 0);
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        if (!app.objects().recordFile(CatalogOperation::Read, QStringLiteral("/dev/ttyUSB0"), bytes,
                                      QString()))
            std::fprintf(stderr, "%s\n", qPrintable(app.objects().failure()));
        f.recording << timer.nsecsElapsed() / 1e6;
        f.recordingCpu << cpuMs() - cpu;
    }
    return f;
}

} // namespace sr5n::bench
