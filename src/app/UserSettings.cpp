#include "app/UserSettings.h"

#include "link/NetworkAddress.h"

#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace sr5n {

namespace {

const QString LastPortKey = QStringLiteral("port/last");
const QString NetworkPortsKey = QStringLiteral("port/network");
const QString VerifyWritesKey = QStringLiteral("configuration/verifyWrites");
const QString CatalogKey = QStringLiteral("catalog/location");

QString folderKey(UserSettings::Folder dialog)
{
    switch (dialog) {
    case UserSettings::Folder::OpenConfiguration:
        return QStringLiteral("folders/open");
    case UserSettings::Folder::SaveConfiguration:
        return QStringLiteral("folders/save");
    case UserSettings::Folder::Export:
        return QStringLiteral("folders/export");
    case UserSettings::Folder::ProtocolFile:
        return QStringLiteral("folders/protocols");
    case UserSettings::Folder::AnyDialog:
        return QStringLiteral("folders/last");
    }
    return QString();
}

// An INI file of the program's own, named without the application title
// (which holds a slash), in the user's configuration folder.
std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("sr5n-configurator"),
                                       QStringLiteral("sr5n-configurator"));
}

QString value(const QString &key)
{
    return openSettings()->value(key).toString();
}

// Written at once, so that a later crash loses nothing; an empty value is
// never stored.
void store(const QString &key, const QString &text)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (text.trimmed().isEmpty() || settings->value(key).toString() == text)
        return;
    settings->setValue(key, text);
    settings->sync();
}

} // namespace

QString UserSettings::fileName()
{
    return openSettings()->fileName();
}

QString UserSettings::lastPort() const
{
    return value(LastPortKey);
}

void UserSettings::setLastPort(const QString &port)
{
    store(LastPortKey, port);
    if (!NetworkAddress::parse(port))
        return;
    QStringList used = networkPorts();
    if (!used.isEmpty() && used.constFirst() == port)
        return;
    used.removeAll(port);
    used.prepend(port);
    while (used.size() > MaxNetworkPorts)
        used.removeLast();
    const std::unique_ptr<QSettings> settings = openSettings();
    settings->setValue(NetworkPortsKey, used);
    settings->sync();
}

QStringList UserSettings::networkPorts() const
{
    QStringList used = openSettings()->value(NetworkPortsKey).toStringList();
    used.removeIf([](const QString &name) { return !NetworkAddress::parse(name); });
    return used;
}

QString UserSettings::folder(Folder dialog) const
{
    const QString remembered = value(folderKey(dialog));
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QString();
}

void UserSettings::setFolder(Folder dialog, const QString &folder)
{
    store(folderKey(dialog), folder);
}

bool UserSettings::verifyWrites() const
{
    return openSettings()->value(VerifyWritesKey, false).toBool();
}

void UserSettings::setVerifyWrites(bool on)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    settings->setValue(VerifyWritesKey, on);
    settings->sync();
}

QString UserSettings::catalogLocation() const
{
    return value(CatalogKey);
}

void UserSettings::setCatalogLocation(const QString &location)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    if (location.trimmed().isEmpty())
        settings->remove(CatalogKey);
    else
        settings->setValue(CatalogKey, location.trimmed());
    settings->sync();
}

} // namespace sr5n
