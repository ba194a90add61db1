#include "cli/CommandResultJson.h"

namespace sr5n {

namespace {

double seconds(qint64 ms)
{
    return static_cast<double>(ms) / 1000.0;
}

} // namespace

QString OutcomeWord(int status)
{
    switch (status) {
    case ExitDone:
        return QStringLiteral("ok");
    case ExitNegative:
        return QStringLiteral("no");
    case ExitInterrupted:
        return QStringLiteral("interrupted");
    default:
        break;
    }
    return QStringLiteral("failed");
}

QJsonArray DifferencesJson(const QList<ConfigDifference> &differences)
{
    QJsonArray array;
    for (const ConfigDifference &d : differences)
        array.append(QJsonObject{{QStringLiteral("page"), PageCaption(d.page)},
                                 {QStringLiteral("caption"), d.caption},
                                 {QStringLiteral("a"), d.thisText},
                                 {QStringLiteral("b"), d.otherText}});
    return array;
}

QJsonObject ResultJson(const CommandLine &line, const CommandResult &result, qint64 elapsedMs)
{
    QJsonObject object = result.details;
    // The clock's reading keeps its own name beside the run's time.
    if (object.contains(QStringLiteral("time")))
        object.insert(QStringLiteral("clock"), object.take(QStringLiteral("time")));
    object.insert(QStringLiteral("command"), CommandLine::commandName(line.command));
    object.insert(QStringLiteral("outcome"), OutcomeWord(result.status));
    object.insert(QStringLiteral("status"), result.status);
    object.insert(QStringLiteral("message"), result.message);
    object.insert(QStringLiteral("time"), seconds(elapsedMs));
    if (line.ports.size() == 1)
        object.insert(QStringLiteral("port"), line.ports.constFirst());
    return object;
}

QJsonObject FailureJson(const QString &command, int status, const QString &message)
{
    return {{QStringLiteral("command"), command},
            {QStringLiteral("outcome"), OutcomeWord(status)},
            {QStringLiteral("status"), status},
            {QStringLiteral("message"), message}};
}

QJsonObject SummaryJson(const CommandLine &line, const QList<PortOutcome> &outcomes, int status)
{
    QJsonArray ports;
    for (const PortOutcome &outcome : outcomes) {
        QJsonObject port = outcome.details;
        if (port.contains(QStringLiteral("time")))
            port.insert(QStringLiteral("clock"), port.take(QStringLiteral("time")));
        port.insert(QStringLiteral("port"), outcome.port);
        port.insert(QStringLiteral("outcome"), OutcomeWord(outcome.status));
        port.insert(QStringLiteral("status"), outcome.status);
        port.insert(QStringLiteral("time"), seconds(outcome.elapsedMs));
        port.insert(QStringLiteral("message"), outcome.message);
        // Only a port that succeeded wrote its file.
        if (!outcome.file.isEmpty() &&
            (outcome.status == ExitDone || outcome.status == ExitNegative))
            port.insert(QStringLiteral("file"), outcome.file);
        ports.append(port);
    }
    return {{QStringLiteral("command"), CommandLine::commandName(line.command)},
            {QStringLiteral("outcome"), OutcomeWord(status)},
            {QStringLiteral("status"), status},
            {QStringLiteral("ports"), ports}};
}

} // namespace sr5n
