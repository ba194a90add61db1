#include "common/EventCounter.h"
#include "ui/TfrmProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using sr5n::TfrmProgress;
namespace test = sr5n::test;

TEST(ProgressWindow, PercentageDropsTheRemainder)
{
    const struct {
        int position, maximum;
        const char *text;
    } cases[] = {{0, 858, "0%"},     {1, 858, "0%"}, {9, 858, "1%"}, {857, 858, "99%"},
                 {858, 858, "100%"}, {1, 1, "100%"}, {3, 5, "60%"}};
    for (const auto &c : cases)
        EXPECT_EQ(TfrmProgress::percentText(c.position, c.maximum), QString::fromLatin1(c.text))
            << c.position << " of " << c.maximum;
}

TEST(ProgressWindow, ModesChooseCaptionAndIcon)
{
    QWidget main;
    TfrmProgress progress(&main);
    const struct {
        int mode;
        const char *caption;
        QLabel *TfrmProgress::*icon;
    } cases[] = {
        {0, "  Чтение данных с коммуникатора", &TfrmProgress::imgRead},
        {1, "  Запись данных в коммуникатор", &TfrmProgress::imgWrite},
        {2, "  Чтение журналов событий", &TfrmProgress::imgLog},
        {3, "  Поиск коммуникатора", &TfrmProgress::imgRead},
        {5, "  Чтение данных с коммуникатора", &TfrmProgress::imgRead},
    };
    for (const auto &c : cases) {
        progress.Mode = c.mode;
        progress.showProgress();
        EXPECT_EQ(progress.windowTitle(), QString::fromUtf8(c.caption)) << c.mode;
        for (QLabel *icon : {progress.imgRead, progress.imgWrite, progress.imgLog})
            EXPECT_EQ(icon->isVisible(), icon == progress.*(c.icon)) << c.mode;
        progress.closeProgress();
    }
}

TEST(ProgressWindow, StepsAndDisablesTheMainWindowWhileShown)
{
    QWidget main;
    TfrmProgress progress(&main);
    progress.setMaximum(858);
    progress.showProgress();
    EXPECT_FALSE(main.isEnabled());
    EXPECT_EQ(progress.Tag, 1);
    for (int i = 0; i < 9; ++i)
        progress.Step();
    EXPECT_EQ(progress.lblPercent->text(), QStringLiteral("1%"));
    progress.closeProgress();
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(progress.Tag, 0);

    // Showing again starts from zero.
    progress.setMaximum(1);
    progress.showProgress();
    EXPECT_EQ(progress.lblPercent->text(), QStringLiteral("0%"));
    progress.Step();
    EXPECT_EQ(progress.lblPercent->text(), QStringLiteral("100%"));
    progress.closeProgress();
}

TEST(ProgressWindow, CancelAbortsAndTheOperationsOwnCloseIsHarmless)
{
    QWidget main;
    TfrmProgress progress(&main);
    int cancels = 0;
    progress.setCancelHandler([&] {
        ++cancels;
        EXPECT_FALSE(main.isEnabled()); // the abort is raised before the window closes
    });
    progress.showProgress();
    progress.btnCancelClick();
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(progress.Tag, 0);
    EXPECT_FALSE(progress.isVisible());

    main.setEnabled(false); // something else disabled it: the second close must not touch it
    progress.closeProgress();
    EXPECT_FALSE(main.isEnabled());
}

TEST(ProgressWindow, EscapeActsAsCancel)
{
    QWidget main;
    TfrmProgress progress(&main);
    int cancels = 0;
    progress.setCancelHandler([&] { ++cancels; });
    progress.showProgress();
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(main.isEnabled());
}

TEST(ProgressWindow, StaysAboveTheMainWindowAndTakesTheKeyboard)
{
    QWidget main;
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    TfrmProgress progress(&main);
    int cancels = 0;
    progress.setCancelHandler([&] { ++cancels; });
    for (int shown = 0; shown < 2; ++shown) { // also when shown again
        progress.showProgress();
        // The desktop keeps a transient window above its parent; the widget
        // itself stays a window of its own, enabled while the main one is not.
        ASSERT_NE(progress.windowHandle(), nullptr);
        EXPECT_EQ(progress.windowHandle()->transientParent(), main.windowHandle());
        EXPECT_EQ(progress.parentWidget(), nullptr);
        EXPECT_FALSE(main.isEnabled());
        EXPECT_TRUE(progress.isEnabled());
        // Active at once, Cancel focused: Escape, sent where the keyboard is, cancels.
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return QApplication::focusWidget() == static_cast<QWidget *>(progress.btnCancel);
        }));
        EXPECT_EQ(QApplication::activeWindow(), &progress);
        // A click on the disabled main window activates it; the keyboard
        // goes back to the progress window at once.
        test::EventCounter mainActivated(QEvent::WindowActivate);
        main.installEventFilter(&mainActivated);
        main.activateWindow();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return mainActivated.count > 0 && QApplication::activeWindow() == &progress; }));
        main.removeEventFilter(&mainActivated);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(cancels, shown + 1);
        EXPECT_FALSE(progress.isVisible());
        EXPECT_TRUE(main.isEnabled());
        // The keyboard is back in the main window.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &main; }));
    }
}
