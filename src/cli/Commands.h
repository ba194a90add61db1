#pragma once

#include "cli/CommandLine.h"
#include "cli/TerminalNotifier.h"
#include "cli/TerminalProgress.h"
#include "link/LinkTimings.h"

#include <QString>

#include <memory>

namespace sr5n {

struct BlockContext;
class CommandLineCatalog;
class Configurator;
class DeviceRunner;

// What a command ended with: the exit status and a one-line message for the
// summary of a run over several ports.
struct CommandResult {
    int status = ExitDone;
    QString message;
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

private:
    // A configurator over the installation data, telling this notifier.
    std::unique_ptr<Configurator> makeConfigurator(std::unique_ptr<CommandLineCatalog> &catalog);
    // Failed, after the errors shown; `untold` is shown when none was.
    CommandResult failed(const QString &untold = QStringLiteral("Операция не выполнена"));
    // A device operation failed for `reason` (shown already); `untold` is
    // shown when it stopped without a message.
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
    bool loadSide(const BlockContext *into, const QString &source);
    bool writeOutput(const QString &path, const QByteArray &bytes);

    const CommandLine &m_line;
    LinkTimings m_timings;
    TerminalNotifier m_notifier;
    std::unique_ptr<OperationProgress> m_progress;
    std::unique_ptr<CommandLineCatalog> m_catalog;
    std::unique_ptr<Configurator> m_app;
    std::unique_ptr<DeviceRunner> m_runner;
    qsizetype m_errorsBefore = 0;
};

} // namespace sr5n
