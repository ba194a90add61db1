#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

class QToolButton;

namespace sr5n {

// An integer entry field with up and down buttons at its right edge. It keeps
// `Value` on multiples of `Increment` counted from `MinValue`, within the bounds
// (none while `MinValue` equals `MaxValue`), and lets only digits be typed.
//
// Events are handler members run synchronously, like every event of the grid
// that hosts this field: `OnBtnClick` after each press of a button, `OnChange`
// after each change of the text.
class TWinSpinEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum TUDBtnType { btNext, btPrev }; // up, down

    explicit TWinSpinEdit(QWidget *parent = nullptr);

    int Value() const { return m_value; }
    void SetValue(int value);
    int MinValue() const { return m_minValue; }
    void SetMinValue(int value);
    int MaxValue() const { return m_maxValue; }
    void SetMaxValue(int value);
    int Increment() const { return m_increment; }
    void SetIncrement(int value) { m_increment = value; }
    bool Signed() const { return m_signed; }
    void SetSigned(bool value);
    bool Wrap() const { return m_wrap; }
    void SetWrap(bool value) { m_wrap = value; }
    bool ArrowKeys() const { return m_arrowKeys; }
    void SetArrowKeys(bool value) { m_arrowKeys = value; }
    bool EditorEnabled() const { return m_editorEnabled; }
    void SetEditorEnabled(bool value);
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool value) { m_autoSelect = value; }
    QString Text() const { return text(); }
    void SetText(const QString &value) { setText(value); }

    // What Enter and leaving the field do: an integer text becomes `Value`
    // through the value rule and the text shows the result; any other text is
    // replaced by the current `Value`.
    void CorrectEntry();
    // A press of the up or down button.
    void Click(TUDBtnType button);

    // The value rule: the value `candidate` becomes, or nothing when it is refused.
    std::optional<int> CheckValue(qint64 candidate) const;
    // The lowest height the field's font needs.
    int MinHeight() const;

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    std::function<void(TWinSpinEdit *sender, TUDBtnType button)> OnBtnClick;
    std::function<void(TWinSpinEdit *sender)> OnChange;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool cutPasteAllowed() const { return m_editorEnabled && !isReadOnly(); }
    void showValue();
    void onTextChanged(const QString &text);
    void layoutButtons();

    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
    int m_value = 0;
    int m_minValue = 0;
    int m_maxValue = 0;
    int m_increment = 1;
    bool m_signed = true;
    bool m_wrap = false;
    bool m_arrowKeys = true;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
    bool m_writingText = false; // the field itself is writing its text
    QString m_lastText;
};

} // namespace sr5n
