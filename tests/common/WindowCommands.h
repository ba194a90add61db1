#pragma once

#include "common/WindowParts.h"

#include <QAction>

#include <stdexcept>
#include <string>

namespace sr5n::test {

// Runs a window's command as its button, menu item or key does: by its action,
// found by name. A command that is disabled fails the test instead of doing
// nothing.
inline void trigger(const QObject &window, const char *name)
{
    QAction *action = part<QAction>(window, name);
    if (!action->isEnabled())
        throw std::runtime_error(std::string("command disabled: ") + name);
    action->trigger();
}

} // namespace sr5n::test
