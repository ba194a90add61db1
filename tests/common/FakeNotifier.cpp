#include "common/FakeNotifier.h"

namespace sr5n::test {

bool FakeNotifier::askYesNo(const QString &text, QuestionIcon icon, const QString &caption)
{
    questions.append({text, icon, caption});
    return answers.isEmpty() ? false : answers.takeFirst();
}

bool FakeNotifier::askYesNoDefaultNo(const QString &text, QuestionIcon icon, const QString &caption)
{
    questions.append({text, icon, caption, true});
    return answers.isEmpty() ? false : answers.takeFirst();
}

void FakeNotifier::clear()
{
    flashes = 0;
    errors.clear();
    informations.clear();
    questions.clear();
    answers.clear();
}

} // namespace sr5n::test
