// Holds a serial port open the way the configurator does, as another program
// would: prints "held" once it has the port, and lets it go when its standard
// input closes or it is ended.
#include "link/TVaComm.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sr5n-test-port-holder PORT\n");
        return 2;
    }
    sr5n::TVaComm port(nullptr);
    if (!port.SetDeviceName(QString::fromLocal8Bit(argv[1])) || !port.Open()) {
        std::fprintf(stderr, "%s\n", port.LastError().toLocal8Bit().constData());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0)
            app.quit();
    });
    return app.exec();
}
