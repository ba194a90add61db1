#include "app/UserSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace sr5n {

namespace {

const QString kVerifyWrites = QStringLiteral("configuration/verifyWrites");

} // namespace

UserSettings::UserSettings(QString path) : m_path(std::move(path)) {}

QString UserSettings::defaultPath()
{
    // ~/.config/sr5n-configurator/sr5n-configurator.conf for the program.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return QDir(folder).filePath(QStringLiteral("sr5n-configurator.conf"));
}

bool UserSettings::verifyWrites() const
{
    return QSettings(m_path, QSettings::IniFormat).value(kVerifyWrites, false).toBool();
}

void UserSettings::setVerifyWrites(bool on)
{
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(kVerifyWrites, on);
}

} // namespace sr5n
