#pragma once

#include <QLoggingCategory>

// The program's own diagnostics, one category a subsystem, turned on as in any
// Qt program: QT_LOGGING_RULES="sr5n.link.debug=true" (or sr5n.*.debug=true).
//   sr5n.link     the line: every frame, answer, retry and time-out, as the trace
//   sr5n.ports    the port list: scans, device events, simulators
//   sr5n.catalog  the catalogue of objects
// Only warnings and above are shown unless a rule turns debug messages on.
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcPorts)
Q_DECLARE_LOGGING_CATEGORY(lcCatalog)
