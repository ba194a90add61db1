#pragma once

#include "common/Expected.h"
#include "common/Notifier.h"

#include <QString>

namespace sr5n {

// Stands in front of a forwarding notifier for one scope, passing everything
// on as it comes, and keeps the last error shown: the reason a result carries.
class FailureWatch final : public Notifier
{
public:
    explicit FailureWatch(ForwardingNotifier &messages);
    ~FailureWatch() override;

    FailureWatch(const FailureWatch &) = delete;
    FailureWatch &operator=(const FailureWatch &) = delete;

    void flash() override { m_shown.flash(); }
    void showError(const QString &message) override;
    void showInformation(const QString &message) override { m_shown.showInformation(message); }
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override
    {
        return m_shown.askYesNo(text, icon, caption);
    }
    bool askYesNoDefaultNo(const QString &text, QuestionIcon icon, const QString &caption) override
    {
        return m_shown.askYesNoDefaultNo(text, icon, caption);
    }

    // The failure with the last error shown (empty when none was).
    Failure failure() const { return Failure{m_lastError}; }

private:
    ForwardingNotifier &m_messages;
    Notifier &m_shown;
    QString m_lastError;
};

} // namespace sr5n
