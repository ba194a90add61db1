#include "ui/MessageBoxNotifier.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sr5n;

// A message shown while the main window is disabled (a device operation runs
// under the progress window) must still be answerable.
TEST(MessageBoxNotifier, BoxOverADisabledWindowCanBeAnswered)
{
    QWidget main;
    main.show();
    main.setEnabled(false);
    MessageBoxNotifier notifier(&main);
    bool boxWasEnabled = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxWasEnabled = box->isEnabled();
        EXPECT_EQ(box->text(), QStringLiteral("Порт COM3 недоступен."));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("СР-5/Н Конфигуратор"));
        box->accept();
    });
    notifier.showError(QStringLiteral("Порт COM3 недоступен"));
    EXPECT_TRUE(boxWasEnabled);
}
