#include "app/StartOptions.h"

#include <QCoreApplication>

namespace sr5n {

StartOptions StartOptions::parse(const QStringList &arguments)
{
    StartOptions options;
    QStringList files;
    QString error;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            files.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            help = true;
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            version = true;
        } else if (error.isEmpty()) {
            error = QStringLiteral("unknown option %1").arg(argument);
        }
    }
    if (error.isEmpty() && files.size() > 1)
        error =
            QStringLiteral("only one configuration file can be opened, not %1").arg(files.size());

    if (help)
        options.action = Action::Help;
    else if (version)
        options.action = Action::Version;
    else if (!error.isEmpty()) {
        options.action = Action::Error;
        options.message = error;
    } else if (!files.isEmpty())
        options.file = files.constFirst();
    return options;
}

QString StartOptions::helpText(const QString &program)
{
    return QStringLiteral(
               "Usage: %1 [FILE.snc]\n"
               "\n"
               "The configurator of the SR-5/N telephone alarm communicator: reads,\n"
               "edits and writes its configuration over a serial port.\n"
               "\n"
               "  FILE.snc       open this configuration file at start, as \"Open\" does\n"
               "  -h, --help     show this help and exit\n"
               "  -v, --version  show the version and exit\n"
               "\n"
               "The options of Qt (-platform, -style, -display...) are accepted too.\n"
               "See sr5n-configurator(1) and sr5n-sim(1).\n")
        .arg(program);
}

QString StartOptions::versionText()
{
    return QStringLiteral("sr5n-configurator %1\n").arg(QStringLiteral(SR5N_VERSION));
}

} // namespace sr5n
