#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace sr5n {

// What the configurator remembers between runs, in the user's configuration
// folder (~/.config/sr5n-configurator/sr5n-configurator.ini): the last port a
// device operation succeeded with, and the last folder of each file dialog.
// Every change is written at once.
class UserSettings
{
public:
    enum class Folder { Open, Save, Export };

    UserSettings() = default;

    QString lastPort() const;
    void setLastPort(const QString &port);

    // The folder last used by the dialog; empty when none is remembered or it
    // no longer exists.
    QString folder(Folder dialog) const;
    // Remembers the folder of `file` (a file chosen in the dialog).
    void setFolderOf(Folder dialog, const QString &file);

    // Where the settings are kept.
    static QString fileName();

private:
    static std::unique_ptr<QSettings> open();
};

} // namespace sr5n
