#pragma once

#include "components/DrawGrid.h"
#include "components/TMultiCollection.h"

#include <functional>

class QCheckBox;
class QDateTimeEdit;
class QLineEdit;
class QMenu;
class QProgressBar;

namespace sr5n {

class TGridButton;
class TWinSpinEdit;

// A grid whose cells each carry a type, text, layout, colours and editing
// rules, and over whose current cell the grid lays the matching editor: a text
// field, a TWinSpinEdit, a date-time picker, or a button that opens the combo
// list (a popup menu) or the cell's modal dialog. Progress and check cells are
// drawn in place.
//
// Cells are addressed by column, then row: Cells(ACol, ARow).
//
// Events are std::function handler members named after the events. They run
// synchronously, in a fixed order, with the grid as Sender; arguments passed
// by reference (Key, CanSelect) may be changed by the handler: a key set to 0
// is discarded, CanSelect = false keeps the current cell. Handlers may set
// cell properties, including the current cell's Text (an OnEditorApply that
// puts back the previous text sees the editor laid over the cell again).
//
// Choices of this grid:
// - Cells() and Column() give nullptr for any index outside the counts.
// - TMultiCell::SetText() returns false when a date-time cell's text does not
//   read; the cell keeps its text. A cell reads its own text format before the
//   locale's rules, so a text it stored always reads back.
// - MDrawCell() and the cell setters invalidate only the cell's rectangle; Qt
//   paints it in the next paint pass, several changes in one pass.
// - A left press on a dialog button runs the dialog just after the press has
//   been delivered; Enter and Space run it at once. Without a DlgForm,
//   OnDialogClose gets QDialog::Rejected.
// - Clear() empties date-time cells directly (their setter refuses "").
// - A character typed on the grid (after OnKeyPress let it through) opens the
//   current text or spin cell's editor with that character, as tables do.
//   Entering the text editor, by key or by a click into it, selects its text.
// - Enabled text is drawn in the FontColor a host chose; otherwise in the
//   palette's text colour, or in black or white where that would not read on
//   the cell's background (contrast below 4.5:1, as a dark palette's light
//   text on a fixed light colour). A disabled check box is filled grey.
// - PasswordChar switches the text editor to the style's password echo;
//   UseEditText takes the editor's displayed text, mask literals included;
//   CalAlignment is kept but Qt's calendar popup always drops down below.
class TMultiGrid : public DrawGrid
{
    Q_OBJECT

public:
    explicit TMultiGrid(QWidget *parent = nullptr);
    ~TMultiGrid() override;

    // The cell; nothing for an index outside the counts.
    TMultiCell *Cells(int ACol, int ARow) const;
    // The column; nothing for an index outside the count.
    TMultiColumn *Column(int ACol) const { return m_columns.Items(ACol); }
    const TMultiCollection &Columns() const { return m_columns; }

    void SetColCount(int value);
    void SetRowCount(int value);

    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor &value);
    TAlignmentH AlignmentH() const { return m_alignmentH; }
    void SetAlignmentH(TAlignmentH value);
    TAlignmentV AlignmentV() const { return m_alignmentV; }
    void SetAlignmentV(TAlignmentV value);
    int IndentH() const { return m_indentH; }
    void SetIndentH(int value);
    int IndentV() const { return m_indentV; }
    void SetIndentV(int value);
    int Tag() const { return m_tag; }
    void SetTag(int value);
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value);
    bool HideFocus() const { return m_hideFocus; }
    void SetHideFocus(bool value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool ToolTips() const { return m_toolTips; }
    void SetToolTips(bool value) { m_toolTips = value; }
    QString EditorText() const;
    void SetEditorText(const QString &value);

    // Empties the text of every cell outside the fixed rows and columns.
    void Clear();
    // Hides the text editor, the spin editor, the date-time picker and the button.
    void HideControls();
    // Redraws one cell.
    void MDrawCell(int ACol, int ARow);

    // What screen readers call a column (its header texts, else its number), a
    // row (the texts of its fixed columns, else of its first cell, else its
    // number) and a cell (its column's name and its row's).
    QString AccessibleColumnName(int ACol) const;
    QString AccessibleRowName(int ARow) const;
    QString AccessibleCellName(int ACol, int ARow) const;

    // The in-place controls, for hosts that style them and for tests.
    QLineEdit *textEditor() const { return m_textEditor; }
    TWinSpinEdit *spinEditor() const { return m_spinEditor; }
    QDateTimeEdit *dateTimeEditor() const { return m_dateEditor; }
    TGridButton *button() const { return m_button; }
    QMenu *comboList() const { return m_comboList; }
    // True while one of the in-place editors has the keyboard focus.
    bool editing() const { return m_state == EditorState::Editing; }

    std::function<void(TMultiGrid *Sender, int ACol, int ARow, QString Text)> OnEditorEnter;
    std::function<void(TMultiGrid *Sender, int ACol, int ARow, QString Text)> OnEditorApply;
    std::function<void(TMultiGrid *Sender, int ACol, int ARow, bool Checked)> OnCheck;
    std::function<void(TMultiGrid *Sender, int ACol, int ARow, int DlgBtnTop, int DlgBtnLeft,
                       int DlgBtnHeight, int DlgBtnWidth)>
        OnDialogShow;
    // ModalResult is the dialog's exec() result; 0 (rejected) without a DlgForm.
    std::function<void(TMultiGrid *Sender, int ACol, int ARow, int ModalResult)> OnDialogClose;
    std::function<void(TMultiGrid *Sender, int ACol, int ARow, bool &CanSelect)> OnSelectCell;
    std::function<void(TMultiGrid *Sender, TMultiCell *Cell, int ACol, int ARow, const int Value)>
        OnCellsTagChange;
    std::function<void(TMultiGrid *Sender, int ACol, const int Value)> OnColumnsTagChange;
    std::function<void(TMultiGrid *Sender, const int Value)> OnTagChange;
    std::function<void(TMultiGrid *Sender)> OnColCountChange;
    std::function<void(TMultiGrid *Sender)> OnRowCountChange;
    std::function<void(TMultiGrid *Sender)> OnBeforeClear;
    std::function<void(TMultiGrid *Sender)> OnAfterClear;
    std::function<void(TMultiGrid *Sender)> OnEnter;
    std::function<void(TMultiGrid *Sender)> OnExit;
    std::function<void(TMultiGrid *Sender)> OnTopLeftChanged;
    std::function<void(TMultiGrid *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                       int X, int Y, int ACol, int ARow)>
        OnMouseDown;
    std::function<void(TMultiGrid *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                       int X, int Y, int ACol, int ARow)>
        OnMouseUp;
    std::function<void(TMultiGrid *Sender, Qt::KeyboardModifiers Shift, int X, int Y, int ACol,
                       int ARow)>
        OnMouseMove;
    // Key is a Qt::Key code.
    std::function<void(TMultiGrid *Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    // Key is the typed character; control keys come as their codes (Backspace 8,
    // Enter 13, Esc 27, Ctrl+C 3, Ctrl+V 22, Ctrl+X 24).
    std::function<void(TMultiGrid *Sender, QChar &Key)> OnKeyPress;
    std::function<void(TMultiGrid *Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyUp;
    std::function<void(TMultiGrid *Sender, int ACol, int ARow, QString Value)> OnSetEditText;

protected:
    void drawCell(QPainter &painter, int col, int row, const QRect &rect) override;
    bool selectCell(int col, int row) override;
    void currentCellChanged() override;
    void topLeftChanged() override;
    void geometryChanged() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class TMultiCell;
    friend class TMultiColumn;

    enum class EditorState { None, Shown, Editing };

    // Called by cells and columns.
    void cellTextSet(TMultiCell *cell, const QString &value);
    void cellEditingBlocked(TMultiCell *cell);
    void checkChanged(TMultiCell *cell);
    void cellTagChanged(TMultiCell *cell);
    void columnTagChanged(TMultiColumn *column);
    bool isCurrent(const TMultiCell *cell) const;

    bool editable(const TMultiCell *cell) const;
    void prepareEditor(int col, int row);
    void placeButton(const QRect &cell, int width, const QString &caption);
    void hideEditorWidgets();
    void reselectCurrent();
    void startByKey();
    void startByTyping(const QKeyEvent *event, QChar typed);
    bool clickIntoEditor(QEvent *event);
    void beginEdit();
    void finishEdit();
    QString editorValue(const TMultiCell *cell) const;
    void openComboList();
    void runDialog(int col, int row);
    void onButtonPressed(Qt::MouseButton button);
    void onFocusChanged(QWidget *old, QWidget *now);
    bool contains(const QWidget *widget) const;
    bool isEditor(const QWidget *widget) const;
    bool hasFocusInside() const;
    bool routeEditorKey(QObject *editor, QKeyEvent *event);
    void applyCharCase();
    void pressOnCell(QMouseEvent *event);

    QColor textColour(const TMultiCell &cell, const QColor &back) const;
    void drawText(QPainter &painter, const TMultiCell &cell, const QRect &rect,
                  const QColor &color) const;
    void drawProgress(QPainter &painter, const TMultiCell &cell, const QRect &rect) const;
    void drawCheck(QPainter &painter, const TMultiCell &cell, const QRect &rect, const QColor &back,
                   const QColor &fore) const;

    TMultiCollection m_columns;
    QColor m_backColor;
    TAlignmentH m_alignmentH = mahLeft;
    TAlignmentV m_alignmentV = mavTop;
    int m_indentH = 2;
    int m_indentV = 2;
    int m_tag = 0;
    bool m_hideSelection = false;
    bool m_hideFocus = false;
    bool m_readOnly = false;
    bool m_toolTips = false;

    QLineEdit *m_textEditor = nullptr;
    TWinSpinEdit *m_spinEditor = nullptr;
    QDateTimeEdit *m_dateEditor = nullptr;
    TGridButton *m_button = nullptr;
    QMenu *m_comboList = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QCheckBox *m_checkBox = nullptr;

    EditorState m_state = EditorState::None;
    bool m_applyEdit = true;
    bool m_movingFocus = false;   // the grid moves the focus between itself and an editor
    bool m_forwardingKey = false; // a key changed by OnKeyPress is on its way to the editor
    bool m_clickingIn = false;    // the click that took the text editor into use is on
    int m_editCol = -1;
    int m_editRow = -1;
    TCellType m_editType = mctText;
    TCellType m_buttonType = mctCombo; // which cell type the shown button serves
    int m_buttonCol = -1;
    int m_buttonRow = -1;
};

} // namespace sr5n
