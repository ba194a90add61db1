#include "app/Configurator.h"
#include "app/StartOptions.h"
#include "ui/MessageBoxNotifier.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"

#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace {

QStringList commandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    using sr5n::StartOptions;
    const QString program = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                                     : QStringLiteral("sr5n-configurator");
    // --help and --version answer without a display.
    const StartOptions early = StartOptions::parse(commandLine(argc, argv));
    if (early.action == StartOptions::Action::Help) {
        print(stdout, StartOptions::helpText(program));
        return 0;
    }
    if (early.action == StartOptions::Action::Version) {
        print(stdout, StartOptions::versionText());
        return 0;
    }

    sr5n::ConfiguratorApplication app(argc, argv);
    // The toolkit has taken its own options out of the line by now.
    const StartOptions options = StartOptions::parse(QCoreApplication::arguments());
    if (options.action == StartOptions::Action::Error) {
        print(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                          .arg(program, options.message));
        return 2;
    }
    try {
        // The domain is created before the windows and destroyed after them.
        sr5n::Configurator configurator(QCoreApplication::applicationDirPath());
        // The catalogue the user chose: his own, or the team's on a server.
        configurator.useCatalogLocation(configurator.settings().catalogLocation());
        sr5n::Windows windows(configurator);
        app.setNotifier(&configurator.notifier());
        sr5n::showMainWindow(windows);
        sr5n::openConfigurationAtStart(windows.main(), options.file);
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
