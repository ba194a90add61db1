// A serial server's port typed into the main window's port field: a whole
// read through ser2net in both modes, the port remembered and offered in the
// list, the finder keeping to this machine's ports, and Cancel while the
// server is being reached, all in the real window.
#include "TransferRig.h"

#include "app/UserSettings.h"
#include "common/Ser2netBridge.h"
#include "common/UnansweredPort.h"
#include "ui/PortSelector.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace sr5n {
namespace {

// Types `name` into the port field as a user does: select what is there,
// type over it.
void typePort(TfrmMain &window, const QString &name)
{
    auto *field = test::part<PortSelector>(window, "cbxComPort");
    QLineEdit *edit = field->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, name);
    ASSERT_EQ(field->currentText(), name);
}

void clickRead(TfrmMain &window)
{
    QTest::mouseClick(test::part<QPushButton>(window, "btnRead"), Qt::LeftButton);
}

QString lineOf(const PortSelector &field, const QString &name)
{
    const int at = field.findText(name);
    return at < 0 ? QString() : field.itemData(at, PortSelector::LineRole).toString();
}

TEST(NetworkPortField, ATypedServerPortReadsIsRememberedAndOffered)
{
    test::Rig rig({QStringLiteral("--quiet")});
    ASSERT_TRUE(rig.sim->started());
    test::Ser2netBridge bridge(rig.sim->path());
    ASSERT_TRUE(bridge.started()) << bridge.log().toStdString();
    rig.window.show();
    auto *field = test::part<PortSelector>(rig.window, "cbxComPort");

    for (const QString &name : {bridge.rfc2217Name(), bridge.rawName()}) {
        SCOPED_TRACE(name.toStdString());
        QThread::msleep(150); // the bridge lets go of the terminal after the last user
        rig.notifier.clear();
        typePort(rig.window, name);
        clickRead(rig.window);
        EXPECT_EQ(rig.notifier.errors, QStringList());
        EXPECT_EQ(rig.notifier.informations, QStringList({"Конфигурация прочитана успешно"}));
        EXPECT_EQ(rig.progress.prbProgress->value(), 858);
        EXPECT_TRUE(rig.window.isEnabled());
        EXPECT_EQ(UserSettings().lastPort(), name);
        EXPECT_EQ(field->currentText(), name);
    }
    EXPECT_EQ(UserSettings().networkPorts(), QStringList({bridge.rawName(), bridge.rfc2217Name()}));
    EXPECT_EQ(lineOf(*field, bridge.rfc2217Name()),
              bridge.rfc2217Name() +
                  QStringLiteral(" — сервер последовательного порта (RFC 2217)"));
    EXPECT_EQ(lineOf(*field, bridge.rawName()),
              bridge.rawName() + QStringLiteral(" — сервер последовательного порта (TCP)"));
    // The finder asks only this machine's ports.
    EXPECT_FALSE(field->portNames().contains(bridge.rawName()));
    EXPECT_FALSE(field->portNames().contains(bridge.rfc2217Name()));

    // The next start offers both and puts the last one into the field.
    test::Rig restarted;
    restarted.window.finishStartUp(); // as once the window has painted
    auto *again = test::part<PortSelector>(restarted.window, "cbxComPort");
    EXPECT_GE(again->findText(bridge.rawName()), 0);
    EXPECT_GE(again->findText(bridge.rfc2217Name()), 0);
    test::Rig fresh; // a rig puts its own simulator into the field: a new window shows the last
    TfrmMain plain{fresh.app};
    plain.finishStartUp();
    EXPECT_EQ(test::part<PortSelector>(plain, "cbxComPort")->currentText(), bridge.rawName());
}

TEST(NetworkPortField, CancelEndsTheWaitForAServerAndTellsNothing)
{
    test::Rig rig;
    test::UnansweredPort unanswered;
    ASSERT_NE(unanswered.port(), 0);
    rig.window.show();
    const QString name = QStringLiteral("tcp://127.0.0.1:%1").arg(unanswered.port());
    typePort(rig.window, name);

    bool disabledWhileWaiting = false;
    QTimer cancel;
    cancel.setInterval(50);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (!rig.progress.isVisible())
            return;
        cancel.stop();
        disabledWhileWaiting = !rig.window.isEnabled();
        QTest::mouseClick(test::part<QPushButton>(rig.progress, "btnCancel"), Qt::LeftButton);
    });
    cancel.start();
    clickRead(rig.window);
    // Not cancelled, the wait would have ended with the server's time-out message.
    EXPECT_TRUE(disabledWhileWaiting);
    EXPECT_EQ(rig.notifier.errors, QStringList());
    EXPECT_EQ(rig.notifier.informations, QStringList());
    EXPECT_FALSE(rig.progress.isVisible());
    EXPECT_TRUE(rig.window.isEnabled());
    EXPECT_NE(UserSettings().lastPort(), name);
    EXPECT_TRUE(UserSettings().networkPorts().isEmpty());
}

TEST(NetworkPortField, AServerThatRefusesIsNamedInTheMessage)
{
    test::Rig rig;
    rig.window.show();
    const quint16 closed = test::FreeLoopbackPort();
    const QString name = QStringLiteral("rfc2217://127.0.0.1:%1").arg(closed);
    typePort(rig.window, name);
    clickRead(rig.window);
    EXPECT_EQ(rig.notifier.errors,
              QStringList{QStringLiteral("Порт %1 недоступен\nСервер отказал в соединении: на "
                                         "порту %2 служба не запущена или порт указан неверно")
                              .arg(name)
                              .arg(closed)});
    EXPECT_TRUE(UserSettings().networkPorts().isEmpty()) << "a failure is not offered";
}

} // namespace
} // namespace sr5n
