// sr5n-startup-probe: the configurator's start-up as its main runs it (the
// application object, the domain, the windows, the main window shown),
// printing the time of each step and of the main window's first paint, then
// ending. Started by sr5n-startup-benchmark.

#include "FirstPaint.h"

#include "app/Configurator.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    sr5n::ConfiguratorApplication app(argc, argv);
    const qint64 application = clock.nsecsElapsed();
    sr5n::Configurator configurator(QCoreApplication::applicationDirPath());
    configurator.useCatalogLocation(configurator.settings().catalogLocation());
    const qint64 domain = clock.nsecsElapsed();
    sr5n::Windows windows(configurator);
    app.setNotifier(&configurator.notifier());
    sr5n::FirstPaint paint(windows.main(), clock);
    paint.mark("application", application);
    paint.mark("domain", domain);
    paint.mark("windows");
    sr5n::showMainWindow(windows);
    paint.mark("shown");
    const int status = app.exec();
    app.setNotifier(nullptr);
    return status;
}
