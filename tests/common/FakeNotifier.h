#pragma once

#include "common/Notifier.h"
#include "common/QtPrinters.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sr5n::test {

// Records what the logic shows the user and answers questions from a script.
class FakeNotifier final : public Notifier
{
public:
    struct Question {
        QString text;
        QuestionIcon icon;
        QString caption;
        bool defaultNo = false; // Enter answers No
    };

    void flash() override { ++flashes; }
    void showError(const QString &message) override { errors.append(message); }
    void showInformation(const QString &message) override { informations.append(message); }
    bool askYesNo(const QString &text, QuestionIcon icon, const QString &caption) override;
    bool askYesNoDefaultNo(const QString &text, QuestionIcon icon, const QString &caption) override;

    void clear();

    int flashes = 0;
    QStringList errors; // messages as passed, before the error box adds its "."
    QStringList informations;
    QList<Question> questions;
    QList<bool> answers; // consumed in order; "No" when empty
};

} // namespace sr5n::test
