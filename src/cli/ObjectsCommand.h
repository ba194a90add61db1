#pragma once

#include <QStringList>

namespace sr5n {

// "sr5n-cli objects": the catalogue of objects from the shell.
//   objects list [--search TEXT]         the objects, the latest entry first
//   objects show OBJECT                  an object and its timeline
//   objects export OBJECT [--entry ID] [-o FILE.snc]
//   objects import FILE.snc...           entries added from files
// each with --json, and --catalog FILE for another catalogue than the
// user's. OBJECT is an object's id (or its first characters) or its object
// numbers. `arguments` as the program received them; the exit status.
int RunObjectsCommand(const QStringList &arguments);

// The line of the general help that names the command.
QString ObjectsCommandSummary();

} // namespace sr5n
