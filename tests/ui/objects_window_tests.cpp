// The catalogue of objects through the real main window and the objects
// window, against sr5n-sim.
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "catalog/SqliteCatalog.h"
#include "common/CatalogAccess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "ui/TransferRig.h"
#include "ui/catalog/ObjectListModel.h"
#include "ui/catalog/ObjectSearch.h"
#include "ui/catalog/TfrmObjectChooser.h"
#include "ui/catalog/TfrmObjects.h"
#include "ui/config/TfrmCompare.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <QTableView>
#include <QTest>

#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include <QTimer>
#include <QTreeWidget>

#include "common/ExpectedValue.h"

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;
using test::Rig;

namespace {

// Runs `act` on the next modal window of type W once it is up, then lets the
// caller's event loop go on; `act` closes it.
template <typename W> class OnModal
{
public:
    explicit OnModal(std::function<void(W &)> act) : m_act(std::move(act))
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
            if (!window || !window->isVisible())
                return;
            m_timer.stop();
            m_shown = true;
            m_act(*window);
        });
        m_timer.start();
    }
    bool shown() const { return m_shown; }

private:
    std::function<void(W &)> m_act;
    QTimer m_timer;
    bool m_shown = false;
};

// Types `text` into a widget key by key, Cyrillic letters too.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Every answer the window (or chooser) asked the catalogue for has come.
bool settled(TfrmObjects &window)
{
    return test::waitFor([&window] { return !window.busy(); });
}

bool settled(TfrmObjectChooser &chooser)
{
    return test::waitFor([&chooser] { return !chooser.busy(); });
}

// The operations the objects window lists for the only object, newest first.
QStringList operationsListed(TfrmObjects &window)
{
    QStringList texts;
    auto *tree = test::part<QTreeWidget>(window, "tvTimeline");
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(1);
    return texts;
}

} // namespace

// Each operation of the window adds its entry to the object's timeline, on
// the port as typed; the objects window lists them newest first.
TEST(ObjectsWindow, RecordsReadWriteVerifiedWriteSaveAndOpen)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    test::trigger(rig.window, "actWrite");
    test::trigger(rig.window, "pumWriteVerified");
    test::trigger(rig.window, "actRead");
    const QString file = rig.userFolder.filePath(QStringLiteral("склад.snc"));
    ASSERT_TRUE(rig.window.saveConfiguration(file));
    ASSERT_TRUE(rig.window.openConfiguration(file));
    ASSERT_TRUE(test::settle(rig.app));
    ASSERT_EQ(rig.notifier.errors, QStringList());

    QStringList listed;
    QStringList ports;
    bool shown = false;
    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    QTimer::singleShot(0, window, [&] {
        shown = true;
        ASSERT_TRUE(settled(*window));
        EXPECT_EQ(window->objects().size(), 1);
        listed = operationsListed(*window);
        for (const CatalogEntry &entry : window->timeline())
            ports << entry.port;
        window->accept();
    });
    test::trigger(rig.window, "pumObjects");
    ASSERT_TRUE(shown);
    EXPECT_EQ(listed, QStringList({"Открытие файла", "Сохранение в файл", "Чтение",
                                   "Запись с проверкой", "Запись"}));
    const QString port = rig.sim->path();
    EXPECT_EQ(ports, QStringList({"", "", port, port, port}));
    EXPECT_TRUE(rig.window.windowTitle().contains(QStringLiteral("объект 0412 0000")))
        << qPrintable(rig.window.windowTitle());
}

// Search as you type, reached with Ctrl+F from the list.
TEST(ObjectsWindow, CtrlFSearchesAsTheUserTypes)
{
    Rig rig;
    const char *const objects[][3] = {{"0412", "Аптека «Здоровье»", "Тверская, 12"},
                                      {"0555", "Склад «Север»", "Промзона"},
                                      {"0777", "Школа № 5", "ул. Ленина, 40"}};
    for (const auto &object : objects) {
        rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QString::fromUtf8(object[0]));
        ASSERT_TRUE(rig.window.saveConfiguration(
            rig.userFolder.filePath(QString::fromUtf8(object[0]) + QStringLiteral(".snc"))));
        ASSERT_TRUE(test::settle(rig.app));
        const CatalogEntry entry = *rig.app.lastEntry();
        ASSERT_TRUE(test::onStore(rig.app, [&](CatalogStore &store) {
            return store.describeObject(entry.objectId, QString::fromUtf8(object[1]),
                                        QString::fromUtf8(object[2]), QString());
        }));
    }
    struct Step {
        const char *typed;
        int listed;
    };
    const Step steps[] = {{"", 3}, {"с", 2}, {"се", 1}, {"север", 1}, {"северо", 0}};
    QList<int> seen;
    bool focused = false;
    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    QTimer::singleShot(0, window, [&] {
        auto *list = test::part<QWidget>(*window, "tvObjects");
        auto *search = test::part<QLineEdit>(*window, "edtObjectsSearch");
        ASSERT_TRUE(settled(*window));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        focused = search->hasFocus();
        for (const Step &step : steps) {
            search->clear();
            type(search, QString::fromUtf8(step.typed));
            ASSERT_TRUE(settled(*window));
            seen << static_cast<int>(window->objects().size());
        }
        search->setText(QStringLiteral("ленина"));
        ASSERT_TRUE(settled(*window));
        EXPECT_EQ(window->objects().size(), 1);
        EXPECT_EQ(window->objects().value(0).name, "Школа № 5");
        window->accept();
    });
    test::trigger(rig.window, "pumObjects");
    EXPECT_TRUE(focused);
    QList<int> expected;
    for (const Step &step : steps)
        expected << step.listed;
    EXPECT_EQ(seen, expected);
}

// Another program changed the device after this one wrote to it: the read
// says so once, with the number of differences, and shows them on request.
TEST(ObjectsWindow, AReadTellsThatTheDeviceWasChangedSinceTheLastWrite)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    rig.config().setSlider(QStringLiteral("trbSesansLength"), 9);
    test::trigger(rig.window, "actWrite");
    ASSERT_TRUE(test::settle(rig.app));
    // Someone else, with a catalogue of his own, writes another session length.
    {
        Rig other;
        other.setPort(rig.sim->path());
        other.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
        other.config().setSlider(QStringLiteral("trbSesansLength"), 4);
        test::trigger(other.window, "actWrite");
        ASSERT_EQ(other.notifier.errors, QStringList());
    }
    rig.notifier.answers = {true};
    bool compared = false;
    OnModal<TfrmCompare> comparison([&](TfrmCompare &window) {
        compared = true;
        ASSERT_EQ(window.differences().size(), 1);
        EXPECT_EQ(window.differences()[0].caption, "Ограничение длительности сеанса связи");
        window.accept();
    });
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    ASSERT_TRUE(test::waitFor([&] { return compared; }));
    ASSERT_EQ(rig.notifier.questions.size(), 1);
    EXPECT_TRUE(rig.notifier.questions[0].text.startsWith(
        QStringLiteral("Коммуникатор хранит не ту конфигурацию, которую программа записала")));
    EXPECT_TRUE(rig.notifier.questions[0].text.contains(QStringLiteral("(различий: 1)")));
    EXPECT_TRUE(compared);
    // Read again: the device holds what was read, and what was last written
    // is still not there; the program says so again, once per read.
    rig.notifier.answers = {false};
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_EQ(rig.notifier.questions.size(), 2);
    // After writing again, nothing to tell.
    test::trigger(rig.window, "actWrite");
    ASSERT_TRUE(test::settle(rig.app));
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_EQ(rig.notifier.questions.size(), 2);
}

// A template opens into the main window with the object numbers blank.
TEST(ObjectsWindow, NewObjectFromATemplateLeavesTheNumbersBlank)
{
    Rig rig;
    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    rig.config().setText(QStringLiteral("edt2P1NObjectCode"), QStringLiteral("0413"));
    rig.config().setSlider(QStringLiteral("trbSesansLength"), 7);
    ASSERT_TRUE(rig.window.saveConfiguration(rig.userFolder.filePath(QStringLiteral("t.snc"))));
    ASSERT_TRUE(test::settle(rig.app));
    const QString id = rig.app.lastEntry()->id;
    ASSERT_TRUE(test::onStore(rig.app, [&](CatalogStore &store) {
        return store.setTemplate(id, QStringLiteral("Магазин"));
    }));
    rig.config().setSlider(QStringLiteral("trbSesansLength"), 2);

    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    OnModal<QInputDialog> choose([](QInputDialog &dialog) {
        EXPECT_EQ(dialog.comboBoxItems(), QStringList({"Магазин"}));
        dialog.accept();
    });
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(settled(*window));
        test::part<QPushButton>(*window, "btnFromTemplate")->click();
    });
    test::trigger(rig.window, "pumObjects");
    EXPECT_TRUE(choose.shown());
    EXPECT_EQ(rig.config().slider(QStringLiteral("trbSesansLength")), 7);
    EXPECT_EQ(rig.config().text(QStringLiteral("edt1P1NObjectCode")), QString());
    EXPECT_EQ(rig.config().text(QStringLiteral("edt2P1NObjectCode")), QString());
    EXPECT_TRUE(rig.window.windowTitle().contains(QStringLiteral("шаблона «Магазин»")));
}

// The history of an earlier version is taken in at the first use, every
// file of it, and the folder is left as it was.
TEST(ObjectsWindow, TheEarlierHistoryIsTakenInWholeAtTheFirstRead)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    const QDir history(rig.userFolder.filePath(QStringLiteral("history")));
    ASSERT_TRUE(history.mkpath(QStringLiteral(".")));
    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    QStringList data, commands;
    ASSERT_TRUE(BuildWriteRequests(rig.app.blockContext(), data, commands));
    const QStringList names = {"2024-01-01_08-00-00_read_ttyUSB0_0412_0000.snc",
                               "2024-01-01_08-00-00_write_ttyUSB0_0412_0000_2.snc",
                               "copy of a read.snc"};
    for (const QString &name : names)
        ASSERT_TRUE(WriteConfigurationFile(history.filePath(name), data, commands));
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    ASSERT_EQ(rig.notifier.errors, QStringList());
    const qsizetype entries = test::onStore(rig.app, [](CatalogStore &store) {
        qsizetype count = 0;
        for (const CatalogObject &object : valueOf(store.objects()))
            count += valueOf(store.timeline(object.id)).size();
        return count;
    });
    EXPECT_EQ(entries, names.size() + 1);
    QStringList left = history.entryList(QDir::Files);
    QStringList kept = names;
    left.sort();
    kept.sort();
    EXPECT_EQ(left, kept); // nothing removed, nothing added
}

// A damaged catalogue is kept aside and the user told once where.
TEST(ObjectsWindow, ADamagedCatalogueIsToldOnceWhereItWasKept)
{
    Rig rig;
    const QString path = rig.app.objects().place().path;
    QFile garbage(path);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("not a catalogue\n").repeated(100));
    garbage.close();
    rig.window.openCatalog();
    rig.window.openCatalog();
    ASSERT_TRUE(test::settle(rig.app));
    ASSERT_EQ(rig.notifier.informations.size(), 1);
    const QStringList kept =
        QDir(rig.userFolder.path()).entryList({QStringLiteral("catalog-damaged-*.sqlite")});
    ASSERT_EQ(kept.size(), 1);
    // Where it was kept, then what could be saved of it (here nothing).
    EXPECT_EQ(rig.notifier.informations[0].section(u'\n', 0, 0),
              CatalogDamagedMessage(path, rig.userFolder.filePath(kept[0])));
    EXPECT_TRUE(rig.notifier.informations[0].section(u'\n', 1).startsWith(
        QStringLiteral("Невозможно прочитать поврежденную базу: ")))
        << rig.notifier.informations[0].toStdString();
    // The new catalogue takes entries.
    ASSERT_TRUE(rig.window.saveConfiguration(rig.userFolder.filePath(QStringLiteral("a.snc"))));
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_TRUE(rig.app.lastEntry());
}

// A catalogue that opens but fails its integrity check: the check runs apart,
// the window's events go on while it is held, and when it ends the damaged
// file is kept aside and the user told once where.
TEST(ObjectsWindow, TheIntegrityCheckRunsApartAndStillFindsDamage)
{
    Rig rig;
    const QString path = rig.app.objects().place().path;
    {
        CatalogOpening opening = OpenSqliteCatalog(path);
        ASSERT_TRUE(opening.store);
        for (int i = 0; i < 40; ++i) {
            NewCatalogEntry entry;
            entry.time = QDateTime::currentDateTimeUtc();
            entry.configuration = QByteArray(4000, char('a' + i % 26)) + QByteArray::number(i);
            entry.codes = QString::number(1000 + i) + QStringLiteral(" 0000");
            ASSERT_TRUE(opening.store->record(entry));
        }
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    bytes.replace(bytes.size() / 2, 8192, QByteArray(8192, '\x5a'));
    file.seek(0);
    file.write(bytes);
    file.close();

    QSemaphore release;
    test::onCatalog(rig.app, [&release](ObjectCatalog &catalog) {
        catalog.setBeforeCheck([&release] { release.acquire(); });
        return true;
    });
    rig.window.openCatalog();
    bool posted = false;
    QTimer::singleShot(0, &rig.window, [&posted] { posted = true; });
    EXPECT_TRUE(QTest::qWaitFor([&posted] { return posted; }));
    EXPECT_TRUE(
        test::onCatalog(rig.app, [](ObjectCatalog &catalog) { return catalog.checkPending(); }));
    EXPECT_EQ(rig.notifier.informations, QStringList());

    release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.notifier.informations.isEmpty(); }, 30000));
    const QStringList kept =
        QDir(rig.userFolder.path()).entryList({QStringLiteral("catalog-damaged-*.sqlite")});
    ASSERT_EQ(kept.size(), 1);
    ASSERT_EQ(rig.notifier.informations.size(), 1);
    EXPECT_EQ(rig.notifier.informations[0].section(u'\n', 0, 0),
              CatalogDamagedMessage(path, rig.userFolder.filePath(kept[0])));
    EXPECT_TRUE(rig.notifier.informations[0].section(u'\n', 1).startsWith(
        QStringLiteral("Сохранено объектов: ")))
        << rig.notifier.informations[0].toStdString();
    rig.window.openCatalog();
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_EQ(rig.notifier.informations.size(), 1);
    ASSERT_TRUE(rig.window.saveConfiguration(rig.userFolder.filePath(QStringLiteral("a.snc"))));
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_TRUE(rig.app.lastEntry());
}

// Two entries compared with each other, and an entry with the device, each
// in a comparison window of its own; the main window is not touched.
TEST(ObjectsWindow, ComparesTwoEntriesAndAnEntryWithTheDevice)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    rig.config().setSlider(QStringLiteral("trbSesansLength"), 9);
    test::trigger(rig.window, "actWrite");
    rig.config().setSlider(QStringLiteral("trbSesansLength"), 4);
    ASSERT_TRUE(rig.window.saveConfiguration(rig.userFolder.filePath(QStringLiteral("b.snc"))));
    ASSERT_TRUE(test::settle(rig.app));
    ASSERT_EQ(rig.notifier.errors, QStringList());

    QList<QStringList> seen;
    OnModal<TfrmCompare> *pending = nullptr;
    const auto watch = [&] {
        delete pending;
        pending = new OnModal<TfrmCompare>([&](TfrmCompare &window) {
            QStringList rows;
            for (const ConfigDifference &d : window.differences())
                rows << d.caption + u'|' + d.thisText + u'|' + d.otherText;
            seen << rows;
            window.accept();
        });
    };
    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(settled(*window));
        ASSERT_EQ(window->timeline().size(), 2);
        window->selectEntry(0, 1); // the saved file, then the write
        watch();
        test::part<QPushButton>(*window, "btnEntryCompareEntries")->click();
        ASSERT_TRUE(test::waitFor([&] { return seen.size() == 1; }));
        window->selectEntry(1); // the write: what the device holds
        watch();
        test::part<QPushButton>(*window, "btnEntryCompareDevice")->click();
        ASSERT_TRUE(test::waitFor([&] { return seen.size() == 2; }));
        window->selectEntry(0);
        watch();
        test::part<QPushButton>(*window, "btnEntryCompareDevice")->click();
        ASSERT_TRUE(test::waitFor([&] { return seen.size() == 3; }));
        window->accept();
    });
    test::trigger(rig.window, "pumObjects");
    delete pending;
    const QString session = QStringLiteral("Ограничение длительности сеанса связи");
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0], QStringList({session + "|4 м|9 м"}));
    EXPECT_EQ(seen[1], QStringList());
    EXPECT_EQ(seen[2], QStringList({session + "|4 м|9 м"}));
    EXPECT_EQ(rig.config().slider(QStringLiteral("trbSesansLength")), 4);
}

namespace {

// Three objects made by saving the window's configuration under three
// numbers, each described; the latest first, as the list shows them.
QStringList makeThreeObjects(Rig &rig)
{
    const char *const objects[][2] = {{"0412", "Аптека"}, {"0555", "Склад"}, {"0777", "Школа"}};
    QStringList ids;
    for (const auto &object : objects) {
        rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QString::fromUtf8(object[0]));
        EXPECT_TRUE(rig.window.saveConfiguration(
            rig.userFolder.filePath(QString::fromUtf8(object[0]) + QStringLiteral(".snc"))));
        EXPECT_TRUE(test::settle(rig.app));
        const CatalogEntry entry = *rig.app.lastEntry();
        EXPECT_TRUE(test::onStore(rig.app, [&](CatalogStore &store) {
            return store.describeObject(entry.objectId, QString::fromUtf8(object[1]), QString(),
                                        QString());
        }));
        ids.prepend(entry.objectId);
    }
    return ids;
}

// Answers the next object chooser by keys: `typed` into its search field,
// then `keys`.
struct KeyAnswer {
    QString typed;
    QList<Qt::Key> keys;
};

// What a chooser offers: the numbers and name of each row.
QStringList offeredIn(TfrmObjectChooser &chooser)
{
    QStringList offered;
    const QAbstractItemModel *rows = test::part<QTableView>(chooser, "tvChooser")->model();
    for (int row = 0; row < rows->rowCount(); ++row)
        offered << rows->index(row, ObjectListModel::Codes).data().toString() +
                       QStringLiteral("  ") +
                       rows->index(row, ObjectListModel::Name).data().toString();
    return offered;
}

} // namespace

// «Объединить с...» and «Перенести...» ask for the other object in a chooser
// answered by keys: the search narrows the list, Enter picks the chosen row
// (none when nothing is listed), Escape changes nothing.
TEST(ObjectsWindow, MergesObjectsAndMovesAnEntryThroughTheObjectChooser)
{
    const QStringList everyOther{"0777 0000  Школа", "0555 0000  Склад"};
    const struct {
        const char *name;
        const char *button;
        KeyAnswer answer;
        // What the chooser lists once the text is typed.
        QStringList offered;
        // The objects listed after, by name, and the entries of each.
        QStringList listed;
        QList<int> entries;
    } cases[] = {
        // From «Аптека» (the last row): the chooser lists «Школа», «Склад».
        // «Склад» joins «Аптека», which its entry makes the later of the two.
        {"merge with the second offered",
         "btnObjectMerge",
         {"", {Qt::Key_Down, Qt::Key_Return}},
         everyOther,
         {"Школа", "Аптека"},
         {1, 2}},
        {"merge with the one found by its name",
         "btnObjectMerge",
         {"скл", {Qt::Key_Return}},
         {"0555 0000  Склад"},
         {"Школа", "Аптека"},
         {1, 2}},
        {"merge declined",
         "btnObjectMerge",
         {"", {Qt::Key_Down, Qt::Key_Escape}},
         everyOther,
         {"Школа", "Склад", "Аптека"},
         {1, 1, 1}},
        // «Аптека» keeps no entry and goes to the end of the list.
        {"move to the first offered",
         "btnEntryMove",
         {"", {Qt::Key_Return}},
         everyOther,
         {"Школа", "Склад", "Аптека"},
         {2, 1, 0}},
        {"move to the one found by its numbers",
         "btnEntryMove",
         {"0777", {Qt::Key_Return}},
         {"0777 0000  Школа"},
         {"Школа", "Склад", "Аптека"},
         {2, 1, 0}},
        {"move declined after a search",
         "btnEntryMove",
         {"0555", {Qt::Key_Escape}},
         {"0555 0000  Склад"},
         {"Школа", "Склад", "Аптека"},
         {1, 1, 1}},
        // The search finds only the object asked about, which is never
        // offered: Enter picks nothing and the chooser stays until Escape.
        {"only the object itself found",
         "btnEntryMove",
         {"аптека", {Qt::Key_Return, Qt::Key_Escape}},
         {},
         {"Школа", "Склад", "Аптека"},
         {1, 1, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        makeThreeObjects(rig);
        QStringList offered;
        QString title;
        OnModal<TfrmObjectChooser> choose([&](TfrmObjectChooser &chooser) {
            title = chooser.windowTitle();
            QWidget *focus = chooser.focusWidget();
            ASSERT_TRUE(focus);
            EXPECT_EQ(focus->objectName(), "edtChooserSearch");
            ASSERT_TRUE(settled(chooser));
            type(focus, c.answer.typed);
            ASSERT_TRUE(settled(chooser));
            offered = offeredIn(chooser);
            for (const Qt::Key key : c.answer.keys)
                QTest::keyClick(focus, key);
        });
        QStringList listed;
        QList<int> entries;
        auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
        QTimer::singleShot(0, window, [&] {
            ASSERT_TRUE(settled(*window));
            window->selectObject(2);
            ASSERT_TRUE(settled(*window));
            ASSERT_EQ(window->objects().value(2).name, "Аптека");
            test::part<QPushButton>(*window, c.button)->click();
            ASSERT_TRUE(settled(*window));
            for (int row = 0; row < window->objects().size(); ++row) {
                window->selectObject(row);
                ASSERT_TRUE(settled(*window));
                listed << window->objects().at(row).name;
                entries << static_cast<int>(window->timeline().size());
            }
            window->accept();
        });
        test::trigger(rig.window, "pumObjects");
        EXPECT_TRUE(choose.shown());
        EXPECT_EQ(title, QString::fromUtf8(c.button) == "btnObjectMerge"
                             ? QStringLiteral("Объединение объектов")
                             : QStringLiteral("Перенос записи"));
        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(rig.notifier.errors, QStringList());
    }
}

// Records `total` objects numbered "0000 0000" on, one entry each, the
// later the number the later the entry.
bool recordNumberedObjects(Rig &rig, qsizetype total)
{
    QStringList data, commands;
    if (!BuildWriteRequests(rig.app.blockContext(), data, commands))
        return false;
    const QByteArray bytes = ConfigurationFileBytes(data, commands);
    QList<NewCatalogEntry> batch;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
    for (qsizetype i = 0; i < total; ++i) {
        NewCatalogEntry entry;
        entry.time = start.addSecs(i);
        entry.configuration = bytes;
        entry.codes = QStringLiteral("%1 0000").arg(i, 4, 10, QLatin1Char('0'));
        batch << entry;
    }
    return test::onStore(rig.app,
                         [&](CatalogStore &store) { return store.recordAll(batch).has_value(); });
}

// A catalogue of hundreds of objects is listed a page at a time: scrolling
// to the end brings the rest, and an object described far down stays chosen.
TEST(ObjectsWindow, ALongListComesAPageAtATimeAndKeepsTheChosenObject)
{
    Rig rig;
    const qsizetype total = ObjectListModel::kPage * 2 + 50;
    ASSERT_TRUE(recordNumberedObjects(rig, total));

    qsizetype firstPage = 0, scrolled = 0;
    QString info, chosen;
    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(settled(*window));
        firstPage = window->objects().size();
        info = test::part<QLabel>(*window, "lblObjectsInfo")->text();
        auto *list = test::part<QTableView>(*window, "tvObjects");
        list->setFocus();
        // Ctrl+End goes to the last row listed; the view then fetches more.
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(list, Qt::Key_End, Qt::ControlModifier);
            ASSERT_TRUE(test::settle(rig.app));
        }
        scrolled = window->objects().size();
        window->selectObject(static_cast<int>(total - 3));
        ASSERT_TRUE(settled(*window));
        test::part<QLineEdit>(*window, "edtObjectName")->setText(QStringLiteral("Дальний"));
        test::part<QPushButton>(*window, "btnObjectDescribe")->click();
        ASSERT_TRUE(settled(*window));
        const int row = test::part<QTableView>(*window, "tvObjects")->currentIndex().row();
        chosen = window->objects().value(row).name;
        window->accept();
    });
    test::trigger(rig.window, "pumObjects");
    EXPECT_EQ(firstPage, ObjectListModel::kPage);
    EXPECT_TRUE(info.startsWith(QStringLiteral("Объектов: %1.").arg(total))) << qPrintable(info);
    EXPECT_EQ(scrolled, total);
    EXPECT_EQ(chosen, "Дальний");
}

// The chooser of a long catalogue lists a page at once, without the object
// asked about, and its search reaches an object far past that page.
TEST(ObjectsWindow, TheObjectChooserSearchesALongCatalogue)
{
    Rig rig;
    const qsizetype total = ObjectListModel::kPage * 2 + 50;
    ASSERT_TRUE(recordNumberedObjects(rig, total));
    const QString last = QStringLiteral("%1 0000").arg(total - 1, 4, 10, QLatin1Char('0'));

    QStringList firstOffered, found;
    OnModal<TfrmObjectChooser> choose([&](TfrmObjectChooser &chooser) {
        ASSERT_TRUE(settled(chooser));
        firstOffered = offeredIn(chooser);
        QWidget *focus = chooser.focusWidget();
        ASSERT_TRUE(focus);
        type(focus, QStringLiteral("0003"));
        ASSERT_TRUE(settled(chooser));
        found = offeredIn(chooser);
        QTest::keyClick(focus, Qt::Key_Return);
    });
    const QString target = test::onStore(rig.app, [](CatalogStore &store) {
        return valueOf(store.objects(QStringLiteral("0003 0000"))).value(0).id;
    });
    ASSERT_FALSE(target.isEmpty());
    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(settled(*window));
        // The latest object, first in the list, gives its entry away.
        window->selectObject(0);
        ASSERT_TRUE(settled(*window));
        ASSERT_EQ(window->objects().value(0).codes, last);
        test::part<QPushButton>(*window, "btnEntryMove")->click();
        ASSERT_TRUE(settled(*window));
        window->accept();
    });
    test::trigger(rig.window, "pumObjects");
    QStringList moved;
    for (const CatalogEntry &entry : test::onStore(
             rig.app, [&](CatalogStore &store) { return valueOf(store.timeline(target)); }))
        moved << entry.codes;
    EXPECT_TRUE(choose.shown());
    ASSERT_EQ(firstOffered.size(), ObjectListModel::kPage - 1);
    EXPECT_FALSE(firstOffered.contains(last + QStringLiteral("  ")));
    EXPECT_EQ(firstOffered.constFirst(),
              QStringLiteral("%1 0000  ").arg(total - 2, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(found, QStringList({"0003 0000  "}));
    EXPECT_EQ(moved, QStringList({"0003 0000", last}));
    EXPECT_EQ(rig.notifier.errors, QStringList());
}

// Typed quickly over 10,000 objects, a search goes to the catalogue once the
// typing pauses, not at every key, and the list shows the last text's
// objects; the window says it searches meanwhile.
TEST(ObjectsWindow, ASearchTypedQuicklyIsSentOncePerPauseAndListsTheLastText)
{
    Rig rig;
    ASSERT_TRUE(recordNumberedObjects(rig, 10000));
    int sentForTyping = -1;
    QString whileTyping;
    QStringList listed;
    auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(settled(*window));
        auto *search = test::part<QLineEdit>(*window, "edtObjectsSearch");
        const int before = window->objectSearch().sent();
        // Four keys inside the pause (no wait between them: a loaded machine
        // could stretch any wait past it).
        type(search, QStringLiteral("0917"));
        whileTyping = test::part<QLabel>(*window, "lblObjectsInfo")->text();
        ASSERT_TRUE(settled(*window));
        sentForTyping = window->objectSearch().sent() - before;
        for (const CatalogObject &object : window->objects())
            listed << object.codes;
        window->accept();
    });
    test::trigger(rig.window, "pumObjects");
    EXPECT_EQ(sentForTyping, 1);
    EXPECT_EQ(listed, QStringList{QStringLiteral("0917 0000")});
    EXPECT_TRUE(whileTyping.startsWith(QStringLiteral("Объектов: 10000.")))
        << qPrintable(whileTyping);
}
