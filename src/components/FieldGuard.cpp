#include "components/FieldGuard.h"

#include "common/FieldRules.h"
#include "common/Notifier.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

namespace sr5n {

std::optional<QChar> TypedCharacter(const QKeyEvent &event)
{
    if (event.matches(QKeySequence::Copy))
        return QChar(KeyCopy);
    if (event.matches(QKeySequence::Paste))
        return QChar(KeyPaste);
    if (event.matches(QKeySequence::Cut))
        return QChar(KeyCut);
    if (event.matches(QKeySequence::SelectAll))
        return QChar(KeySelectAll);
    switch (event.key()) {
    case Qt::Key_Backspace:
        return QChar(KeyBackspace);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(KeyEnter);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
        return std::nullopt;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    return text.at(0);
}

bool ValidateField(QLineEdit &field, QStringView allowed, int padLength, Notifier &notifier)
{
    bool valid = true;
    if (FirstInvalidCharacter(field.text(), allowed)) {
        valid = false;
        notifier.showError(InvalidCharactersMessage());
        field.undo();
        if (FirstInvalidCharacter(field.text(), allowed)) {
            QString kept;
            for (QChar c : field.text()) {
                if (allowed.contains(c))
                    kept.append(c);
            }
            field.setText(kept);
        }
    }
    QString text = field.text().toUpper();
    if (padLength > 0)
        text = PadWithZeros(text, padLength);
    if (text != field.text())
        field.setText(text);
    return valid;
}

FieldGuard::FieldGuard(QLineEdit *field, QString allowed, int padLength, Notifier &notifier,
                       std::function<void()> afterLeave)
    : QObject(field), m_field(field), m_allowed(std::move(allowed)), m_padLength(padLength),
      m_notifier(notifier), m_afterLeave(std::move(afterLeave))
{
    field->installEventFilter(this);
}

void FieldGuard::validate()
{
    if (m_validating)
        return;
    m_validating = true;
    ValidateField(*m_field, m_allowed, m_padLength, m_notifier);
    m_validating = false;
}

void FieldGuard::leave()
{
    if (m_validating)
        return;
    validate();
    if (m_afterLeave)
        m_afterLeave();
}

void LeaveFocusedField()
{
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!field)
        return;
    const QObjectList children = field->children();
    for (QObject *child : children) {
        if (auto *guard = dynamic_cast<FieldGuard *>(child))
            guard->leave();
    }
}

bool FieldGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_field)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const std::optional<QChar> typed = TypedCharacter(*static_cast<QKeyEvent *>(event));
        if (!typed)
            return false;
        if (!FilterKey(*typed, m_allowed))
            return true;
        if (typed->unicode() == KeyEnter) {
            validate();
            return false;
        }
        if (typed->isLower()) {
            m_field->insert(QString(typed->toUpper()));
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        // A context menu or another window taking the focus is not leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            leave();
    }
    return false;
}

} // namespace sr5n
