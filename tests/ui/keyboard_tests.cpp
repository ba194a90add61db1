#include "app/Configurator.h"
#include "common/QtPrinters.h"
#include "common/WindowParts.h"
#include "ui/PageControl.h"
#include "ui/TfrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;

namespace {

// The real main window, shown and active.
class KeyboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        activate();
    }

    // Activates the window again, as the desktop does after a dialog closed.
    void activate()
    {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // A code field in the first page, enabled (its number is switched on) and focused.
    QLineEdit *focusCodeField()
    {
        auto *number = test::part<QCheckBox>(window, "chb1P1N");
        if (!number->isChecked())
            number->click();
        auto *field = test::part<QLineEdit>(window, "edt1P1NObjectCode");
        field->setFocus();
        EXPECT_TRUE(field->hasFocus());
        return field;
    }

    PageControl *pages() const { return test::part<PageControl>(window, "pgcPages"); }

    // Presses a key where the focus is, as the keyboard does.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    }

    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
};

// Runs `inside` with the next modal window once it is up.
void whenModal(std::function<void(QWidget *)> inside)
{
    QTimer::singleShot(0, qApp, [inside = std::move(inside)] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        inside(modal);
    });
}

} // namespace

TEST_F(KeyboardTest, CtrlTabAndCtrlPageKeysTurnThePagesFromAnyControl)
{
    QSignalSpy entered(&window, &TfrmMain::pageEntered);
    focusCodeField();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page;
    } cases[] = {
        {Qt::Key_Tab, Qt::ControlModifier, 1},
        {Qt::Key_PageDown, Qt::ControlModifier, 2},
        {Qt::Key_PageUp, Qt::ControlModifier, 1},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 7}, // round to the last
        {Qt::Key_Tab, Qt::ControlModifier, 0},                         // and to the first
        {Qt::Key_PageUp, Qt::ControlModifier, 7},
    };
    for (const auto &c : cases) {
        press(c.key, c.modifiers);
        EXPECT_EQ(pages()->currentIndex(), c.page) << c.key;
        // The tab strip has the focus, as after a click on a tab.
        EXPECT_EQ(QApplication::focusWidget(), pages()->tabStrip()) << c.key;
    }
    EXPECT_EQ(entered.count(), int(std::size(cases)));
}

TEST_F(KeyboardTest, TheTabStripTakesTheFocusAndMovesWithTheArrows)
{
    EXPECT_TRUE(pages()->tabStrip()->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(pages()->tabStrip()->focusPolicy() & Qt::ClickFocus);
    QTest::mouseClick(pages()->tabStrip(), Qt::LeftButton, {}, pages()->tabRect(2).center());
    EXPECT_EQ(pages()->currentIndex(), 2);
    ASSERT_EQ(QApplication::focusWidget(), pages()->tabStrip());
    const struct {
        Qt::Key key;
        int page;
    } cases[] = {{Qt::Key_Right, 3}, {Qt::Key_Down, 4},  {Qt::Key_Left, 3}, {Qt::Key_Up, 2},
                 {Qt::Key_End, 7},   {Qt::Key_Right, 7}, {Qt::Key_Home, 0}, {Qt::Key_Left, 0}};
    for (const auto &c : cases) {
        press(c.key);
        EXPECT_EQ(pages()->currentIndex(), c.page) << c.key;
    }
}

TEST_F(KeyboardTest, CtrlOCtrlSAndF1RunTheirButtons)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *title;
    } dialogs[] = {
        {Qt::Key_O, Qt::ControlModifier, "Открытие файла конфигурации"},
        {Qt::Key_S, Qt::ControlModifier, "Сохранение файла конфигурации"},
    };
    for (const auto &d : dialogs) {
        activate();
        QLineEdit *field = focusCodeField();
        field->clear();
        press(Qt::Key_7);
        QString title;
        whenModal([&](QWidget *modal) {
            title = modal->windowTitle();
            // The field was checked as leaving it for the button checks it.
            EXPECT_EQ(field->text(), QStringLiteral("0007"));
            EXPECT_NE(qobject_cast<QFileDialog *>(modal), nullptr);
            modal->close();
        });
        press(d.key, d.modifiers);
        EXPECT_EQ(title, QString::fromUtf8(d.title));
    }

    // F1 opens the help menu under the Help button.
    activate();
    auto *help = test::part<QMenu>(window, "pumHelp");
    press(Qt::Key_F1);
    EXPECT_TRUE(QTest::qWaitFor([help] { return help->isVisible(); }));
    help->close();
    activate();

    // Keys of other combinations still reach the control.
    QLineEdit *field = focusCodeField();
    field->clear();
    press(Qt::Key_O, Qt::ControlModifier | Qt::AltModifier);
    press(Qt::Key_1);
    EXPECT_EQ(field->text(), QStringLiteral("1"));
}
