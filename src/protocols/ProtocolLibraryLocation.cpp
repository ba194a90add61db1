#include "protocols/ProtocolLibraryLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace sr5n {

QString ProtocolLibraryLocation::prepare(const QString &installationFolder,
                                         bool installationWritable, const QString &userFolder)
{
    if (installationWritable || userFolder.isEmpty())
        return installationFolder;
    removeCopiedInstallation(installationFolder, userFolder);
    const QString userLibrary = QDir(userFolder).filePath(fileName());
    if (QFileInfo::exists(userLibrary))
        return userFolder;
    const QString installed = QDir(installationFolder).filePath(fileName());
    if (!QFileInfo::exists(installed))
        return userFolder; // nothing to copy: the first registration creates the user's file
    if (QDir().mkpath(userFolder) && QFile::copy(installed, userLibrary)) {
        QFile::setPermissions(userLibrary, QFile::permissions(userLibrary) | QFile::ReadOwner |
                                               QFile::WriteOwner);
        return userFolder;
    }
    // A data folder the user cannot write: the installed library is read as
    // it is, and only registering a protocol is refused.
    return installationFolder;
}

void ProtocolLibraryLocation::removeCopiedInstallation(const QString &installationFolder,
                                                       const QString &userFolder)
{
    const QDir installation(installationFolder);
    const QDir user(userFolder);
    // The copy always held the executable; without it this is not a copy.
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (!user.exists() || installation.canonicalPath() == user.canonicalPath() ||
        executable.isEmpty() || !QFileInfo(user.filePath(executable)).isFile())
        return;
    for (const QString &name : installation.entryList(QDir::Files)) {
        if (name != fileName() && QFileInfo(user.filePath(name)).isFile())
            QFile::remove(user.filePath(name));
    }
}

bool ProtocolLibraryLocation::isWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString ProtocolLibraryLocation::registrationProblem(const QString &folder)
{
    if (isWritableFolder(folder))
        return {};
    return QStringLiteral("папка библиотеки протоколов \"%1\" недоступна для записи")
        .arg(QDir::toNativeSeparators(folder));
}

QString ProtocolLibraryLocation::forInstallation(const QString &installationFolder)
{
    return prepare(installationFolder, isWritableFolder(installationFolder),
                   QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace sr5n
