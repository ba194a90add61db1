#pragma once

#include "link/PortChoice.h"

#include <QStringList>

#include <optional>

namespace sr5n {

// Follows the ports present from one scan to the next, for the port list:
// which lines came and went, and whether a USB adapter just plugged in should
// take the place of a port that is gone.
class PortListTracker
{
public:
    struct Update {
        QList<PortChoice> choices; // the whole list, in order
        QStringList added;         // names new since the last scan
        QStringList removed;       // names gone since the last scan
        // The one USB port that appeared while the field named no port
        // present: it goes into the field.
        std::optional<QString> select;
    };

    // `currentText`: what the port field holds now. The first scan selects
    // nothing: what is there at start is not newly plugged in.
    Update update(const QList<PortEntry> &ports, const QString &currentText);

    const QList<PortChoice> &choices() const { return m_choices; }

    // Whether a name stands for a device present now: one of the last scan,
    // a device file that exists (a typed path, a link), or a serial server's
    // port (which a plugged-in adapter never replaces in the field).
    bool present(const QString &name) const;

private:
    QList<PortChoice> m_choices;
    bool m_scanned = false;
};

} // namespace sr5n
