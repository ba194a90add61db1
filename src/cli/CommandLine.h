#pragma once

#include "cli/LogFormats.h"

#include <QString>
#include <QStringList>

namespace sr5n {

// Exit statuses of sr5n-cli.
enum ExitStatus {
    ExitDone = 0,          // done; diff: no differences; diag: every test passed
    ExitNegative = 1,      // diff: differences; diag: the self-test found faults
    ExitUsage = 2,         // the command line is wrong
    ExitFailed = 3,        // a port, device, file or decoding failure (on any port)
    ExitInterrupted = 130, // stopped by SIGINT or SIGTERM
    ExitClosedPipe = 141,  // standard output's reader closed the pipe (as SIGPIPE would end it)
};

// The command line of sr5n-cli: a command and its options.
struct CommandLine {
    enum class Command { None, Read, Write, Diff, Export, Clock, Logs, Diag, Json, Ports, Find };
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    Command command = Command::None;
    QString message; // Error: what is wrong; Help: the text to print

    QStringList ports;
    QString output;    // -o
    QString trace;     // --trace: a file ("{port}" as -o), "-" for standard error
    QStringList files; // the command's file arguments
    bool verify = false;
    bool registerProtocols = false;
    bool importJson = false;
    QString setTime; // clock --set
    LogFormat format = LogFormat::Text;
    QString dataFolder;     // empty: the program's folder
    QString catalog;        // --catalog or SR5N_CATALOG; empty: the local catalogue
    bool worker = false;    // one port of several, for the process that started it
    bool noCatalog = false; // read, write: nothing recorded into the catalogue
    bool json = false;      // the result as JSON on standard output
    bool quiet = false;     // no notices and no progress bar; errors still shown

    // `arguments` as the program received them, the program's name first.
    static CommandLine parse(const QStringList &arguments);
    static QString commandName(Command command);
    // Whether the command takes several ports at once.
    static bool manyPorts(Command command);
    // Whether the command may leave a device half-written when it is stopped.
    static bool writesDevice(const CommandLine &line);
    static QString generalHelp(const QString &program);
    static QString exitStatusText();

    // The arguments that run this command on one port in a worker process.
    QStringList workerArguments(const QString &port, const QString &portOutput) const;
};

// The device file a port name stands for: "ttyUSB0" is /dev/ttyUSB0, a
// symbolic link (/dev/serial/by-id/...) the device it leads to.
// A usage error of Qt's command line parser in the program's words.
QString ParserErrorText(const QString &text);

QString PortDevice(const QString &port);

// `pattern` with "{port}" replaced by the port's name made safe for a file
// name: without "/dev/", slashes and other forbidden characters as "_".
QString PortOutputPath(const QString &pattern, const QString &port);

} // namespace sr5n
