// sr5n-bare-window-probe: a bare Qt main window of the configurator's size,
// on Qt's widgets alone, printing the time of its first paint, then ending.
// The yardstick of sr5n-startup-benchmark and sr5n-idle-benchmark.

#include "FirstPaint.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(737, 526);
    sr5n::FirstPaint paint(window, clock);
    paint.mark("windows");
    window.show();
    paint.mark("shown");
    return app.exec();
}
