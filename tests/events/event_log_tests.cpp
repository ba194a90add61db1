// Reading the event logs and erasing them from the main window, against sr5n-sim.
#include "app/Configurator.h"
#include "app/DeviceRunner.h"
#include "common/Checksum.h"
#include "common/FakeNotifier.h"
#include "common/HexText.h"
#include "common/PortMessages.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "components/TMultiGrid.h"
#include "events/EventLogs.h"
#include "link/TConnection.h"
#include "ui/PageControl.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/events/LogsPage.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace sr5n;

namespace {

using Records = std::map<int, QString>;

// The example log: newest record at 0004, one record not yet sent to pair 1.
const QString ExampleStatus = QStringLiteral("0004010000000000");
const Records ExampleRecords = {{0, "0305"}, {2, "0A12"}, {4, "0571"}};

QString frame(const QString &body)
{
    return u':' + body + Checksum(body) + u';';
}

struct LogRig {
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    TfrmProgress progress{&window};
    QTemporaryDir folder;
    std::unique_ptr<test::SimProcess> sim;

    // Both logs hold `records` (by memory address) and FF elsewhere.
    LogRig(const QString &status, const Records &records, const QStringList &faults = {})
    {
        app.setNotifier(notifier);
        window.setProgressWindow(&progress);
        QString memory(1024, u'F');
        for (const auto &[address, record] : records)
            memory.replace(address * 2, 4, record);
        QJsonObject state;
        state.insert(QStringLiteral("logStatus"), status);
        state.insert(QStringLiteral("memory"), QJsonObject{{QStringLiteral("0000"), memory}});
        const QString path = folder.filePath(QStringLiteral("state.json"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(state).toJson());
        file.close();
        sim = std::make_unique<test::SimProcess>(QStringList{QStringLiteral("--state"), path} +
                                                 faults);
        test::part<QComboBox>(window, "cbxComPort")->setEditText(sim->path());
        test::part<PageControl>(window, "pgcPages")
            ->setCurrentPage(test::part<LogsPage>(window, "tshLogs"));
    }

    LogsPage &page() { return *test::part<LogsPage>(window, "tshLogs"); }
    TMultiGrid &grid() { return *test::part<LogsPage>(window, "tshLogs")->mgdLog; }
    QString text(int col, int row) { return grid().Cells(col, row)->Text(); }

    void readTab(int tab)
    {
        page().tbcLogs->setCurrentIndex(tab);
        page().btnReadLog->click();
    }

    // "E10" names external event 10, "I1" internal event 1; other texts stand as they are.
    QString name(const QString &key)
    {
        bool ok = false;
        const int index = key.mid(1).toInt(&ok);
        if (ok && key.startsWith(u'E'))
            return app.logExternalEvents().value(index);
        if (ok && key.startsWith(u'I'))
            return app.logInternalEvents().value(index);
        return key;
    }

    // After every reading: the table and legend back, read-only, the link
    // closed and the main window enabled again.
    void expectFinished()
    {
        EXPECT_FALSE(grid().isHidden());
        EXPECT_FALSE(page().pnlLogLabel->isHidden());
        EXPECT_TRUE(grid().ReadOnly());
        for (int row = 1; row < grid().RowCount(); ++row)
            EXPECT_TRUE(grid().Cells(3, row)->ReadOnly()) << row;
        EXPECT_FALSE(app.connection().Opened());
        EXPECT_EQ(progress.Tag, 0);
        EXPECT_TRUE(window.isEnabled());
    }

    void expectEmptyTable()
    {
        ASSERT_EQ(grid().RowCount(), 2);
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(text(c, 1), QString()) << c;
            EXPECT_EQ(grid().Cells(c, 1)->CellType(), mctText) << c;
            EXPECT_EQ(grid().Cells(c, 1)->BackColor(),
                      window.palette().color(QPalette::Active, QPalette::Base))
                << c;
        }
    }
};

} // namespace

TEST(EventLogPage, TableLayout)
{
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    test::part<PageControl>(window, "pgcPages")
        ->setCurrentPage(test::part<LogsPage>(window, "tshLogs"));
    window.show();
    LogsPage &page = *test::part<LogsPage>(window, "tshLogs");
    EXPECT_EQ(test::part<LogsPage>(window, "tshLogs"), &page);
    EXPECT_EQ(page.objectName(), QStringLiteral("tshLogs"));
    ASSERT_EQ(page.tbcLogs->count(), 2);
    EXPECT_EQ(page.tbcLogs->tabText(0), QStringLiteral("Журнал событий с высоким приоритетом"));
    EXPECT_EQ(page.tbcLogs->tabText(1), QStringLiteral("Журнал событий с низким приоритетом"));
    EXPECT_EQ(page.btnReadLog->text(), QStringLiteral("Прочитать журнал"));
    EXPECT_EQ(page.btnReadLog->toolTip(), QStringLiteral("Прочитать журнал событий"));
    EXPECT_EQ(page.pnlLogLabel->text(), QStringLiteral("Передано:"));

    TMultiGrid &grid = *page.mgdLog;
    ASSERT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.FixedCols(), 0);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.RowHeights(0), 51);
    EXPECT_EQ(grid.DefaultRowHeight(), 24);
    EXPECT_TRUE(grid.ReadOnly());
    EXPECT_TRUE(grid.HideSelection());
    EXPECT_TRUE(grid.HideFocus());
    EXPECT_FALSE(grid.RangeSelect());
    const char *headers[] = {"№", "Принятое событие", "Зона", "Пара №1", "Пара №2"};
    const int widths[] = {32, 473, 60, 60, 60};
    for (int c = 0; c < 5; ++c) {
        const TMultiCell *header = grid.Cells(c, 0);
        EXPECT_EQ(header->Text(), QString::fromUtf8(headers[c]));
        EXPECT_EQ(grid.ColWidths(c), widths[c]);
        EXPECT_EQ(header->AlignmentH(), mahCenter);
        EXPECT_EQ(header->AlignmentV(), c >= 3 ? mavBottom : mavCenter) << c;
        EXPECT_EQ(header->IndentV(), c >= 3 ? 7 : 2) << c;
        EXPECT_EQ(header->IndentH(), 24);
    }
    // The legend lies over the header cells of the two pair columns.
    const QRect legend = page.pnlLogLabel->geometry().translated(-grid.viewport()->pos());
    int pairLeft = 0;
    for (int c = 0; c < 3; ++c)
        pairLeft += grid.ColWidths(c) + grid.GridLineWidth();
    EXPECT_EQ(legend.left(), pairLeft);
    EXPECT_EQ(legend.width(), 60 + grid.GridLineWidth() + 60);
    EXPECT_LT(legend.bottom(), 51);
}

TEST(EventLogReading, LowPriorityExample)
{
    LogRig rig(ExampleStatus, ExampleRecords);
    ASSERT_TRUE(rig.sim->started());
    rig.readTab(LogsPage::LowPriorityTab);
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << qPrintable(rig.notifier.errors.join('|'));
    rig.expectFinished();
    EXPECT_EQ(rig.progress.Mode, TfrmProgress::ModeLog);
    EXPECT_EQ(rig.progress.prbProgress->maximum(), 5);
    EXPECT_EQ(rig.progress.prbProgress->value(), 5);

    ASSERT_EQ(rig.grid().RowCount(), 4); // no empty row after the records
    const struct {
        const char *number;
        QString name;
        const char *zone;
        bool sent1;
        bool sent2;
    } rows[] = {
        {"3", rig.app.logInternalEvents().value(1), "0", false, true},
        {"2", rig.app.logExternalEvents().value(10), "12", true, true},
        {"1", rig.app.logExternalEvents().value(3), "5", true, true},
    };
    const QColor green(210, 255, 210), red(255, 150, 150), yellow(255, 255, 150);
    for (int r = 0; r < 3; ++r) {
        const int row = r + 1;
        EXPECT_EQ(rig.text(0, row), QString::fromUtf8(rows[r].number));
        EXPECT_FALSE(rows[r].name.isEmpty());
        EXPECT_EQ(rig.text(1, row), rows[r].name);
        EXPECT_EQ(rig.text(2, row), QString::fromUtf8(rows[r].zone));
        const bool sent[] = {rows[r].sent1, rows[r].sent2};
        for (int i = 0; i < 2; ++i) {
            const TMultiCell *check = rig.grid().Cells(3 + i, row);
            EXPECT_EQ(check->CellType(), mctCheck);
            EXPECT_EQ(check->Checked(), sent[i]) << row << i;
            EXPECT_EQ(check->BackColor(), sent[i] ? green : red) << row << i;
        }
        const QColor rest = rows[r].sent1 != rows[r].sent2 ? yellow : green;
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(rig.grid().Cells(c, row)->BackColor(), rest) << row << c;
    }

    const QStringList requests = rig.sim->finish();
    const QStringList expected = {frame("0F"),       frame("0100003C"), frame("01003C3C"),
                                  frame("0100783C"), frame("0100B43C"), frame("0100F010")};
    ASSERT_EQ(requests.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(requests[i].endsWith(expected[i])) << qPrintable(requests[i]);

    // What the reading looks like, for a person to judge.
    rig.window.show();
    QTest::qWait(50); // the page control settles its tab rows
    rig.window.grab().save(QStringLiteral("/tmp/sr5n-event-log.png"));
}

TEST(EventLogReading, LogsFromTheSimulator)
{
    Records full;
    for (int k = 0; k < 128; ++k)
        full[2 * k] = HexDigits(k % 60, 2) + QStringLiteral("%1").arg(k % 70, 2, 10, QChar(u'0'));
    const struct {
        const char *what;
        int tab;
        QString status;
        Records records;
        QStringList rows; // name key and zone of each row, top down
        int pair1Marks;   // rows ticked for pair 1
    } cases[] = {
        {"high-priority log",
         LogsPage::HighPriorityTab,
         "0000000001020001",
         {{0x100, "0770"}, {0x102, "0869"}},
         {"E8 69", "I0 0"},
         2},
        {"unknown event 3C05",
         LogsPage::LowPriorityTab,
         "0002000000000000",
         {{0, "0101"}, {2, "3C05"}},
         {"Неизвестное событие (код $3C05) -", "E1 1"},
         2},
        {"051A ends the walk",
         LogsPage::LowPriorityTab,
         "0004000000000000",
         {{0, "0102"}, {2, "051A"}, {4, "0203"}},
         {"E2 3"},
         1},
        {"c1 beyond the records",
         LogsPage::LowPriorityTab,
         "0004050000000000",
         {{0, "0100"}, {2, "0200"}, {4, "0300"}},
         {"E3 0", "E2 0", "E1 0"},
         0},
    };
    for (const auto &c : cases) {
        LogRig rig(c.status, c.records);
        ASSERT_TRUE(rig.sim->started());
        rig.readTab(c.tab);
        EXPECT_TRUE(rig.notifier.errors.isEmpty()) << c.what;
        rig.expectFinished();
        ASSERT_EQ(rig.grid().RowCount(), 1 + c.rows.size()) << c.what;
        int pair1Marks = 0;
        for (int r = 0; r < c.rows.size(); ++r) {
            const qsizetype space = c.rows[r].lastIndexOf(u' ');
            EXPECT_EQ(rig.text(1, r + 1), rig.name(c.rows[r].left(space))) << c.what << r;
            EXPECT_EQ(rig.text(2, r + 1), c.rows[r].mid(space + 1)) << c.what << r;
            EXPECT_EQ(rig.text(0, r + 1), QString::number(c.rows.size() - r)) << c.what << r;
            pair1Marks += rig.grid().Cells(3, r + 1)->Checked();
        }
        EXPECT_EQ(pair1Marks, c.pair1Marks) << c.what;
    }

    LogRig rig(QStringLiteral("0020000000000000"), full);
    ASSERT_TRUE(rig.sim->started());
    rig.readTab(LogsPage::LowPriorityTab);
    ASSERT_EQ(rig.grid().RowCount(), 1 + 127);
    EXPECT_EQ(rig.text(0, 1), QStringLiteral("127"));
    EXPECT_EQ(rig.text(0, 127), QStringLiteral("1"));
    // Top: the record at 0020 (event 16, zone 16); bottom: the one at 0024 (18, 18).
    EXPECT_EQ(rig.text(1, 1), rig.app.logExternalEvents().value(16));
    EXPECT_EQ(rig.text(2, 127), QStringLiteral("18"));
}

TEST(EventLogReading, LateAnswersNeverShowAWrongRecord)
{
    // 127 records, each piece of memory unlike the others.
    Records full;
    for (int k = 0; k < 128; ++k)
        full[2 * k] = HexDigits(k % 60, 2) + QStringLiteral("%1").arg(k % 70, 2, 10, QChar(u'0'));
    const QString status = QStringLiteral("0020000000000000");
    auto rowsOf = [](LogRig &rig) {
        QStringList rows;
        for (int row = 1; row < rig.grid().RowCount(); ++row)
            rows.append(rig.text(0, row) + u'|' + rig.text(1, row) + u'|' + rig.text(2, row));
        return rows;
    };
    LogRig clean(status, full);
    ASSERT_TRUE(clean.sim->started());
    clean.readTab(LogsPage::LowPriorityTab);
    const QStringList expected = rowsOf(clean);
    ASSERT_EQ(expected.size(), 127);

    // Request 1 is the status, 2 to 6 the five pieces.
    for (const char *late : {"1", "2", "4", "2-6"}) {
        LogRig rig(status, full, {QStringLiteral("--late"), QLatin1String(late)});
        ASSERT_TRUE(rig.sim->started());
        rig.readTab(LogsPage::LowPriorityTab);
        EXPECT_EQ(rig.notifier.errors, QStringList()) << late;
        EXPECT_EQ(rowsOf(rig), expected) << late;
        rig.expectFinished();
    }
}

TEST(EventLogReading, APieceFailingHalfWayShowsTheEarlierPieces)
{
    const struct {
        const char *what;
        bool cancel;
        QStringList errors;
    } cases[] = {
        {"silent device",
         false,
         {"Коммуникатор не отвечает.\nНеобходимо проверить:\n"
          "  - Соответствие версий ПО коммуникатора и конфигуратора;\n"
          "  - Правильность подключения коммуникатора к компьютеру;\n"
          "  - Целостность кабеля передачи данных"}},
        {"cancelled", true, {}},
    };
    for (const auto &c : cases) {
        // Request 1 is the status, 2 the first piece; nothing answers from 3 on.
        LogRig rig(ExampleStatus, ExampleRecords,
                   {QStringLiteral("--silent"), QStringLiteral("3-")});
        ASSERT_TRUE(rig.sim->started());
        rig.page().tbcLogs->setCurrentIndex(LogsPage::LowPriorityTab);
        if (c.cancel)
            QTimer::singleShot(600, &rig.progress, [&rig] { rig.progress.btnCancelClick(); });
        // Shown as far as it came, but not a log read: its reason is the last message.
        DeviceRunner runner(rig.app, &rig.progress);
        const Expected<void> read =
            runner.readLog(rig.window.portName(), EventLogArea::lowPriority(), rig.page());
        EXPECT_FALSE(read) << c.what;
        EXPECT_EQ(read.reason(), c.errors.value(0)) << c.what;
        EXPECT_EQ(rig.notifier.errors, c.errors) << c.what;
        rig.expectFinished();
        ASSERT_EQ(rig.grid().RowCount(), 4) << c.what;
        EXPECT_EQ(rig.text(1, 1), rig.app.logInternalEvents().value(1));
        EXPECT_EQ(rig.text(0, 3), QStringLiteral("1"));
        EXPECT_EQ(rig.progress.prbProgress->value(), 1) << c.what;
    }
}

TEST(EventLogReading, FailuresBeforeTheRecordsShowNothing)
{
    const struct {
        const char *what;
        QStringList faults;
        bool usePort;
        QStringList errors;
    } cases[] = {
        {"no such port", {}, false, {test::NoSuchPortMessage("/dev/sr5n-no-such-port")}},
        {"status too short", {"--answer-data", "0F=0004"}, true, {}},
        {"status without the high-priority half", {"--answer-data", "0F=00040100"}, true, {}},
        {"device memory fault on the status",
         {"--memory-fault", "1"},
         true,
         {"Неисправность памяти"}},
        {"piece of the wrong length",
         {"--answer-data", "01=0100FFFF"},
         true,
         {"Ошибка чтения журнала событий"}},
        // Answers that repeat another address belong to no request of the log.
        {"pieces answered for another address",
         {"--answer-data", "01=0000FFFF"},
         true,
         {"Ошибка передачи данных.\nНеобходимо проверить:\n"
          "  - Соответствие версий ПО коммуникатора и конфигуратора;\n"
          "  - Правильность подключения коммуникатора к компьютеру;\n"
          "  - Целостность кабеля передачи данных"}},
    };
    for (const auto &c : cases) {
        LogRig rig(ExampleStatus, ExampleRecords, c.faults);
        ASSERT_TRUE(rig.sim->started());
        if (!c.usePort)
            test::part<QComboBox>(rig.window, "cbxComPort")
                ->setEditText(QStringLiteral("/dev/sr5n-no-such-port"));
        // A log shown before is gone whatever happens next.
        DecodedEventLog shown;
        shown.rows.append(
            {QStringLiteral("0101"), QStringLiteral("x"), QStringLiteral("1"), true, false, 1});
        rig.page().showLog(shown);
        ASSERT_EQ(rig.grid().RowCount(), 2);
        ASSERT_EQ(rig.text(1, 1), QStringLiteral("x"));
        // The high-priority log's status is the second half of the answer.
        DeviceRunner runner(rig.app, &rig.progress);
        const Expected<void> read =
            runner.readLog(rig.window.portName(), EventLogArea::highPriority(), rig.page());
        EXPECT_FALSE(read) << c.what;
        EXPECT_EQ(read.reason(), c.errors.value(0)) << c.what;
        EXPECT_EQ(rig.notifier.errors, c.errors) << c.what;
        rig.expectFinished();
        rig.expectEmptyTable();
    }
}

TEST(EventLogReading, TableEmptiesOnTabChangeAndOnEnteringThePage)
{
    LogRig rig(ExampleStatus, ExampleRecords);
    ASSERT_TRUE(rig.sim->started());
    rig.readTab(LogsPage::LowPriorityTab);
    ASSERT_EQ(rig.grid().RowCount(), 4);

    rig.page().tbcLogs->setCurrentIndex(LogsPage::HighPriorityTab);
    rig.expectEmptyTable();

    rig.readTab(LogsPage::LowPriorityTab);
    ASSERT_EQ(rig.grid().RowCount(), 4);
    test::part<PageControl>(rig.window, "pgcPages")
        ->setCurrentPage(test::part<QWidget>(rig.window, "tsh1Pair"));
    EXPECT_EQ(rig.grid().RowCount(), 4); // other pages leave the table alone
    test::part<PageControl>(rig.window, "pgcPages")
        ->setCurrentPage(test::part<LogsPage>(rig.window, "tshLogs"));
    rig.expectEmptyTable();

    // Two readings, nothing more: neither change reads a log.
    EXPECT_EQ(rig.sim->finish().size(), 12);
}

TEST(EventLogErasing, AltF12AsksThenErasesBothLogs)
{
    const QString question = QStringLiteral("Очистить журналы событий коммуникатора?");
    const QString notice = QStringLiteral("Журналы событий коммуникатора очищены");
    const struct {
        const char *what;
        bool yes;
        QStringList faults;
        int requests;
        QStringList informations;
        QStringList errors;
        bool noPort = false;
    } cases[] = {
        {"yes", true, {}, 1, {notice}, {}},
        {"no", false, {}, 0, {}, {}},
        {"another command answered", true, {"--wrong-command", "1"}, 1, {notice}, {}},
        {"busy once", true, {"--busy", "1"}, 2, {notice}, {}},
        {"busy throughout",
         true,
         {"--busy", "1-7"},
         7,
         {},
         {"Журналы событий не очищены: коммуникатор занят"}},
        {"memory fault", true, {"--memory-fault", "1"}, 1, {}, {"Неисправность памяти"}},
        {"no such port",
         true,
         {},
         0,
         {},
         {test::NoSuchPortMessage("/dev/sr5n-no-such-port")},
         true},
    };
    for (const auto &c : cases) {
        LogRig rig(ExampleStatus, ExampleRecords, c.faults);
        ASSERT_TRUE(rig.sim->started());
        if (c.noPort)
            test::part<QComboBox>(rig.window, "cbxComPort")
                ->setEditText(QStringLiteral("/dev/sr5n-no-such-port"));
        rig.notifier.answers = {c.yes};
        QKeyEvent altF12(QEvent::KeyPress, Qt::Key_F12, Qt::AltModifier);
        QApplication::sendEvent(rig.page().btnReadLog, &altF12);

        ASSERT_EQ(rig.notifier.questions.size(), 1) << c.what;
        EXPECT_EQ(rig.notifier.questions[0].text, question);
        EXPECT_EQ(rig.notifier.questions[0].icon, Notifier::QuestionIcon::Question);
        EXPECT_TRUE(rig.notifier.questions[0].caption.isEmpty()); // the application title
        EXPECT_EQ(rig.notifier.informations, c.informations) << c.what;
        EXPECT_EQ(rig.notifier.errors, c.errors) << c.what;
        EXPECT_FALSE(rig.app.connection().Opened());
        EXPECT_EQ(rig.progress.Tag, 0);
        if (c.yes) {
            EXPECT_EQ(rig.progress.Mode, TfrmProgress::ModeWrite);
            EXPECT_EQ(rig.progress.lblPercent->text(), QStringLiteral("100%"));
        }
        const QStringList requests = rig.sim->finish();
        ASSERT_EQ(requests.size(), c.requests) << c.what;
        for (const QString &request : requests)
            EXPECT_TRUE(request.endsWith(QStringLiteral(":286A;"))) << qPrintable(request);
    }
}

TEST(EventLogErasing, TheNextReadingShowsTheErasedLog)
{
    LogRig rig(ExampleStatus, ExampleRecords);
    ASSERT_TRUE(rig.sim->started());
    rig.readTab(LogsPage::LowPriorityTab);
    ASSERT_EQ(rig.grid().RowCount(), 4);
    rig.notifier.answers = {true};
    test::trigger(rig.window, "actClearLogs");
    EXPECT_EQ(rig.grid().RowCount(), 4); // erasing leaves the table as it is
    rig.page().btnReadLog->click();
    rig.expectEmptyTable();
    EXPECT_TRUE(rig.notifier.errors.isEmpty()) << qPrintable(rig.notifier.errors.join('|'));
}
