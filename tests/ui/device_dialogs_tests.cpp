// The windows that device operations and the bar open, driven as a user
// drives them: the program's own windows as start-up makes them, its message
// boxes and file dialogs, the main window in the state the operation puts it
// in (disabled under the progress window while a read runs), keys typed where
// the keyboard focus is. No fake stands in for a window here.
#include "KeyboardUser.h"
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/ProgramWindows.h"
#include "common/SimProcess.h"
#include "common/WindowParts.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationFile.h"
#include "config/FakeProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "link/TConnection.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;
using Step = test::KeyboardUser::Step;
using test::kAddProtocolCaption;
using test::kAppTitle;
using test::kRecordA;
using test::kRecordB;
using test::kSaveProtocolCaption;

namespace {

const QString kNameA = QStringLiteral("Объект А");
const QString kNameB = QStringLiteral("Пульт Б");

QString pairMessage(int pair)
{
    return QStringLiteral("Указанный протокол для %1ой пары номеров не зарегистрирован в "
                          "программе. Чтобы добавить протокол, введите название:")
        .arg(pair);
}

// The program's windows from start-up and sr5n-sim, as a device operation drives them.
struct RealWindows : test::ProgramWindows {
    explicit RealWindows(const QStringList &simArguments = {}, const QJsonObject &deviceState = {})
        : ProgramWindows(simArguments, deviceState)
    {
    }

    QPushButton *button(const char *name) { return test::part<QPushButton>(main(), name); }

    QString pairChooser(int pair)
    {
        const QByteArray name = QStringLiteral("cbx%1PProtocol").arg(pair).toLatin1();
        return test::part<QComboBox>(main(), name.constData())->currentText();
    }

    // The windows of a read: the main window disabled under the progress window.
    std::function<void(QWidget *)> duringDeviceOperation()
    {
        return [this](QWidget *) {
            EXPECT_FALSE(main().isEnabled());
            EXPECT_TRUE(progress().isVisible());
        };
    }

    // The name dialog of a pair's protocol, then its file dialog; both answered.
    QList<Step> registration(int pair, const QString &name, const QString &file,
                             bool duringOperation)
    {
        const auto state = duringOperation ? duringDeviceOperation()
                                           : std::function<void(QWidget *)>([](QWidget *) {});
        return {
            {kAddProtocolCaption, name, 0,
             [this, state, pair](QWidget *modal) {
                 state(modal);
                 EXPECT_EQ(modal, &windows->saveNewProtocol());
                 EXPECT_EQ(windows->saveNewProtocol().lblMsg->text(), pairMessage(pair));
             }},
            {kSaveProtocolCaption, path(file), 0,
             [state](QWidget *modal) {
                 state(modal);
                 EXPECT_NE(qobject_cast<QFileDialog *>(modal), nullptr);
             }},
        };
    }

    // The library file, the protocol files and the two pair choosers hold both protocols.
    void expectRegistered()
    {
        ConfigModel model;
        ProtocolEditor editor(model);
        test::FakeNotifier quiet;
        ProtocolLibrary stored(model, editor, quiet, folder.path());
        ASSERT_TRUE(stored.LoadProtocolList());
        EXPECT_EQ(stored.ProtocolNames().mid(5), QStringList({kNameA, kNameB}));
        EXPECT_EQ(stored.ProtocolRecords().mid(5), QStringList({kRecordA, kRecordB}));
        const auto fileA = ProtocolLibrary::ReadProtocolFile(path(QStringLiteral("a.snp")));
        const auto fileB = ProtocolLibrary::ReadProtocolFile(path(QStringLiteral("b.snp")));
        ASSERT_TRUE(fileA && fileB);
        EXPECT_EQ(fileA->name, kNameA);
        EXPECT_EQ(fileA->record, kRecordA);
        EXPECT_EQ(fileB->name, kNameB);
        EXPECT_EQ(fileB->record, kRecordB);
        EXPECT_EQ(pairChooser(1), kNameA);
        EXPECT_EQ(pairChooser(2), kNameB);
    }

    void expectIdle()
    {
        EXPECT_TRUE(main().isEnabled());
        EXPECT_FALSE(progress().isVisible());
        EXPECT_FALSE(app->connection().Opened());
    }
};

} // namespace

TEST(DeviceDialogs, ReadRegistersUnknownProtocolsThroughTheRealDialogs)
{
    RealWindows rig({}, test::DeviceWithUnknownProtocols());
    ASSERT_TRUE(rig.sim->started());

    // The user first types a name the library has (in other letters): the
    // replace question opens over the name dialog, and No keeps that open.
    QList<Step> steps{
        {kAddProtocolCaption, QStringLiteral("3+1, 1800 ГЦ, 10 ИМП/С"), 0,
         rig.duringDeviceOperation()},
        {kAddProtocolCaption,
         {},
         Qt::Key_Escape,
         [&rig](QWidget *modal) {
             rig.duringDeviceOperation()(modal);
             auto *box = qobject_cast<QMessageBox *>(modal);
             ASSERT_NE(box, nullptr);
             EXPECT_EQ(box->parentWidget(), &rig.windows->saveNewProtocol());
             EXPECT_EQ(box->icon(), QMessageBox::Warning);
             EXPECT_TRUE(box->text().startsWith(QStringLiteral("Протокол с названием \"3+1")));
             EXPECT_TRUE(box->text().endsWith(
                 QStringLiteral("\" уже зарегистрирован в программе. Заменить?")));
         }},
    };
    steps += rig.registration(1, kNameA, QStringLiteral("a.snp"), true) +
             rig.registration(2, kNameB, QStringLiteral("b.snp"), true);
    steps.append({kAppTitle, {}, 0, [&rig](QWidget *modal) {
                      rig.duringDeviceOperation()(modal);
                      auto *box = qobject_cast<QMessageBox *>(modal);
                      ASSERT_NE(box, nullptr);
                      EXPECT_EQ(box->text(), QStringLiteral("Конфигурация прочитана успешно"));
                      EXPECT_EQ(box->icon(), QMessageBox::Information);
                  }});
    test::KeyboardUser user(steps);
    QTest::mouseClick(rig.button("btnRead"), Qt::LeftButton);

    test::ExpectAllAnswered(user);
    rig.expectRegistered();
    rig.expectIdle();
}

TEST(DeviceDialogs, DeclinedRegistrationIsReportedInAnErrorBoxOverTheProgressWindow)
{
    RealWindows rig({}, test::DeviceWithUnknownProtocols());
    ASSERT_TRUE(rig.sim->started());
    const QString pairBefore = rig.pairChooser(1);

    test::KeyboardUser user({
        {kAddProtocolCaption, {}, Qt::Key_Escape, rig.duringDeviceOperation()},
        {kAppTitle,
         {},
         0,
         [&rig](QWidget *modal) {
             rig.duringDeviceOperation()(modal);
             auto *box = qobject_cast<QMessageBox *>(modal);
             ASSERT_NE(box, nullptr);
             EXPECT_EQ(box->text(),
                       QStringLiteral("Невозможно добавить протокол. Операция будет прервана."));
             EXPECT_EQ(box->icon(), QMessageBox::Critical);
         }},
    });
    QTest::mouseClick(rig.button("btnRead"), Qt::LeftButton);

    test::ExpectAllAnswered(user);
    EXPECT_EQ(rig.pairChooser(1), pairBefore);
    EXPECT_EQ(rig.app->protocols().ProtocolNames().size(), 5);
    rig.expectIdle();
}

TEST(DeviceDialogs, OpenedFileRegistersItsProtocolsAndWriteSendsThem)
{
    QTemporaryDir state;
    const QString dumpPath = state.filePath(QStringLiteral("dump.json"));
    RealWindows rig({QStringLiteral("--dump"), dumpPath});
    ASSERT_TRUE(rig.sim->started());

    // A configuration made elsewhere, whose pairs use the two unknown protocols.
    const QString configuration = state.filePath(QStringLiteral("elsewhere.snc"));
    {
        ConfigModel model;
        EventCodeTables tables;
        test::FakeProtocolCatalog catalog(model);
        test::FakeNotifier quiet;
        catalog.add(QStringLiteral("A"), kRecordA);
        catalog.add(QStringLiteral("B"), kRecordB);
        model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
        model.setChoice(QStringLiteral("cbx2PProtocol"), 1);
        model.setSlider(QStringLiteral("trbPassiveDays"), 4);
        QStringList data, commands;
        ASSERT_TRUE(
            BuildWriteRequests(BlockContext{model, tables, catalog, quiet}, data, commands));
        ASSERT_TRUE(WriteConfigurationFile(configuration, data, commands));
    }

    {
        QList<Step> opening{{QStringLiteral("Открытие файла конфигурации"), configuration, 0,
                             [&rig](QWidget *) { EXPECT_TRUE(rig.main().isEnabled()); }}};
        test::KeyboardUser user(opening +
                                rig.registration(1, kNameA, QStringLiteral("a.snp"), false) +
                                rig.registration(2, kNameB, QStringLiteral("b.snp"), false));
        QTest::mouseClick(rig.button("btnOpen"), Qt::LeftButton);
        test::ExpectAllAnswered(user);
    }
    rig.expectRegistered();
    EXPECT_EQ(rig.app->config().slider(QStringLiteral("trbPassiveDays")), 4);

    {
        test::KeyboardUser user({{kAppTitle, {}, 0, [&rig](QWidget *modal) {
                                      rig.duringDeviceOperation()(modal);
                                      EXPECT_EQ(qobject_cast<QMessageBox *>(modal)->text(),
                                                QStringLiteral("Конфигурация записана успешно"));
                                  }}});
        QTest::mouseClick(rig.button("btnWrite"), Qt::LeftButton);
        test::ExpectAllAnswered(user);
    }
    rig.expectIdle();

    rig.sim->finish();
    QFile dump(dumpPath);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QJsonObject blocks =
        QJsonDocument::fromJson(dump.readAll()).object()["blocks"].toObject();
    EXPECT_EQ(blocks["1E"].toString(), kRecordA);
    EXPECT_EQ(blocks["20"].toString(), kRecordB);
}

TEST(DeviceDialogs, ErasingTheLogsAsksThenTellsOverTheProgressWindow)
{
    RealWindows rig;
    ASSERT_TRUE(rig.sim->started());
    test::KeyboardUser user({
        {kAppTitle,
         {},
         0,
         [&rig](QWidget *modal) {
             EXPECT_EQ(qobject_cast<QMessageBox *>(modal)->text(),
                       QStringLiteral("Очистить журналы событий коммуникатора?"));
             EXPECT_FALSE(rig.progress().isVisible());
         }},
        {kAppTitle,
         {},
         0,
         [&rig](QWidget *modal) {
             rig.duringDeviceOperation()(modal);
             EXPECT_EQ(qobject_cast<QMessageBox *>(modal)->text(),
                       QStringLiteral("Журналы событий коммуникатора очищены"));
         }},
    });
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_F12, Qt::AltModifier);
    test::ExpectAllAnswered(user);
    rig.expectIdle();
    const QStringList requests = rig.sim->finish();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].endsWith(QStringLiteral(":286A;")));
}

TEST(DeviceDialogs, CancelIsReachableWhileNothingModalIsOpen)
{
    RealWindows rig({QStringLiteral("--delay"), QStringLiteral("5")});
    ASSERT_TRUE(rig.sim->started());
    rig.app->config().setSlider(QStringLiteral("trbPassiveDays"), 6);
    test::KeyboardUser user({}); // any window that opens is a problem
    bool clicked = false;
    QTimer::singleShot(300, &rig.progress(), [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_TRUE(rig.progress().isVisible());
        EXPECT_TRUE(rig.progress().btnCancel->isEnabled());
        EXPECT_FALSE(rig.main().isEnabled());
        QTest::mouseClick(rig.progress().btnCancel, Qt::LeftButton);
        clicked = true;
    });
    QTest::mouseClick(rig.button("btnRead"), Qt::LeftButton);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(user.problems, QStringList());
    EXPECT_EQ(rig.app->config().slider(QStringLiteral("trbPassiveDays")), 6);
    rig.expectIdle();
    const qsizetype sent = rig.sim->finish().size();
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, 858);
}

TEST(DeviceDialogs, EscapeCancelsAReadAtOnceFromTheProgressWindowAboveTheMainWindow)
{
    RealWindows rig({QStringLiteral("--delay"), QStringLiteral("5")});
    ASSERT_TRUE(rig.sim->started());
    rig.app->config().setSlider(QStringLiteral("trbPassiveDays"), 6);
    test::KeyboardUser user({}); // any window that opens is a problem
    bool pressed = false;
    QTimer::singleShot(300, &rig.progress(), [&] {
        EXPECT_FALSE(rig.main().isEnabled());
        ASSERT_NE(rig.progress().windowHandle(), nullptr);
        EXPECT_EQ(rig.progress().windowHandle()->transientParent(), rig.main().windowHandle());
        // No click on the progress window first: it is active already and
        // Escape goes where the keyboard is.
        EXPECT_EQ(QApplication::activeWindow(), &rig.progress());
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->window(), &rig.progress());
        QTest::keyClick(focus, Qt::Key_Escape);
        pressed = true;
    });
    QTest::mouseClick(rig.button("btnRead"), Qt::LeftButton);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(user.problems, QStringList());
    EXPECT_EQ(rig.app->config().slider(QStringLiteral("trbPassiveDays")), 6);
    rig.expectIdle();
    const qsizetype sent = rig.sim->finish().size();
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, 858);
}

TEST(BarDialogs, SaveExportAndAboutOpenEnabledWithTheKeyboard)
{
    RealWindows rig;
    const QString saved = rig.path(QStringLiteral("saved.snc"));
    test::KeyboardUser user({
        {QStringLiteral("Сохранение файла конфигурации"), saved},
        {QStringLiteral("Экспорт конфигурации"), {}, Qt::Key_Escape},
        {rig.windows->about().windowTitle(), {}, Qt::Key_Escape},
    });
    QTest::mouseClick(rig.button("btnSave"), Qt::LeftButton);
    QTest::mouseClick(rig.button("btnExport"), Qt::LeftButton);
    QTest::mouseClick(rig.button("btnAbout"), Qt::LeftButton);
    test::ExpectAllAnswered(user);
    QStringList data, commands;
    EXPECT_TRUE(ReadConfigurationFile(saved, data, commands));
    EXPECT_EQ(commands.size(), 858);
}
