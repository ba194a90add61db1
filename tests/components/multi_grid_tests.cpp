#include "components/TGridButton.h"
#include "components/TMultiGrid.h"
#include "components/TWinSpinEdit.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

// A shown, active window with a grid of 4 columns x 5 rows (one fixed row and
// column) and a second field to move the focus to.
class GridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        grid = new TMultiGrid(m_window.get());
        other = new QLineEdit(m_window.get());
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->SetColCount(4);
        grid->SetRowCount(5);
        m_window->resize(400, 300);
        m_window->show();
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    QPoint centreOf(int col, int row) const { return grid->CellRect(col, row).center(); }

    void press(int col, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(grid->viewport(), button, {}, centreOf(col, row));
        QTest::mouseRelease(grid->viewport(), button, {}, centreOf(col, row));
    }

    // Makes a cell current with the grid focused, as a click on it does.
    void select(int col, int row)
    {
        grid->setFocus();
        grid->FocusCell(col, row);
    }

    // Records the editing events in order.
    void recordEdits()
    {
        grid->OnEditorEnter = [this](TMultiGrid *sender, int col, int row, QString text) {
            EXPECT_EQ(sender, grid);
            log.push_back(QStringLiteral("enter %1,%2 %3").arg(col).arg(row).arg(text));
        };
        grid->OnSetEditText = [this](TMultiGrid *, int col, int row, QString text) {
            log.push_back(QStringLiteral("set %1,%2 %3").arg(col).arg(row).arg(text));
        };
        grid->OnEditorApply = [this](TMultiGrid *, int col, int row, QString text) {
            log.push_back(QStringLiteral("apply %1,%2 %3").arg(col).arg(row).arg(text));
        };
    }

    std::unique_ptr<QWidget> m_window;
    TMultiGrid *grid = nullptr;
    QLineEdit *other = nullptr;
    std::vector<QString> log;
};

} // namespace

TEST_F(GridTest, NewCellsTakeTheDefaultsAndTheGridsCurrentSettings)
{
    TMultiGrid fresh;
    EXPECT_EQ(fresh.ColCount(), 3);
    EXPECT_EQ(fresh.RowCount(), 3);
    const TMultiCell *cell = fresh.Cells(1, 1);
    EXPECT_EQ(cell->CellType(), mctText);
    EXPECT_EQ(cell->AlignmentH(), mahLeft);
    EXPECT_EQ(cell->AlignmentV(), mavTop);
    EXPECT_EQ(cell->IndentH(), 2);
    EXPECT_EQ(cell->Increment(), 1);
    EXPECT_EQ(cell->ItemIndex(), -1);
    EXPECT_EQ(cell->DlgBtnWidth(), 18);
    EXPECT_EQ(cell->DlgBtnCaption(), QStringLiteral("..."));
    EXPECT_EQ(cell->MinDate(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(cell->MaxDate().date(), QDate(9999, 12, 31));
    EXPECT_EQ(cell->CheckAlignment(), taRightJustify);
    EXPECT_TRUE(cell->Enabled());
    EXPECT_FALSE(cell->ReadOnly());

    int colChanges = 0;
    int rowChanges = 0;
    fresh.OnColCountChange = [&](TMultiGrid *) { ++colChanges; };
    fresh.OnRowCountChange = [&](TMultiGrid *) { ++rowChanges; };
    fresh.SetAlignmentH(mahCenter);
    fresh.SetIndentH(14);
    fresh.SetIndentH(300); // ignored
    fresh.SetBackColor(Qt::yellow);
    fresh.SetReadOnly(true);
    fresh.SetColCount(5);
    fresh.SetRowCount(4);
    fresh.SetRowCount(4); // unchanged: no event
    EXPECT_EQ(colChanges, 1);
    EXPECT_EQ(rowChanges, 1);
    EXPECT_EQ(fresh.Columns().Count(), 5);
    EXPECT_EQ(fresh.Column(4)->MultiCellsList().Count(), 4);
    const TMultiCell *added = fresh.Cells(4, 3);
    EXPECT_EQ(added->AlignmentH(), mahCenter);
    EXPECT_EQ(added->IndentH(), 14);
    EXPECT_EQ(added->BackColor(), QColor(Qt::yellow));
    EXPECT_FALSE(added->ReadOnly());
    EXPECT_TRUE(fresh.Cells(1, 1)->ReadOnly());
    EXPECT_EQ(fresh.Cells(-1, 0), nullptr);
    EXPECT_EQ(fresh.Cells(0, 4), nullptr);
    EXPECT_EQ(fresh.Column(-1), nullptr);
    EXPECT_EQ(added->Col(), 4);
    EXPECT_EQ(added->Row(), 3);

    fresh.SetColCount(2);
    EXPECT_EQ(fresh.Columns().Count(), 2);
    EXPECT_EQ(colChanges, 2);
}

TEST_F(GridTest, ComboTextMatchesItemsIgnoringCaseAndItemIndexSetsTheText)
{
    TMultiCell *cell = grid->Cells(1, 1);
    cell->SetCellType(mctCombo);
    cell->Items() = {QStringLiteral("Тон"), QStringLiteral("Импульс")};
    cell->SetText(QStringLiteral("импульс"));
    EXPECT_EQ(cell->ItemIndex(), 1);
    EXPECT_EQ(cell->Text(), QStringLiteral("импульс"));
    cell->SetText(QStringLiteral("Голос"));
    EXPECT_EQ(cell->ItemIndex(), -1);
    EXPECT_EQ(cell->Text(), QStringLiteral("Голос"));
    cell->SetItemIndex(0);
    EXPECT_EQ(cell->Text(), QStringLiteral("Тон"));
    cell->SetItemIndex(2);
    EXPECT_EQ(cell->Text(), QString());
}

TEST_F(GridTest, CheckedAlwaysRaisesOnCheckAndOtherSettersClampOrIgnore)
{
    TMultiCell *cell = grid->Cells(2, 3);
    cell->SetCellType(mctCheck);
    std::vector<std::tuple<int, int, bool>> checks;
    grid->OnCheck = [&](TMultiGrid *, int col, int row, bool checked) {
        checks.emplace_back(col, row, checked);
    };
    cell->SetChecked(false);
    cell->SetChecked(false);
    cell->SetChecked(true);
    EXPECT_EQ(checks, (std::vector<std::tuple<int, int, bool>>{
                          {2, 3, false}, {2, 3, false}, {2, 3, true}}));

    cell->SetMaxValue(100);
    cell->SetProgress(150);
    EXPECT_EQ(cell->Progress(), 100);
    cell->SetProgress(-5);
    EXPECT_EQ(cell->Progress(), 0);
    cell->SetIndentV(-1);
    cell->SetIndentV(256);
    EXPECT_EQ(cell->IndentV(), 2);
}

TEST_F(GridTest, TagsRaiseTheirEventsWithTheirOwners)
{
    std::vector<QString> seen;
    grid->OnCellsTagChange = [&](TMultiGrid *, TMultiCell *cell, int col, int row, int value) {
        EXPECT_EQ(cell, grid->Cells(col, row));
        seen.push_back(QStringLiteral("cell %1,%2=%3").arg(col).arg(row).arg(value));
    };
    grid->OnColumnsTagChange = [&](TMultiGrid *, int col, int value) {
        seen.push_back(QStringLiteral("column %1=%2").arg(col).arg(value));
    };
    grid->OnTagChange = [&](TMultiGrid *, int value) {
        seen.push_back(QStringLiteral("grid=%1").arg(value));
    };
    grid->Cells(3, 2)->SetTag(7);
    grid->Column(2)->SetTag(8);
    grid->SetTag(9);
    EXPECT_EQ(seen, (std::vector<QString>{"cell 3,2=7", "column 2=8", "grid=9"}));
}

TEST_F(GridTest, ColumnFlagsFollowTheirCells)
{
    TMultiColumn *column = grid->Column(2);
    for (int row = 0; row < grid->RowCount(); ++row)
        grid->Cells(2, row)->SetEnabled(false);
    EXPECT_FALSE(column->Enabled());
    grid->Cells(2, 3)->SetEnabled(true);
    EXPECT_TRUE(column->Enabled());

    column->SetReadOnly(true);
    EXPECT_TRUE(grid->Cells(2, 4)->ReadOnly());
    grid->Cells(2, 4)->SetReadOnly(false);
    EXPECT_FALSE(column->ReadOnly());
    column->SetEnabled(false);
    EXPECT_FALSE(grid->Cells(2, 3)->Enabled());
}

TEST_F(GridTest, EnterAppliesTheEditInOrder)
{
    recordEdits();
    grid->Cells(1, 2)->SetText(QStringLiteral("old"));
    select(1, 2);
    ASSERT_TRUE(grid->textEditor()->isVisible());
    EXPECT_EQ(grid->textEditor()->geometry(), grid->CellRect(1, 2).adjusted(1, 1, -1, -1));
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_TRUE(grid->textEditor()->hasFocus());
    QTest::keyClicks(grid->textEditor(), QStringLiteral("new"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 2)->Text(), QStringLiteral("new"));
    EXPECT_EQ(log, (std::vector<QString>{"enter 1,2 old", "set 1,2 new", "apply 1,2 new"}));
    EXPECT_FALSE(grid->editing());
    EXPECT_TRUE(grid->hasFocus());
}

TEST_F(GridTest, LeavingTheEditorAppliesTheEdit)
{
    recordEdits();
    select(2, 1);
    QTest::mouseClick(grid->textEditor(), Qt::LeftButton);
    ASSERT_TRUE(grid->editing());
    QTest::keyClicks(grid->textEditor(), QStringLiteral("12"));
    other->setFocus();
    EXPECT_EQ(grid->Cells(2, 1)->Text(), QStringLiteral("12"));
    EXPECT_EQ(log, (std::vector<QString>{"enter 2,1 ", "set 2,1 12", "apply 2,1 12"}));
    EXPECT_FALSE(grid->textEditor()->isVisible());
}

TEST_F(GridTest, EscDiscardsTheEditSilently)
{
    recordEdits();
    grid->Cells(1, 1)->SetText(QStringLiteral("keep"));
    select(1, 1);
    QTest::keyClick(grid, Qt::Key_Space);
    QTest::keyClicks(grid->textEditor(), QStringLiteral("xyz"));
    int keyDowns = 0;
    grid->OnKeyDown = [&](TMultiGrid *, int &key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Escape)
            ++keyDowns;
    };
    QTest::keyClick(grid->textEditor(), Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(1, 1)->Text(), QStringLiteral("keep"));
    EXPECT_EQ(log, (std::vector<QString>{"enter 1,1 keep"}));
    EXPECT_EQ(keyDowns, 1); // the key still reaches the host
    // Leaving afterwards applies nothing either.
    other->setFocus();
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(GridTest, RestoringTheTextInOnEditorApplyLaysTheEditorOverTheCellAgain)
{
    grid->Cells(1, 3)->SetText(QStringLiteral("0007"));
    QString previous;
    grid->OnEditorEnter = [&](TMultiGrid *, int, int, QString text) { previous = text; };
    grid->OnEditorApply = [&](TMultiGrid *sender, int col, int row, QString text) {
        if (text.contains(u'G'))
            sender->Cells(col, row)->SetText(previous);
    };
    select(1, 3);
    QTest::keyClick(grid, Qt::Key_Return);
    grid->textEditor()->selectAll();
    QTest::keyClicks(grid->textEditor(), QStringLiteral("12G4"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 3)->Text(), QStringLiteral("0007"));
    EXPECT_TRUE(grid->textEditor()->isVisible());
    EXPECT_EQ(grid->textEditor()->text(), QStringLiteral("0007"));
    EXPECT_EQ(grid->textEditor()->geometry(), grid->CellRect(1, 3).adjusted(1, 1, -1, -1));
}

TEST_F(GridTest, KeysTypedInTheEditorPassTheHostsFilterWithTheGridAsSender)
{
    TMultiCell *cell = grid->Cells(1, 1);
    cell->SetMaxLength(4);
    cell->SetCharCase(ecUpperCase);
    grid->OnKeyPress = [this](TMultiGrid *sender, QChar &key) {
        EXPECT_EQ(sender, grid);
        if (!QStringLiteral("0123456789abcdefABCDEF\b\r").contains(key))
            key = QChar();
    };
    select(1, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    grid->textEditor()->selectAll();
    QTest::keyClicks(grid->textEditor(), QStringLiteral("1g2a-bc"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(cell->Text(), QStringLiteral("12AB"));
}

TEST_F(GridTest, ACharacterTypedOnACellOpensItsEditorWithIt)
{
    recordEdits();
    grid->OnKeyPress = [](TMultiGrid *, QChar &key) {
        if (key == u'x')
            key = QChar(); // the host's filter drops it
    };
    grid->Cells(1, 1)->SetText(QStringLiteral("old"));
    grid->Cells(1, 1)->SetCharCase(ecUpperCase);
    grid->Cells(2, 1)->SetCellType(mctSpin);
    grid->Cells(2, 1)->SetText(QStringLiteral("40"));
    grid->Cells(3, 1)->SetCellType(mctCheck);
    grid->Cells(1, 2)->SetReadOnly(true);
    const struct {
        int col, row;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *text;
        const char *editor; // nullptr: no edit begins
    } cases[] = {
        {1, 1, Qt::Key_B, Qt::NoModifier, "b", "B"}, // the editor's own rules apply
        {2, 1, Qt::Key_7, Qt::NoModifier, "7", "7"}, // spin cells too
        {1, 1, Qt::Key_X, Qt::NoModifier, "x", nullptr},
        {1, 1, Qt::Key_A, Qt::ControlModifier, "\x01", nullptr},
        {1, 1, Qt::Key_7, Qt::AltModifier, "7", nullptr},
        {3, 1, Qt::Key_7, Qt::NoModifier, "7", nullptr},
        {1, 2, Qt::Key_7, Qt::NoModifier, "7", nullptr},
    };
    for (const auto &c : cases) {
        log.clear();
        select(c.col, c.row);
        QTest::keyClick(grid, c.key, c.modifiers);
        const QString where =
            QStringLiteral("%1,%2 %3").arg(c.col).arg(c.row).arg(QLatin1String(c.text));
        if (!c.editor) {
            EXPECT_FALSE(grid->editing()) << where.toStdString();
            continue;
        }
        ASSERT_TRUE(grid->editing()) << where.toStdString();
        EXPECT_EQ(grid->EditorText(), QLatin1String(c.editor)) << where.toStdString();
        // The host saw the cell's text from before the character.
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], QStringLiteral("enter %1,%2 %3")
                              .arg(c.col)
                              .arg(c.row)
                              .arg(grid->Cells(c.col, c.row)->Text()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
    EXPECT_EQ(grid->Cells(1, 1)->Text(), QStringLiteral("old"));
}

TEST_F(GridTest, EnteringTheTextEditorByKeyOrClickSelectsItsText)
{
    TMultiCell *cell = grid->Cells(1, 1);
    cell->SetText(QStringLiteral("1234"));
    cell->SetMaxLength(4);
    select(1, 1);
    ASSERT_TRUE(grid->textEditor()->isVisible());
    ASSERT_FALSE(grid->editing());

    // The click that takes the editor into use selects everything, so typing
    // replaces the code even though the field is full.
    const QPoint inside = grid->textEditor()->rect().center();
    QTest::mouseClick(grid->textEditor(), Qt::LeftButton, {}, inside);
    ASSERT_TRUE(grid->editing());
    EXPECT_EQ(grid->textEditor()->selectedText(), QStringLiteral("1234"));
    QTest::keyClicks(grid->textEditor(), QStringLiteral("9"));
    EXPECT_EQ(grid->textEditor()->text(), QStringLiteral("9"));

    // A further click inside the editor in use places the caret as usual.
    QTest::mouseClick(grid->textEditor(), Qt::LeftButton, {}, QPoint(1, inside.y()));
    EXPECT_FALSE(grid->textEditor()->hasSelectedText());
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(cell->Text(), QStringLiteral("9"));

    // Ctrl+A passes a host's filter that lets it through, and selects.
    grid->OnKeyPress = [](TMultiGrid *, QChar &key) {
        if (key != QChar(1) && !key.isDigit())
            key = QChar();
    };
    cell->SetText(QStringLiteral("5678"));
    select(1, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    grid->textEditor()->deselect();
    QTest::keyClick(grid->textEditor(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid->textEditor()->selectedText(), QStringLiteral("5678"));
}

TEST_F(GridTest, CheckCellsToggleByAnyMouseButtonAndByKeysButNotWhenReadOnly)
{
    TMultiCell *cell = grid->Cells(2, 2);
    cell->SetCellType(mctCheck);
    std::vector<QString> order;
    grid->OnCheck = [&](TMultiGrid *, int, int, bool checked) {
        order.push_back(checked ? QStringLiteral("on") : QStringLiteral("off"));
    };
    grid->OnMouseDown = [&](TMultiGrid *, Qt::MouseButton button, Qt::KeyboardModifiers, int, int,
                            int col, int row) {
        order.push_back(QStringLiteral("down %1 %2,%3").arg(int(button)).arg(col).arg(row));
    };
    press(2, 2, Qt::RightButton);
    EXPECT_TRUE(cell->Checked());
    press(2, 2, Qt::LeftButton);
    EXPECT_FALSE(cell->Checked());
    EXPECT_EQ(order, (std::vector<QString>{"on", "down 2 2,2", "off", "down 1 2,2"}));
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_FALSE(grid->textEditor()->isVisible());

    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_TRUE(cell->Checked());
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_FALSE(cell->Checked());

    grid->SetReadOnly(true);
    press(2, 2, Qt::RightButton);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_FALSE(cell->Checked());
    cell->SetChecked(true); // the host may always set it
    EXPECT_TRUE(cell->Checked());
}

TEST_F(GridTest, RowsAddedToAReadOnlyGridStayEditableUntilReadOnlyIsSetAgain)
{
    grid->SetReadOnly(true);
    grid->SetRowCount(6);
    TMultiCell *added = grid->Cells(2, 5);
    TMultiCell *old = grid->Cells(2, 4);
    added->SetCellType(mctCheck);
    old->SetCellType(mctCheck);
    press(2, 4);
    press(2, 5);
    EXPECT_FALSE(old->Checked());
    EXPECT_TRUE(added->Checked());
    grid->SetReadOnly(true);
    press(2, 5);
    EXPECT_TRUE(added->Checked());
}

TEST_F(GridTest, DialogButtonRunsTheModalFormOnlyForTheLeftButton)
{
    TMultiCell *cell = grid->Cells(2, 1);
    cell->SetCellType(mctDialog);
    cell->SetDlgBtnCaption(QStringLiteral("Зоны"));
    cell->SetDlgBtnWidth(40);
    QDialog form(m_window.get());
    cell->SetDlgForm(&form);
    std::vector<QString> order;
    grid->OnDialogShow = [&](TMultiGrid *, int col, int row, int top, int left, int height,
                             int width) {
        EXPECT_EQ(QRect(left, top, width, height), grid->button()->geometry());
        order.push_back(QStringLiteral("show %1,%2").arg(col).arg(row));
        // The form closes itself once it is up.
        QTimer::singleShot(0, &form, [&] {
            order.push_back(form.isVisible() ? QStringLiteral("modal") : QStringLiteral("hidden"));
            form.accept();
        });
    };
    grid->OnDialogClose = [&](TMultiGrid *, int col, int row, int result) {
        order.push_back(QStringLiteral("close %1,%2 %3").arg(col).arg(row).arg(result));
    };
    select(2, 1);
    ASSERT_TRUE(grid->button()->isVisible());
    EXPECT_EQ(grid->button()->text(), QStringLiteral("Зоны"));
    const QRect rect = grid->CellRect(2, 1);
    EXPECT_EQ(grid->button()->geometry(),
              QRect(rect.x() + rect.width() - 41, rect.y() + 1, 40, rect.height() - 2));

    QTest::mousePress(grid->button(), Qt::RightButton);
    QApplication::processEvents();
    EXPECT_TRUE(order.empty());

    QTest::mousePress(grid->button(), Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_EQ(order, (std::vector<QString>{"show 2,1", "modal", "close 2,1 1"}));
    EXPECT_EQ(m_window->focusWidget(), grid);

    order.clear();
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(order, (std::vector<QString>{"show 2,1", "modal", "close 2,1 1"}));
}

TEST_F(GridTest, ComboButtonOpensTheListForAnyButtonAndAChoiceSetsTheText)
{
    TMultiCell *cell = grid->Cells(1, 2);
    cell->SetCellType(mctCombo);
    cell->Items() = {QStringLiteral("Тон"), QStringLiteral("R&D")};
    std::vector<QString> order;
    grid->OnSetEditText = [&](TMultiGrid *, int col, int row, QString value) {
        order.push_back(QStringLiteral("set %1,%2 %3").arg(col).arg(row).arg(value));
    };
    grid->OnEditorApply = [&](TMultiGrid *, int, int, QString) { order.push_back("apply"); };
    select(1, 2);
    ASSERT_TRUE(grid->button()->isVisible());
    EXPECT_EQ(grid->button()->text(), QStringLiteral("..."));
    EXPECT_EQ(grid->button()->width(), 18);

    QTest::mousePress(grid->button(), Qt::RightButton);
    QMenu *list = grid->comboList();
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(list->actions().size(), 2);
    EXPECT_EQ(list->actions().at(1)->text(), QStringLiteral("R&&D")); // no accelerator
    const QRect rect = grid->CellRect(1, 2);
    EXPECT_EQ(list->pos(), grid->viewport()->mapToGlobal(QPoint(rect.left(), rect.bottom() + 1)));
    list->actions().at(1)->trigger();
    list->hide();
    EXPECT_EQ(cell->Text(), QStringLiteral("R&D"));
    EXPECT_EQ(cell->ItemIndex(), 1);
    EXPECT_FALSE(grid->button()->isVisible());
    EXPECT_EQ(order, (std::vector<QString>{"set 1,2 R&D"}));
}

TEST_F(GridTest, SpinCellsOpenAtTheirValueOrLowerBoundAndApplyEachButtonClick)
{
    TMultiCell *cell = grid->Cells(3, 1);
    cell->SetCellType(mctSpin);
    cell->SetMaxValue(10);
    cell->SetMinValue(1);
    cell->SetSpinWrap(true);
    cell->SetText(QStringLiteral("abc"));
    std::vector<QString> set;
    grid->OnSetEditText = [&](TMultiGrid *, int, int, QString value) { set.push_back(value); };
    select(3, 1);
    TWinSpinEdit *spin = grid->spinEditor();
    ASSERT_TRUE(spin->isVisible());
    EXPECT_EQ(spin->Value(), 1);
    spin->downButton()->click();
    EXPECT_EQ(cell->Text(), QStringLiteral("10"));
    EXPECT_EQ(set, (std::vector<QString>{"10"}));
    EXPECT_EQ(grid->EditorText(), QStringLiteral("10"));

    // A text that is not a number opens the editor at the lower bound.
    cell->SetText(QStringLiteral("not a number"));
    EXPECT_TRUE(spin->isVisible());
    EXPECT_EQ(spin->Value(), 1);
}

TEST_F(GridTest, DateTimeCellsStoreTheirTextInTheirFormat)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TMultiCell *cell = grid->Cells(1, 4);
    cell->SetCellType(mctDateTime);
    EXPECT_TRUE(cell->SetText(QStringLiteral("5.3.2026")));
    EXPECT_EQ(cell->Text(), QStringLiteral("05.03.2026"));
    EXPECT_FALSE(cell->SetText(QStringLiteral("31.02.2026")));
    EXPECT_EQ(cell->Text(), QStringLiteral("05.03.2026"));
    EXPECT_TRUE(cell->SetDTTextFormat(QStringLiteral("yyyy-mm-dd")));
    EXPECT_EQ(cell->Text(), QStringLiteral("2026-03-05"));

    select(1, 4);
    ASSERT_TRUE(grid->dateTimeEditor()->isVisible());
    EXPECT_EQ(grid->dateTimeEditor()->date(), QDate(2026, 3, 5));
    EXPECT_EQ(grid->EditorText(), QStringLiteral("2026-03-05"));

    TMultiCell *time = grid->Cells(2, 4);
    time->SetCellType(mctDateTime);
    time->SetDTKind(dtkTime);
    EXPECT_EQ(time->DTTextFormat(), QStringLiteral("h:nn:ss"));
    EXPECT_TRUE(time->SetText(QStringLiteral("7:05")));
    EXPECT_EQ(time->Text(), QStringLiteral("7:05:00"));
    QLocale::setDefault(QLocale::system());
}

TEST_F(GridTest, ClearEmptiesOnlyTheDataTexts)
{
    grid->Cells(1, 0)->SetText(QStringLiteral("Header"));
    grid->Cells(0, 2)->SetText(QStringLiteral("2"));
    grid->Cells(1, 2)->SetText(QStringLiteral("data"));
    TMultiCell *check = grid->Cells(2, 2);
    check->SetCellType(mctCheck);
    check->SetText(QStringLiteral("caption"));
    check->SetChecked(true);
    TMultiCell *date = grid->Cells(3, 2);
    date->SetCellType(mctDateTime);
    date->SetText(QStringLiteral("01/02/2026"));
    std::vector<QString> order;
    grid->OnBeforeClear = [&](TMultiGrid *) {
        order.push_back(QStringLiteral("before ") + grid->Cells(1, 2)->Text());
    };
    grid->OnAfterClear = [&](TMultiGrid *) {
        order.push_back(QStringLiteral("after ") + grid->Cells(1, 2)->Text());
    };
    grid->Clear();
    EXPECT_EQ(order, (std::vector<QString>{"before data", "after "}));
    EXPECT_EQ(grid->Cells(1, 0)->Text(), QStringLiteral("Header"));
    EXPECT_EQ(grid->Cells(0, 2)->Text(), QStringLiteral("2"));
    EXPECT_EQ(check->Text(), QString());
    EXPECT_EQ(check->CellType(), mctCheck);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(date->Text(), QString());
}

TEST_F(GridTest, DisabledCellIsDrawnGreyAndOpensNoEditor)
{
    const auto redPixels = [this](int col, int row) {
        const QImage image = grid->viewport()->grab().toImage();
        int count = 0;
        const QRect rect = grid->CellRect(col, row);
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.red() > 150 && pixel.green() < 90 && pixel.blue() < 90)
                    ++count;
            }
        return count;
    };
    TMultiCell *cell = grid->Cells(2, 3);
    cell->SetFontColor(Qt::red);
    cell->SetText(QStringLiteral("WWWW"));
    grid->HideControls();
    EXPECT_GT(redPixels(2, 3), 0);

    cell->SetEnabled(false);
    EXPECT_EQ(redPixels(2, 3), 0);
    select(2, 3);
    EXPECT_FALSE(grid->textEditor()->isVisible());
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_FALSE(grid->editing());
}

TEST_F(GridTest, HideFocusHidesTheEditorsWhenTheFocusLeaves)
{
    int exits = 0;
    grid->OnExit = [&](TMultiGrid *) { ++exits; };
    select(1, 1);
    ASSERT_TRUE(grid->textEditor()->isVisible());
    other->setFocus();
    EXPECT_TRUE(grid->textEditor()->isVisible());
    EXPECT_EQ(exits, 1);
    grid->SetHideFocus(true);
    select(1, 1);
    other->setFocus();
    EXPECT_FALSE(grid->textEditor()->isVisible());
    EXPECT_EQ(exits, 2);
}

TEST_F(GridTest, ToolTipsShowTheTextOfTheCellUnderTheMouse)
{
    grid->Cells(2, 2)->SetText(QStringLiteral("подсказка"));
    grid->SetToolTips(true);
    const QPoint at = centreOf(2, 2);
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("подсказка"));
    QToolTip::hideText();
}

TEST_F(GridTest, TheEditorFollowsItsCellWhenTheGridScrolls)
{
    grid->SetRowCount(40);
    int scrolled = 0;
    grid->OnTopLeftChanged = [&](TMultiGrid *) { ++scrolled; };
    select(1, 1);
    ASSERT_TRUE(grid->textEditor()->isVisible());
    grid->SetTopRow(10);
    EXPECT_EQ(scrolled, 1);
    EXPECT_FALSE(grid->textEditor()->isVisible()); // its cell is out of view
    grid->FocusCell(1, 30);
    EXPECT_GE(scrolled, 2);
    EXPECT_FALSE(grid->CellRect(1, 30).isEmpty());
    EXPECT_TRUE(grid->textEditor()->isVisible());
    EXPECT_EQ(grid->textEditor()->geometry(), grid->CellRect(1, 30).adjusted(1, 1, -1, -1));

    grid->SetColWidths(0, 100); // the shown editor moves with its cell
    EXPECT_EQ(grid->textEditor()->geometry(), grid->CellRect(1, 30).adjusted(1, 1, -1, -1));
}

TEST_F(GridTest, OnSelectCellMayKeepTheCurrentCell)
{
    grid->OnSelectCell = [](TMultiGrid *, int col, int, bool &canSelect) { canSelect = col != 3; };
    select(1, 2);
    press(3, 2);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->textEditor()->geometry(), grid->CellRect(1, 2).adjusted(1, 1, -1, -1));
    press(2, 3);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridTest, SelectedCellsAreHighlightedUnlessHideSelection)
{
    const auto colourAt = [this](int col, int row) {
        const QRect rect = grid->CellRect(col, row);
        return grid->viewport()->grab().toImage().pixelColor(rect.center());
    };
    grid->SetBackColor(QColor(250, 250, 200));
    grid->SetRangeSelect(true);
    select(1, 1);
    grid->FocusCell(3, 3, true);
    grid->HideControls();
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(colourAt(2, 2), highlight);
    EXPECT_EQ(colourAt(3, 3), QColor(250, 250, 200)); // the current cell
    EXPECT_EQ(colourAt(3, 4), QColor(250, 250, 200)); // outside the range
    grid->SetHideSelection(true);
    EXPECT_EQ(colourAt(2, 2), QColor(250, 250, 200));
}

TEST_F(GridTest, SpinEditsApplyTheCorrectedValue)
{
    recordEdits();
    TMultiCell *cell = grid->Cells(2, 2);
    cell->SetCellType(mctSpin);
    cell->SetMaxValue(10);
    cell->SetMinValue(1);
    cell->SetText(QStringLiteral("4"));
    select(2, 2);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_TRUE(grid->spinEditor()->hasFocus());
    grid->spinEditor()->selectAll();
    QTest::keyClicks(grid->spinEditor(), QStringLiteral("25"));
    QTest::keyClick(grid->spinEditor(), Qt::Key_Return);
    EXPECT_EQ(cell->Text(), QStringLiteral("10"));
    EXPECT_EQ(log, (std::vector<QString>{"enter 2,2 4", "set 2,2 10", "apply 2,2 10"}));
}
