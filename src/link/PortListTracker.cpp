#include "link/PortListTracker.h"

#include "link/NetworkAddress.h"
#include "link/PortOpenFailure.h"

#include <QFileInfo>

#include <algorithm>

namespace sr5n {

namespace {

bool listed(const QList<PortChoice> &choices, const QString &name)
{
    return std::any_of(choices.cbegin(), choices.cend(),
                       [&name](const PortChoice &choice) { return choice.name == name; });
}

} // namespace

bool PortListTracker::present(const QString &name) const
{
    if (name.trimmed().isEmpty())
        return false;
    // A serial server's port is there for all this machine can tell.
    if (NetworkAddress::isNetworkName(name))
        return true;
    return listed(m_choices, name) || QFileInfo::exists(PortOpenFailure::devicePath(name));
}

PortListTracker::Update PortListTracker::update(const QList<PortEntry> &ports,
                                                const QString &currentText)
{
    Update result;
    result.choices = PortChoices(ports);
    for (const PortChoice &choice : std::as_const(result.choices)) {
        if (!listed(m_choices, choice.name))
            result.added.append(choice.name);
    }
    for (const PortChoice &choice : std::as_const(m_choices)) {
        if (!listed(result.choices, choice.name))
            result.removed.append(choice.name);
    }

    QStringList pluggedUsb;
    if (m_scanned) {
        for (const PortChoice &choice : std::as_const(result.choices)) {
            if (choice.primary && choice.usb && result.added.contains(choice.name))
                pluggedUsb.append(choice.name);
        }
    }
    m_choices = result.choices;
    m_scanned = true;
    if (pluggedUsb.size() == 1 && !present(currentText))
        result.select = pluggedUsb.constFirst();
    return result;
}

} // namespace sr5n
