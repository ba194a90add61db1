#include "common/FakeNotifier.h"
#include "components/TGridButton.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "events/EventCodeTables.h"
#include "ui/events/ExternalCodesPage.h"
#include "ui/events/InternalCodesPage.h"
#include "ui/events/TfrmExtEvZones.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;
using Mark = EventCodeTables::Mark;

namespace {

const QString kInvalid = QStringLiteral("В поле присутствуют недопустимые символы");
const QString kZeroMemoryFault = QStringLiteral("Код неисправности памяти не может быть нулевым");

// A shown, active window holding one page and a field to move the focus to.
class PageTest : public ::testing::Test
{
protected:
    template <typename Page, typename... Args> Page *show(Args &&...args)
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        auto *page = new Page(std::forward<Args>(args)..., m_window.get());
        other = new QLineEdit(m_window.get());
        layout->addWidget(page);
        layout->addWidget(other);
        m_window->resize(737, 430);
        m_window->show();
        m_window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        return page;
    }

    // Types into a code cell's editor, then ends the edit with Enter.
    static void typeInto(TMultiGrid *grid, int col, int row, const QString &text)
    {
        grid->setFocus();
        grid->FocusCell(col, row);
        QTest::keyClick(grid, Qt::Key_Return);
        ASSERT_TRUE(grid->editing());
        grid->textEditor()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(grid->textEditor(), Qt::Key_Backspace);
        QTest::keyClicks(grid->textEditor(), text);
        QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    }

    static void click(TMultiGrid *grid, int col, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(col, row).center());
    }

    EventCodeTables tables;
    test::FakeNotifier notifier;
    QLineEdit *other = nullptr;
    std::unique_ptr<QWidget> m_window;
};

// Runs `inside` once the next modal dialog is up.
void whenModal(std::function<void()> inside)
{
    QTimer::singleShot(0, qApp, [inside = std::move(inside)] {
        QWidget *modal = QApplication::activeModalWidget();
        EXPECT_NE(modal, nullptr);
        if (modal) {
            modal->activateWindow();
            EXPECT_TRUE(QTest::qWaitFor([modal] { return modal->isActiveWindow(); }));
        }
        inside();
    });
}

} // namespace

TEST_F(PageTest, GridsAreSetUpAsTheirHostsNeed)
{
    auto *internal = show<InternalCodesPage>(tables, notifier);
    ExternalCodesPage external(tables);
    const struct {
        TMultiGrid *grid;
        QList<int> widths;
        QStringList headers;
        QList<int> codeColumns;
        TCellType codeType;
        int rows;
    } grids[] = {
        {internal->mgdSeparateInternalEvents,
         {25, 460, 100, 100},
         {QStringLiteral("№"), QStringLiteral("Событие"), QStringLiteral("Код для пары №1"), QStringLiteral("Код для пары №2")},
         {2, 3},
         mctText,
         9},
        {internal->mgdCommonInternalEvents,
         {25, 460, 200},
         {QStringLiteral("№"), QStringLiteral("Событие"), QStringLiteral("Общий код")},
         {2},
         mctText,
         2},
        {external.mgdExternalEvents,
         {25, 379, 100, 100, 40, 40},
         {QStringLiteral("№"), QStringLiteral("Событие"), QStringLiteral("Код для пары №1"), QStringLiteral("Код для пары №2"), QStringLiteral("В/П"), QStringLiteral("О/С")},
         {2, 3},
         mctDialog,
         61},
    };
    for (const auto &g : grids) {
        SCOPED_TRACE(g.grid->objectName().toStdString());
        ASSERT_EQ(g.grid->ColCount(), g.widths.size());
        EXPECT_EQ(g.grid->RowCount(), g.rows);
        EXPECT_EQ(g.grid->FixedCols(), 2);
        EXPECT_EQ(g.grid->FixedRows(), 1);
        EXPECT_FALSE(g.grid->RangeSelect());
        EXPECT_TRUE(g.grid->HideSelection());
        EXPECT_TRUE(g.grid->HideFocus());
        for (int c = 0; c < g.grid->ColCount(); ++c) {
            EXPECT_EQ(g.grid->ColWidths(c), g.widths[c]);
            EXPECT_EQ(g.grid->Cells(c, 0)->Text(), g.headers[c]);
            const TMultiCell *cell = g.grid->Cells(c, 1);
            EXPECT_EQ(cell->AlignmentH(), mahCenter);
            EXPECT_EQ(cell->AlignmentV(), mavCenter);
            EXPECT_EQ(cell->IndentV(), 2);
            EXPECT_EQ(cell->IndentH(), c >= 4 ? 14 : 2);
        }
        for (int r = 1; r < g.rows; ++r) {
            for (int c : g.codeColumns) {
                const TMultiCell *cell = g.grid->Cells(c, r);
                EXPECT_EQ(cell->CellType(), g.codeType);
                if (g.codeType == mctText) {
                    EXPECT_EQ(cell->MaxLength(), 4);
                    EXPECT_EQ(cell->CharCase(), ecUpperCase);
                } else {
                    EXPECT_EQ(cell->Items(), QStringList(70, QStringLiteral("0000")));
                }
                EXPECT_EQ(cell->Text(), QStringLiteral("0000"));
            }
        }
    }
    EXPECT_EQ(external.mgdExternalEvents->Cells(4, 60)->CellType(), mctCheck);
    EXPECT_EQ(external.mgdExternalEvents->Cells(5, 60)->CellType(), mctCheck);
    EXPECT_TRUE(external.mgdExternalEvents->button()->isHidden());
    EXPECT_EQ(
        internal->lblNote->text(),
        QStringLiteral("Внутренние коды событий коммуникатора всегда имеют высокий приоритет"));
}

TEST_F(PageTest, TypedCodeIsPaddedAndReachesTheTables)
{
    tables.applyFixedEventNumbers();
    auto *page = show<InternalCodesPage>(tables, notifier);
    TMultiGrid *grid = page->mgdSeparateInternalEvents;
    typeInto(grid, 2, 1, QStringLiteral("1a"));
    EXPECT_EQ(grid->Cells(2, 1)->Text(), QStringLiteral("001A"));
    EXPECT_EQ(tables.separateCode(1, 1), QStringLiteral("001A"));
    // Keys outside the hexadecimal digits never reach the editor.
    typeInto(grid, 3, 8, QStringLiteral("g7-z"));
    EXPECT_EQ(tables.separateCode(8, 2), QStringLiteral("0007"));
    EXPECT_TRUE(notifier.errors.isEmpty());

    // Leaving the editor applies the edit as Enter does.
    grid->setFocus();
    grid->FocusCell(3, 2);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClicks(grid->textEditor(), QStringLiteral("b"));
    other->setFocus();
    EXPECT_EQ(tables.separateCode(2, 2), QStringLiteral("000B"));

    // The names and fixed event numbers come from the tables.
    EXPECT_EQ(grid->Cells(1, 7)->Tag(), 113);
    EXPECT_EQ(page->mgdCommonInternalEvents->Cells(1, 1)->Tag(), -1);
}

TEST_F(PageTest, CodeCellsEditByMouseAndByTypingOnTheCell)
{
    tables.setSeparateCode(1, 1, QStringLiteral("1234"));
    tables.setSeparateCode(2, 1, QStringLiteral("00C0"));
    auto *page = show<InternalCodesPage>(tables, notifier);
    TMultiGrid *grid = page->mgdSeparateInternalEvents;
    const auto typeHere = [](const QString &text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
    };

    // First click selects the cell, the second one enters its full field with
    // the code selected: what is typed replaces it.
    click(grid, 2, 1);
    ASSERT_TRUE(grid->textEditor()->isVisible());
    QTest::mouseClick(grid->textEditor(), Qt::LeftButton, {}, grid->textEditor()->rect().center());
    ASSERT_TRUE(grid->editing());
    typeHere(QStringLiteral("7"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(tables.separateCode(1, 1), QStringLiteral("0007"));

    // A hexadecimal digit typed on a selected cell opens its editor with it;
    // anything else is dropped and opens nothing.
    click(grid, 2, 2);
    QTest::keyClicks(grid, QStringLiteral("g"));
    EXPECT_FALSE(grid->editing());
    QTest::keyClicks(grid, QStringLiteral("f"));
    ASSERT_TRUE(grid->editing());
    typeHere(QStringLiteral("3"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(tables.separateCode(2, 1), QStringLiteral("00F3"));

    // Ctrl+A passes the hexadecimal filter and selects the whole code.
    click(grid, 2, 2);
    QTest::keyClick(grid, Qt::Key_Return);
    grid->textEditor()->end(false);
    QTest::keyClick(grid->textEditor(), Qt::Key_A, Qt::ControlModifier);
    typeHere(QStringLiteral("b"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(tables.separateCode(2, 1), QStringLiteral("000B"));
    EXPECT_TRUE(notifier.errors.isEmpty());
}

TEST_F(PageTest, PastedInvalidCodeShowsOneMessageAndGoesBack)
{
    tables.setSeparateCode(4, 2, QStringLiteral("00B1"));
    auto *page = show<InternalCodesPage>(tables, notifier);
    TMultiGrid *grid = page->mgdSeparateInternalEvents;
    QApplication::clipboard()->setText(QStringLiteral("12G4"));
    grid->setFocus();
    grid->FocusCell(3, 4);
    QTest::keyClick(grid, Qt::Key_Return);
    grid->textEditor()->selectAll();
    QTest::keyClick(grid->textEditor(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(grid->textEditor()->text(), QStringLiteral("12G4"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(notifier.errors, QStringList{kInvalid});
    EXPECT_EQ(grid->Cells(3, 4)->Text(), QStringLiteral("00B1"));
    EXPECT_EQ(tables.separateCode(4, 2), QStringLiteral("00B1"));
}

TEST_F(PageTest, MemoryFaultCodeCannotBecomeZero)
{
    tables.setRowCount(EventCodeTables::Table::Common, 2);
    tables.applyFixedEventNumbers();
    auto *page = show<InternalCodesPage>(tables, notifier);
    TMultiGrid *grid = page->mgdCommonInternalEvents;
    EXPECT_EQ(grid->Cells(2, 1)->Text(), QStringLiteral("1304"));
    for (const QString &zero : {QStringLiteral("0"), QString()}) {
        notifier.clear();
        typeInto(grid, 2, 1, zero);
        EXPECT_EQ(notifier.errors, QStringList{kZeroMemoryFault}) << zero.toStdString();
        EXPECT_EQ(grid->Cells(2, 1)->Text(), QStringLiteral("1304"));
        EXPECT_EQ(tables.commonCode(1), QStringLiteral("1304"));
    }
    // Further common rows may be zero.
    notifier.clear();
    tables.setCommonCode(2, QStringLiteral("0042"));
    typeInto(grid, 2, 2, QStringLiteral("0"));
    EXPECT_TRUE(notifier.errors.isEmpty());
    EXPECT_EQ(tables.commonCode(2), QStringLiteral("0000"));
}

TEST_F(PageTest, TablesChangedElsewhereShowInTheGrids)
{
    auto *internal = show<InternalCodesPage>(tables, notifier);
    ExternalCodesPage external(tables);
    tables.setSeparateCode(5, 2, QStringLiteral("ABCD"));
    tables.setCommonCode(1, QStringLiteral("0101"));
    EXPECT_EQ(internal->mgdSeparateInternalEvents->Cells(3, 5)->Text(), QStringLiteral("ABCD"));
    EXPECT_EQ(internal->mgdCommonInternalEvents->Cells(2, 1)->Text(), QStringLiteral("0101"));
    tables.setRow(EventCodeTables::Table::External, 7,
                  {QStringLiteral("7"), QStringLiteral("Пожар"), 6});
    EXPECT_EQ(external.mgdExternalEvents->Cells(0, 7)->Text(), QStringLiteral("7"));
    EXPECT_EQ(external.mgdExternalEvents->Cells(1, 7)->Text(), QStringLiteral("Пожар"));
    EXPECT_EQ(external.mgdExternalEvents->Cells(1, 7)->Tag(), 6);

    // Zone summaries: zone 0's code alone, or the count of zones 1-69 coded.
    const struct {
        QList<int> zones;
        const char *text;
        int tag;
    } cases[] = {{{}, "1234", 0}, {{3, 7}, "2 зоны", 2}, {{}, "1234", 0}};
    for (const auto &c : cases) {
        QStringList codes(70, QStringLiteral("0000"));
        codes[0] = QStringLiteral("1234");
        for (int zone : c.zones)
            codes[zone] = QStringLiteral("0B01");
        tables.setZoneCodes(12, 2, codes);
        const TMultiCell *cell = external.mgdExternalEvents->Cells(3, 12);
        EXPECT_EQ(cell->Text(), QString::fromUtf8(c.text));
        EXPECT_EQ(cell->Tag(), c.tag);
        EXPECT_EQ(cell->Items(), codes);
    }
    for (const auto &[count, text] :
         {std::pair{21, "21 зона"}, std::pair{10, "10 зоны"}, std::pair{5, "5 зон"}}) {
        for (int zone = 1; zone < 70; ++zone)
            tables.setZoneCode(1, 1, zone,
                               zone <= count ? QStringLiteral("0001") : QStringLiteral("0000"));
        EXPECT_EQ(external.mgdExternalEvents->Cells(2, 1)->Text(), QString::fromUtf8(text));
        EXPECT_EQ(external.mgdExternalEvents->Cells(2, 1)->Tag(), count);
    }

    // Marks set by a decoder tick the cells and apply the limit of four.
    for (int row : {3, 9, 20, 41})
        tables.setMark(row, Mark::Mandatory, true);
    TMultiGrid *grid = external.mgdExternalEvents;
    EXPECT_TRUE(grid->Cells(5, 20)->Checked());
    EXPECT_TRUE(grid->Cells(5, 20)->Enabled());
    EXPECT_FALSE(grid->Cells(5, 21)->Enabled());
    EXPECT_TRUE(grid->Cells(4, 21)->Enabled());
    tables.clearMarks(Mark::Mandatory);
    EXPECT_FALSE(grid->Cells(5, 20)->Checked());
    EXPECT_TRUE(grid->Cells(5, 21)->Enabled());
}

TEST_F(PageTest, FourMarksDisableTheOther56CellsOfTheirColumnOnly)
{
    auto *page = show<ExternalCodesPage>(tables);
    TMultiGrid *grid = page->mgdExternalEvents;
    for (int row : {1, 2, 4, 6})
        click(grid, ExternalCodesPage::HighPriorityColumn, row);
    const auto enabledIn = [grid](int col) {
        int enabled = 0;
        for (int r = 1; r <= 60; ++r)
            enabled += grid->Cells(col, r)->Enabled() ? 1 : 0;
        return enabled;
    };
    EXPECT_EQ(tables.markedRows(Mark::HighPriority), QList<int>({1, 2, 4, 6}));
    EXPECT_EQ(enabledIn(4), 4);
    EXPECT_FALSE(grid->Cells(4, 3)->Enabled());
    EXPECT_EQ(enabledIn(5), 60);

    click(grid, 4, 5); // disabled: no fifth mark
    EXPECT_FALSE(grid->Cells(4, 5)->Checked());
    EXPECT_EQ(tables.markCount(Mark::HighPriority), 4);

    click(grid, 4, 2); // unticking one frees the others
    EXPECT_EQ(enabledIn(4), 60);
    EXPECT_EQ(tables.markedRows(Mark::HighPriority), QList<int>({1, 4, 6}));
    click(grid, 4, 5);
    EXPECT_EQ(tables.markedRows(Mark::HighPriority), QList<int>({1, 4, 5, 6}));

    // Ticks set on the cells by a program reach the tables too; a fifth is taken back.
    grid->Cells(5, 30)->SetChecked(true);
    EXPECT_EQ(tables.markedRows(Mark::Mandatory), QList<int>({30}));
    grid->Cells(4, 30)->SetChecked(true);
    EXPECT_FALSE(grid->Cells(4, 30)->Checked());
    EXPECT_EQ(tables.markCount(Mark::HighPriority), 4);
}

TEST_F(PageTest, DisabledMarkCellsAreDrawnDisabled)
{
    auto *page = show<ExternalCodesPage>(tables);
    TMultiGrid *grid = page->mgdExternalEvents;
    // Cell images of an unticked mark of each column, in the same row.
    const auto look = [grid](int col) {
        return grid->viewport()->grab(grid->CellRect(col, 5)).toImage();
    };
    ASSERT_EQ(look(4), look(5)); // both enabled and unticked: the same picture
    for (int row : {1, 2, 3, 4})
        click(grid, ExternalCodesPage::HighPriorityColumn, row);
    ASSERT_FALSE(grid->Cells(4, 5)->Enabled());
    const QImage disabled = look(4);
    EXPECT_NE(disabled, look(5));
    // The box of the disabled cell is filled grey where the enabled one shows
    // the background.
    const QColor back = grid->Cells(5, 5)->BackColor();
    int grey = 0;
    for (int y = 0; y < disabled.height(); ++y)
        for (int x = 0; x < disabled.width(); ++x) {
            const QColor pixel = disabled.pixelColor(x, y);
            if (pixel != back && qAbs(pixel.red() - pixel.green()) < 8 &&
                qAbs(pixel.green() - pixel.blue()) < 8)
                ++grey;
        }
    EXPECT_GT(grey, 40);

    click(grid, 4, 4); // enabled again: drawn as before
    EXPECT_EQ(look(4), look(5));
}

TEST_F(PageTest, ZonesDialogEditsACellsCodesOnlyWhenClosedWithOK)
{
    auto *page = show<ExternalCodesPage>(tables);
    TfrmExtEvZones zones(notifier, m_window.get());
    page->setZonesDialog(&zones);
    tables.setZoneCode(3, 1, 0, QStringLiteral("1234"));
    TMultiGrid *grid = page->mgdExternalEvents;
    EXPECT_EQ(grid->Cells(2, 3)->DlgForm(), &zones);
    EXPECT_EQ(grid->Cells(3, 60)->DlgForm(), &zones);
    const QStringList before = tables.zoneCodes(3, 1);

    for (const bool ok : {false, true}) {
        QStringList shown;
        whenModal([&] {
            shown = zones.zoneCodes();
            EXPECT_EQ(zones.mgdZones->Row(), 1);
            typeInto(zones.mgdZones, 1, 5, QStringLiteral("b1"));
            typeInto(zones.mgdZones, 1, 1, QStringLiteral("7"));
            ok ? zones.btnOK->click() : zones.btnCancel->click();
        });
        grid->setFocus();
        grid->FocusCell(2, 3);
        QTest::keyClick(grid, Qt::Key_Return);
        EXPECT_EQ(shown, before) << "the dialog opens with the cell's codes";
        if (!ok) {
            EXPECT_EQ(tables.zoneCodes(3, 1), before);
            EXPECT_EQ(grid->Cells(2, 3)->Items(), before);
            EXPECT_EQ(grid->Cells(2, 3)->Text(), QStringLiteral("1234"));
            EXPECT_EQ(grid->Cells(2, 3)->Tag(), 0);
        }
    }
    EXPECT_EQ(tables.zoneCode(3, 1, 4), QStringLiteral("00B1"));
    EXPECT_EQ(tables.zoneCode(3, 1, 0), QStringLiteral("0007"));
    EXPECT_EQ(grid->Cells(2, 3)->Text(), QStringLiteral("1 зона"));
    EXPECT_EQ(grid->Cells(2, 3)->Tag(), 1);
    EXPECT_EQ(tables.zoneCodes(3, 2), QStringList(70, QStringLiteral("0000")));
    EXPECT_TRUE(notifier.errors.isEmpty());
}

namespace {

// The zones dialog shown on its own, as the grid shows it, but not modally.
class ZonesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        zones.show();
        zones.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&zones));
    }

    QStringList codes(int first, int last) const
    {
        return zones.zoneCodes().mid(first, last - first + 1);
    }

    test::FakeNotifier notifier;
    TfrmExtEvZones zones{notifier};
};

} // namespace

TEST_F(ZonesTest, DialogHasItsTableAndFields)
{
    EXPECT_TRUE(zones.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(zones.lblTitle->text(), QStringLiteral("Коды событий по зонам"));
    TMultiGrid *grid = zones.mgdZones;
    EXPECT_EQ(grid->RowCount(), 71);
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->ColWidths(0), 64);
    EXPECT_EQ(grid->ColWidths(1), 78);
    EXPECT_EQ(grid->Cells(0, 0)->Text(), QStringLiteral("Зона"));
    EXPECT_EQ(grid->Cells(1, 0)->Text(), QStringLiteral("Код"));
    EXPECT_EQ(grid->Cells(0, 70)->Text(), QStringLiteral("69"));
    EXPECT_EQ(grid->Cells(1, 70)->Text(), QStringLiteral("0000"));
    EXPECT_EQ(grid->Cells(1, 70)->MaxLength(), 4);
    EXPECT_TRUE(grid->RangeSelect());
    EXPECT_FALSE(grid->HideSelection());
    EXPECT_EQ(zones.edtStart->text(), QStringLiteral("0000"));
    EXPECT_EQ(zones.edtStep->text(), QStringLiteral("0"));
    EXPECT_EQ(zones.edtStart->maxLength(), 4);
    EXPECT_EQ(zones.gbxAutoFill->title(), QStringLiteral(" Автозаполнение "));
    EXPECT_EQ(zones.btnFill->text(), QStringLiteral("4) Заполнить"));
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(grid->Selection(), QRect(1, 1, 1, 1));
}

TEST_F(ZonesTest, FillWritesTheSelectedRowsSkippingDigitAUpToFFFF)
{
    const struct {
        const char *start, *step;
        int first, last; // zones selected
        QStringList written;
    } cases[] = {
        {"0009", "1", 0, 4, {QStringLiteral("0009"), QStringLiteral("000B"), QStringLiteral("000C"), QStringLiteral("000D"), QStringLiteral("000E")}},
        {"FFF0", "10", 10, 12, {QStringLiteral("FFF0"), QStringLiteral("FFFF"), QStringLiteral("FFFF")}},
        {"0", "A", 67, 69, {QStringLiteral("0000"), QStringLiteral("000B"), QStringLiteral("0015")}},
    };
    for (const auto &c : cases) {
        zones.setZoneCodes(QStringList(70, QStringLiteral("0000")));
        zones.mgdZones->FocusCell(1, c.first + 1);
        zones.mgdZones->FocusCell(1, c.last + 1, true);
        zones.edtStart->setFocus();
        zones.edtStart->selectAll();
        QTest::keyClicks(zones.edtStart, QString::fromLatin1(c.start));
        zones.edtStep->setFocus(); // leaving the start field pads it
        zones.edtStep->selectAll();
        QTest::keyClicks(zones.edtStep, QString::fromLatin1(c.step));
        QTest::keyClick(zones.edtStep, Qt::Key_Return);
        EXPECT_EQ(codes(c.first, c.last), c.written) << c.start;
        EXPECT_EQ(zones.zoneCodes().count(QStringLiteral("0000")),
                  70 - c.written.size() + c.written.count(QStringLiteral("0000")))
            << "only the selected rows change";
        EXPECT_TRUE(zones.isVisible()) << "Enter in a fill field does not close the dialog";
    }
    EXPECT_EQ(zones.edtStart->text(), QStringLiteral("0000"));
    EXPECT_TRUE(notifier.errors.isEmpty());

    // "Выделить все" then a fill covers all 70 zones.
    zones.edtStart->setText(QStringLiteral("0100"));
    zones.edtStep->setText(QStringLiteral("1"));
    zones.btnSelectAll->click();
    EXPECT_EQ(zones.mgdZones->Selection(), QRect(1, 1, 1, 70));
    zones.btnFill->click();
    EXPECT_EQ(codes(0, 0), QStringList{QStringLiteral("0100")});
    EXPECT_EQ(codes(69, 69), QStringList{QStringLiteral("0149")});
}

TEST_F(ZonesTest, EmptiedStepStopsTheFillWithAMessage)
{
    zones.mgdZones->FocusCell(1, 1);
    zones.edtStep->clear();
    zones.btnFill->click();
    ASSERT_EQ(notifier.errors.size(), 1);
    EXPECT_EQ(codes(0, 0), QStringList{QStringLiteral("0000")});
    // Pasted rubbish in the start field is undone when the field is checked.
    notifier.clear();
    QApplication::clipboard()->setText(QStringLiteral("1G"));
    zones.edtStart->setFocus();
    zones.edtStart->selectAll();
    QTest::keyClick(zones.edtStart, Qt::Key_V, Qt::ControlModifier);
    zones.edtStep->setText(QStringLiteral("1"));
    QTest::keyClick(zones.edtStart, Qt::Key_Return);
    EXPECT_EQ(notifier.errors, QStringList{kInvalid});
    EXPECT_EQ(zones.edtStart->text(), QStringLiteral("0000"));
    EXPECT_EQ(codes(0, 0), QStringList{QStringLiteral("0000")});
}

TEST_F(ZonesTest, EnterOpensAnEditThenEndsItAndMovesToOK)
{
    TMultiGrid *grid = zones.mgdZones;
    grid->FocusCell(1, 3);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(grid->editing()) << "the Enter that opened the editor leaves it open";
    EXPECT_EQ(QApplication::focusWidget(), grid->textEditor());
    QTest::keyClicks(grid->textEditor(), QStringLiteral("c"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_FALSE(grid->editing());
    EXPECT_EQ(codes(2, 2), QStringList{QStringLiteral("000C")});
    EXPECT_EQ(QApplication::focusWidget(), zones.btnOK);
    EXPECT_TRUE(zones.isVisible());

    // A pasted bad code goes back, with one message.
    QApplication::clipboard()->setText(QStringLiteral("12G4"));
    grid->setFocus();
    grid->FocusCell(1, 3);
    QTest::keyClick(grid, Qt::Key_Return);
    grid->textEditor()->selectAll();
    QTest::keyClick(grid->textEditor(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(grid->textEditor(), Qt::Key_Return);
    EXPECT_EQ(notifier.errors, QStringList{kInvalid});
    EXPECT_EQ(codes(2, 2), QStringList{QStringLiteral("000C")});

    // Esc in the editor drops the edit; Esc on the table cancels the dialog.
    grid->setFocus();
    grid->FocusCell(1, 4);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClicks(grid->textEditor(), QStringLiteral("5"));
    QTest::keyClick(grid->textEditor(), Qt::Key_Escape);
    EXPECT_EQ(codes(3, 3), QStringList{QStringLiteral("0000")});
    EXPECT_TRUE(zones.isVisible());
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(zones.isVisible());
    EXPECT_EQ(zones.result(), QDialog::Rejected);
}
