#pragma once

#include "common/Notifier.h"
#include "ui/DialogHost.h"

#include <QMessageBox>

namespace sr5n {

// The user-facing Notifier: message boxes where the dialog host puts them
// (never over a disabled window) and the taskbar flash of the application.
class MessageBoxNotifier final : public Notifier
{
public:
    // Without a host the boxes go over the active modal or active window.
    explicit MessageBoxNotifier(const DialogHost *host = nullptr) : m_host(host) {}

    void flash() override;
    void showError(const QString &message) override;
    void showInformation(const QString &message) override;
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override;
    bool askYesNoDefaultNo(const QString &text, QuestionIcon icon, const QString &caption) override;

private:
    bool ask(const QString &text, QuestionIcon icon, const QString &caption,
             QMessageBox::StandardButton byDefault);
    const DialogHost &host() const { return m_host ? *m_host : m_ownHost; }

    const DialogHost *m_host;
    DialogHost m_ownHost;
};

} // namespace sr5n
