#pragma once

#include "link/LinkTimings.h"

#include <QStringList>

namespace sr5n {

// sr5n-cli: parses `arguments` (the program's name first), runs the command on
// one port here or on several in worker processes, and returns the exit status.
// `timings` are the link's waits; only tests shorten them.
int RunCommandLine(const QStringList &arguments, const LinkTimings &timings);

} // namespace sr5n
