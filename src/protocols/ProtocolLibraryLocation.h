#pragma once

#include <QString>

namespace sr5n {

// Where the protocol library prtcls.bin is read and written. Beside the
// executable when that folder is writable (a build tree, a portable copy);
// otherwise in the user's own data folder, where the user's library is
// started from the installed one on first use and then kept across upgrades.
class ProtocolLibraryLocation final
{
public:
    static QString fileName() { return QStringLiteral("prtcls.bin"); }

    // The folder of the library for an installation in `installationFolder`
    // and a user whose data folder is `userFolder`. When the user's folder is
    // chosen and holds no library yet, it is created and the installed library
    // copied into it; a library already there is never replaced. When the
    // copy cannot be made (a data folder the user cannot write), the installed
    // library is read where it is.
    static QString prepare(const QString &installationFolder, bool installationWritable,
                           const QString &userFolder);

    // Earlier versions ran the program from a copy of the whole installation
    // in the user's data folder. Removes the copied program and data from
    // `userFolder` (the files named as files of `installationFolder`), keeping
    // the user's library; nothing when the two folders are one.
    static void removeCopiedInstallation(const QString &installationFolder,
                                         const QString &userFolder);

    // Why a protocol cannot be registered in the library in `folder`
    // (it cannot be written); empty when it can.
    static QString registrationProblem(const QString &folder);

    // True when files can be created in `folder` by this process.
    static bool isWritableFolder(const QString &folder);

    // The folder for an installation in `installationFolder` and the user
    // running the program: the user's data folder is the application's
    // (QStandardPaths::AppDataLocation).
    static QString forInstallation(const QString &installationFolder);
};

} // namespace sr5n
