#pragma once

#include <QString>

#include <array>

class QFileDialog;

namespace sr5n {

class DialogHost;

// Where the window's file dialogs start in this run: each dialog in the
// folder the user was in when it last closed, and before its first use in
// the folder the user was in with any of them; before that, the dialogs' own
// default. The dialogs ask startFolder() before they open and tell
// remember() where the user went.
class FileDialogFolders final
{
public:
    enum class Dialog {
        OpenConfiguration,
        SaveConfiguration,
        Export,
        ProtocolFile, // saving and adding protocol files
    };

    QString startFolder(Dialog dialog) const;
    void remember(Dialog dialog, const QString &folder);

private:
    std::array<QString, 4> m_folders;
    QString m_last;
};

// Runs a file dialog made with startFolder() modally through `host`, then
// tells `folders` where the user went: the chosen file's folder, or the
// folder shown when the dialog was cancelled.
int ExecFileDialog(QFileDialog &dialog, const DialogHost &host, FileDialogFolders &folders,
                   FileDialogFolders::Dialog which);

} // namespace sr5n
