#include "cli/CliMain.h"

#include "cli/CommandLine.h"
#include "cli/CommandResultJson.h"
#include "cli/Commands.h"
#include "cli/InterruptSignals.h"
#include "cli/ObjectsCommand.h"
#include "cli/ParallelPorts.h"
#include "cli/TerminalNotifier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>

#include <csignal>

namespace sr5n {

namespace {

// What a stopped command leaves behind, for the user.
QString interruptedMessage(const CommandLine &line, const QStringList &ports)
{
    if (!CommandLine::writesDevice(line))
        return QStringLiteral("Прервано");
    // A worker's message goes into the summary, beside its port.
    const QString where =
        line.worker ? QString() : QStringLiteral(" (%1)").arg(ports.join(QStringLiteral(", ")));
    if (line.command == CommandLine::Command::Clock)
        return QStringLiteral("Прервано: время могло быть не записано") + where;
    return QStringLiteral("Прервано: конфигурация могла быть записана не полностью, "
                          "коммуникатор может хранить смесь новой и прежней") +
           where;
}

// Standard output that could not be written is a failure, whatever the
// command did; a stop by a signal stays a stop.
int checkedStatus(const QString &program, int status)
{
    // Silently, with the status a shell shows for a program SIGPIPE ended.
    if (StandardOutputReaderGone())
        return status == ExitInterrupted ? status : ExitClosedPipe;
    const std::optional<QString> fault = TakeStandardOutputFault();
    if (!fault)
        return status;
    PrintText(stderr, program + QStringLiteral(": ") + *fault + u'\n');
    return status == ExitInterrupted ? status : ExitFailed;
}

int runOnSeveralPorts(const CommandLine &line)
{
    ParallelPorts ports(line, QCoreApplication::applicationFilePath());
    const QList<PortOutcome> outcomes = ports.run();
    const int status = ParallelPorts::exitStatus(outcomes);
    if (line.json)
        PrintText(stdout, QString::fromUtf8(QJsonDocument(SummaryJson(line, outcomes, status))
                                                .toJson(QJsonDocument::Indented)));
    else
        PrintText(stdout, ParallelPorts::summaryTable(outcomes));
    if (status == ExitInterrupted) {
        QStringList stopped;
        for (const PortOutcome &outcome : outcomes)
            if (outcome.status == ExitInterrupted)
                stopped << outcome.port;
        PrintText(stderr, interruptedMessage(line, stopped) + u'\n');
    }
    return status;
}

int runHere(const CommandLine &line, const LinkTimings &timings)
{
    QElapsedTimer clock;
    clock.start();
    Commands commands(line, timings);
    CommandResult result;
    {
        InterruptSignals signalled([&commands](int) { commands.interrupt(); });
        result = commands.run();
    }
    if (InterruptSignals::received()) {
        result.status = ExitInterrupted;
        result.message = interruptedMessage(line, line.ports);
        if (!line.worker)
            PrintText(stderr, result.message + u'\n');
    }
    if (line.worker) {
        if (line.json)
            PrintText(stdout,
                      QStringLiteral("@json ") +
                          QString::fromUtf8(
                              QJsonDocument(result.details).toJson(QJsonDocument::Compact)) +
                          u'\n');
        PrintText(stdout, WorkerResultLine(result.status, result.message));
    } else if (line.json) {
        PrintText(stdout, QString::fromUtf8(QJsonDocument(ResultJson(line, result, clock.elapsed()))
                                                .toJson(QJsonDocument::Indented)));
    }
    return result.status;
}

} // namespace

int RunCommandLine(const QStringList &arguments, const LinkTimings &timings)
{
    const QString program = QFileInfo(arguments.value(0)).fileName();
    // A reader of standard output that goes away (head) never cuts a device
    // exchange short: the write fails instead, and the command ends in order.
    std::signal(SIGPIPE, SIG_IGN);
    // The window's name: the user's data folder, where the protocol library is
    // kept when the program's folder is not writable, is the window's too.
    QCoreApplication::setApplicationName(QStringLiteral("sr5n-configurator"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SR5N_VERSION));
    if (arguments.value(1) == u"objects")
        return checkedStatus(program, RunObjectsCommand(arguments));
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
        PrintText(stdout, line.message);
        return checkedStatus(program, ExitDone);
    case CommandLine::Action::Version:
        PrintText(stdout, QStringLiteral("%1 %2\n").arg(program, QStringLiteral(SR5N_VERSION)));
        return checkedStatus(program, ExitDone);
    case CommandLine::Action::Error:
        PrintText(stderr,
                  QStringLiteral("%1: %2\nПодробнее: %1 --help\n").arg(program, line.message));
        // A script that asked for JSON gets it also for a wrong command line.
        if (arguments.contains(QStringLiteral("--json")))
            PrintText(stdout, QString::fromUtf8(QJsonDocument(FailureJson(arguments.value(1),
                                                                          ExitUsage, line.message))
                                                    .toJson(QJsonDocument::Indented)));
        return checkedStatus(program, ExitUsage);
    case CommandLine::Action::Run:
        break;
    }
    if (line.ports.size() > 1 && !line.worker)
        return checkedStatus(program, runOnSeveralPorts(line));
    return checkedStatus(program, runHere(line, timings));
}

} // namespace sr5n
