#include "components/TWinSpinEdit.h"

#include "components/GridAccessible.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QToolButton>

#include <limits>

namespace sr5n {

namespace {

constexpr int kButtonWidth = 15;

int clampToInt(qint64 value)
{
    return int(qBound(qint64(std::numeric_limits<int>::min()), value,
                      qint64(std::numeric_limits<int>::max())));
}

std::optional<qint64> readInteger(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

TWinSpinEdit::TWinSpinEdit(QWidget *parent)
    : QLineEdit(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    for (QToolButton *button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setCursor(Qt::ArrowCursor);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    // The arrows have no caption; screen readers name them.
    m_up->setAccessibleName(QStringLiteral("Больше"));
    m_down->setAccessibleName(QStringLiteral("Меньше"));
    InstallGridAccessibility();
    connect(m_up, &QToolButton::clicked, this, [this] { Click(btNext); });
    connect(m_down, &QToolButton::clicked, this, [this] { Click(btPrev); });
    connect(this, &QLineEdit::textChanged, this, &TWinSpinEdit::onTextChanged);

    setTextMargins(0, 0, kButtonWidth, 0);
    setMinimumHeight(MinHeight());
    m_writingText = true;
    setText(QStringLiteral("0"));
    m_writingText = false;
    m_lastText = text();
    layoutButtons();
}

std::optional<int> TWinSpinEdit::CheckValue(qint64 candidate) const
{
    if (m_increment == 0 || (candidate < 0 && !m_signed))
        return std::nullopt;
    qint64 result;
    if (m_minValue == m_maxValue || (candidate >= m_minValue && candidate <= m_maxValue))
        result = candidate - (candidate - m_minValue) % m_increment;
    else if (candidate < m_minValue)
        result = m_wrap ? m_maxValue : m_minValue;
    else
        result = m_wrap ? m_minValue : m_maxValue;
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(result);
}

void TWinSpinEdit::SetValue(int value)
{
    const auto checked = CheckValue(value);
    if (!checked)
        return;
    m_value = *checked;
    showValue();
}

void TWinSpinEdit::showValue()
{
    const QString shown = QString::number(m_value);
    if (shown == text())
        return;
    m_writingText = true;
    setText(shown);
    m_writingText = false;
}

void TWinSpinEdit::SetMaxValue(int value)
{
    if ((value < 0 && !m_signed) || value < m_minValue)
        return;
    if (value != m_minValue) {
        if (m_value > value)
            SetValue(value);
        else if (m_value < m_minValue)
            SetValue(m_minValue);
    }
    m_maxValue = value;
}

void TWinSpinEdit::SetMinValue(int value)
{
    if ((value < 0 && !m_signed) || value > m_maxValue)
        return;
    if (value != m_maxValue) {
        if (m_value < value)
            SetValue(value);
        else if (m_value > m_maxValue)
            SetValue(m_maxValue);
    }
    m_minValue = value;
}

void TWinSpinEdit::SetSigned(bool value)
{
    if (!value) {
        m_maxValue = qMax(m_maxValue, 0);
        m_minValue = qMax(m_minValue, 0);
        if (m_value < 0) {
            m_value = 0;
            showValue();
        }
    }
    m_signed = value;
}

void TWinSpinEdit::SetEditorEnabled(bool value)
{
    m_editorEnabled = value;
}

void TWinSpinEdit::CorrectEntry()
{
    if (const auto typed = readInteger(text())) {
        if (const auto checked = CheckValue(*typed))
            m_value = *checked;
    }
    showValue();
}

void TWinSpinEdit::Click(TUDBtnType button)
{
    if (!isReadOnly())
        SetValue(
            clampToInt(qint64(m_value) + (button == btNext ? m_increment : -qint64(m_increment))));
    if (OnBtnClick)
        OnBtnClick(this, button);
}

void TWinSpinEdit::onTextChanged(const QString &newText)
{
    if (!m_writingText) {
        if (const auto typed = readInteger(newText)) {
            const auto checked = CheckValue(*typed);
            if (!checked) {
                // Refused: the text goes back to what it was, quietly.
                const QSignalBlocker quiet(this);
                const int cursor = cursorPosition();
                setText(m_lastText);
                setCursorPosition(qMin(cursor, int(m_lastText.size())));
                return;
            }
            m_value = *checked;
        }
    }
    m_lastText = newText;
    if (OnChange)
        OnChange(this);
}

int TWinSpinEdit::MinHeight() const
{
    constexpr int borderWidth = 1;
    const int fontHeight = fontMetrics().height();
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    return 4 * borderWidth + fontHeight + qMin(fontHeight, systemHeight) / 4 + 2;
}

QSize TWinSpinEdit::minimumSizeHint() const
{
    QSize size = QLineEdit::minimumSizeHint();
    size.setHeight(qMax(size.height(), MinHeight()));
    size.setWidth(size.width() + kButtonWidth);
    return size;
}

QSize TWinSpinEdit::sizeHint() const
{
    QSize size = QLineEdit::sizeHint();
    size.setHeight(qMax(size.height(), MinHeight()));
    return size;
}

void TWinSpinEdit::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && m_arrowKeys) {
        const qint64 step = key == Qt::Key_Up ? m_increment : -qint64(m_increment);
        SetValue(clampToInt(qint64(m_value) + step));
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CorrectEntry();
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (!cutPasteAllowed() &&
        (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)))
        return;
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar c = typed.at(0);
        if (c == u'-') {
            if (m_signed)
                SetValue(clampToInt(-qint64(m_value)));
            return;
        }
        if (!c.isDigit() || c.unicode() > 0x7f)
            return;
    }
    QLineEdit::keyPressEvent(event);
}

void TWinSpinEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    const bool leftClick =
        event->reason() == Qt::MouseFocusReason && (QApplication::mouseButtons() & Qt::LeftButton);
    if (leftClick || event->reason() == Qt::PopupFocusReason)
        return;
    if (m_autoSelect)
        selectAll();
    else
        deselect();
}

void TWinSpinEdit::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::PopupFocusReason)
        CorrectEntry();
    QLineEdit::focusOutEvent(event);
}

void TWinSpinEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    layoutButtons();
}

void TWinSpinEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        setMinimumHeight(MinHeight());
}

void TWinSpinEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!cutPasteAllowed()) {
        for (QAction *action : menu->actions()) {
            const QString name = action->objectName();
            if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-paste") ||
                name == QLatin1String("edit-delete"))
                action->setEnabled(false);
        }
    }
    menu->popup(event->globalPos());
}

void TWinSpinEdit::dragEnterEvent(QDragEnterEvent *event)
{
    if (!cutPasteAllowed()) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void TWinSpinEdit::dropEvent(QDropEvent *event)
{
    if (!cutPasteAllowed()) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void TWinSpinEdit::layoutButtons()
{
    const QRect area = rect().adjusted(1, 1, -1, -1);
    const int half = area.height() / 2;
    m_up->setGeometry(area.right() - kButtonWidth + 1, area.top(), kButtonWidth, half);
    m_down->setGeometry(area.right() - kButtonWidth + 1, area.top() + half, kButtonWidth,
                        area.height() - half);
}

} // namespace sr5n
