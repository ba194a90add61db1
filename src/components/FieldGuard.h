#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

class QKeyEvent;
class QLineEdit;

namespace sr5n {

class Notifier;

// The character a key press types into a text field, as the key filter sees
// it: Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X, Backspace and Enter give their control codes;
// keys that type nothing (arrows, Delete, Tab, Home) and Esc, which belongs to
// the dialog, give none and are never filtered.
std::optional<QChar> TypedCharacter(const QKeyEvent &event);

// ValidateField: at the first character of the field outside `allowed`, shows
// "В поле присутствуют недопустимые символы" once and undoes the field's last
// change; characters outside the set that are still there afterwards (an
// earlier change that was never checked) are taken out, so the field never
// keeps them. Then the text is upper-cased and, when `padLength` is above 0,
// "0" characters are put in front up to that length. Returns false when the
// text held characters outside the set.
bool ValidateField(QLineEdit &field, QStringView allowed, int padLength, Notifier &notifier);

// The key filter and the checks of one text field: a typed character outside
// `allowed` is discarded, a letter is typed in upper case, Enter validates the
// field, and leaving the field validates it too and then runs `afterLeave`.
class FieldGuard final : public QObject
{
public:
    FieldGuard(QLineEdit *field, QString allowed, int padLength, Notifier &notifier,
               std::function<void()> afterLeave = {});

    // The checks of Enter.
    void validate();
    // The checks of leaving the field: validate, then `afterLeave`.
    void leave();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field;
    QString m_allowed;
    int m_padLength;
    Notifier &m_notifier;
    std::function<void()> m_afterLeave;
    bool m_validating = false;
};

// Runs the leave checks of the focused text field, if it has a FieldGuard, as
// if the focus had left it. For commands that run without taking the focus, so
// that they see padded codes and checked phone numbers.
void LeaveFocusedField();

} // namespace sr5n
