#include "cli/PortCommands.h"

namespace sr5n {

QString PortCommands::listText(const QList<PortChoice> &choices)
{
    if (choices.isEmpty())
        return QStringLiteral("(в системе нет последовательных портов)\n");
    qsizetype width = 0;
    for (const PortChoice &choice : choices)
        if (choice.primary)
            width = qMax(width, choice.name.size());
    QString text;
    for (const PortChoice &choice : choices) {
        // The window's line repeats the name first; only the rest is added.
        QString rest = choice.text;
        if (rest.startsWith(choice.name))
            rest = rest.mid(choice.name.size()).trimmed();
        if (!rest.isEmpty() && (rest.startsWith(u'-') || rest.startsWith(u'—')))
            rest = rest.mid(1).trimmed();
        const QString line =
            choice.primary ? choice.name.leftJustified(width) : QStringLiteral("  ") + choice.name;
        text +=
            (line + (rest.isEmpty() ? QString() : QStringLiteral("  ") + rest)).trimmed() + u'\n';
    }
    return text;
}

QJsonArray PortCommands::listJson(const QList<PortChoice> &choices)
{
    QJsonArray ports;
    for (const PortChoice &choice : choices)
        ports.append(QJsonObject{{QStringLiteral("port"), choice.name},
                                 {QStringLiteral("line"), choice.text},
                                 {QStringLiteral("details"), choice.hint},
                                 {QStringLiteral("usb"), choice.usb},
                                 {QStringLiteral("primary"), choice.primary}});
    return ports;
}

QStringList PortCommands::searchedPorts(const QList<PortChoice> &choices)
{
    QStringList ports;
    for (const PortChoice &choice : choices)
        if (choice.primary)
            ports.append(choice.name);
    return ports;
}

QString PortCommands::outcomeWord(CommunicatorFinder::Outcome outcome)
{
    using Outcome = CommunicatorFinder::Outcome;
    switch (outcome) {
    case Outcome::Answers:
        return QStringLiteral("answers");
    case Outcome::Silent:
        return QStringLiteral("silent");
    case Outcome::OtherAnswer:
        return QStringLiteral("other-answer");
    case Outcome::Unavailable:
        break;
    }
    return QStringLiteral("unavailable");
}

QJsonObject PortCommands::searchJson(const CommunicatorFinder::Result &result)
{
    QJsonArray ports;
    for (const CommunicatorFinder::Probe &probe : result.probes) {
        QJsonObject port{{QStringLiteral("port"), probe.port},
                         {QStringLiteral("outcome"), outcomeWord(probe.outcome)}};
        if (!probe.reason.isEmpty())
            port.insert(QStringLiteral("reason"), probe.reason);
        ports.append(port);
    }
    return {{QStringLiteral("ports"), ports},
            {QStringLiteral("answering"), QJsonArray::fromStringList(result.answering())},
            {QStringLiteral("cancelled"), result.cancelled}};
}

} // namespace sr5n
