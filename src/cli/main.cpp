#include "cli/CliMain.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // The link waits in nested event loops: an application object, no window.
    QCoreApplication app(argc, argv);
    return sr5n::RunCommandLine(QCoreApplication::arguments(), sr5n::LinkTimings());
}
