#include "ui/MessageBoxNotifier.h"

#include "common/AppTitle.h"

#include <QApplication>
#include <QMessageBox>

namespace sr5n {

void MessageBoxNotifier::flash()
{
    if (QWidget *window = host().parentForDialog())
        QApplication::alert(window->window(), 0);
}

void MessageBoxNotifier::showError(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, AppTitle(), ErrorBoxText(message), QMessageBox::Ok,
                    host().parentForDialog());
    host().exec(box);
}

void MessageBoxNotifier::showInformation(const QString &message)
{
    QMessageBox box(QMessageBox::Information, AppTitle(), message, QMessageBox::Ok,
                    host().parentForDialog());
    host().exec(box);
}

bool MessageBoxNotifier::askYesNo(const QString &text, QuestionIcon icon, const QString &caption)
{
    return ask(text, icon, caption, QMessageBox::Yes);
}

bool MessageBoxNotifier::askYesNoDefaultNo(const QString &text, QuestionIcon icon,
                                           const QString &caption)
{
    return ask(text, icon, caption, QMessageBox::No);
}

bool MessageBoxNotifier::ask(const QString &text, QuestionIcon icon, const QString &caption,
                             QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon == QuestionIcon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                    caption.isEmpty() ? AppTitle() : caption, text,
                    QMessageBox::Yes | QMessageBox::No, host().parentForDialog());
    box.setDefaultButton(byDefault);
    return host().exec(box) == QMessageBox::Yes;
}

} // namespace sr5n
