// Records entries into a catalogue, as another configurator would, for the
// tests of several processes at once and of a process killed while writing.
// Usage: sr5n-test-catalog-writer CATALOG COUNT TAG (COUNT 0: until killed)
#include "CatalogFixture.h"

#include "catalog/ObjectCatalog.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4)
        return 2;
    sr5n::ObjectCatalog catalog(arguments[1]);
    const int count = arguments[2].toInt();
    const QString tag = arguments[3];
    for (int i = 0; count == 0 || i < count; ++i) {
        sr5n::test::SampleConfiguration sample;
        sample.object1 = tag;
        // A configuration of its own for each entry, so none is shared.
        sample.phone = QStringLiteral("8%1%2").arg(tag).arg(i, 6, 10, QLatin1Char('0'));
        const QByteArray bytes = sample.bytes();
        if (!catalog.recordFile(sr5n::CatalogOperation::Read, tag, bytes, QString::number(i))) {
            std::fprintf(stderr, "%s\n", qPrintable(catalog.failure()));
            return 1;
        }
        if (i == 0) {
            std::printf("recording\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
