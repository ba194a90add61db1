// The catalogue of objects on each back end, measured in one run: the same
// objects and entries in a SQLite file and on a PostgreSQL server of this
// run (started from the tests' throwaway server, over its Unix socket), then
// opening the objects window, one keystroke of a search and recording an
// entry, each as a median and as the ratio PostgreSQL / SQLite. Run:
// QT_QPA_PLATFORM=offscreen sr5n-catalog-backends-benchmark [OBJECTS]
// (2,000 objects with 5 entries each by default; 10000 is the size of the
// catalogue's own benchmark).
#include "CatalogBench.h"
#include "common/PgServer.h"
#include "common/TcpProxy.h"

#include <QTemporaryDir>

using namespace sr5n;
using namespace sr5n::bench;

namespace {

struct Figures {
    double opening = 0, openingBusy = 0;
    double burst = 0, burstBusy = 0;
    double recording = 0, recordingBusy = 0, statements = 0;
};

// Fills the catalogue of `app` (unless `filled`) and measures it; false
// (said why) on failure.
bool measure(Configurator &app, int objects, Figures &figures, bool filled = false)
{
    Variant variant;
    if (!variant.make(app) || (!filled && !fillCatalog(app, variant, objects, false)))
        return false;
    const WindowFigures f =
        measureWindow(app, variant, objects,
                      {QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("123"),
                       QStringLiteral("1234"), QStringLiteral("84950001")});
    figures = {median(f.opening),    slowest(f.openingBusy), median(f.burst),
               slowest(f.burstBusy), median(f.recording),    slowest(f.recordingBusy),
               median(f.statements)};
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
    const QString database = server.createDatabase();
    {
        Configurator app(QCoreApplication::applicationDirPath());
        app.load();
        app.setCatalog(server.socketUri(QString::fromLatin1(test::PgServer::Engineer), database),
                       QString(), folder.filePath(QStringLiteral("outbox.sqlite")));
        if (!measure(app, objects, postgres))
            return 1;
    }
    // The same catalogue across a network: 25 ms each way (a 50 ms round trip).
    Figures distant;
    {
        test::TcpProxy proxy(server.port(), 25);
        if (!proxy.started()) {
            std::fprintf(stderr, "%s\n", qPrintable(proxy.error()));
            return 1;
        }
        qputenv("PGPASSWORD", test::PgServer::EngineerPassword);
        Configurator app(QCoreApplication::applicationDirPath());
        app.load();
        app.setCatalog(QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
                           .arg(QString::fromLatin1(test::PgServer::Engineer))
                           .arg(proxy.port())
                           .arg(database),
                       QString(), folder.filePath(QStringLiteral("outbox-distant.sqlite")));
        if (!measure(app, objects, distant, true))
            return 1;
    }

    printLoad();
    std::printf("%d objects x 5 entries; ms (medians, and the longest busy stretch of the "
                "window's thread): SQLite, PostgreSQL (Unix socket), ratio, PostgreSQL across "
                "a 50 ms round trip\n",
                objects);
    const auto line = [](const char *what, double a, double b, double c) {
        std::printf("%-42s %8.1f %8.1f %6.2f %8.1f\n", what, a, b, a > 0 ? b / a : 0.0, c);
    };
    line("opening the objects window, until listed", sqlite.opening, postgres.opening,
         distant.opening);
    line("  the window's thread busy at most", sqlite.openingBusy, postgres.openingBusy,
         distant.openingBusy);
    line("search burst, until listed", sqlite.burst, postgres.burst, distant.burst);
    line("  the window's thread busy at most", sqlite.burstBusy, postgres.burstBusy,
         distant.burstBusy);
    line("recording an entry, until answered", sqlite.recording, postgres.recording,
         distant.recording);
    line("  the window's thread busy at most", sqlite.recordingBusy, postgres.recordingBusy,
         distant.recordingBusy);
    line("  statements of a recording (both stores)", sqlite.statements, postgres.statements,
         distant.statements);
    return 0;
}
