#pragma once

// What the catalogue's benchmarks share: a catalogue of objects with 5
// entries each (a read, a write, a verified write of the same configuration,
// then a changed one read twice), and opening the objects window, a search
// as the user types and recording one more entry, measured on it: how long
// each takes until its answer is shown, and the longest time the window's
// thread went without handling an event meanwhile (the catalogue works on a
// thread of its own; the goal is under 50 ms).

#include "app/Configurator.h"
#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SqlCatalogStore.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include "ui/catalog/ObjectSearch.h"
#include "ui/catalog/TfrmObjects.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

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

// The longest time this thread went without handling an event: a timer due
// every millisecond notes the gaps between its turns while the loop runs.
class BusyMeter
{
public:
    BusyMeter()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { tick(); });
        m_clock.start();
        m_tick.start();
        m_last = m_clock.nsecsElapsed();
    }
    // The longest gap so far, in milliseconds; starts over.
    double take()
    {
        tick();
        return std::exchange(m_longest, 0.0);
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, (now - m_last) / 1e6);
        m_last = now;
    }

    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_longest = 0;
};

// Handles events until `done()` holds (at most a minute).
template <typename Done> void spinUntil(Done done)
{
    const QDeadlineTimer deadline(60000);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// Handles events for `ms`.
inline void spinFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
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
        if (describe && object % 500 == 499) {
            const Expected<QList<CatalogObject>> found = store.objects(phone);
            if (found && !found->isEmpty())
                store.describeObject(found->constFirst().id,
                                     QStringLiteral("Объект № %1").arg(object),
                                     QStringLiteral("ул. Садовая, %1").arg(object), QString());
        }
    }
    return true;
}

// Times in milliseconds: until the answer is shown, and the longest time the
// window's thread was busy meanwhile.
struct WindowFigures {
    QList<double> opening, openingBusy;
    QList<double> burst, burstBusy;
    QList<int> burstSearches; // searches sent for a burst of keystrokes
    QList<double> recording, recordingBusy;
    QList<double> statements; // statements a recording sent
};

// Opening the objects window (made, its first page asked for and shown)
// five times; each text typed a key every 60 ms (faster than the pause after
// typing), three rounds; 20 more entries recorded as after reads of objects
// numbered from `firstNew` on, each until its answer came.
inline WindowFigures measureWindow(Configurator &app, const Variant &variant, int firstNew,
                                   const QStringList &typed)
{
    WindowFigures f;
    BusyMeter busy;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        busy.take();
        TfrmObjects window(app);
        window.refresh();
        window.show();
        spinUntil([&] { return !window.busy(); });
        f.opening << timer.nsecsElapsed() / 1e6;
        f.openingBusy << busy.take();
        window.hide();
    }

    TfrmObjects window(app);
    window.refresh();
    window.show();
    spinUntil([&] { return !window.busy(); });
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("edtObjectsSearch"));
    for (int round = 0; round < 3; ++round) {
        for (const QString &text : typed) {
            search->clear();
            spinUntil([&] { return !window.busy(); });
            const int sent = window.objectSearch().sent();
            QElapsedTimer timer;
            timer.start();
            busy.take();
            for (qsizetype length = 1; length <= text.size(); ++length) {
                search->setText(text.left(length));
                spinFor(60);
            }
            spinUntil([&] { return !window.busy(); });
            f.burst << timer.nsecsElapsed() / 1e6;
            f.burstBusy << busy.take();
            f.burstSearches << window.objectSearch().sent() - sent;
        }
    }

    QObject context;
    for (int i = 0; i < 20; ++i) {
        NewCatalogEntry entry;
        entry.time = QDateTime::currentDateTimeUtc();
        entry.operation = CatalogOperation::Read;
        entry.port = QStringLiteral("/dev/ttyUSB0");
        entry.configuration = variant.bytes(firstNew + i, 0);
        entry.codes =
            QStringLiteral("%1 0000").arg((firstNew + i) % 10000, 4, 10, QLatin1Char('0'));
        const qint64 before = SqlCatalogStore::statementsRun();
        QElapsedTimer timer;
        timer.start();
        busy.take();
        bool answered = false;
        app.objects().record(entry, true, &context, [&answered](Expected<RecordedEntry> recorded) {
            if (!recorded)
                std::fprintf(stderr, "%s\n", qPrintable(recorded.reason()));
            answered = true;
        });
        spinUntil([&] { return answered; });
        f.recording << timer.nsecsElapsed() / 1e6;
        f.recordingBusy << busy.take();
        f.statements << double(SqlCatalogStore::statementsRun() - before);
    }
    return f;
}

// Fills the catalogue of `app` on the catalogue's thread; false (said why) on failure.
inline bool fillCatalog(Configurator &app, const Variant &variant, int objects, bool describe)
{
    const Expected<bool> filled =
        app.objects().await<bool>([&](ObjectCatalog &catalog) -> Expected<bool> {
            CatalogStore *store = catalog.store();
            if (!store)
                return Failure{catalog.failure()};
            return fillCatalog(*store, variant, objects, describe);
        });
    if (!filled && !filled.reason().isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(filled.reason()));
    return filled && *filled;
}

} // namespace sr5n::bench
