#pragma once

#include "protocols/ProtocolDialogs.h"
#include "ui/OnFirstUse.h"

#include <QPointer>

#include <functional>

namespace sr5n {

class DialogHost;
class FileDialogFolders;
class TfrmSaveNewProtocol;

// The protocol library's dialogs in the program: the name dialog and the
// desktop's file dialogs for protocol files, each opened where the dialog
// host puts it (a device operation may be running), the file dialogs in the
// folder the user was in with them last. The open dialog offers the file
// chosen last time again.
class ProtocolLibraryDialogs final : public ProtocolDialogs
{
public:
    // The host and the folders must outlive this object.
    ProtocolLibraryDialogs(const DialogHost &host, FileDialogFolders &folders)
        : m_host(host), m_folders(folders)
    {
    }

    void setNameDialog(TfrmSaveNewProtocol *dialog);
    // The name dialog made when first asked for.
    void setNameDialog(std::function<TfrmSaveNewProtocol *()> make);

    std::optional<QString> askProtocolName(const QString &caption, const QString &message,
                                           const QStringList &names, const QString &name,
                                           const QStringList &taken) override;
    std::optional<QString> askSaveFile(const QString &fileName) override;
    std::optional<QString> askOpenFile() override;

private:
    const DialogHost &m_host;
    FileDialogFolders &m_folders;
    OnFirstUse<TfrmSaveNewProtocol> m_nameDialog;
    QString m_lastOpened;
};

} // namespace sr5n
