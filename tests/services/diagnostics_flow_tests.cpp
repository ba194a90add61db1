// Diagnostics started from the main window's button, against sr5n-sim: the
// modal window's whole run, and a device that never answers.
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/PortMessages.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "link/TConnection.h"
#include "ui/TfrmMain.h"
#include "ui/services/TfrmTestScheme.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

struct MainWindowRig {
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    TfrmTestScheme testScheme{app.connection(), app.notifier(), &window};
    std::unique_ptr<test::SimProcess> sim;

    explicit MainWindowRig(const QStringList &simArguments)
    {
        app.setNotifier(notifier);
        window.setTestSchemeWindow(&testScheme);
        sim = std::make_unique<test::SimProcess>(simArguments);
        test::part<QComboBox>(window, "cbxComPort")->setEditText(sim->path());
    }

    QLabel *label(int n)
    {
        return testScheme.findChild<QLabel *>(QStringLiteral("lblTest%1").arg(n));
    }
};

} // namespace

TEST(DiagnosticsFlow, ButtonRunsTheModalWindowUntilOK)
{
    // The program's own 8-point face, so that the picture shows what a user sees.
    const QFont testFont = QApplication::font();
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    QFont programFont(QStringLiteral("Tahoma"));
    programFont.setPointSize(8);
    QApplication::setFont(programFont);
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(testFont); });

    MainWindowRig rig({QStringLiteral("--self-test"), QStringLiteral("05")});
    ASSERT_TRUE(rig.sim->started());

    // Inside the modal loop: wait for the verdict, keep a picture, press OK.
    bool sawTesting = false;
    bool pressedOK = false;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!rig.testScheme.isVisible())
            return;
        if (rig.testScheme.testing()) {
            sawTesting = sawTesting || rig.app.connection().Opened();
        } else if (!pressedOK) {
            pressedOK = true;
            rig.testScheme.grab().save(QStringLiteral("/tmp/sr5n-diagnostics.png"));
            QTest::mouseClick(rig.testScheme.btnOK, Qt::LeftButton);
        }
        if (elapsed.elapsed() > 20000)
            rig.testScheme.done(QDialog::Rejected); // never hang the test run
    });
    watcher.start(20);

    test::trigger(rig.window, "actTestScheme");

    EXPECT_TRUE(sawTesting); // the link stays open while the window tests
    EXPECT_TRUE(pressedOK);
    EXPECT_EQ(rig.testScheme.result(), QDialog::Accepted);
    EXPECT_FALSE(rig.testScheme.isVisible());
    EXPECT_FALSE(rig.app.connection().Opened());
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << qPrintable(rig.notifier.errors.join('|'));
    EXPECT_EQ(rig.testScheme.lblMsg->text(),
              QStringLiteral("Диагностика завершена\nОбнаружены неисправности"));
    EXPECT_EQ(rig.label(0)->text(), QStringLiteral("Часы реального времени - неисправно"));
    EXPECT_EQ(rig.label(1)->text(), QStringLiteral("Память - исправно"));
    EXPECT_EQ(rig.label(2)->text(), QStringLiteral("Приемник из линии - неисправно"));

    const QStringList requests = rig.sim->finish();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].endsWith(QStringLiteral(":0C73;"))) << qPrintable(requests[0]);
}

TEST(DiagnosticsFlow, SilentDeviceClosesTheWindowWithTheNoAnswerMessage)
{
    MainWindowRig rig({QStringLiteral("--silent"), QStringLiteral("all")});
    ASSERT_TRUE(rig.sim->started());
    test::trigger(rig.window, "actTestScheme"); // ends by itself: seven unanswered attempts

    EXPECT_EQ(rig.notifier.errors,
              QStringList({"Коммуникатор не отвечает.\nНеобходимо проверить:\n"
                           "  - Соответствие версий ПО коммуникатора и конфигуратора;\n"
                           "  - Правильность подключения коммуникатора к компьютеру;\n"
                           "  - Целостность кабеля передачи данных"}));
    EXPECT_EQ(rig.notifier.flashes, 1);
    EXPECT_FALSE(rig.testScheme.isVisible());
    EXPECT_EQ(rig.testScheme.result(), QDialog::Rejected);
    EXPECT_FALSE(rig.app.connection().Opened());
    const QStringList requests = rig.sim->finish();
    EXPECT_EQ(requests.size(), TConnection::Attempts);
    for (const QString &request : requests)
        EXPECT_TRUE(request.endsWith(QStringLiteral(":0C73;"))) << qPrintable(request);
}

TEST(DiagnosticsFlow, MissingPortShowsNoWindow)
{
    MainWindowRig rig({});
    test::part<QComboBox>(rig.window, "cbxComPort")
        ->setEditText(QStringLiteral("/dev/sr5n-no-such-port"));
    bool shown = false;
    QTimer::singleShot(0, &rig.testScheme, [&] {
        shown = rig.testScheme.isVisible();
        rig.testScheme.done(QDialog::Rejected);
    });
    test::trigger(rig.window, "actTestScheme");
    EXPECT_FALSE(shown);
    EXPECT_EQ(rig.notifier.errors,
              QStringList({test::NoSuchPortMessage("/dev/sr5n-no-such-port")}));
    QTest::qWait(10); // let the pending check run outside any modal loop
}
