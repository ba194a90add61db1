#pragma once

#include <QPointer>
#include <QWidget>

class QDialog;

namespace sr5n {

// Where the program's dialogs open. A device operation disables the main
// window under the progress window, and a dialog over a disabled window is
// disabled with it: it could be neither answered nor closed. So a dialog
// opens over the modal window already open, else over the progress window
// while that is shown, else over the main window.
class DialogHost final
{
public:
    explicit DialogHost(QWidget *mainWindow = nullptr) : m_main(mainWindow) {}

    void setProgressWindow(QWidget *progress) { m_progress = progress; }

    // The window a dialog opened now belongs over; nullptr when none is enabled.
    QWidget *parentForDialog() const;
    // Runs `dialog` modally over parentForDialog(), enabled, in front and with
    // the keyboard focus. A dialog kept for reuse goes back to its own parent
    // afterwards.
    int exec(QDialog &dialog) const;

private:
    QPointer<QWidget> m_main;
    QPointer<QWidget> m_progress;
};

} // namespace sr5n
