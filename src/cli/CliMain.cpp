#include "cli/CliMain.h"

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ObjectsCommand.h"
#include "cli/ParallelPorts.h"
#include "cli/TerminalNotifier.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace sr5n {

int RunCommandLine(const QStringList &arguments, const LinkTimings &timings)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    // The window's name: the user's data folder, where the protocol library is
    // kept when the program's folder is not writable, is the window's too.
    QCoreApplication::setApplicationName(QStringLiteral("sr5n-configurator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SR5N_VERSION));
    if (arguments.value(1) == u"objects")
        return RunObjectsCommand(arguments);
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
        PrintText(stdout, line.message);
        return ExitDone;
    case CommandLine::Action::Version:
        PrintText(stdout, QStringLiteral("%1 %2\n").arg(program, QStringLiteral(SR5N_VERSION)));
        return ExitDone;
    case CommandLine::Action::Error:
        PrintText(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                              .arg(program, line.message));
        return ExitUsage;
    case CommandLine::Action::Run:
        break;
    }
    if (line.ports.size() > 1 && !line.worker) {
        ParallelPorts ports(line, QCoreApplication::applicationFilePath());
        const QList<PortOutcome> outcomes = ports.run();
        PrintText(stdout, ParallelPorts::summaryTable(outcomes));
        return ParallelPorts::exitStatus(outcomes);
    }
    const CommandResult result = Commands(line, timings).run();
    if (line.worker)
        PrintText(stdout, WorkerResultLine(result.status, result.message));
    return result.status;
}

} // namespace sr5n
