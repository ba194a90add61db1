#include "ui/MessageBoxNotifier.h"

#include "common/AppTitle.h"

#include <QApplication>
#include <QMessageBox>

namespace sr5n {

MessageBoxNotifier::MessageBoxNotifier(QWidget *window) : m_window(window) {}

QWidget *MessageBoxNotifier::parentWindow() const
{
    // A box over a disabled window would be disabled too (the main window is
    // disabled while the progress window is shown): then it takes the active
    // window, or no parent at all.
    for (QWidget *candidate : {QApplication::activeModalWidget(), static_cast<QWidget *>(m_window),
                               QApplication::activeWindow()}) {
        if (candidate && candidate->isEnabled())
            return candidate;
    }
    return nullptr;
}

void MessageBoxNotifier::flash()
{
    if (QWidget *window = parentWindow())
        QApplication::alert(window->window(), 0);
}

void MessageBoxNotifier::showError(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, AppTitle(), ErrorBoxText(message), QMessageBox::Ok,
                    parentWindow());
    box.exec();
}

void MessageBoxNotifier::showInformation(const QString &message)
{
    QMessageBox box(QMessageBox::Information, AppTitle(), message, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool MessageBoxNotifier::askYesNo(const QString &text, QuestionIcon icon, const QString &caption)
{
    QMessageBox box(icon == QuestionIcon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                    caption.isEmpty() ? AppTitle() : caption, text,
                    QMessageBox::Yes | QMessageBox::No, parentWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace sr5n
