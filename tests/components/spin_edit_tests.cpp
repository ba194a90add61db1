#include "components/TWinSpinEdit.h"

#include <QAccessible>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

void leave(TWinSpinEdit &spin)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&spin, &out);
}

void setBounds(TWinSpinEdit &spin, int min, int max)
{
    spin.SetMaxValue(max);
    spin.SetMinValue(min);
}

} // namespace

TEST(TWinSpinEdit, ValueRuleOverTypedEntries)
{
    // What the user does: type (or paste) a text into the selected field, then
    // press Enter, leave the field, or neither.
    enum Finish { Nothing, Enter, Leave };
    const struct {
        const char *what;
        int min, max, increment;
        bool wrap, isSigned;
        int start;
        bool paste;
        const char *input;
        Finish finish;
        int value;
        const char *text;
    } cases[] = {
        {"17 steps down to 15", 0, 100, 5, false, true, 0, false, "17", Enter, 15, "15"},
        {"above the bounds", 1, 10, 1, false, true, 1, false, "25", Enter, 10, "10"},
        {"above the bounds, wrapping", 1, 10, 1, true, true, 1, false, "25", Enter, 1, "1"},
        {"below the bounds", 5, 10, 1, false, true, 7, false, "3", Leave, 5, "5"},
        {"below the bounds, wrapping", 5, 10, 1, true, true, 7, false, "3", Leave, 10, "10"},
        {"no bounds take anything", 0, 0, 1, false, true, 0, false, "123456", Enter, 123456,
         "123456"},
        {"typing leaves the text as typed", 1, 10, 1, false, true, 1, false, "25", Nothing, 10,
         "25"},
        {"minus in a signed field", 0, 0, 1, false, true, 7, false, "-", Nothing, -7, "-7"},
        {"minus in an unsigned field", 0, 0, 1, false, false, 7, false, "-", Nothing, 7, "7"},
        {"a letter", 0, 0, 1, false, true, 7, false, "x", Nothing, 7, "7"},
        {"12a pasted, then left", 0, 0, 1, false, true, 7, true, "12a", Leave, 7, "7"},
        {"steps count from the lower bound", 3, 100, 5, false, true, 3, false, "17", Enter, 13,
         "13"},
        {"negative steps truncate toward zero", 0, 0, 5, false, true, 0, true, "-7", Enter, -5,
         "-5"},
        {"negative text in an unsigned field", 0, 0, 1, false, false, 4, true, "-2", Enter, 4, "4"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TWinSpinEdit spin;
        spin.SetSigned(c.isSigned);
        setBounds(spin, c.min, c.max);
        spin.SetIncrement(c.increment);
        spin.SetWrap(c.wrap);
        spin.SetValue(c.start);
        ASSERT_EQ(spin.Value(), c.start);
        spin.selectAll();
        if (c.paste)
            spin.insert(QString::fromLatin1(c.input));
        else
            QTest::keyClicks(&spin, QString::fromLatin1(c.input));
        if (c.finish == Enter)
            QTest::keyClick(&spin, Qt::Key_Return);
        else if (c.finish == Leave)
            leave(spin);
        EXPECT_EQ(spin.Value(), c.value);
        EXPECT_EQ(spin.Text(), QString::fromLatin1(c.text));
    }
}

TEST(TWinSpinEdit, ButtonsWrapAtTheBoundsAndReportEveryPress)
{
    TWinSpinEdit spin;
    setBounds(spin, 1, 10);
    spin.SetWrap(true);
    std::vector<TWinSpinEdit::TUDBtnType> pressed;
    spin.OnBtnClick = [&](TWinSpinEdit *sender, TWinSpinEdit::TUDBtnType button) {
        EXPECT_EQ(sender, &spin);
        pressed.push_back(button);
    };
    spin.SetValue(10);
    spin.upButton()->click();
    EXPECT_EQ(spin.Value(), 1);
    spin.downButton()->click();
    EXPECT_EQ(spin.Value(), 10);
    EXPECT_EQ(spin.Text(), QStringLiteral("10"));

    // Read-only: the value stays, the press is still reported.
    spin.setReadOnly(true);
    spin.downButton()->click();
    EXPECT_EQ(spin.Value(), 10);
    EXPECT_EQ(pressed,
              (std::vector{TWinSpinEdit::btNext, TWinSpinEdit::btPrev, TWinSpinEdit::btPrev}));
}

TEST(TWinSpinEdit, ArrowKeysStepUnlessSwitchedOffOrReadOnly)
{
    TWinSpinEdit spin;
    setBounds(spin, 0, 100);
    spin.SetIncrement(5);
    QTest::keyClick(&spin, Qt::Key_Up);
    QTest::keyClick(&spin, Qt::Key_Up);
    QTest::keyClick(&spin, Qt::Key_Down);
    EXPECT_EQ(spin.Value(), 5);
    spin.SetArrowKeys(false);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.Value(), 5);
    spin.SetArrowKeys(true);
    spin.setReadOnly(true);
    QTest::keyClick(&spin, Qt::Key_Up);
    QTest::keyClicks(&spin, QStringLiteral("-"));
    EXPECT_EQ(spin.Value(), 5);
}

TEST(TWinSpinEdit, BoundSettersKeepTheValueInsideAndRefuseImpossibleBounds)
{
    TWinSpinEdit spin;
    spin.SetValue(50);
    spin.SetMaxValue(20); // above the lower bound 0: the value comes down
    EXPECT_EQ(spin.MaxValue(), 20);
    EXPECT_EQ(spin.Value(), 20);
    spin.SetMinValue(30); // above the upper bound: ignored
    EXPECT_EQ(spin.MinValue(), 0);
    spin.SetMinValue(10);
    EXPECT_EQ(spin.MinValue(), 10);
    EXPECT_EQ(spin.Value(), 20);
    spin.SetMaxValue(5); // below the lower bound: ignored
    EXPECT_EQ(spin.MaxValue(), 20);

    spin.SetValue(12);
    spin.SetMinValue(15); // the value rises to the new lower bound
    EXPECT_EQ(spin.Value(), 15);
    EXPECT_EQ(spin.Text(), QStringLiteral("15"));

    TWinSpinEdit unsignedSpin;
    unsignedSpin.SetSigned(false);
    unsignedSpin.SetMinValue(-5);
    EXPECT_EQ(unsignedSpin.MinValue(), 0);
    unsignedSpin.SetValue(-3);
    EXPECT_EQ(unsignedSpin.Value(), 0);
}

TEST(TWinSpinEdit, ClearingSignedRaisesNegativeBoundsAndValueToZero)
{
    TWinSpinEdit spin;
    spin.SetMinValue(-20);
    spin.SetMaxValue(-10); // -10 >= -20: accepted
    spin.SetValue(-15);
    ASSERT_EQ(spin.MaxValue(), -10);
    spin.SetSigned(false);
    EXPECT_EQ(spin.MinValue(), 0);
    EXPECT_EQ(spin.MaxValue(), 0);
    EXPECT_EQ(spin.Value(), 0);
    EXPECT_EQ(spin.Text(), QStringLiteral("0"));
}

TEST(TWinSpinEdit, ZeroIncrementRefusesEveryValueAndRestoresTheText)
{
    TWinSpinEdit spin;
    spin.SetValue(7);
    spin.SetIncrement(0);
    int changes = 0;
    spin.OnChange = [&](TWinSpinEdit *) { ++changes; };
    spin.SetValue(9);
    EXPECT_EQ(spin.Value(), 7);
    spin.selectAll();
    QTest::keyClick(&spin, '3');
    EXPECT_EQ(spin.Value(), 7);
    EXPECT_EQ(spin.Text(), QStringLiteral("7"));
    EXPECT_EQ(changes, 0);
}

TEST(TWinSpinEdit, ChangeIsRaisedForEveryTextChange)
{
    TWinSpinEdit spin;
    std::vector<QString> seen;
    spin.OnChange = [&](TWinSpinEdit *sender) { seen.push_back(sender->Text()); };
    spin.selectAll();
    QTest::keyClicks(&spin, QStringLiteral("42"));
    spin.SetText(QStringLiteral("abc"));
    EXPECT_EQ(seen, (std::vector<QString>{"4", "42", "abc"}));
    EXPECT_EQ(spin.Value(), 42);
}

TEST(TWinSpinEdit, NeverLowerThanItsFontNeeds)
{
    TWinSpinEdit spin;
    QFont font = spin.font();
    font.setPixelSize(30);
    spin.setFont(font);
    const int fontHeight = QFontMetrics(font).height();
    const int systemHeight = QFontMetrics(QApplication::font()).height();
    EXPECT_EQ(spin.MinHeight(), 4 + fontHeight + qMin(fontHeight, systemHeight) / 4 + 2);
    spin.resize(80, 5);
    EXPECT_EQ(spin.height(), spin.MinHeight());
}

TEST(TWinSpinEdit, PasteShortcutOnlyWhileTheEditorIsEnabled)
{
    TWinSpinEdit spin;
    QApplication::clipboard()->setText(QStringLiteral("55"));
    spin.SetEditorEnabled(false);
    spin.selectAll();
    QTest::keyClick(&spin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(spin.Text(), QStringLiteral("0"));
    spin.SetEditorEnabled(true);
    spin.selectAll();
    QTest::keyClick(&spin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(spin.Text(), QStringLiteral("55"));
    EXPECT_EQ(spin.Value(), 55);
}

TEST(TWinSpinEdit, ScreenReadersSeeASpinBoxWithItsValueAndNamedButtons)
{
    TWinSpinEdit edit;
    edit.setAccessibleName(QStringLiteral("Шаг"));
    edit.SetMaxValue(10);
    edit.SetMinValue(1);
    edit.SetIncrement(3);
    edit.SetValue(7);
    QAccessibleInterface *spin = QAccessible::queryAccessibleInterface(&edit);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->role(), QAccessible::SpinBox);
    EXPECT_EQ(spin->text(QAccessible::Name), QStringLiteral("Шаг"));
    EXPECT_EQ(spin->text(QAccessible::Value), edit.text());
    QAccessibleValueInterface *value = spin->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), edit.Value());
    EXPECT_EQ(value->minimumValue().toInt(), 1);
    EXPECT_EQ(value->maximumValue().toInt(), 10);
    EXPECT_EQ(value->minimumStepSize().toInt(), 3);
    value->setCurrentValue(4);
    EXPECT_EQ(edit.Value(), 4);
    for (QToolButton *button : {edit.upButton(), edit.downButton()})
        EXPECT_FALSE(
            QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name).isEmpty());
}
