#pragma once

#include "link/CommunicatorFinder.h"
#include "link/PortChoice.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace sr5n {

// The texts of `ports` and `find`: the port list as the window offers it,
// and the search over it as "Найти коммуникатор" runs it.
class PortCommands
{
public:
    // One line a port: the name for --port, then what is known of it; a
    // stable name of a USB adapter follows its port, indented.
    static QString listText(const QList<PortChoice> &choices);
    // [{"port", "line", "details", "usb", "primary"}]
    static QJsonArray listJson(const QList<PortChoice> &choices);
    // The ports the search asks, as the window's: each device once.
    static QStringList searchedPorts(const QList<PortChoice> &choices);
    // {"ports": [{"port", "outcome", "reason"}], "answering": [...], "cancelled"}
    static QJsonObject searchJson(const CommunicatorFinder::Result &result);
    // "answers", "silent", "other-answer" or "unavailable".
    static QString outcomeWord(CommunicatorFinder::Outcome outcome);
};

} // namespace sr5n
