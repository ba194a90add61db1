#pragma once

#include "common/Notifier.h"

#include <QPointer>
#include <QWidget>

namespace sr5n {

// The user-facing Notifier: message boxes over the given window and the
// taskbar flash of the application.
class MessageBoxNotifier final : public Notifier
{
public:
    explicit MessageBoxNotifier(QWidget *window = nullptr);

    void setWindow(QWidget *window) { m_window = window; }

    void flash() override;
    void showError(const QString &message) override;
    void showInformation(const QString &message) override;
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override;

private:
    QWidget *parentWindow() const;

    QPointer<QWidget> m_window;
};

} // namespace sr5n
