#pragma once

#include <QString>
#include <QStringList>

namespace sr5n {

// What the configurator remembers between runs, in the user's configuration
// folder (~/.config/sr5n-configurator/sr5n-configurator.ini): the last port a
// device operation succeeded with, the serial servers' ports used (for the
// port list, which cannot find them itself), the last folder of each file dialog and of
// any of them, and whether writes are verified. Every change is written at once.
class UserSettings
{
public:
    enum class Folder { OpenConfiguration, SaveConfiguration, Export, ProtocolFile, AnyDialog };

    UserSettings() = default;

    QString lastPort() const;
    // A serial server's port (tcp://..., rfc2217://...) is also added to the
    // network ports, first.
    void setLastPort(const QString &port);
    // The serial servers' ports a device operation succeeded with, the most
    // recent first, at most MaxNetworkPorts.
    QStringList networkPorts() const;
    static constexpr int MaxNetworkPorts = 10;

    // The folder last used; empty when none is remembered or it no longer exists.
    QString folder(Folder dialog) const;
    void setFolder(Folder dialog, const QString &folder);

    // Whether "Записать" reads the configuration back and compares it; off
    // unless the user turned it on.
    bool verifyWrites() const;
    void setVerifyWrites(bool on);

    // The catalogue of objects chosen: a PostgreSQL server's address (never
    // with a password), or empty for the local catalogue.
    QString catalogLocation() const;
    void setCatalogLocation(const QString &location);

    // Where the settings are kept.
    static QString fileName();
};

} // namespace sr5n
