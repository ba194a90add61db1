// The diagnostics window against sr5n-sim.
#include "common/FakeNotifier.h"
#include "common/SimProcess.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"
#include "ui/services/TfrmTestScheme.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

struct DiagnosticsRig {
    test::FakeNotifier notifier;
    TVaComm comm{nullptr, test::ShortLinkTimings()};
    TVaCapture capture{notifier};
    std::unique_ptr<TConnection> link;
    std::unique_ptr<TfrmTestScheme> window;
    std::unique_ptr<test::SimProcess> sim;

    explicit DiagnosticsRig(const QStringList &simArguments)
    {
        capture.SetComm(&comm);
        link = std::make_unique<TConnection>(capture, notifier, test::ShortLinkTimings());
        window = std::make_unique<TfrmTestScheme>(*link, notifier);
        sim = std::make_unique<test::SimProcess>(simArguments);
    }

    // What btnTestSchemeClick and the window's timer do, without the modal loop.
    void run()
    {
        ASSERT_TRUE(sim->started());
        ASSERT_TRUE(link->Open(sim->path()));
        window->show();
        window->tmrTestTimer();
    }

    QLabel *label(int n) { return window->findChild<QLabel *>(QStringLiteral("lblTest%1").arg(n)); }
};

} // namespace

TEST(Diagnostics, VerdictsFollowTheFaultMask)
{
    const struct {
        const char *mask;
        QList<bool> failed;
        const char *message;
    } cases[] = {
        {"00", {false, false, false, false, false}, "Диагностика завершена\nСхема исправна"},
        {"1F", {true, true, true, true, true}, "Диагностика завершена\nОбнаружены неисправности"},
        {"05",
         {true, false, true, false, false},
         "Диагностика завершена\nОбнаружены неисправности"},
        {"20", {false, false, false, false, false}, "Диагностика завершена\nСхема исправна"},
    };
    for (const auto &c : cases) {
        DiagnosticsRig rig({QStringLiteral("--self-test"), QString::fromLatin1(c.mask)});
        rig.run();
        EXPECT_EQ(rig.window->lblMsg->text(), QString::fromUtf8(c.message)) << c.mask;
        for (int n = 0; n < 5; ++n) {
            const QString verdict =
                c.failed[n] ? QStringLiteral(" - неисправно") : QStringLiteral(" - исправно");
            EXPECT_EQ(rig.label(n)->text(), rig.window->TestNames[n] + verdict) << c.mask << n;
            EXPECT_EQ(rig.label(n)->palette().color(QPalette::WindowText),
                      c.failed[n] ? QColor(255, 0, 0) : QColor(0, 128, 0));
        }
        EXPECT_TRUE(rig.window->btnOK->isVisible());
        EXPECT_FALSE(rig.window->prbProgress->isVisible());
        EXPECT_FALSE(rig.link->Opened());
        EXPECT_TRUE(rig.notifier.errors.isEmpty());
    }
}

TEST(Diagnostics, EveryShowingStartsClean)
{
    DiagnosticsRig rig({QStringLiteral("--self-test"), QStringLiteral("1F")});
    rig.run();
    rig.window->accept();
    rig.window->show();
    EXPECT_EQ(rig.window->lblMsg->text(),
              QStringLiteral("Подождите\nИдет диагностика коммуникатора"));
    EXPECT_EQ(rig.label(0)->text(), QStringLiteral("Часы реального времени"));
    EXPECT_FALSE(rig.window->btnOK->isVisible());
    QTest::keyClick(rig.window.get(), Qt::Key_Escape); // nothing while testing
    EXPECT_TRUE(rig.window->isVisible());
}

TEST(Diagnostics, FailedExchangesCloseTheWindow)
{
    const struct {
        QStringList arguments;
        QStringList errors;
    } cases[] = {
        {{"--busy", "1-7"}, {}}, // seven answers to another command: no message
        {{"--answer-data", "0C="}, {"Ошибка декодирования результатов диагностики"}},
        {{"--memory-fault", "1"}, {"Неисправность памяти"}},
    };
    for (const auto &c : cases) {
        DiagnosticsRig rig(c.arguments);
        rig.run();
        EXPECT_FALSE(rig.window->isVisible()) << qPrintable(c.arguments.join(' '));
        EXPECT_EQ(rig.notifier.errors, c.errors);
        EXPECT_FALSE(rig.link->Opened());
    }
}
