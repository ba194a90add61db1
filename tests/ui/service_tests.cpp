// The service menu of the main window against sr5n-sim: comparison with the
// device and with a file, write with verification, the catalogue of objects,
// driven through the real windows.
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "config/ConfigComparison.h"
#include "config/ConfigurationFile.h"
#include "link/TConnection.h"
#include "ui/TfrmProgress.h"
#include "ui/TransferRig.h"
#include "ui/catalog/TfrmObjects.h"
#include "ui/config/TfrmCompare.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "common/CatalogAccess.h"
#include "common/ExpectedValue.h"

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;
using test::Rig;
using test::writeListOf;
using Operation = CatalogOperation;

namespace {

// Acts on a modal dialog of the window once it is shown, then closes it.
// Whether it was shown at all is kept; it is never acted on twice.
template <typename Dialog> class WhenShown
{
public:
    WhenShown(QWidget &window, const char *name, std::function<void(Dialog &)> act)
        : m_dialog(test::part<Dialog>(window, name)), m_act(std::move(act))
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_dialog->isVisible() || m_shown)
                return;
            m_shown = true;
            m_timer.stop();
            m_act(*m_dialog);
            m_dialog->accept();
        });
        m_timer.start();
    }

    bool shown() const { return m_shown; }

private:
    Dialog *m_dialog;
    std::function<void(Dialog &)> m_act;
    QTimer m_timer;
    bool m_shown = false;
};

// The rows a comparison window lists: caption, this side, other side.
QList<QStringList> rowsOf(const TfrmCompare &dialog)
{
    QList<QStringList> rows;
    for (const ConfigDifference &d : dialog.differences())
        rows.append({d.caption, d.thisText, d.otherText});
    return rows;
}

// One value on each configuration page and one code of each event table.
void editOnEveryPage(Rig &rig)
{
    ConfigModel &config = rig.config();
    config.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    config.setSlider(QStringLiteral("trb2PCallsTrialCount"), 7);
    config.setFlag(QStringLiteral("chbInCalls"), true);
    config.setSlider(QStringLiteral("trbSesansLength"), 9);
    rig.tables().setSeparateCode(2, 1, QStringLiteral("0A0B"));
    rig.tables().setZoneCode(3, 2, 11, QStringLiteral("3B11"));
}

// The differences editOnEveryPage() makes against the simulator's defaults,
// each on the page it belongs to.
const QList<QStringList> kEverywhere = {
    {"Первый номер телефона — Номер объекта", "12AB", "0000"},
    {"Количество попыток дозвона", "7", "20"},
    {"Входящие звонки", "используется", "не используется"},
    {"Ограничение длительности сеанса связи", "9 м", "6 м"},
};

// Every entry of the rig's catalogue, newest first.
QList<CatalogEntry> historyOf(Rig &rig)
{
    EXPECT_TRUE(test::settle(rig.app));
    QList<CatalogEntry> entries = test::onStore(rig.app, [](CatalogStore &store) {
        QList<CatalogEntry> all;
        for (const CatalogObject &object : valueOf(store.objects()))
            all += valueOf(store.timeline(object.id));
        return all;
    });
    std::sort(entries.begin(), entries.end(),
              [](const CatalogEntry &a, const CatalogEntry &b) { return a.time > b.time; });
    return entries;
}

// The object number of pair 1 an entry was recorded with.
QString firstObject(const CatalogEntry &entry)
{
    return entry.codes.section(u' ', 0, 0);
}

} // namespace

TEST(ServiceMenu, SitsInTheBarWithItsItemsAndShortcuts)
{
    Rig rig;
    auto *button = test::part<QToolButton>(rig.window, "btnService");
    EXPECT_EQ(button->text(), QStringLiteral("Сервис"));
    EXPECT_EQ(button->parentWidget()->objectName(), QStringLiteral("pnlControls"));
    rig.window.show();
    QApplication::processEvents();
    // In the port column, right of its label's text and above the port field,
    // so that the field and the bar's buttons stay where they are.
    const auto *label = test::part<QLabel>(rig.window, "lblComPort");
    EXPECT_GT(button->geometry().left(),
              label->geometry().left() + label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_LE(button->geometry().bottom(),
              test::part<QComboBox>(rig.window, "cbxComPort")->geometry().top());
    EXPECT_LT(button->geometry().right(),
              test::part<QFrame>(rig.window, "bvlSeparator")->geometry().left());
    EXPECT_GE(button->width(), button->sizeHint().width());
    const struct {
        const char *name;
        const char *text;
        QKeySequence keys;
    } items[] = {
        {"pumCompareDevice", "Сравнить с коммуникатором", QKeySequence(QStringLiteral("Ctrl+D"))},
        {"pumCompareFile", "Сравнить с файлом...", QKeySequence(QStringLiteral("Ctrl+Shift+D"))},
        {"pumWriteVerified", "Записать с проверкой", QKeySequence(QStringLiteral("Ctrl+Shift+W"))},
        {"pumVerifyWrites", "Проверять запись кнопкой \"Записать\"", QKeySequence()},
        {"pumObjects", "Объекты...", QKeySequence(QStringLiteral("Ctrl+H"))},
    };
    for (const auto &item : items) {
        auto *action = test::part<QAction>(rig.window, item.name);
        EXPECT_EQ(action->text(), QString::fromUtf8(item.text));
        EXPECT_EQ(action->shortcut(), item.keys) << item.name;
        // In the window itself, so that the keys work without the menu.
        EXPECT_TRUE(rig.window.actions().contains(action)) << item.name;
        EXPECT_TRUE(button->menu()->actions().contains(action)) << item.name;
    }
}

// The device is read with the progress window over the disabled main
// window; the comparison window then lists every change with its caption and
// both texts, and taking one back changes only it.
TEST(CompareWithDevice, ListsEveryChangeAndTakesOneBack)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    editOnEveryPage(rig);
    // Looked at often, since the simulator answers the whole read quickly.
    bool disabledWhileReading = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &rig.window, [&] {
        disabledWhileReading |= !rig.window.isEnabled() && rig.progress.isVisible();
    });
    look.start(2);
    WhenShown<TfrmCompare> script(rig.window, "frmCompare", [&](TfrmCompare &dialog) {
        EXPECT_TRUE(rig.window.isEnabled());
        EXPECT_FALSE(rig.progress.isVisible());
        EXPECT_FALSE(rig.app.connection().Opened());
        const QList<QStringList> rows = rowsOf(dialog);
        ASSERT_EQ(rows.size(), 6) << testing::PrintToString(rows);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(rows[i], kEverywhere[i]) << i;
        // The codes by event (its number and name), pair and zone.
        const QString event2 = rig.tables().row(EventCodeTables::Table::Separate, 2).name;
        EXPECT_EQ(rows[4], QStringList({QStringLiteral("2. ") + event2 + " — Код для пары №1",
                                        "0A0B", "0000"}));
        const QString event3 = rig.tables().row(EventCodeTables::Table::External, 3).name;
        EXPECT_EQ(rows[5],
                  QStringList({QStringLiteral("3. ") + event3 + " — Код для пары №2, зона 11",
                               "3B11", "0000"}));
        EXPECT_EQ(test::part<QTreeWidget>(dialog, "tvDifferences")->headerItem()->text(2),
                  QStringLiteral("В коммуникаторе"));
        EXPECT_TRUE(test::part<QLabel>(dialog, "lblHeading")->text().contains(rig.sim->path()));

        // Take the call attempts of pair 2 back from the device.
        dialog.setTicked(1, true);
        test::part<QPushButton>(dialog, "btnTake")->click();
        EXPECT_EQ(dialog.differences().size(), 5);
    });
    test::part<QAction>(rig.window, "pumCompareDevice")->trigger();
    ASSERT_TRUE(script.shown());
    EXPECT_TRUE(disabledWhileReading);
    EXPECT_EQ(rig.notifier.errors, QStringList());
    EXPECT_EQ(rig.notifier.informations, QStringList());

    // Only the value taken changed; the other edits stay.
    EXPECT_EQ(rig.config().slider(QStringLiteral("trb2PCallsTrialCount")), 20);
    EXPECT_EQ(rig.config().text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("12AB"));
    EXPECT_TRUE(rig.config().flag(QStringLiteral("chbInCalls")));
    EXPECT_EQ(rig.config().slider(QStringLiteral("trbSesansLength")), 9);
    EXPECT_EQ(rig.tables().separateCode(2, 1), QStringLiteral("0A0B"));
    EXPECT_EQ(rig.tables().zoneCode(3, 2, 11), QStringLiteral("3B11"));
}

// A failed read shows its message and no comparison; the window is untouched.
TEST(CompareWithDevice, FailedReadShowsNoComparison)
{
    Rig rig({QStringLiteral("--silent"), QStringLiteral("30-")});
    ASSERT_TRUE(rig.sim->started());
    editOnEveryPage(rig);
    const QStringList before = writeListOf(rig);
    WhenShown<TfrmCompare> script(rig.window, "frmCompare", [](TfrmCompare &) {});
    test::trigger(rig.window, "pumCompareDevice");
    EXPECT_FALSE(script.shown());
    ASSERT_EQ(rig.notifier.errors.size(), 1);
    EXPECT_TRUE(rig.notifier.errors[0].startsWith(QStringLiteral("Коммуникатор не отвечает")));
    EXPECT_EQ(writeListOf(rig), before);
    EXPECT_TRUE(historyOf(rig).isEmpty());
    EXPECT_TRUE(rig.window.isEnabled());
}

TEST(CompareWithFile, ListsTheChangesSinceTheFileWasSaved)
{
    Rig rig;
    const QString path = rig.userFolder.filePath(QStringLiteral("saved.snc"));
    ASSERT_TRUE(rig.window.saveConfiguration(path));

    // Just saved: nothing differs.
    WhenShown<TfrmCompare> same(rig.window, "frmCompare", [](TfrmCompare &dialog) {
        EXPECT_TRUE(dialog.differences().isEmpty());
        EXPECT_TRUE(test::part<QLabel>(dialog, "lblNoDifferences")->isVisible());
        EXPECT_EQ(test::part<QLabel>(dialog, "lblNoDifferences")->text(),
                  QStringLiteral("Различий нет"));
        EXPECT_FALSE(test::part<QTreeWidget>(dialog, "tvDifferences")->isVisible());
        EXPECT_FALSE(test::part<QPushButton>(dialog, "btnTake")->isEnabled());
    });
    ASSERT_TRUE(rig.window.compareWithFile(path));
    ASSERT_TRUE(same.shown());

    editOnEveryPage(rig);
    rig.tables().setMark(9, EventCodeTables::Mark::HighPriority, true);
    WhenShown<TfrmCompare> changed(rig.window, "frmCompare", [&](TfrmCompare &dialog) {
        const QList<QStringList> rows = rowsOf(dialog);
        ASSERT_EQ(rows.size(), 7);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(rows[i], kEverywhere[i]) << i;
        EXPECT_TRUE(rows[6][0].endsWith(QStringLiteral(" — В/П")));
        EXPECT_EQ(rows[6].mid(1), QStringList({"отмечено", "не отмечено"}));
        EXPECT_EQ(test::part<QTreeWidget>(dialog, "tvDifferences")->headerItem()->text(2),
                  QStringLiteral("В файле"));
        // Take everything: the window holds the file's configuration again.
        test::part<QPushButton>(dialog, "btnTickAll")->click();
        test::part<QPushButton>(dialog, "btnTake")->click();
        EXPECT_TRUE(dialog.differences().isEmpty());
    });
    ASSERT_TRUE(rig.window.compareWithFile(path));
    ASSERT_TRUE(changed.shown());
    QStringList data, commands;
    ASSERT_TRUE(ReadConfigurationFile(path, data, commands));
    EXPECT_EQ(writeListOf(rig), data + commands);

    // A file that cannot be read is reported and compares nothing.
    WhenShown<TfrmCompare> none(rig.window, "frmCompare", [](TfrmCompare &) {});
    EXPECT_FALSE(rig.window.compareWithFile(rig.userFolder.filePath(QStringLiteral("none.snc"))));
    EXPECT_FALSE(none.shown());
    EXPECT_EQ(rig.notifier.errors,
              QStringList({"Невозможно прочитать файл. Возможно, файл поврежден"}));
}

TEST(WriteWithVerification, PassesOnAHealthyDevice)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    editOnEveryPage(rig);
    WhenShown<TfrmCompare> script(rig.window, "frmCompare", [](TfrmCompare &) {});
    test::part<QAction>(rig.window, "pumWriteVerified")->trigger();
    EXPECT_FALSE(script.shown());
    EXPECT_EQ(rig.notifier.errors, QStringList());
    EXPECT_EQ(rig.notifier.informations,
              QStringList({"Конфигурация записана успешно\nЗапись проверена: коммуникатор хранит "
                           "записанную конфигурацию"}));
    EXPECT_EQ(rig.progress.prbProgress->value(), 2 * 858);
    EXPECT_EQ(rig.sim->finish().size(), 2 * 858);
    const QList<CatalogEntry> history = historyOf(rig);
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history[0].operation, Operation::VerifiedWrite);
    EXPECT_EQ(firstObject(history[0]), QStringLiteral("12AB"));
}

// Request 5 writes the first number of pair 1; the simulator answers it but
// keeps its old number, and the verification shows exactly that.
TEST(WriteWithVerification, FailsAndShowsWhatTheDeviceHoldsWhenAWriteIsDropped)
{
    Rig rig({QStringLiteral("--drop-write"), QStringLiteral("5")});
    ASSERT_TRUE(rig.sim->started());
    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    rig.config().setSlider(QStringLiteral("trbSesansLength"), 9);
    WhenShown<TfrmCompare> script(rig.window, "frmCompare", [&](TfrmCompare &dialog) {
        EXPECT_TRUE(rig.window.isEnabled());
        EXPECT_EQ(rig.notifier.errors.size(), 1); // told before the comparison opens
        EXPECT_EQ(rowsOf(dialog),
                  QList<QStringList>({{"Первый номер телефона — Номер объекта", "12AB", "0000"}}));
    });
    test::trigger(rig.window, "pumWriteVerified");
    ASSERT_TRUE(script.shown());
    EXPECT_EQ(rig.notifier.errors,
              QStringList({"Проверка записи не пройдена: коммуникатор хранит не ту конфигурацию, "
                           "которая была записана (различий: 1)"}));
    EXPECT_EQ(rig.notifier.flashes, 1);
    EXPECT_EQ(rig.notifier.informations, QStringList());
    // The window keeps what was written; the catalogue keeps both sides,
    // told apart from a plain write and a plain read, on the port as typed.
    EXPECT_EQ(rig.config().text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("12AB"));
    const QList<CatalogEntry> history = historyOf(rig);
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history[0].operation, Operation::VerificationRead);
    EXPECT_EQ(firstObject(history[0]), QStringLiteral("0000"));
    EXPECT_EQ(history[1].operation, Operation::VerificationFailed);
    EXPECT_EQ(firstObject(history[1]), QStringLiteral("12AB"));
    EXPECT_EQ(history[1].note, rig.notifier.errors.value(0));
    for (const CatalogEntry &entry : history)
        EXPECT_EQ(entry.port, rig.sim->path());
    EXPECT_EQ(OperationText(history[1].operation), "Запись, проверка не пройдена");
    EXPECT_EQ(OperationText(history[0].operation), "Чтение при проверке записи");
}

// The write went through but the device stops answering while it is read
// back: the link's message, then the notice that the write was not checked.
TEST(WriteWithVerification, ReadBackThatFailsLeavesTheWriteUnchecked)
{
    Rig rig({QStringLiteral("--silent"), QStringLiteral("900-")});
    ASSERT_TRUE(rig.sim->started());
    WhenShown<TfrmCompare> script(rig.window, "frmCompare", [](TfrmCompare &) {});
    test::trigger(rig.window, "pumWriteVerified");
    EXPECT_FALSE(script.shown());
    ASSERT_EQ(rig.notifier.errors.size(), 1);
    EXPECT_TRUE(rig.notifier.errors[0].startsWith(QStringLiteral("Коммуникатор не отвечает")));
    EXPECT_EQ(rig.notifier.informations,
              QStringList({"Конфигурация записана успешно\nЗапись не проверена: конфигурация не "
                           "прочитана из коммуникатора"}));
    EXPECT_FALSE(rig.app.connection().Opened());
    EXPECT_TRUE(rig.window.isEnabled());
    const QList<CatalogEntry> history = historyOf(rig);
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history[0].operation, Operation::WriteUnverified);
    EXPECT_EQ(OperationText(history[0].operation), "Запись не проверена");
}

// "Записать" verifies only when the user turned it on in the service menu;
// the choice is kept in the settings.
TEST(WriteWithVerification, WriteButtonVerifiesOnlyWhenChosen)
{
    for (const bool chosen : {false, true}) {
        SCOPED_TRACE(chosen);
        Rig rig({QStringLiteral("--drop-write"), QStringLiteral("5")});
        ASSERT_TRUE(rig.sim->started());
        rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
        auto *verify = test::part<QAction>(rig.window, "pumVerifyWrites");
        EXPECT_FALSE(verify->isChecked());
        if (chosen)
            verify->trigger();
        EXPECT_EQ(rig.app.settings().verifyWrites(), chosen);
        EXPECT_EQ(UserSettings().verifyWrites(), chosen);

        WhenShown<TfrmCompare> script(rig.window, "frmCompare", [](TfrmCompare &) {});
        test::part<QPushButton>(rig.window, "btnWrite")->click();
        EXPECT_EQ(script.shown(), chosen);
        if (chosen) {
            EXPECT_EQ(rig.notifier.errors.size(), 1);
            EXPECT_TRUE(rig.notifier.informations.isEmpty());
        } else {
            EXPECT_TRUE(rig.notifier.errors.isEmpty());
            EXPECT_EQ(rig.notifier.informations, QStringList({"Конфигурация записана успешно"}));
            EXPECT_EQ(rig.sim->finish().size(), 858);
        }
    }
}

// A read and a write are recorded; each opens back into a fresh window as
// the configuration that was read or written, and the objects window opens
// and compares them.
TEST(Objects, KeepsReadsAndWritesThatOpenBackAsTheyWere)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    editOnEveryPage(rig);
    test::trigger(rig.window, "actWrite");
    ASSERT_EQ(rig.notifier.errors, QStringList());
    const QStringList written = writeListOf(rig);

    Rig reader;
    reader.setPort(rig.sim->path());
    test::trigger(reader.window, "actRead");
    ASSERT_EQ(reader.notifier.errors, QStringList());
    const QStringList read = writeListOf(reader);
    EXPECT_EQ(read, written);

    const QList<CatalogEntry> writes = historyOf(rig);
    const QList<CatalogEntry> reads = historyOf(reader);
    ASSERT_EQ(writes.size(), 1);
    ASSERT_EQ(reads.size(), 1);
    EXPECT_EQ(writes[0].operation, Operation::Written);
    EXPECT_EQ(reads[0].operation, Operation::Read);
    EXPECT_EQ(reads[0].port, rig.sim->path()); // as typed: "/dev/pts/N"
    EXPECT_EQ(firstObject(reads[0]), QStringLiteral("12AB"));
    QStringList data, commands;
    const auto bytesOf = [](Rig &owner, const QString &hash) {
        return test::onStore(owner.app, [&hash](CatalogStore &store) {
            return store.configuration(hash).value_or(QByteArray());
        });
    };
    ASSERT_TRUE(ReadConfigurationBytes(bytesOf(rig, writes[0].hash), data, commands));
    EXPECT_EQ(data + commands, written); // the write list as it was sent
    ASSERT_TRUE(ReadConfigurationBytes(bytesOf(reader, reads[0].hash), data, commands));
    EXPECT_EQ(data + commands, written); // what the device answered, as write requests
    // The title names the object the read belongs to.
    EXPECT_TRUE(reader.window.windowTitle().contains(QStringLiteral("объект 12AB")))
        << qPrintable(reader.window.windowTitle());

    // Through the objects window: open the read into a fresh window...
    Rig fresh;
    fresh.app.setCatalog(reader.app.objects().place().path, QString());
    WhenShown<TfrmObjects> open(fresh.window, "frmObjects", [](TfrmObjects &dialog) {
        ASSERT_TRUE(test::waitFor([&dialog] { return !dialog.busy(); }));
        ASSERT_EQ(dialog.objects().size(), 1);
        dialog.selectObject(0);
        ASSERT_TRUE(test::waitFor([&dialog] { return !dialog.busy(); }));
        ASSERT_EQ(dialog.timeline().size(), 1);
        dialog.selectEntry(0);
        test::part<QPushButton>(dialog, "btnEntryOpen")->click();
        ASSERT_TRUE(test::waitFor([&dialog] { return !dialog.isVisible(); }));
        EXPECT_FALSE(dialog.isVisible()); // opened: the objects window closes
    });
    test::part<QAction>(fresh.window, "pumObjects")->trigger();
    ASSERT_TRUE(open.shown());
    EXPECT_EQ(fresh.notifier.errors, QStringList());
    EXPECT_EQ(writeListOf(fresh), written);

    // ...then change it and compare it with the entry.
    fresh.config().setSlider(QStringLiteral("trbSesansLength"), 4);
    bool compared = false;
    WhenShown<TfrmObjects> compare(fresh.window, "frmObjects", [&](TfrmObjects &dialog) {
        WhenShown<TfrmCompare> comparison(fresh.window, "frmCompare", [&](TfrmCompare &window) {
            compared = true;
            EXPECT_EQ(rowsOf(window), QList<QStringList>({{"Ограничение длительности сеанса связи",
                                                           "4 м", "9 м"}}));
            EXPECT_EQ(test::part<QTreeWidget>(window, "tvDifferences")->headerItem()->text(2),
                      QStringLiteral("В базе объектов"));
            EXPECT_TRUE(test::part<QLabel>(window, "lblHeading")
                            ->text()
                            .contains(QStringLiteral("Чтение")));
        });
        ASSERT_TRUE(test::waitFor([&dialog] { return !dialog.busy(); }));
        dialog.selectEntry(0);
        test::part<QPushButton>(dialog, "btnEntryCompare")->click();
        ASSERT_TRUE(test::waitFor([&compared] { return compared; }));
        EXPECT_TRUE(dialog.isVisible()); // compared: the objects window stays
    });
    test::trigger(fresh.window, "pumObjects");
    EXPECT_TRUE(compare.shown());
    EXPECT_TRUE(compared);
}

// A catalogue that cannot be written is reported once a run; the reads
// themselves succeed.
TEST(Objects, UnwritableCatalogueWarnsOnceAndTheReadStillSucceeds)
{
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    QFile blocker(rig.userFolder.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    rig.app.setCatalog(rig.userFolder.filePath(QStringLiteral("blocker/catalog.sqlite")),
                       QString());
    test::trigger(rig.window, "actRead");
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    const QString warning =
        QStringLiteral("Невозможно записать конфигурацию в базу объектов \"%1\": папка "
                       "недоступна для записи. Операции с коммуникатором выполняются как обычно")
            .arg(rig.app.objects().place().path);
    EXPECT_EQ(rig.notifier.errors, QStringList({warning}));
    EXPECT_EQ(rig.notifier.informations,
              QStringList(2, QStringLiteral("Конфигурация прочитана успешно")));
}
