#pragma once

#include "cli/CommandLine.h"

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
};

// Works a command on several ports at once, one worker process per port
// (this program with --worker), each with its own output file. One failing
// never stops the others. On a terminal, one progress line per port.
class ParallelPorts
{
public:
    ParallelPorts(const CommandLine &line, QString program);

    QList<PortOutcome> run();

    // The summary: port, result, time and message, one row a port.
    static QString summaryTable(const QList<PortOutcome> &outcomes);
    // The worst status: a failure over "no", "no" over done.
    static int exitStatus(const QList<PortOutcome> &outcomes);

private:
    const CommandLine &m_line;
    QString m_program;
};

// A worker's last line on standard output: "@result <status> <message>".
QString WorkerResultLine(int status, const QString &message);

} // namespace sr5n
