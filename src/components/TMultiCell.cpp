#include "components/TMultiCell.h"

#include "common/DateTimeText.h"
#include "components/TMultiColumn.h"
#include "components/TMultiGrid.h"

namespace sr5n {

TMultiCell::TMultiCell(TMultiGrid *grid, TMultiColumn *column, int row)
    : m_grid(grid), m_column(column), m_row(row), m_alignmentH(grid->AlignmentH()),
      m_alignmentV(grid->AlignmentV()), m_backColor(grid->BackColor()),
      m_fontColor(grid->palette().color(QPalette::Active, QPalette::Text)),
      m_indentH(grid->IndentH()), m_indentV(grid->IndentV()), m_maxDate(DateTimeText::lastDate()),
      m_minDate(DateTimeText::zeroDate())
{
}

int TMultiCell::Col() const
{
    return m_column->Index();
}

void TMultiCell::redraw() const
{
    m_grid->MDrawCell(Col(), m_row);
}

QString TMultiCell::TextFormat() const
{
    return m_dtTextFormat.isEmpty() ? DateTimeText::defaultFormat(m_dtKind) : m_dtTextFormat;
}

std::optional<QDateTime> TMultiCell::readDateTime(const QString &text) const
{
    // The cell's own format first: a text the cell wrote always reads back,
    // whatever order the locale gives day and month.
    const QLocale locale;
    QDateTime exact = locale.toDateTime(text, DateTimeText::toQtFormat(TextFormat(), locale));
    if (exact.isValid()) {
        if (m_dtKind == dtkTime)
            exact.setDate(DateTimeText::zeroDate().date());
        return exact;
    }
    return DateTimeText::read(text, m_dtKind, locale);
}

bool TMultiCell::SetText(const QString &value)
{
    switch (m_cellType) {
    case mctCombo: {
        m_itemIndex = -1;
        for (qsizetype i = 0; i < m_items.size(); ++i) {
            if (m_items.at(i).compare(value, Qt::CaseInsensitive) == 0) {
                m_itemIndex = int(i);
                break;
            }
        }
        m_text = value;
        break;
    }
    case mctDateTime: {
        const auto read = readDateTime(value);
        if (!read)
            return false;
        m_text = DateTimeText::format(*read, m_dtTextFormat, m_dtKind);
        break;
    }
    case mctProgress:
        break;
    default:
        m_text = value;
        break;
    }
    redraw();
    m_grid->cellTextSet(this, value);
    return true;
}

void TMultiCell::SetCellType(TCellType value)
{
    m_cellType = value;
    redraw();
}

void TMultiCell::SetAlignmentH(TAlignmentH value)
{
    m_alignmentH = value;
    redraw();
}

void TMultiCell::SetAlignmentV(TAlignmentV value)
{
    m_alignmentV = value;
    redraw();
}

void TMultiCell::SetBackColor(const QColor &value)
{
    m_backColor = value;
    redraw();
}

void TMultiCell::SetFontColor(const QColor &value)
{
    m_fontColor = value;
    m_fontColorChosen = true;
    redraw();
}

void TMultiCell::SetIndentH(int value)
{
    if (value < 0 || value > 255)
        return;
    m_indentH = value;
    redraw();
}

void TMultiCell::SetIndentV(int value)
{
    if (value < 0 || value > 255)
        return;
    m_indentV = value;
    redraw();
}

void TMultiCell::SetTag(int value)
{
    m_tag = value;
    m_grid->cellTagChanged(this);
}

void TMultiCell::SetItemIndex(int value)
{
    m_itemIndex = value;
    m_text = value >= 0 && value < m_items.size() ? m_items.at(value) : QString();
    redraw();
}

void TMultiCell::SetProgress(int value)
{
    if (value < m_minValue)
        value = m_minValue;
    else if (value > m_maxValue)
        value = m_maxValue;
    m_progress = value;
    redraw();
}

void TMultiCell::SetEnabled(bool value)
{
    m_enabled = value;
    m_column->recomputeEnabled();
    if (!value)
        m_grid->cellEditingBlocked(this);
    redraw();
}

void TMultiCell::SetReadOnly(bool value)
{
    m_readOnly = value;
    if (value)
        m_grid->cellEditingBlocked(this);
    else
        m_column->m_readOnly = false;
    redraw();
}

void TMultiCell::SetProgressSmooth(bool value)
{
    m_progressSmooth = value;
    redraw();
}

void TMultiCell::SetChecked(bool value)
{
    m_checked = value;
    redraw();
    m_grid->checkChanged(this);
}

bool TMultiCell::SetDTTextFormat(const QString &value)
{
    const auto current = readDateTime(m_text);
    m_dtTextFormat = value;
    if (m_cellType != mctDateTime)
        return true;
    if (!current)
        return false;
    return SetText(DateTimeText::format(*current, m_dtTextFormat, m_dtKind));
}

void TMultiCell::SetDTKind(TDateTimeKind value)
{
    m_dtKind = value;
    if (m_dtTextFormat.isEmpty())
        m_dtTextFormat = DateTimeText::defaultFormat(value);
}

void TMultiCell::SetProgressOrient(TProgressBarOrientation value)
{
    m_progressOrient = value;
    redraw();
}

void TMultiCell::SetCheckAlignment(TAlignment value)
{
    m_checkAlignment = value;
    redraw();
}

} // namespace sr5n
