#pragma once

#include "cli/Commands.h"
#include "cli/ParallelPorts.h"
#include "config/ConfigComparison.h"

#include <QJsonArray>
#include <QJsonObject>

namespace sr5n {

// The result of a command as one JSON object for scripts (--json):
// {"command", "outcome", "status", "message", "time", ...the command's own
// details}, and for several ports one entry per port under "ports".

// "ok", "no" (diff: different; diag: a test failed; find: none answered),
// "failed" or "interrupted".
QString OutcomeWord(int status);

// [{"page", "caption", "a", "b"}]: the differences as the compare lists them.
QJsonArray DifferencesJson(const QList<ConfigDifference> &differences);

QJsonObject ResultJson(const CommandLine &line, const CommandResult &result, qint64 elapsedMs);
// A command that failed before it ran (a wrong command line) or without a
// result of its own: {"command", "outcome", "status", "message"}.
QJsonObject FailureJson(const QString &command, int status, const QString &message);

QJsonObject SummaryJson(const CommandLine &line, const QList<PortOutcome> &outcomes, int status);

} // namespace sr5n
