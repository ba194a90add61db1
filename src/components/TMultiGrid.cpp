#include "components/TMultiGrid.h"

#include "common/DateTimeText.h"
#include "components/GridAccessible.h"
#include "components/ReadableColors.h"
#include "components/TGridButton.h"
#include "components/TWinSpinEdit.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QStyleOptionButton>
#include <QStyleOptionProgressBar>
#include <QToolTip>

namespace sr5n {

namespace {

// The character a key press types, with control keys as their classic codes.
QChar keyChar(const QKeyEvent *event)
{
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(char16_t(key - Qt::Key_A + 1));
    switch (key) {
    case Qt::Key_Backspace:
        return QChar(char16_t(8));
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(char16_t(13));
    case Qt::Key_Escape:
        return QChar(char16_t(27));
    default:
        break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint())
        return text.at(0);
    return {};
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TMultiGrid::TMultiGrid(QWidget *parent)
    : DrawGrid(parent), m_backColor(palette().color(QPalette::Active, QPalette::Base)),
      m_textEditor(new QLineEdit(viewport())), m_spinEditor(new TWinSpinEdit(viewport())),
      m_dateEditor(new QDateTimeEdit(viewport())), m_button(new TGridButton(viewport())),
      m_comboList(new QMenu(this)), m_progressBar(new QProgressBar(this)),
      m_checkBox(new QCheckBox(this))
{
    m_textEditor->setFrame(false);
    m_spinEditor->setFrame(false);
    m_dateEditor->setFrame(false);
    for (QWidget *editor :
         {static_cast<QWidget *>(m_textEditor), static_cast<QWidget *>(m_spinEditor),
          static_cast<QWidget *>(m_dateEditor)}) {
        editor->setAutoFillBackground(true);
        editor->installEventFilter(this);
        editor->hide();
    }
    m_button->hide();
    m_progressBar->hide();
    m_checkBox->hide();

    connect(m_textEditor, &QLineEdit::textEdited, this, &TMultiGrid::applyCharCase);
    connect(m_button, &TGridButton::pressedWith, this, &TMultiGrid::onButtonPressed);
    connect(m_comboList, &QMenu::triggered, this, [this](QAction *action) {
        TMultiCell *cell = Cells(m_buttonCol, m_buttonRow);
        const int index = action->data().toInt();
        if (!cell || index < 0 || index >= cell->Items().size())
            return;
        const int col = m_buttonCol;
        const int row = m_buttonRow;
        cell->SetText(cell->Items().at(index));
        HideControls();
        if (OnSetEditText)
            OnSetEditText(this, col, row, cell->Text());
    });
    m_spinEditor->OnBtnClick = [this](TWinSpinEdit *, TWinSpinEdit::TUDBtnType) {
        TMultiCell *cell = Cells(Col(), Row());
        if (!cell || cell->CellType() != mctSpin || !m_spinEditor->isVisible())
            return;
        cell->SetText(m_spinEditor->text());
        if (OnSetEditText)
            OnSetEditText(this, Col(), Row(), cell->Text());
    };
    connect(qApp, &QApplication::focusChanged, this, &TMultiGrid::onFocusChanged);
    InstallGridAccessibility();

    auto &columns = m_columns.m_columns;
    for (int c = 0; c < 3; ++c) {
        columns.push_back(std::make_unique<TMultiColumn>(this, c));
        columns.back()->resize(3);
    }
    setCounts(3, 3);
}

TMultiGrid::~TMultiGrid()
{
    disconnect(qApp, &QApplication::focusChanged, this, &TMultiGrid::onFocusChanged);
}

TMultiCell *TMultiGrid::Cells(int ACol, int ARow) const
{
    const TMultiColumn *column = m_columns.Items(ACol);
    return column ? column->MultiCellsList().Items(ARow) : nullptr;
}

void TMultiGrid::SetColCount(int value)
{
    if (value < 1 || value == ColCount())
        return;
    if (Col() >= value || m_editCol >= value)
        HideControls();
    auto &columns = m_columns.m_columns;
    if (value < ColCount()) {
        columns.resize(size_t(value));
    } else {
        while (int(columns.size()) < value) {
            columns.push_back(std::make_unique<TMultiColumn>(this, int(columns.size())));
            columns.back()->resize(RowCount());
        }
    }
    setCounts(value, RowCount());
    if (OnColCountChange)
        OnColCountChange(this);
    invalidateGrid();
}

void TMultiGrid::SetRowCount(int value)
{
    if (value < 1 || value == RowCount())
        return;
    if (Row() >= value || m_editRow >= value)
        HideControls();
    for (const auto &column : m_columns.m_columns)
        column->resize(value);
    setCounts(ColCount(), value);
    if (OnRowCountChange)
        OnRowCountChange(this);
    invalidateGrid();
}

void TMultiGrid::SetBackColor(const QColor &value)
{
    m_backColor = value;
    for (const auto &column : m_columns.m_columns)
        for (const auto &cell : column->m_cells.m_cells)
            cell->m_backColor = value;
    invalidateGrid();
}

void TMultiGrid::SetAlignmentH(TAlignmentH value)
{
    m_alignmentH = value;
    for (const auto &column : m_columns.m_columns)
        for (const auto &cell : column->m_cells.m_cells)
            cell->m_alignmentH = value;
    invalidateGrid();
}

void TMultiGrid::SetAlignmentV(TAlignmentV value)
{
    m_alignmentV = value;
    for (const auto &column : m_columns.m_columns)
        for (const auto &cell : column->m_cells.m_cells)
            cell->m_alignmentV = value;
    invalidateGrid();
}

void TMultiGrid::SetIndentH(int value)
{
    if (value < 0 || value > 255)
        return;
    m_indentH = value;
    for (const auto &column : m_columns.m_columns)
        for (const auto &cell : column->m_cells.m_cells)
            cell->m_indentH = value;
    invalidateGrid();
}

void TMultiGrid::SetIndentV(int value)
{
    if (value < 0 || value > 255)
        return;
    m_indentV = value;
    for (const auto &column : m_columns.m_columns)
        for (const auto &cell : column->m_cells.m_cells)
            cell->m_indentV = value;
    invalidateGrid();
}

void TMultiGrid::SetTag(int value)
{
    m_tag = value;
    if (OnTagChange)
        OnTagChange(this, value);
}

void TMultiGrid::SetHideSelection(bool value)
{
    m_hideSelection = value;
    invalidateGrid();
}

void TMultiGrid::SetHideFocus(bool value)
{
    m_hideFocus = value;
    invalidateGrid();
}

void TMultiGrid::SetReadOnly(bool value)
{
    m_readOnly = value;
    for (const auto &column : m_columns.m_columns) {
        column->m_readOnly = value;
        for (const auto &cell : column->m_cells.m_cells)
            cell->m_readOnly = value;
    }
    HideControls();
    invalidateGrid();
}

QString TMultiGrid::EditorText() const
{
    const TMultiCell *cell = Cells(Col(), Row());
    if (!cell)
        return {};
    switch (cell->CellType()) {
    case mctText:
        return m_textEditor->text();
    case mctSpin:
        return m_spinEditor->text();
    case mctDateTime:
        return DateTimeText::format(m_dateEditor->dateTime(), cell->DTTextFormat(), cell->DTKind());
    default:
        return {};
    }
}

void TMultiGrid::SetEditorText(const QString &value)
{
    const TMultiCell *cell = Cells(Col(), Row());
    if (!cell)
        return;
    switch (cell->CellType()) {
    case mctText:
        m_textEditor->setText(value);
        break;
    case mctSpin: {
        bool ok = false;
        const int number = value.toInt(&ok);
        m_spinEditor->SetValue(ok ? number : cell->MinValue());
        break;
    }
    case mctDateTime: {
        const auto read = cell->readDateTime(value);
        m_dateEditor->setDateTime(read ? *read : QDateTime::currentDateTime());
        break;
    }
    default:
        break;
    }
    reselectCurrent();
}

void TMultiGrid::Clear()
{
    if (OnBeforeClear)
        OnBeforeClear(this);
    for (int c = FixedCols(); c < ColCount(); ++c) {
        for (int r = FixedRows(); r < RowCount(); ++r) {
            TMultiCell *cell = Cells(c, r);
            // A date-time cell cannot take an empty text through its setter.
            if (cell->CellType() == mctDateTime)
                cell->m_text.clear();
            else
                cell->SetText(QString());
        }
    }
    invalidateGrid();
    if (OnAfterClear)
        OnAfterClear(this);
}

void TMultiGrid::HideControls()
{
    if (m_state == EditorState::Editing)
        finishEdit();
    else
        hideEditorWidgets();
}

void TMultiGrid::MDrawCell(int ACol, int ARow)
{
    invalidateCell(ACol, ARow);
}

QString TMultiGrid::AccessibleColumnName(int ACol) const
{
    QStringList texts;
    for (int r = 0; r < FixedRows(); ++r)
        if (const TMultiCell *cell = Cells(ACol, r); cell && !cell->Text().isEmpty())
            texts << cell->Text();
    return texts.isEmpty() ? QString::number(ACol + 1) : texts.join(u' ');
}

QString TMultiGrid::AccessibleRowName(int ARow) const
{
    QStringList texts;
    for (int c = 0; c < FixedCols(); ++c)
        if (const TMultiCell *cell = Cells(c, ARow); cell && !cell->Text().isEmpty())
            texts << cell->Text();
    if (texts.isEmpty() && FixedCols() == 0)
        if (const TMultiCell *first = Cells(0, ARow); first && !first->Text().isEmpty())
            texts << first->Text();
    return texts.isEmpty() ? QString::number(ARow) : texts.join(u' ');
}

QString TMultiGrid::AccessibleCellName(int ACol, int ARow) const
{
    return AccessibleColumnName(ACol) + QStringLiteral(", ") + AccessibleRowName(ARow);
}

void TMultiGrid::currentCellChanged()
{
    // Screen readers follow the current cell while the grid has the focus.
    if (!QAccessible::isActive() || !hasFocus())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(Row() * ColCount() + Col());
    QAccessible::updateAccessibility(&event);
}

void TMultiGrid::cellTextSet(TMultiCell *cell, const QString &value)
{
    if (isCurrent(cell) && !cell->ReadOnly() && EditorText() != value)
        SetEditorText(value);
}

void TMultiGrid::cellEditingBlocked(TMultiCell *cell)
{
    if (isCurrent(cell))
        HideControls();
}

void TMultiGrid::checkChanged(TMultiCell *cell)
{
    if (OnCheck)
        OnCheck(this, cell->Col(), cell->Row(), cell->Checked());
}

void TMultiGrid::cellTagChanged(TMultiCell *cell)
{
    if (OnCellsTagChange)
        OnCellsTagChange(this, cell, cell->Col(), cell->Row(), cell->Tag());
}

void TMultiGrid::columnTagChanged(TMultiColumn *column)
{
    if (OnColumnsTagChange)
        OnColumnsTagChange(this, column->Index(), column->Tag());
}

bool TMultiGrid::isCurrent(const TMultiCell *cell) const
{
    return cell->Col() == Col() && cell->Row() == Row();
}

bool TMultiGrid::editable(const TMultiCell *cell) const
{
    return cell && cell->Enabled() && !cell->ReadOnly();
}

bool TMultiGrid::selectCell(int col, int row)
{
    if (m_state == EditorState::Editing)
        finishEdit();
    hideEditorWidgets();
    prepareEditor(col, row);
    MDrawCell(col, row);
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
    if (!canSelect) {
        hideEditorWidgets();
        prepareEditor(Col(), Row());
    }
    return canSelect;
}

void TMultiGrid::reselectCurrent()
{
    selectCell(Col(), Row());
    MDrawCell(Col(), Row());
}

void TMultiGrid::topLeftChanged()
{
    invalidateGrid();
    reselectCurrent();
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TMultiGrid::geometryChanged()
{
    // A shown editor follows its cell; an editor in use is left where it is.
    if (m_state != EditorState::Shown)
        return;
    hideEditorWidgets();
    prepareEditor(Col(), Row());
}

void TMultiGrid::prepareEditor(int col, int row)
{
    const TMultiCell *cell = Cells(col, row);
    if (!editable(cell))
        return;
    const QRect rect = CellRect(col, row);
    if (rect.isEmpty())
        return;
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    const auto colourise = [this, cell](QWidget *editor) {
        QPalette palette = editor->palette();
        palette.setColor(QPalette::Base, cell->BackColor());
        palette.setColor(QPalette::Window, cell->BackColor());
        palette.setColor(QPalette::Text, textColour(*cell, cell->BackColor()));
        editor->setPalette(palette);
    };
    m_buttonCol = col;
    m_buttonRow = row;
    // An editor is named after the cell it edits.
    const QString name = AccessibleCellName(col, row);
    for (QWidget *editor :
         {static_cast<QWidget *>(m_textEditor), static_cast<QWidget *>(m_spinEditor),
          static_cast<QWidget *>(m_dateEditor), static_cast<QWidget *>(m_button)})
        editor->setAccessibleName(name);
    switch (cell->CellType()) {
    case mctText:
        m_textEditor->setGeometry(inner);
        colourise(m_textEditor);
        m_textEditor->setInputMask(cell->EditMask());
        m_textEditor->setMaxLength(cell->MaxLength() > 0 ? cell->MaxLength() : 32767);
        m_textEditor->setEchoMode(cell->PasswordChar().isNull() ? QLineEdit::Normal
                                                                : QLineEdit::Password);
        m_textEditor->setText(cell->Text());
        m_textEditor->show();
        break;
    case mctCombo:
        m_buttonType = mctCombo;
        placeButton(rect, 18, QStringLiteral("..."));
        break;
    case mctSpin: {
        m_spinEditor->setGeometry(inner);
        colourise(m_spinEditor);
        // Widen before narrowing: the field refuses a lower bound above its upper one.
        if (cell->MinValue() > m_spinEditor->MaxValue()) {
            m_spinEditor->SetMaxValue(cell->MaxValue());
            m_spinEditor->SetMinValue(cell->MinValue());
        } else {
            m_spinEditor->SetMinValue(cell->MinValue());
            m_spinEditor->SetMaxValue(cell->MaxValue());
        }
        m_spinEditor->SetIncrement(cell->Increment());
        m_spinEditor->SetWrap(cell->SpinWrap());
        bool ok = false;
        const int number = cell->Text().toInt(&ok);
        m_spinEditor->SetValue(ok ? number : cell->MinValue());
        m_spinEditor->show();
        break;
    }
    case mctDateTime: {
        m_dateEditor->setDateTimeRange(DateTimeText::zeroDate(), DateTimeText::lastDate());
        const QLocale locale;
        QString format;
        if (!cell->DTFormat().isEmpty())
            format = DateTimeText::toQtFormat(cell->DTFormat(), locale);
        else if (cell->DTKind() == dtkTime)
            format = DateTimeText::toQtFormat(QStringLiteral("hh:nn:ss"), locale);
        else
            format = locale.dateFormat(cell->DateFormat() == dfLong ? QLocale::LongFormat
                                                                    : QLocale::ShortFormat);
        m_dateEditor->setDisplayFormat(format);
        m_dateEditor->setCalendarPopup(cell->DateMode() == dmComboBox && cell->DTKind() == dtkDate);
        m_dateEditor->setGeometry(inner);
        colourise(m_dateEditor);
        const auto value = cell->DateTimeValue();
        m_dateEditor->setDateTime(value ? *value : QDateTime::currentDateTime());
        if (cell->MinDate() <= cell->MaxDate())
            m_dateEditor->setDateTimeRange(cell->MinDate(), cell->MaxDate());
        m_dateEditor->show();
        break;
    }
    case mctDialog:
        m_buttonType = mctDialog;
        placeButton(rect, cell->DlgBtnWidth(), cell->DlgBtnCaption());
        break;
    case mctProgress:
    case mctCheck:
        return;
    }
    m_state = EditorState::Shown;
}

void TMultiGrid::placeButton(const QRect &cell, int width, const QString &caption)
{
    m_button->setText(caption);
    m_button->setGeometry(cell.x() + cell.width() - 1 - width, cell.y() + 1, width,
                          cell.height() - 2);
    m_button->show();
}

void TMultiGrid::hideEditorWidgets()
{
    // Hiding the focused editor would send the focus to the next window; the
    // grid takes it back first.
    if (isEditor(QApplication::focusWidget())) {
        m_movingFocus = true;
        setFocus(Qt::OtherFocusReason);
        m_movingFocus = false;
    }
    m_textEditor->hide();
    m_spinEditor->hide();
    m_dateEditor->hide();
    m_button->hide();
    if (m_state == EditorState::Shown)
        m_state = EditorState::None;
}

void TMultiGrid::startByKey()
{
    TMultiCell *cell = Cells(Col(), Row());
    if (!editable(cell))
        return;
    QWidget *editor = nullptr;
    switch (cell->CellType()) {
    case mctText:
        editor = m_textEditor;
        break;
    case mctSpin:
        editor = m_spinEditor;
        break;
    case mctDateTime:
        editor = m_dateEditor;
        break;
    case mctCombo:
        openComboList();
        return;
    case mctDialog:
        runDialog(Col(), Row());
        return;
    case mctCheck:
        cell->SetChecked(!cell->Checked());
        return;
    case mctProgress:
        return;
    }
    if (editor->isHidden())
        prepareEditor(Col(), Row());
    if (!editor->isHidden()) {
        editor->setFocus(Qt::OtherFocusReason);
        if (editor == m_textEditor)
            m_textEditor->selectAll();
    }
}

void TMultiGrid::startByTyping(const QKeyEvent *event, QChar typed)
{
    const TMultiCell *cell = Cells(Col(), Row());
    if (!editable(cell) || (cell->CellType() != mctText && cell->CellType() != mctSpin))
        return;
    startByKey();
    QLineEdit *editor = cell->CellType() == mctText ? m_textEditor : m_spinEditor;
    if (!editor->hasFocus())
        return;
    // The typed character replaces the text, through the editor's own rules.
    editor->selectAll();
    const int key = typed == keyChar(event) ? event->key() : int(typed.toUpper().unicode());
    QKeyEvent forwarded(QEvent::KeyPress, key, event->modifiers(), QString(typed));
    m_forwardingKey = true;
    QCoreApplication::sendEvent(editor, &forwarded);
    m_forwardingKey = false;
}

void TMultiGrid::beginEdit()
{
    if (m_state == EditorState::Editing)
        return;
    const TMultiCell *cell = Cells(Col(), Row());
    if (!cell)
        return;
    m_state = EditorState::Editing;
    m_applyEdit = true;
    m_editCol = Col();
    m_editRow = Row();
    m_editType = cell->CellType();
    // A code is replaced by what is typed, whether the edit began by key or by click.
    if (m_editType == mctText)
        m_textEditor->selectAll();
    if (OnEditorEnter)
        OnEditorEnter(this, m_editCol, m_editRow, cell->Text());
}

void TMultiGrid::finishEdit()
{
    if (m_state != EditorState::Editing)
        return;
    m_state = EditorState::None;
    TMultiCell *cell = Cells(m_editCol, m_editRow);
    const int col = m_editCol;
    const int row = m_editRow;
    m_editCol = -1;
    m_editRow = -1;
    const bool apply = m_applyEdit && cell;
    const QString value = apply ? editorValue(cell) : QString();
    hideEditorWidgets();
    if (!apply)
        return;
    cell->SetText(value);
    if (OnSetEditText)
        OnSetEditText(this, col, row, cell->Text());
    if (OnEditorApply)
        OnEditorApply(this, col, row, cell->Text());
}

QString TMultiGrid::editorValue(const TMultiCell *cell) const
{
    switch (m_editType) {
    case mctText:
        return cell->UseEditText() && m_textEditor->echoMode() == QLineEdit::Normal
                   ? m_textEditor->displayText()
                   : m_textEditor->text();
    case mctSpin:
        m_spinEditor->CorrectEntry();
        return m_spinEditor->text();
    case mctDateTime:
        return DateTimeText::format(m_dateEditor->dateTime(), cell->DTTextFormat(), cell->DTKind());
    default:
        return cell->Text();
    }
}

void TMultiGrid::openComboList()
{
    const TMultiCell *cell = Cells(Col(), Row());
    if (!cell)
        return;
    m_buttonCol = Col();
    m_buttonRow = Row();
    m_comboList->clear();
    for (qsizetype i = 0; i < cell->Items().size(); ++i) {
        QString caption = cell->Items().at(i);
        caption.replace(u'&', QStringLiteral("&&"));
        m_comboList->addAction(caption)->setData(int(i));
    }
    const QRect rect = CellRect(Col(), Row());
    m_comboList->popup(viewport()->mapToGlobal(QPoint(rect.left(), rect.bottom() + 1)));
}

void TMultiGrid::runDialog(int col, int row)
{
    const TMultiCell *cell = Cells(col, row);
    if (!cell)
        return;
    QRect button(0, 0, cell->DlgBtnWidth(), 0);
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty())
        button = QRect(rect.x() + rect.width() - 1 - cell->DlgBtnWidth(), rect.y() + 1,
                       cell->DlgBtnWidth(), rect.height() - 2);
    if (OnDialogShow)
        OnDialogShow(this, col, row, button.top(), button.left(), button.height(), button.width());
    int result = QDialog::Rejected;
    const TMultiCell *shown = Cells(col, row);
    if (shown && shown->DlgForm())
        result = shown->DlgForm()->exec();
    if (OnDialogClose)
        OnDialogClose(this, col, row, result);
    setFocus(Qt::OtherFocusReason);
}

void TMultiGrid::onButtonPressed(Qt::MouseButton button)
{
    const TMultiCell *cell = Cells(m_buttonCol, m_buttonRow);
    if (!editable(cell))
        return;
    if (m_buttonType == mctCombo) {
        openComboList();
    } else if (m_buttonType == mctDialog && button == Qt::LeftButton) {
        // Run after the press has been delivered, so the modal loop does not
        // start inside the button's mouse handling.
        const int col = m_buttonCol;
        const int row = m_buttonRow;
        QMetaObject::invokeMethod(
            this, [this, col, row] { runDialog(col, row); }, Qt::QueuedConnection);
    }
}

bool TMultiGrid::contains(const QWidget *widget) const
{
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

bool TMultiGrid::isEditor(const QWidget *widget) const
{
    for (const QWidget *w = widget; w && w != this; w = w->parentWidget())
        if (w == m_textEditor || w == m_spinEditor || w == m_dateEditor)
            return true;
    return false;
}

bool TMultiGrid::hasFocusInside() const
{
    return contains(QApplication::focusWidget());
}

void TMultiGrid::onFocusChanged(QWidget *old, QWidget *now)
{
    const bool oldEditor = isEditor(old);
    const bool nowEditor = isEditor(now);
    if (oldEditor && !nowEditor && !m_movingFocus && m_state == EditorState::Editing)
        finishEdit();
    if (nowEditor && !oldEditor)
        beginEdit();

    const bool wasInside = contains(old);
    const bool isInside = contains(now);
    if (!wasInside && isInside) {
        invalidateGrid();
        if (now == this)
            reselectCurrent();
        if (OnEnter)
            OnEnter(this);
    } else if (wasInside && !isInside) {
        if (m_hideFocus)
            HideControls();
        invalidateGrid();
        if (OnExit)
            OnExit(this);
    }
}

void TMultiGrid::applyCharCase()
{
    const TMultiCell *cell = Cells(Col(), Row());
    if (!cell || cell->CharCase() == ecNormal)
        return;
    const QString text = m_textEditor->text();
    const QString cased = cell->CharCase() == ecUpperCase ? text.toUpper() : text.toLower();
    if (cased == text)
        return;
    const int cursor = m_textEditor->cursorPosition();
    m_textEditor->setText(cased);
    m_textEditor->setCursorPosition(cursor);
}

bool TMultiGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textEditor && clickIntoEditor(event))
        return true;
    if (watched == m_textEditor || watched == m_spinEditor || watched == m_dateEditor) {
        if (event->type() == QEvent::KeyPress)
            return routeEditorKey(watched, static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::KeyRelease && !m_forwardingKey) {
            auto *keyEvent = static_cast<QKeyEvent *>(event);
            int key = keyEvent->key();
            if (OnKeyUp)
                OnKeyUp(this, key, keyEvent->modifiers());
            return key == 0;
        }
    }
    return DrawGrid::eventFilter(watched, event);
}

bool TMultiGrid::clickIntoEditor(QEvent *event)
{
    // The click that takes the text editor into use selects its whole text
    // rather than placing the caret: the press, the drag and the release of
    // that click stay away from the editor. The toolkit focuses the editor
    // before it delivers the press.
    switch (event->type()) {
    case QEvent::FocusIn:
        m_clickingIn = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        return false;
    case QEvent::FocusOut:
        m_clickingIn = false;
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton ||
            (!m_clickingIn && m_textEditor->hasFocus()))
            return false;
        m_clickingIn = true;
        m_textEditor->setFocus(Qt::MouseFocusReason);
        m_textEditor->selectAll();
        return true;
    case QEvent::MouseMove:
        return m_clickingIn;
    case QEvent::MouseButtonRelease:
        if (!m_clickingIn)
            return false;
        m_clickingIn = false;
        return true;
    default:
        return false;
    }
}

bool TMultiGrid::routeEditorKey(QObject *editor, QKeyEvent *event)
{
    if (m_forwardingKey)
        return false;
    const int original = event->key();
    bool ended = false;
    if (m_state == EditorState::Editing && (isEnter(original) || original == Qt::Key_Escape)) {
        m_applyEdit = original != Qt::Key_Escape;
        finishEdit();
        ended = true;
    }
    int key = original;
    if (OnKeyDown)
        OnKeyDown(this, key, event->modifiers());
    if (key == 0 && !ended)
        return true;
    const QChar typed = keyChar(event);
    if (typed.isNull())
        return ended;
    QChar changed = typed;
    if (OnKeyPress)
        OnKeyPress(this, changed);
    if (ended || changed.isNull())
        return true;
    if (changed != typed) {
        QKeyEvent replaced(QEvent::KeyPress, changed.toUpper().unicode(), event->modifiers(),
                           QString(changed));
        m_forwardingKey = true;
        QCoreApplication::sendEvent(editor, &replaced);
        m_forwardingKey = false;
        return true;
    }
    return false;
}

void TMultiGrid::keyPressEvent(QKeyEvent *event)
{
    const int original = event->key();
    const bool own = isEnter(original) || original == Qt::Key_Space;
    if (own)
        startByKey();
    int key = original;
    if (OnKeyDown)
        OnKeyDown(this, key, event->modifiers());
    if (key != 0 && !own)
        DrawGrid::keyPressEvent(event);
    else
        event->accept();
    const QChar character = keyChar(event);
    QChar typed = character;
    if (!typed.isNull() && OnKeyPress)
        OnKeyPress(this, typed);
    // A character typed on a text or spin cell opens its editor with it, as
    // tables do; keys with Ctrl or Alt are commands, not characters.
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (!own && !command && character.isPrint() && typed.isPrint() && key != 0)
        startByTyping(event, typed);
}

void TMultiGrid::keyReleaseEvent(QKeyEvent *event)
{
    int key = event->key();
    if (OnKeyUp)
        OnKeyUp(this, key, event->modifiers());
    DrawGrid::keyReleaseEvent(event);
}

void TMultiGrid::pressOnCell(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    int col;
    int row;
    MouseToCell(at.x(), at.y(), col, row);
    TMultiCell *cell = Cells(col, row);
    if (editable(cell) && cell->CellType() == mctCheck)
        cell->SetChecked(!cell->Checked());
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y(), col, row);
}

void TMultiGrid::mousePressEvent(QMouseEvent *event)
{
    DrawGrid::mousePressEvent(event);
    pressOnCell(event);
}

void TMultiGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is a second press.
    mousePressEvent(event);
}

void TMultiGrid::mouseMoveEvent(QMouseEvent *event)
{
    DrawGrid::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    int col;
    int row;
    MouseToCell(at.x(), at.y(), col, row);
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), at.x(), at.y(), col, row);
}

void TMultiGrid::mouseReleaseEvent(QMouseEvent *event)
{
    DrawGrid::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    int col;
    int row;
    MouseToCell(at.x(), at.y(), col, row);
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y(), col, row);
}

bool TMultiGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_toolTips) {
        auto *help = static_cast<QHelpEvent *>(event);
        int col;
        int row;
        MouseToCell(help->pos().x(), help->pos().y(), col, row);
        const TMultiCell *cell = Cells(col, row);
        if (cell && !IsFixed(col, row) && !cell->Text().isEmpty())
            QToolTip::showText(help->globalPos(), cell->Text(), viewport(), CellRect(col, row));
        else
            QToolTip::hideText();
        return true;
    }
    return DrawGrid::viewportEvent(event);
}

void TMultiGrid::drawCell(QPainter &painter, int col, int row, const QRect &rect)
{
    const TMultiCell *cell = Cells(col, row);
    if (!cell)
        return;
    const bool fixed = IsFixed(col, row);
    const bool current = col == Col() && row == Row();
    const QPalette &pal = palette();
    const QColor grey = pal.color(QPalette::Disabled, QPalette::Text);
    QColor back;
    QColor fore;
    if (m_hideSelection || current || fixed || !IsSelected(col, row)) {
        back = fixed ? FixedColor() : cell->BackColor();
        fore = cell->Enabled() ? textColour(*cell, back) : grey;
    } else {
        back = pal.color(QPalette::Active, QPalette::Highlight);
        fore = cell->Enabled() ? pal.color(QPalette::Active, QPalette::HighlightedText) : grey;
    }
    painter.fillRect(rect, back);
    switch (cell->CellType()) {
    case mctProgress:
        drawProgress(painter, *cell, rect);
        break;
    case mctCheck:
        drawCheck(painter, *cell, rect, back, fore);
        break;
    default:
        drawText(painter, *cell, rect, fore);
        break;
    }
    if (current && !fixed && (!m_hideFocus || hasFocusInside())) {
        painter.setPen(QPen(fore, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

QColor TMultiGrid::textColour(const TMultiCell &cell, const QColor &back) const
{
    if (cell.FontColorChosen())
        return cell.FontColor();
    // The palette's text, unless it does not read on a background of the
    // host's (a dark palette's light text on a fixed light colour).
    return ReadableText(palette().color(QPalette::Active, QPalette::Text), back);
}

void TMultiGrid::drawText(QPainter &painter, const TMultiCell &cell, const QRect &rect,
                          const QColor &color) const
{
    const QString &text = cell.Text();
    if (text.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    int x = rect.left() + cell.IndentH();
    if (cell.AlignmentH() == mahCenter)
        x = rect.left() + rect.width() / 2 - width / 2;
    else if (cell.AlignmentH() == mahRight)
        x = rect.left() + rect.width() - width - cell.IndentH();
    int y = rect.top() + cell.IndentV();
    if (cell.AlignmentV() == mavCenter)
        y = rect.top() + rect.height() / 2 - height / 2;
    else if (cell.AlignmentV() == mavBottom)
        y = rect.top() + rect.height() - height - cell.IndentV();
    painter.setPen(color);
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

void TMultiGrid::drawProgress(QPainter &painter, const TMultiCell &cell, const QRect &rect) const
{
    QStyleOptionProgressBar option;
    option.initFrom(m_progressBar);
    option.rect = rect.adjusted(1, 1, -1, -1);
    // Equal bounds would make the style draw a busy bar; show an empty one.
    option.minimum = cell.MinValue();
    option.maximum = cell.MaxValue() > cell.MinValue() ? cell.MaxValue() : cell.MinValue() + 1;
    option.progress = qBound(option.minimum, cell.Progress(), option.maximum);
    option.textVisible = false;
    if (cell.Enabled()) {
        option.state |= QStyle::State_Enabled;
    } else {
        option.state &= ~QStyle::State_Enabled;
        option.palette.setCurrentColorGroup(QPalette::Disabled);
        option.palette.setColor(QPalette::Highlight,
                                palette().color(QPalette::Disabled, QPalette::Text));
    }
    if (cell.ProgressOrient() == pbHorizontal)
        option.state |= QStyle::State_Horizontal;
    else
        option.state &= ~QStyle::State_Horizontal;
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, m_progressBar);
}

void TMultiGrid::drawCheck(QPainter &painter, const TMultiCell &cell, const QRect &rect,
                           const QColor &back, const QColor &fore) const
{
    const QRect area(rect.x() + cell.IndentH(), rect.y() + cell.IndentV(),
                     rect.width() - cell.IndentH(), rect.height() - cell.IndentV());
    QStyleOptionButton option;
    option.initFrom(m_checkBox);
    const int boxWidth = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, m_checkBox);
    const int boxHeight = style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, m_checkBox);
    const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, m_checkBox);
    const int boxY = area.y() + (area.height() - boxHeight) / 2;
    QRect box;
    QRect caption;
    switch (cell.CheckAlignment()) {
    case taLeftJustify:
        box = QRect(area.x() + area.width() - boxWidth, boxY, boxWidth, boxHeight);
        caption = QRect(area.x(), area.y(), area.width() - boxWidth - spacing, area.height());
        break;
    case taCenter:
        box = QRect(area.x() + (area.width() - boxWidth) / 2, boxY, boxWidth, boxHeight);
        caption = QRect(box.right() + 1 + spacing, area.y(), area.right() - box.right() - spacing,
                        area.height());
        break;
    case taRightJustify:
        box = QRect(area.x(), boxY, boxWidth, boxHeight);
        caption = QRect(box.right() + 1 + spacing, area.y(), area.right() - box.right() - spacing,
                        area.height());
        break;
    }
    option.rect = box;
    option.state = cell.Checked() ? QStyle::State_On : QStyle::State_Off;
    if (cell.Enabled())
        option.state |= QStyle::State_Enabled;
    // A disabled box is filled grey, so that it shows why it cannot be ticked.
    const QColor fill = cell.Enabled() ? back : Blend(back, fore, 0.5);
    option.palette.setColor(QPalette::Base, fill);
    option.palette.setColor(QPalette::Window, back);
    option.palette.setColor(QPalette::Button, fill);
    option.palette.setColor(QPalette::Text, fore);
    option.palette.setColor(QPalette::WindowText, fore);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, m_checkBox);
    if (!cell.Text().isEmpty()) {
        painter.setPen(fore);
        painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, cell.Text());
    }
}

} // namespace sr5n
