#pragma once

#include <QString>
#include <QStringList>

namespace sr5n {

// The configurator's command line: an optional configuration file to open,
// --help and --version. Options of the toolkit itself (-platform, -style...)
// are taken out by the application object before the second reading.
struct StartOptions {
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    QString file;    // Run: the configuration file to open at start, if any
    QString message; // Error: what is wrong

    // `arguments` as the program received them, the program's name first.
    // --help and --version win over everything else on the line.
    static StartOptions parse(const QStringList &arguments);

    static QString helpText(const QString &program);
    static QString versionText();
};

} // namespace sr5n
