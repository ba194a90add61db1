#include "ui/FileDialogFolders.h"

#include "app/UserSettings.h"
#include "ui/DialogHost.h"

#include <QFileDialog>
#include <QFileInfo>

namespace sr5n {

namespace {

UserSettings::Folder keptAs(FileDialogFolders::Dialog dialog)
{
    switch (dialog) {
    case FileDialogFolders::Dialog::OpenConfiguration:
        return UserSettings::Folder::OpenConfiguration;
    case FileDialogFolders::Dialog::SaveConfiguration:
        return UserSettings::Folder::SaveConfiguration;
    case FileDialogFolders::Dialog::Export:
        return UserSettings::Folder::Export;
    case FileDialogFolders::Dialog::ProtocolFile:
        break;
    }
    return UserSettings::Folder::ProtocolFile;
}

} // namespace

QString FileDialogFolders::startFolder(Dialog dialog) const
{
    // The dialog's own folder, of this run or an earlier one, before the
    // folder of any dialog.
    const QString &own = m_folders.at(static_cast<size_t>(dialog));
    if (!own.isEmpty())
        return own;
    if (m_kept) {
        if (const QString kept = m_kept->folder(keptAs(dialog)); !kept.isEmpty())
            return kept;
    }
    if (!m_last.isEmpty() || !m_kept)
        return m_last;
    return m_kept->folder(UserSettings::Folder::AnyDialog);
}

void FileDialogFolders::remember(Dialog dialog, const QString &folder)
{
    if (folder.isEmpty())
        return;
    m_folders.at(static_cast<size_t>(dialog)) = folder;
    m_last = folder;
    if (m_kept) {
        m_kept->setFolder(keptAs(dialog), folder);
        m_kept->setFolder(UserSettings::Folder::AnyDialog, folder);
    }
}

int ExecFileDialog(QFileDialog &dialog, const DialogHost &host, FileDialogFolders &folders,
                   FileDialogFolders::Dialog which)
{
    const int result = host.exec(dialog);
    const QStringList chosen = dialog.selectedFiles();
    if (result == QDialog::Accepted && !chosen.isEmpty())
        folders.remember(which, QFileInfo(chosen.constFirst()).absolutePath());
    else
        folders.remember(which, dialog.directory().absolutePath());
    return result;
}

} // namespace sr5n
