#pragma once

#include "protocols/ProtocolDialogs.h"

#include <QPointer>

class QWidget;

namespace sr5n {

class TfrmSaveNewProtocol;

// The protocol library's dialogs in the program: the name dialog and the
// desktop's file dialogs for protocol files. The open dialog offers the file
// chosen last time again.
class ProtocolLibraryDialogs final : public ProtocolDialogs
{
public:
    explicit ProtocolLibraryDialogs(QWidget *parent) : m_parent(parent) {}

    void setNameDialog(TfrmSaveNewProtocol *dialog);

    std::optional<QString> askProtocolName(const QString &caption, const QString &message,
                                           const QStringList &names, const QString &name,
                                           const QStringList &taken) override;
    std::optional<QString> askSaveFile(const QString &fileName) override;
    std::optional<QString> askOpenFile() override;

private:
    QWidget *m_parent;
    QPointer<TfrmSaveNewProtocol> m_nameDialog;
    QString m_folder;
    QString m_lastOpened;
};

} // namespace sr5n
