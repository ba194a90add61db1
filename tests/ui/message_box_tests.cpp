#include "KeyboardUser.h"
#include "ui/DialogHost.h"
#include "ui/MessageBoxNotifier.h"
#include "ui/TfrmProgress.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sr5n;

// A message shown while the main window is disabled (a device operation runs
// under the progress window) must still be answerable, and it opens over the
// progress window, in front of it.
TEST(MessageBoxNotifier, BoxWhileTheMainWindowIsDisabledOpensOverTheProgressWindow)
{
    QWidget main;
    main.show();
    TfrmProgress progress(&main);
    DialogHost host(&main);
    host.setProgressWindow(&progress);
    MessageBoxNotifier notifier(&host);
    for (const bool progressShown : {true, false}) {
        SCOPED_TRACE(progressShown ? "progress window shown" : "main window disabled alone");
        if (progressShown)
            progress.showProgress();
        else
            main.setEnabled(false);
        ASSERT_FALSE(main.isEnabled());
        QWidget *parent = nullptr;
        test::KeyboardUser user(
            {{QStringLiteral("СР-5/Н Конфигуратор"), {}, 0, [&](QWidget *modal) {
                  auto *box = qobject_cast<QMessageBox *>(modal);
                  ASSERT_NE(box, nullptr);
                  EXPECT_EQ(box->text(), QStringLiteral("Порт COM3 недоступен."));
                  parent = box->parentWidget();
              }}});
        notifier.showError(QStringLiteral("Порт COM3 недоступен"));
        EXPECT_EQ(user.problems, QStringList());
        EXPECT_TRUE(user.finished());
        EXPECT_EQ(parent, progressShown ? static_cast<QWidget *>(&progress) : nullptr);
        progress.closeProgress();
        main.setEnabled(true);
    }
}

// A question asked from inside a modal dialog opens over that dialog.
TEST(MessageBoxNotifier, QuestionFromADialogOpensOverIt)
{
    QWidget main;
    main.show();
    DialogHost host(&main);
    MessageBoxNotifier notifier(&host);
    QDialog dialog(&main);
    dialog.setWindowTitle(QStringLiteral("Диалог"));
    bool yes = false;
    QWidget *parent = nullptr;
    test::KeyboardUser user({{QStringLiteral("Вопрос"), {}, 0, [&](QWidget *modal) {
                                  parent = modal->parentWidget();
                              }}});
    QTimer::singleShot(0, &dialog, [&] {
        yes = notifier.askYesNo(QStringLiteral("Заменить?"), Notifier::QuestionIcon::Warning,
                                QStringLiteral("Вопрос"));
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(user.problems, QStringList());
    EXPECT_TRUE(yes); // Enter takes the default button, Yes
    EXPECT_EQ(parent, &dialog);
}
