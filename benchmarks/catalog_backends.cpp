// The catalogue of objects on each back end, measured in one run: the same
// objects and entries in a SQLite file and on a PostgreSQL server of this
// run (started from the tests' throwaway server, over its Unix socket), then
// opening the objects window, one keystroke of a search and recording an
// entry, each as a median and as the ratio PostgreSQL / SQLite. Run:
// QT_QPA_PLATFORM=offscreen sr5n-catalog-backends-benchmark [OBJECTS]
// (2,000 objects with 5 entries each by default).
#include "app/Configurator.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "common/PgServer.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include "ui/catalog/TfrmObjects.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace sr5n;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

struct Figures {
    double opening = 0;
    double keystroke = 0;
    double recording = 0;
};

// Fills the catalogue of `app` and measures it; false (said why) on failure.
bool measure(Configurator &app, int objects, Figures &figures)
{
    QStringList data, commands;
    if (!BuildWriteRequests(app.blockContext(), data, commands)) {
        std::fprintf(stderr, "no configuration to record\n");
        return false;
    }
    const auto bytes = [&](int object, int change) {
        QStringList changed = data;
        changed[0] = QStringLiteral("%1%2")
                         .arg(object, 8, 16, QLatin1Char('0'))
                         .arg(change, 4, 16, QLatin1Char('0')) +
                     changed[0].mid(12);
        return ConfigurationFileBytes(changed, commands);
    };
    CatalogStore *store = app.objects().store();
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(app.objects().failure()));
        return false;
    }
    const CatalogOperation operations[] = {CatalogOperation::Read, CatalogOperation::Written,
                                           CatalogOperation::VerifiedWrite, CatalogOperation::Read,
                                           CatalogOperation::Read};
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
    QList<NewCatalogEntry> batch;
    for (int object = 0; object < objects; ++object) {
        const QByteArray first = bytes(object, 0);
        const QByteArray second = bytes(object, 1);
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
        if (batch.size() >= 1000 || object == objects - 1) {
            if (!store->recordAll(batch)) {
                std::fprintf(stderr, "%s\n", qPrintable(store->lastError()));
                return false;
            }
            batch.clear();
        }
    }

    QList<double> opening;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        TfrmObjects window(app);
        window.refresh();
        window.show();
        QApplication::processEvents();
        opening << timer.nsecsElapsed() / 1e6;
        window.hide();
    }

    TfrmObjects window(app);
    window.refresh();
    window.show();
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("edtObjectsSearch"));
    QList<double> typing;
    for (int round = 0; round < 3; ++round) {
        for (const QString &text :
             {QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("123"),
              QStringLiteral("1234"), QStringLiteral("84950001")}) {
            QElapsedTimer timer;
            timer.start();
            search->setText(text);
            QApplication::processEvents();
            typing << timer.nsecsElapsed() / 1e6;
        }
    }

    QList<double> recording;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!app.objects().recordFile(CatalogOperation::Read, QStringLiteral("/dev/ttyUSB0"),
                                      bytes(objects + i, 0), QString()))
            std::fprintf(stderr, "%s\n", qPrintable(app.objects().failure()));
        recording << timer.nsecsElapsed() / 1e6;
    }
    figures = {median(opening), median(typing), median(recording)};
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int objects = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 2000;
    QTemporaryDir folder;

    Figures sqlite;
    {
        Configurator app(QCoreApplication::applicationDirPath());
        app.load();
        app.setCatalog(folder.filePath(QStringLiteral("catalog.sqlite")), QString());
        if (!measure(app, objects, sqlite))
            return 1;
    }

    test::PgServer server;
    if (!server.running()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    Figures postgres;
    {
        Configurator app(QCoreApplication::applicationDirPath());
        app.load();
        app.setCatalog(server.socketUri(QString::fromLatin1(test::PgServer::Engineer),
                                        server.createDatabase()),
                       QString(), folder.filePath(QStringLiteral("outbox.sqlite")));
        if (!measure(app, objects, postgres))
            return 1;
    }

    std::printf("%d objects x 5 entries; medians in ms: SQLite, PostgreSQL (Unix socket), ratio\n",
                objects);
    const auto line = [](const char *what, double a, double b) {
        std::printf("%-34s %8.1f %8.1f %6.2f\n", what, a, b, a > 0 ? b / a : 0.0);
    };
    line("opening the objects window", sqlite.opening, postgres.opening);
    line("search as you type (a keystroke)", sqlite.keystroke, postgres.keystroke);
    line("recording an entry", sqlite.recording, postgres.recording);
    return 0;
}
