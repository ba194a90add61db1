#include "app/Configurator.h"
#include "common/EventCounter.h"
#include "common/FakeNotifier.h"
#include "common/WindowParts.h"
#include "config/ConfigModel.h"
#include "config/ConfigValues.h"
#include "config/ControlNames.h"
#include "events/EventCodeTables.h"
#include "link/TConnection.h"
#include "protocols/ProtocolEditor.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/config/PairPage.h"
#include "ui/events/LogsPage.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"
#include "ui/services/TfrmTestScheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>

using namespace sr5n;

TEST(MainWindow, FrameHasItsPagesAndBottomBar)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    EXPECT_EQ(window.windowTitle(), QStringLiteral("СР-5/Н Конфигуратор"));
    EXPECT_EQ(window.size(), QSize(737, 526));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    const struct {
        const char *name;
        const char *caption;
    } pages[] = {
        {"tsh1Pair", "Первая пара номеров"},
        {"tsh2Pair", "Вторая пара номеров"},
        {"TabSheet1", "Голосовые / Входящие / ППКП"},
        {"tshParams", "Параметры"},
        {"tshEventsCodes", "Внутренние коды"},
        {"TabSheet2", "Внешние коды"},
        {"tshLogs", "Журналы событий"},
        {"tshProtocol", "Редактор протоколов"},
    };
    ASSERT_EQ(test::part<PageControl>(window, "pgcPages")->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(test::part<PageControl>(window, "pgcPages")->page(i)->objectName(),
                  QLatin1String(pages[i].name));
        EXPECT_EQ(test::part<PageControl>(window, "pgcPages")->tabText(i),
                  QString::fromUtf8(pages[i].caption));
    }
    EXPECT_EQ(test::part<PageControl>(window, "pgcPages")->currentIndex(), 0);

    const struct {
        const char *name, *caption, *hint;
    } buttons[] = {
        {"btnOpen", "Открыть", "Открыть файл конфигурации"},
        {"btnSave", "Сохранить", "Сохранить конфигурацию в файл"},
        {"btnRead", "Прочитать", "Прочитать конфигурацию с коммуникатора"},
        {"btnWrite", "Записать", "Записать конфигурацию в коммуникатор"},
        {"btnExport", "Экспорт", "Экспорт конфигурации в формат HTML"},
        {"btnTestScheme", "Диагностика", "Диагностика коммуникатора"},
        {"btnHelp", "Справка", "Справка"},
        {"btnAbout", "О программе", "О программе"},
    };
    for (const auto &b : buttons) {
        auto *button = window.findChild<QPushButton *>(QLatin1String(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint));
        EXPECT_EQ(button->size(), QSize(90, 24));
    }
    EXPECT_EQ(test::part<QAction>(window, "pumInterface")->text(),
              QStringLiteral("Краткое описание &интерфейса"));
    EXPECT_EQ(test::part<QAction>(window, "pumRE")->text(),
              QStringLiteral("&Руководство по эксплуатации"));
    EXPECT_EQ(MaskPanelNames(), QStringList({"pnlObject", "pnlEvent", "pnlGroup", "pnlZone"}));
    EXPECT_EQ(UnitSuffixes(), QStringList({"", "мс", "с", "м", "ч", "дБм", "д"}));
}

TEST(MainWindow, FocusMovesThroughTheBarInItsOrder)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    // The port column first, then the button columns left to right, each
    // top to bottom, as the bar is laid out.
    const QWidget *order[] = {test::part<QComboBox>(window, "cbxComPort"),
                              test::part<QToolButton>(window, "sbtFindPort"),
                              test::part<QToolButton>(window, "btnService"),
                              test::part<QPushButton>(window, "btnOpen"),
                              test::part<QPushButton>(window, "btnSave"),
                              test::part<QPushButton>(window, "btnRead"),
                              test::part<QPushButton>(window, "btnWrite"),
                              test::part<QPushButton>(window, "btnExport"),
                              test::part<QPushButton>(window, "btnTestScheme"),
                              test::part<QPushButton>(window, "btnHelp"),
                              test::part<QPushButton>(window, "btnAbout")};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const_cast<QWidget *>(order[0])->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        // The editable combo box has the keyboard in its line edit.
        const QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << i;
        EXPECT_TRUE(focused == order[i] || focused->parentWidget() == order[i])
            << i << ": " << focused->objectName().toStdString();
    }
}

TEST(MainWindow, PortSelectorTakesATypedName)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    test::part<QComboBox>(window, "cbxComPort")->setEditText(QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(window.portName(), QStringLiteral("/dev/pts/7"));
    EXPECT_EQ(test::part<QComboBox>(window, "cbxComPort")->findText(QStringLiteral("/dev/pts/7")),
              -1);
}

TEST(MainWindow, AltF12IsConsumedAndRaisesTheHookOnly)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    test::FakeNotifier notifier; // declines the erase question
    app.setNotifier(notifier);
    auto *edit = new QLineEdit(test::part<QWidget>(window, "tsh1Pair"));
    test::EventCounter reached(QEvent::KeyPress);
    edit->installEventFilter(&reached);
    QSignalSpy hook(&window, &TfrmMain::deviceLogsClearRequested);

    const struct {
        Qt::KeyboardModifiers modifiers;
        int key;
        bool handled;
    } cases[] = {
        {Qt::AltModifier, Qt::Key_F12, true},
        {Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_F12, true},
        {Qt::NoModifier, Qt::Key_F12, false},
        {Qt::AltModifier, Qt::Key_F11, false},
    };
    for (const auto &c : cases) {
        hook.clear();
        reached.count = 0;
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
        QApplication::sendEvent(edit, &press);
        EXPECT_EQ(reached.count, c.handled ? 0 : 1) << c.key;
        EXPECT_EQ(hook.count(), c.handled ? 1 : 0) << c.key;
    }
}

TEST(MainWindow, PageChangeRaisesThePageHook)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    QSignalSpy entered(&window, &TfrmMain::pageEntered);
    test::part<PageControl>(window, "pgcPages")
        ->setCurrentPage(test::part<LogsPage>(window, "tshLogs"));
    ASSERT_EQ(entered.count(), 1);
    EXPECT_EQ(entered.at(0).at(0).value<QWidget *>(), test::part<LogsPage>(window, "tshLogs"));
    test::part<PageControl>(window, "pgcPages")
        ->setCurrentPage(test::part<LogsPage>(window, "tshLogs")); // no change, no hook
    EXPECT_EQ(entered.count(), 1);
}

TEST(MainWindow, MissingHelpDocumentGivesItsMessageWithoutFullStop)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    test::FakeNotifier notifier;
    app.setNotifier(notifier);
    EXPECT_FALSE(window.openHelpDocument(QStringLiteral("SR5N_Missing.pdf")));
    ASSERT_EQ(notifier.errors.size(), 1);
    EXPECT_EQ(notifier.flashes, 1);
    EXPECT_EQ(ErrorBoxText(notifier.errors[0]),
              QStringLiteral("Не возможно открыть файл \"SR5N_Missing.pdf\". Возможно, файл удален "
                             "или не установлено ПО для чтения файлов \"*.pdf\""));
}

TEST(AboutWindow, VersionCaption)
{
    EXPECT_EQ(TfrmAbout::versionCaption(QStringLiteral("1.1.2.0")),
              QStringLiteral("Версия  1.1.2.0"));
    EXPECT_EQ(TfrmAbout::versionCaption(QString()), QStringLiteral("Версия"));
    test::FakeNotifier notifier;
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
    TfrmAbout about(notifier);
    EXPECT_EQ(about.lblVersionInfo->text(), QStringLiteral("Версия  1.0.0.0"));
    EXPECT_EQ(about.lblName->text(), QStringLiteral("СР-5/Н Конфигуратор"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("  О программе"));
}

TEST(MainWindow, ExportReportsAnUnwritableFileAndOpensNothing)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    test::FakeNotifier notifier;
    app.setNotifier(notifier);
    const Expected<void> exported =
        window.exportHtml(QStringLiteral("/nonexistent-folder/report.html"), false);
    EXPECT_FALSE(exported);
    EXPECT_EQ(exported.reason(), QStringLiteral("Невозможно сохранить файл"));
    EXPECT_EQ(notifier.errors, QStringList({"Невозможно сохранить файл"}));
    EXPECT_EQ(notifier.flashes, 1);
}

TEST(StartUp, CreatesTheWindowsOnceAndTiesThemTogether)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    TfrmMain &main = windows.main();
    EXPECT_FALSE(main.isVisible()); // shown by the message loop's start, not before
    EXPECT_FALSE(windows.progress().isVisible());
    EXPECT_FALSE(windows.about().isVisible());
    // After creation: the link exists and is closed, the first page is active,
    // the event lists are loaded, the lists of the window are set up.
    EXPECT_FALSE(app.connection().Opened());
    EXPECT_EQ(test::part<PageControl>(main, "pgcPages")->currentIndex(), 0);
    EXPECT_EQ(app.logExternalEvents().size(), 60);
    EXPECT_FALSE(app.logInternalEvents().isEmpty());
    EXPECT_EQ(app.eventTables().rowCount(EventCodeTables::Table::External), 60);
    // The ports are listed once the window has painted.
    main.finishStartUp();
    EXPECT_EQ(test::part<QComboBox>(main, "cbxComPort")->currentIndex(),
              test::part<QComboBox>(main, "cbxComPort")->count() > 0 ? 0 : -1);
    // The progress window's Cancel reaches the link.
    windows.progress().showProgress();
    windows.progress().btnCancelClick();
    EXPECT_TRUE(app.connection().Aborted());
    EXPECT_TRUE(main.isEnabled());
}

namespace {

// The child of `window` of exactly the class T (the dialogs' classes do not
// all name themselves to Qt's casts); null when there is none.
template <typename T> QObject *only(const QWidget &window)
{
    for (QObject *child : window.findChildren<QObject *>())
        if (dynamic_cast<T *>(child))
            return child;
    return nullptr;
}

} // namespace

TEST(StartUp, BuildsTheFirstPageOnlyAndEachOtherWhenFirstShownWithTheModelsValues)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    // Not through test::part, which builds every part.
    auto *pages = windows.main().findChild<PageControl *>(QStringLiteral("pgcPages"));
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 8);
    EXPECT_TRUE(pages->isBuilt(0));
    for (int i = 1; i < pages->count(); ++i)
        EXPECT_FALSE(pages->isBuilt(i)) << i;
    EXPECT_EQ(windows.main().findChild<QWidget *>(QStringLiteral("tsh2Pair")), nullptr);

    // A value changed while its page was not built yet shows when it is.
    const QString name = NumberControlName(u"chb", 2, 1, u"N");
    const bool changed = !app.config().flag(name);
    app.config().setFlag(name, changed);
    pages->setCurrentIndex(1);
    EXPECT_TRUE(pages->isBuilt(1));
    EXPECT_EQ(pages->currentPage()->objectName(), QStringLiteral("tsh2Pair"));
    auto *box = pages->currentPage()->findChild<QCheckBox *>(name);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->isChecked(), changed);
    // And the page, built late, edits the model as before.
    box->click();
    EXPECT_EQ(app.config().flag(name), !changed);
    EXPECT_FALSE(pages->isBuilt(2));
}

TEST(StartUp, MakesEachDialogOnFirstUseOnceAsAChildOfTheMainWindow)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    TfrmMain &main = windows.main();
    struct Dialog {
        const char *what;
        std::function<QObject *()> find;
        std::function<QObject *()> use;
    };
    const Dialog dialogs[] = {
        {"about", [&] { return only<TfrmAbout>(main); }, [&] { return &windows.about(); }},
        {"diagnostics", [&] { return only<TfrmTestScheme>(main); },
         [&] { return &windows.testScheme(); }},
        {"prefix", [&] { return only<TfrmPrefixMask>(main); },
         [&] { return &windows.prefixMask(); }},
        {"protocol name", [&] { return only<TfrmSaveNewProtocol>(main); },
         [&] { return &windows.saveNewProtocol(); }},
        {"zones", [&] { return only<TfrmExtEvZones>(main); },
         [&] { return &windows.extEvZones(); }},
    };
    for (const Dialog &d : dialogs)
        EXPECT_EQ(d.find(), nullptr) << d.what << " made at start-up";
    for (const Dialog &d : dialogs) {
        QObject *made = d.use();
        EXPECT_EQ(d.find(), made) << d.what;
        EXPECT_EQ(d.use(), made) << d.what << " made twice";
    }
}

TEST(StartUp, ThePagesThatNeedADialogGetItWhenBuilt)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    auto *pages = windows.main().findChild<PageControl *>(QStringLiteral("pgcPages"));
    ASSERT_NE(pages, nullptr);
    pages->buildAllPages();
    // The external codes' cells open the zones dialog; the protocol page the prefix dialog.
    EXPECT_NE(only<TfrmExtEvZones>(windows.main()), nullptr);
    EXPECT_NE(only<TfrmPrefixMask>(windows.main()), nullptr);
    EXPECT_EQ(only<TfrmExtEvZones>(windows.main()), &windows.extEvZones());
    EXPECT_EQ(only<TfrmPrefixMask>(windows.main()), &windows.prefixMask());
}

TEST(MainWindow, TabWalksAPageBuiltLateAsItWalksThePageOnItsOwnThenTheBar)
{
    // The same page alone in a window of its own: the order of its fields.
    Configurator alone{QCoreApplication::applicationDirPath()};
    Configurator app{QCoreApplication::applicationDirPath()};
    // Both numbers in use, so that their fields take the focus.
    for (ConfigModel *model : {&alone.config(), &app.config()})
        for (int number = 1; number <= 2; ++number)
            model->setFlag(NumberControlName(u"chb", 2, number, u"N"), true);
    QWidget host;
    auto *page = new PairPage(alone.config(), 2, alone.notifier(), &host);
    (new QVBoxLayout(&host))->addWidget(page);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    const auto walk = [](QWidget *start, QWidget *stop, QWidget *root) {
        // The fields Tab reaches, in turn, until it leaves `root` or comes round.
        QStringList names;
        QList<QWidget *> seen;
        start->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 200; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            if (!focused || focused == stop || seen.contains(focused) ||
                !root->isAncestorOf(focused))
                break;
            seen << focused;
            names << focused->objectName();
        }
        return names;
    };
    const QStringList expected = walk(page, page, page);
    host.close();
    ASSERT_GT(expected.size(), 3);

    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto *pages = window.findChild<PageControl *>(QStringLiteral("pgcPages"));
    pages->setCurrentIndex(1);
    auto *port = window.findChild<QWidget *>(QStringLiteral("cbxComPort"));
    EXPECT_EQ(walk(pages->tabStrip(), port, pages->currentPage()), expected);
    // After the page's last field: the bar, from its port field.
    const QWidget *after = QApplication::focusWidget();
    ASSERT_NE(after, nullptr);
    EXPECT_TRUE(after == port || after->parentWidget() == port)
        << after->objectName().toStdString();
}
