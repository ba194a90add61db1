#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

namespace sr5n::test {

// A control of a window found by its name, as the program names it; a test
// that asks for a control the window does not have fails at once.
// A window that builds some of its parts on first use builds them all when
// the control is not there yet.
template <typename T> T *part(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found && window.metaObject()->indexOfMethod("createAllParts()") >= 0) {
        QMetaObject::invokeMethod(const_cast<QObject *>(&window), "createAllParts");
        found = window.findChild<T *>(QString::fromLatin1(name));
    }
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name);
    return found;
}

} // namespace sr5n::test
