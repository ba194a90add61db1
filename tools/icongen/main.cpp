// sr5n-icongen OUTPUT.png SIZE
// Saves the configurator's application icon at SIZE x SIZE pixels.

#include "components/Icons.h"

#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: sr5n-icongen OUTPUT.png SIZE\n");
        return 1;
    }
    const int size = QString::fromLatin1(argv[2]).toInt();
    if (size <= 0 ||
        !sr5n::Icons::application().pixmap(size, size).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "sr5n-icongen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
