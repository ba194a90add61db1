#pragma once

#include "cli/CommandLine.h"
#include "cli/TerminalNotifier.h"
#include "cli/TerminalProgress.h"
#include "common/Expected.h"
#include "link/LinkTimings.h"

#include <QJsonObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace sr5n {

struct BlockContext;
class CommandLineCatalog;
class Configurator;
class DeviceRunner;
class TraceOutput;

// What a command ended with: the exit status and its message (a failure's
// whole reason, of one or more lines) for --json and the summary of a run
// over several ports.
struct CommandResult {
    int status = ExitDone;
    QString message;
    // What the command found, for --json: the file written, the time read,
    // the differences, the tests...
    QJsonObject details = {};
};

// Runs one command on one port (or on files) in this process, with the
// configurator's own domain: messages on standard error, the progress on a
// terminal (or, in a worker, for the process that started it).
class Commands
{
public:
    Commands(const CommandLine &line, LinkTimings timings);
    ~Commands();

    Commands(const Commands &) = delete;
    Commands &operator=(const Commands &) = delete;

    CommandResult run();
    // SIGINT or SIGTERM: the exchange running now ends, and so does every
    // later one of this command.
    void interrupt();

private:
    CommandResult runCommand();
    // Whether the command exchanges with a device: only such a command records
    // into the catalogue.
    bool touchesDevice() const;
    // Opens a configuration file into the window's configuration, or `into`;
    // a missing, empty or unreadable file is refused naming it. `recorded`:
    // the opening is an entry of the catalogue (write's file).
    Expected<void> openInput(const QString &path, bool recorded,
                             const BlockContext *into = nullptr);
    // A configurator over the installation data, telling this notifier.
    std::unique_ptr<Configurator> makeConfigurator(std::unique_ptr<CommandLineCatalog> &catalog);
    // An operation failed for `reason` (shown already; the summary takes its
    // first line, its gist); `untold` is shown when it stopped without a
    // message, so that a script still learns why it failed.
    CommandResult failedWith(const QString &reason,
                             const QString &untold = QStringLiteral("Операция не выполнена"));
    // Done, with the window's success notice.
    CommandResult succeeded(const QString &notice);
    // Opens the catalogue a read or write records into, and tells once what
    // the user must know about it (a damaged file kept aside, a newer one).
    void tellCatalogNotices();

    CommandResult read();
    CommandResult write();
    CommandResult diff();
    CommandResult exportHtml();
    CommandResult clock();
    CommandResult logs();
    CommandResult diag();
    CommandResult json();

    // Decodes the configuration of a .snc file, or of the device for
    // "device:PORT", into `into`, or into this configuration when null.
    Expected<void> loadSide(const BlockContext *into, const QString &source);
    Expected<void> writeOutput(const QString &path, const QByteArray &bytes);
    // The command's output: into `path`, or, for --json without a file, into
    // the result under `key`.
    Expected<void> emitOutput(const QString &path, const QByteArray &json, const QString &key,
                              QJsonObject &details);
    CommandResult ports();
    CommandResult find();

    const CommandLine &m_line;
    LinkTimings m_timings;
    TerminalNotifier m_notifier;
    std::unique_ptr<OperationProgress> m_progress;
    std::unique_ptr<CommandLineCatalog> m_catalog;
    std::unique_ptr<Configurator> m_app;
    std::unique_ptr<DeviceRunner> m_runner;
    std::unique_ptr<TraceOutput> m_trace; // --trace
    std::unique_ptr<QTimer> m_aborting;
    std::function<void()> m_cancel; // stops a search for communicators
};

} // namespace sr5n
