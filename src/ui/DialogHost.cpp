#include "ui/DialogHost.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace sr5n {

namespace {

bool canHost(const QWidget *window)
{
    return window && window->isVisible() && window->isEnabled();
}

void bringToFront(QDialog &dialog)
{
    // An active window gives the keyboard focus to its first control when it
    // has none yet.
    dialog.raise();
    dialog.activateWindow();
}

} // namespace

QWidget *DialogHost::parentForDialog() const
{
    if (QWidget *modal = QApplication::activeModalWidget(); canHost(modal))
        return modal;
    if (canHost(m_progress))
        return m_progress;
    if (m_main && m_main->isEnabled())
        return m_main;
    if (QWidget *active = QApplication::activeWindow(); canHost(active))
        return active;
    return nullptr;
}

int DialogHost::exec(QDialog &dialog) const
{
    const QPointer<QWidget> host = parentForDialog();
    const QPointer<QWidget> owner = dialog.parentWidget();
    const Qt::WindowFlags flags = dialog.windowFlags();
    const bool moved = host != owner;
    if (moved)
        dialog.setParent(host, flags);
    dialog.setEnabled(true);
    QTimer::singleShot(0, &dialog, [&dialog] { bringToFront(dialog); });
    const int result = dialog.exec();
    if (moved)
        dialog.setParent(owner, flags);
    // The keyboard goes back to the window the dialog opened over.
    if (host && host->isVisible())
        host->activateWindow();
    return result;
}

} // namespace sr5n
