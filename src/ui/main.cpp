#include "app/Configurator.h"
#include "common/AppTitle.h"
#include "ui/MessageBoxNotifier.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"

#include <exception>

int main(int argc, char *argv[])
{
    sr5n::ConfiguratorApplication app(argc, argv);
    QApplication::setApplicationName(sr5n::AppTitle());
    QApplication::setApplicationVersion(QStringLiteral(SR5N_VERSION));
    try {
        // The domain is created before the windows and destroyed after them.
        sr5n::Configurator configurator(QCoreApplication::applicationDirPath());
        sr5n::Windows windows(configurator);
        app.setNotifier(&configurator.notifier());
        windows.main().show();
        const int status = app.exec();
        app.setNotifier(nullptr);
        Q_UNUSED(status);
    } catch (const std::exception &error) {
        sr5n::MessageBoxNotifier().showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        sr5n::MessageBoxNotifier().showError(QString());
    }
    return 0;
}
