// Records entries into a catalogue, as another configurator would, for the
// tests of several processes at once and of a process killed while writing.
// Usage: sr5n-test-catalog-writer CATALOG COUNT TAG [FILE-SIZE-LIMIT]
// (COUNT 0: until killed or failed). With a limit on the size of the files
// it writes, the disk is full for it past that size; it then tells on
// standard output how many entries it recorded.
#include "CatalogFixture.h"

#include "catalog/ObjectCatalog.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4 && arguments.size() != 5)
        return 2;
    if (arguments.size() == 5) {
        // A write past the limit then fails with EFBIG instead of killing.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{arguments[4].toULongLong(), arguments[4].toULongLong()};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
    }
    sr5n::ObjectCatalog catalog(arguments[1]);
    const int count = arguments[2].toInt();
    const QString tag = arguments[3];
    for (int i = 0; count == 0 || i < count; ++i) {
        sr5n::test::SampleConfiguration sample;
        sample.object1 = tag;
        // A configuration of its own for each entry, so none is shared.
        sample.phone = QStringLiteral("8%1%2").arg(tag).arg(i, 6, 10, QLatin1Char('0'));
        const QByteArray bytes = sample.bytes();
        const std::optional<sr5n::CatalogEntry> kept =
            catalog.recordFile(sr5n::CatalogOperation::Read, tag, bytes, QString::number(i));
        if (!kept) {
            std::printf("recorded %d\n", i);
            std::fprintf(stderr, "%s\n", qPrintable(catalog.failure()));
            return 1;
        }
        // A team's entry is kept locally first and sent on, as a device operation's is.
        catalog.sendOn(*kept);
        if (i == 0) {
            std::printf("recording\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
