// sr5n-cli as shipped, but with the link's short waits of the tests.
#include "cli/CliMain.h"
#include "common/SimProcess.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return sr5n::RunCommandLine(QCoreApplication::arguments(), sr5n::test::ShortLinkTimings());
}
