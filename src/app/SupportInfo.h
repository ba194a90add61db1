#pragma once

#include "link/PortChoice.h"

#include <QList>
#include <QString>

namespace sr5n {

class Configurator;

// What a support request needs to know, in one text file: the program's and
// Qt's versions, the system, the ports with what is known of each, the
// catalogue's kind (its address without a password) and the traces of the
// line kept. No password leaves in it.
struct SupportInfo {
    QList<PortChoice> ports; // the port list as offered
    QString portField;       // what the port field holds
    QString catalogServer;   // the team's server address; empty: the local catalogue
    QString localCatalogPath;
    bool catalogEnabled = true;
    QString traces; // the trace of the line kept, as text

    // The catalogue's part taken from the configurator.
    static SupportInfo of(Configurator &app);
    // The file's text.
    QString text() const;
};

} // namespace sr5n
