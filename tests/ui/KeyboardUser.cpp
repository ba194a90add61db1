#include "KeyboardUser.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace sr5n::test {

namespace {

constexpr int PollMs = 20;

QString describe(const QWidget *window)
{
    return QStringLiteral("\"%1\" (%2)")
        .arg(window->windowTitle(), QString::fromLatin1(window->metaObject()->className()));
}

} // namespace

KeyboardUser::KeyboardUser(QList<Step> steps) : m_steps(std::move(steps))
{
    QTimer::singleShot(PollMs, this, &KeyboardUser::poll);
}

void KeyboardUser::poll()
{
    // Armed first: a window opened while this one is answered is a nested
    // modal loop, and it must be answered too.
    QTimer::singleShot(PollMs, this, &KeyboardUser::poll);
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
        m_seen = m_answered = nullptr;
        return;
    }
    if (modal == m_answered)
        return;
    // A window is answered at the second look, once it has settled on screen.
    if (modal != m_seen) {
        m_seen = modal;
        return;
    }
    answer(modal);
}

void KeyboardUser::answer(QWidget *modal)
{
    m_answered = modal;
    if (m_steps.isEmpty()) {
        closeByForce(modal, QStringLiteral("unexpected window ") + describe(modal));
        return;
    }
    if (modal->windowTitle() != m_steps.first().title) {
        closeByForce(modal, QStringLiteral("expected \"%1\", came ").arg(m_steps.first().title) +
                                describe(modal));
        return;
    }
    if (!modal->isEnabled()) {
        closeByForce(modal, describe(modal) + QStringLiteral(" is disabled"));
        return;
    }
    QWindow *keyboard = QGuiApplication::focusWindow();
    if (!keyboard || keyboard != modal->windowHandle()) {
        closeByForce(modal, describe(modal) + QStringLiteral(" does not have the keyboard"));
        return;
    }
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !(focus == modal || modal->isAncestorOf(focus))) {
        closeByForce(modal, describe(modal) + QStringLiteral(" has no focused control"));
        return;
    }

    const Step step = m_steps.takeFirst();
    answered.append(step.title);
    if (step.check)
        step.check(modal);
    if (!step.typed.isEmpty()) {
        QTest::keyClick(keyboard, Qt::Key_A, Qt::ControlModifier);
        for (const QChar c : step.typed)
            QTest::sendKeyEvent(QTest::Click, keyboard, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        // A completion list over the field takes Enter itself: dismiss it.
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }
    QTest::keyClick(keyboard, Qt::Key(step.key ? step.key : int(Qt::Key_Return)));
    if (!modal->isVisible())
        m_answered = nullptr;
}

void KeyboardUser::closeByForce(QWidget *modal, const QString &problem)
{
    problems.append(problem);
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace sr5n::test
