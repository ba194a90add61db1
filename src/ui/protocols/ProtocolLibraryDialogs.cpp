#include "ui/protocols/ProtocolLibraryDialogs.h"

#include "ui/DialogHost.h"
#include "ui/FileDialogFolders.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace sr5n {

using Folder = FileDialogFolders::Dialog;

void ProtocolLibraryDialogs::setNameDialog(TfrmSaveNewProtocol *dialog)
{
    m_nameDialog.set(dialog);
}

void ProtocolLibraryDialogs::setNameDialog(std::function<TfrmSaveNewProtocol *()> make)
{
    m_nameDialog.setMaker(std::move(make));
}

std::optional<QString> ProtocolLibraryDialogs::askProtocolName(const QString &caption,
                                                               const QString &message,
                                                               const QStringList &names,
                                                               const QString &name,
                                                               const QStringList &taken)
{
    TfrmSaveNewProtocol *dialog = m_nameDialog.get();
    if (!dialog)
        return std::nullopt;
    dialog->prepare(caption, message, names, name, taken);
    if (m_host.exec(*dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog->name();
}

std::optional<QString> ProtocolLibraryDialogs::askSaveFile(const QString &fileName)
{
    QFileDialog dialog(m_host.parentForDialog(), ProtocolSaveTitle(),
                       m_folders.startFolder(Folder::ProtocolFile), ProtocolFileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(ProtocolFileExtension());
    dialog.selectFile(fileName);
    if (ExecFileDialog(dialog, m_host, m_folders, Folder::ProtocolFile) != QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> ProtocolLibraryDialogs::askOpenFile()
{
    QFileDialog dialog(m_host.parentForDialog(), ProtocolOpenTitle(),
                       m_folders.startFolder(Folder::ProtocolFile), ProtocolFileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!m_lastOpened.isEmpty())
        dialog.selectFile(m_lastOpened);
    if (ExecFileDialog(dialog, m_host, m_folders, Folder::ProtocolFile) != QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    m_lastOpened = QFileInfo(path).fileName();
    return path;
}

} // namespace sr5n
