#include "ui/AppTitle.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(sr5n::AppTitle());

    QMainWindow window;
    window.setWindowTitle(sr5n::AppTitle());
    window.setFixedSize(737, 526);
    window.show();
    return app.exec();
}
