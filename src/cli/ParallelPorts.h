#pragma once

#include "cli/CommandLine.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <cstdio>

namespace sr5n {

// How one port of a run over several ended.
struct PortOutcome {
    QString port;
    int status = ExitFailed;
    qint64 elapsedMs = 0;
    QString message;
    QString file = {};        // the port's output file, when the command writes one
    QJsonObject details = {}; // the worker's result for --json
};

// Works a command on several ports at once, one worker process per port
// (this program with --worker), each with its own output file. One failing
// never stops the others. On a terminal, one progress line per port.
// SIGINT or SIGTERM stops every worker (each ends its exchange and closes its
// port); a worker ends by itself when this process dies.
class ParallelPorts
{
public:
    ParallelPorts(const CommandLine &line, QString program);

    QList<PortOutcome> run();
    // Whether the run was stopped by SIGINT or SIGTERM.
    bool interrupted() const { return m_interrupted; }

    // The summary: port, result, time and message, one row a port; a message
    // of several lines goes on below, indented under its column.
    static QString summaryTable(const QList<PortOutcome> &outcomes);
    // The worst status: a failure over "no", "no" over done.
    static int exitStatus(const QList<PortOutcome> &outcomes);

private:
    const CommandLine &m_line;
    QString m_program;
    bool m_interrupted = false;
};

// A worker's last line on standard output: "@result <status> <message>".
QString WorkerResultLine(int status, const QString &message);

} // namespace sr5n
