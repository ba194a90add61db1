#pragma once

#include "common/MultiCellTypes.h"

#include <QColor>
#include <QDateTime>
#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <optional>

namespace sr5n {

class TMultiColumn;
class TMultiGrid;

// One cell of a TMultiGrid: its type, value, layout, colours and editing rules.
// Setters redraw the cell (only the cell) when what it shows changes.
class TMultiCell
{
public:
    TMultiCell(TMultiGrid *grid, TMultiColumn *column, int row);
    TMultiCell(const TMultiCell &) = delete;
    TMultiCell &operator=(const TMultiCell &) = delete;

    TMultiGrid *Grid() const { return m_grid; }
    TMultiColumn *Column() const { return m_column; }
    int Col() const;
    int Row() const { return m_row; }

    TCellType CellType() const { return m_cellType; }
    void SetCellType(TCellType value);
    // Choices of a combo cell, or the host's private storage for other cells.
    QStringList &Items() { return m_items; }
    const QStringList &Items() const { return m_items; }
    void SetItems(const QStringList &value) { m_items = value; }
    QString Text() const { return m_text; }
    // False when a date-time cell is given a text that does not read as its
    // date or time; the cell then keeps its previous text.
    bool SetText(const QString &value);
    QString EditMask() const { return m_editMask; }
    void SetEditMask(const QString &value) { m_editMask = value; }
    TAlignmentH AlignmentH() const { return m_alignmentH; }
    void SetAlignmentH(TAlignmentH value);
    TAlignmentV AlignmentV() const { return m_alignmentV; }
    void SetAlignmentV(TAlignmentV value);
    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor &value);
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor &value);
    // Whether the host chose FontColor; otherwise the text takes the palette's.
    bool FontColorChosen() const { return m_fontColorChosen; }
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase value) { m_charCase = value; }
    int IndentH() const { return m_indentH; }
    void SetIndentH(int value);
    int IndentV() const { return m_indentV; }
    void SetIndentV(int value);
    int Tag() const { return m_tag; }
    void SetTag(int value);
    int MaxValue() const { return m_maxValue; }
    void SetMaxValue(int value) { m_maxValue = value; }
    int MinValue() const { return m_minValue; }
    void SetMinValue(int value) { m_minValue = value; }
    int Increment() const { return m_increment; }
    void SetIncrement(int value) { m_increment = value; }
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int value) { m_maxLength = value; }
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int value);
    int DlgBtnWidth() const { return m_dlgBtnWidth; }
    void SetDlgBtnWidth(int value) { m_dlgBtnWidth = value; }
    int Progress() const { return m_progress; }
    void SetProgress(int value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool SpinWrap() const { return m_spinWrap; }
    void SetSpinWrap(bool value) { m_spinWrap = value; }
    bool UseEditText() const { return m_useEditText; }
    void SetUseEditText(bool value) { m_useEditText = value; }
    bool ProgressSmooth() const { return m_progressSmooth; }
    void SetProgressSmooth(bool value);
    bool Checked() const { return m_checked; }
    void SetChecked(bool value);
    QChar PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(QChar value) { m_passwordChar = value; }
    QDateTime MaxDate() const { return m_maxDate; }
    void SetMaxDate(const QDateTime &value) { m_maxDate = value; }
    QDateTime MinDate() const { return m_minDate; }
    void SetMinDate(const QDateTime &value) { m_minDate = value; }
    QString DlgBtnCaption() const { return m_dlgBtnCaption; }
    void SetDlgBtnCaption(const QString &value) { m_dlgBtnCaption = value; }
    QString DTFormat() const { return m_dtFormat; }
    void SetDTFormat(const QString &value) { m_dtFormat = value; }
    QString DTTextFormat() const { return m_dtTextFormat; }
    // Stores the format, then rewrites a date-time cell's text in it; false
    // (the format stored all the same) when the text does not read.
    bool SetDTTextFormat(const QString &value);
    TDateTimeKind DTKind() const { return m_dtKind; }
    void SetDTKind(TDateTimeKind value);
    TDTDateMode DateMode() const { return m_dateMode; }
    void SetDateMode(TDTDateMode value) { m_dateMode = value; }
    TDTDateFormat DateFormat() const { return m_dateFormat; }
    void SetDateFormat(TDTDateFormat value) { m_dateFormat = value; }
    TDTCalAlignment CalAlignment() const { return m_calAlignment; }
    void SetCalAlignment(TDTCalAlignment value) { m_calAlignment = value; }
    // The modal window of a dialog cell; not owned.
    QDialog *DlgForm() const { return m_dlgForm; }
    void SetDlgForm(QDialog *value) { m_dlgForm = value; }
    TProgressBarOrientation ProgressOrient() const { return m_progressOrient; }
    void SetProgressOrient(TProgressBarOrientation value);
    TAlignment CheckAlignment() const { return m_checkAlignment; }
    void SetCheckAlignment(TAlignment value);

    // The text read as the cell's date or time (its own text format first,
    // then the locale's rules).
    std::optional<QDateTime> DateTimeValue() const { return readDateTime(m_text); }
    // The format the cell stores its date or time in.
    QString TextFormat() const;

private:
    friend class TMultiColumn;
    friend class TMultiGrid;

    std::optional<QDateTime> readDateTime(const QString &text) const;
    void redraw() const;

    TMultiGrid *m_grid;
    TMultiColumn *m_column;
    int m_row;

    TCellType m_cellType = mctText;
    QStringList m_items;
    QString m_text;
    QString m_editMask;
    TAlignmentH m_alignmentH = mahLeft;
    TAlignmentV m_alignmentV = mavTop;
    QColor m_backColor;
    QColor m_fontColor;
    bool m_fontColorChosen = false;
    TEditCharCase m_charCase = ecNormal;
    int m_indentH = 2;
    int m_indentV = 2;
    int m_tag = 0;
    int m_maxValue = 0;
    int m_minValue = 0;
    int m_increment = 1;
    int m_maxLength = 0;
    int m_itemIndex = -1;
    int m_dlgBtnWidth = 18;
    int m_progress = 0;
    bool m_enabled = true;
    bool m_readOnly = false;
    bool m_spinWrap = false;
    bool m_useEditText = false;
    bool m_progressSmooth = false;
    bool m_checked = false;
    QChar m_passwordChar;
    QDateTime m_maxDate;
    QDateTime m_minDate;
    QString m_dlgBtnCaption = QStringLiteral("...");
    QString m_dtFormat;
    QString m_dtTextFormat;
    TDateTimeKind m_dtKind = dtkDate;
    TDTDateMode m_dateMode = dmComboBox;
    TDTDateFormat m_dateFormat = dfShort;
    TDTCalAlignment m_calAlignment = dtaLeft;
    QPointer<QDialog> m_dlgForm;
    TProgressBarOrientation m_progressOrient = pbHorizontal;
    TAlignment m_checkAlignment = taRightJustify;
};

} // namespace sr5n
