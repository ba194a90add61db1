#pragma once

#include <QString>

namespace sr5n {

// What the configurator remembers between runs, in the user's configuration
// folder (~/.config/sr5n-configurator/sr5n-configurator.ini): the last port a
// device operation succeeded with, the last folder of each file dialog and of
// any of them, and whether writes are verified. Every change is written at once.
class UserSettings
{
public:
    enum class Folder { OpenConfiguration, SaveConfiguration, Export, ProtocolFile, AnyDialog };

    UserSettings() = default;

    QString lastPort() const;
    void setLastPort(const QString &port);

    // The folder last used; empty when none is remembered or it no longer exists.
    QString folder(Folder dialog) const;
    void setFolder(Folder dialog, const QString &folder);

    // Whether "Записать" reads the configuration back and compares it; off
    // unless the user turned it on.
    bool verifyWrites() const;
    void setVerifyWrites(bool on);

    // Where the settings are kept.
    static QString fileName();
};

} // namespace sr5n
