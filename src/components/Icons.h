#pragma once

#include <QIcon>

namespace sr5n::Icons {

// The configurator's own icons, painted at run time so that no image files
// need to travel with the executable.
QIcon application();
QIcon makerLogo();
QIcon open();
QIcon save();
QIcon read();
QIcon write();
QIcon log();
QIcon exportHtml();
QIcon diagnostics();
QIcon help();
QIcon about();
QIcon connection();
QIcon service();
QIcon findPort();

} // namespace sr5n::Icons
