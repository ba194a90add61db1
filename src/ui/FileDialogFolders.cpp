#include "ui/FileDialogFolders.h"

#include "ui/DialogHost.h"

#include <QFileDialog>
#include <QFileInfo>

namespace sr5n {

QString FileDialogFolders::startFolder(Dialog dialog) const
{
    const QString &own = m_folders.at(static_cast<size_t>(dialog));
    return own.isEmpty() ? m_last : own;
}

void FileDialogFolders::remember(Dialog dialog, const QString &folder)
{
    if (folder.isEmpty())
        return;
    m_folders.at(static_cast<size_t>(dialog)) = folder;
    m_last = folder;
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
