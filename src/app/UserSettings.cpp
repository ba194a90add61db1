#include "app/UserSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace sr5n {

namespace {

const QString LastPortKey = QStringLiteral("port/last");

QString folderKey(UserSettings::Folder dialog)
{
    switch (dialog) {
    case UserSettings::Folder::Open:
        return QStringLiteral("folders/open");
    case UserSettings::Folder::Save:
        return QStringLiteral("folders/save");
    case UserSettings::Folder::Export:
        return QStringLiteral("folders/export");
    }
    return QString();
}

} // namespace

std::unique_ptr<QSettings> UserSettings::open()
{
    // An INI file of the program's own, named without the application title
    // (which holds a slash), in the user's configuration folder.
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("sr5n-configurator"),
                                       QStringLiteral("sr5n-configurator"));
}

QString UserSettings::fileName()
{
    return open()->fileName();
}

QString UserSettings::lastPort() const
{
    return open()->value(LastPortKey).toString();
}

void UserSettings::setLastPort(const QString &port)
{
    const std::unique_ptr<QSettings> settings = open();
    if (port.trimmed().isEmpty() || settings->value(LastPortKey).toString() == port)
        return;
    settings->setValue(LastPortKey, port);
    settings->sync();
}

QString UserSettings::folder(Folder dialog) const
{
    const QString remembered = open()->value(folderKey(dialog)).toString();
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : QString();
}

void UserSettings::setFolderOf(Folder dialog, const QString &file)
{
    if (file.isEmpty())
        return;
    const std::unique_ptr<QSettings> settings = open();
    settings->setValue(folderKey(dialog), QFileInfo(file).absolutePath());
    settings->sync();
}

} // namespace sr5n
