#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/WindowParts.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "events/EventCodeTables.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"
#include "ui/events/ExternalCodesPage.h"
#include "ui/events/InternalCodesPage.h"
#include "ui/events/TfrmExtEvZones.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sr5n;

TEST(MainWindowCodes, TablesComeFromBesideTheExecutableWhateverTheCurrentFolder)
{
    QTemporaryDir elsewhere;
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    // A message box would stop the start-up; close and count any that shows.
    int boxes = 0;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&boxes] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            ++boxes;
            modal->close();
        }
    });
    watchdog.start(20);
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    watchdog.stop();
    QDir::setCurrent(home);
    EXPECT_EQ(boxes, 0);

    TfrmMain &main = windows.main();
    EXPECT_EQ(test::part<InternalCodesPage>(main, "tshEventsCodes"),
              test::part<InternalCodesPage>(main, "tshEventsCodes"));
    EXPECT_EQ(test::part<InternalCodesPage>(main, "tshEventsCodes")->objectName(),
              QStringLiteral("tshEventsCodes"));
    EXPECT_EQ(test::part<ExternalCodesPage>(main, "TabSheet2")->objectName(),
              QStringLiteral("TabSheet2"));

    const auto *separate =
        main.findChild<TMultiGrid *>(QStringLiteral("mgdSeparateInternalEvents"));
    const auto *common = main.findChild<TMultiGrid *>(QStringLiteral("mgdCommonInternalEvents"));
    const auto *external = main.findChild<TMultiGrid *>(QStringLiteral("mgdExternalEvents"));
    ASSERT_TRUE(separate && common && external);
    ASSERT_EQ(separate->RowCount(), 9);
    ASSERT_EQ(external->RowCount(), 61);
    const int numbers[] = {112, 115, 116, 117, 120, 121, 113, 114};
    for (int r = 1; r <= 8; ++r) {
        EXPECT_EQ(separate->Cells(0, r)->Text(), QString::number(r));
        EXPECT_FALSE(separate->Cells(1, r)->Text().isEmpty());
        EXPECT_EQ(separate->Cells(1, r)->Tag(), numbers[r - 1]);
    }
    EXPECT_EQ(common->Cells(0, 1)->Text(), QStringLiteral("9"));
    EXPECT_EQ(common->Cells(1, 1)->Tag(), -1);
    EXPECT_EQ(common->Cells(2, 1)->Text(), QStringLiteral("1304"));
    EXPECT_EQ(external->Cells(0, 60)->Text(), QStringLiteral("60"));
    EXPECT_FALSE(external->Cells(1, 60)->Text().isEmpty());
    // The zones dialog, created after the main window, is every code cell's dialog.
    for (int r = 1; r <= 60; ++r)
        for (int c : {2, 3})
            EXPECT_EQ(external->Cells(c, r)->DlgForm(), &windows.extEvZones()) << c << "," << r;
    EXPECT_EQ(app.eventTables().row(EventCodeTables::Table::External, 1).name,
              external->Cells(1, 1)->Text());
    EXPECT_EQ(EventCodeTables::testEventNumber(1), 118);
    EXPECT_EQ(EventCodeTables::testEventNumber(2), 119);
}

TEST(MainWindowCodes, PagesFitThePageAreaWhateverTheCommonListHolds)
{
    // The main window leaves its pages about 729 x 400 pixels.
    for (int commonRows : {1, 6}) {
        EventCodeTables tables;
        tables.setRowCount(EventCodeTables::Table::Common, commonRows);
        test::FakeNotifier notifier;
        InternalCodesPage internal(tables, notifier);
        EXPECT_LE(internal.sizeHint().width(), 729) << commonRows;
        EXPECT_LE(internal.sizeHint().height(), 400) << commonRows;
        EXPECT_EQ(internal.mgdCommonInternalEvents->RowCount(), commonRows + 1);
    }
    EventCodeTables tables;
    ExternalCodesPage external(tables);
    EXPECT_LE(external.minimumSizeHint().width(), 729);
    EXPECT_LE(external.minimumSizeHint().height(), 400);
}
