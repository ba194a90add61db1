#pragma once

#include <QString>

#include <array>

class QFileDialog;

namespace sr5n {

class DialogHost;
class UserSettings;

// Where the window's file dialogs start: each dialog in the folder the user
// was in when it last closed, and before its first use in the folder the user
// was in with any of them; before that, the dialogs' own default. With
// settings, the folders are also kept for the next run and taken from the
// last one. The dialogs ask startFolder() before they open and tell
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

    // `kept`: where the folders outlive the run; none: this run only. It
    // must outlive this object.
    explicit FileDialogFolders(UserSettings *kept = nullptr) : m_kept(kept) {}

    QString startFolder(Dialog dialog) const;
    void remember(Dialog dialog, const QString &folder);

private:
    std::array<QString, 4> m_folders;
    QString m_last;
    UserSettings *m_kept;
};

// Runs a file dialog made with startFolder() modally through `host`, then
// tells `folders` where the user went: the chosen file's folder, or the
// folder shown when the dialog was cancelled.
int ExecFileDialog(QFileDialog &dialog, const DialogHost &host, FileDialogFolders &folders,
                   FileDialogFolders::Dialog which);

} // namespace sr5n
