// What a screen reader finds in the windows: every control has a name and a
// role, the tab strip is a page tab list, the grids are tables of named cells.
#include "DialogsInUse.h"
#include "app/Configurator.h"
#include "common/QtPrinters.h"
#include "common/WindowParts.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// Roles of what a user operates; containers, texts and pictures are not controls.
bool isControl(const QAccessibleInterface &item)
{
    switch (item.role()) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::PageTab:
    case QAccessible::PageTabList:
    case QAccessible::Table:
    case QAccessible::Cell:
    case QAccessible::ColumnHeader:
    case QAccessible::RowHeader:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::ProgressBar:
        return true;
    default:
        break;
    }
    const auto *widget = qobject_cast<const QWidget *>(item.object());
    return widget && widget->focusPolicy() != Qt::NoFocus;
}

// The name a screen reader reads: the control's own, or its label's.
QString nameOf(QAccessibleInterface &item)
{
    QString name = item.text(QAccessible::Name);
    if (!name.isEmpty())
        return name;
    for (const auto &relation : item.relations(QAccessible::Labelled))
        if (relation.first)
            name += relation.first->text(QAccessible::Name);
    return name;
}

QString describe(QAccessibleInterface &item)
{
    const QObject *object = item.object();
    QString what = QStringLiteral("role %1").arg(int(item.role()));
    if (object)
        what += QStringLiteral(" %1 (%2)")
                    .arg(object->objectName(), QLatin1String(object->metaObject()->className()));
    else if (QAccessibleInterface *parent = item.parent(); parent && parent->object())
        what += QStringLiteral(" in %1").arg(parent->object()->objectName());
    return what;
}

// Every shown control under `item` without a name.
void collectUnnamed(QAccessibleInterface *item, QStringList &unnamed, int depth = 0)
{
    ASSERT_LT(depth, 50);
    if (!item || !item->isValid() || item->state().invisible)
        return;
    if (isControl(*item) && nameOf(*item).trimmed().isEmpty())
        unnamed << describe(*item);
    for (int i = 0; i < item->childCount(); ++i)
        collectUnnamed(item->child(i), unnamed, depth + 1);
}

QStringList unnamedIn(QWidget &window)
{
    QStringList unnamed;
    collectUnnamed(QAccessible::queryAccessibleInterface(&window), unnamed);
    unnamed.removeDuplicates();
    return unnamed;
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

TEST(Accessibility, EveryControlOfTheMainWindowHasANameOnEveryPage)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *pages = test::part<PageControl>(window, "pgcPages");
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        EXPECT_EQ(unnamedIn(window), QStringList()) << pages->tabText(i).toStdString();
    }
    // The walk does find a control without a name.
    auto *bare = new QCheckBox(pages->currentPage());
    bare->setObjectName(QStringLiteral("bare"));
    bare->show();
    EXPECT_EQ(unnamedIn(window), QStringList{QStringLiteral("role 44 bare (QCheckBox)")});
}

TEST(Accessibility, EveryControlOfTheDialogsHasAName)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    windows.progress().showProgress();
    EXPECT_EQ(unnamedIn(windows.progress()), QStringList());
    windows.progress().closeProgress();
    test::PrepareDialogs(windows, app.protocols().ProtocolNames());
    QWidget *const dialogs[] = {&windows.about(), &windows.extEvZones(), &windows.prefixMask(),
                                &windows.saveNewProtocol()};
    for (QWidget *dialog : dialogs) {
        dialog->show();
        EXPECT_EQ(unnamedIn(*dialog), QStringList()) << dialog->objectName().toStdString();
        dialog->hide();
    }
}

TEST(Accessibility, TheTabStripIsAPageTabListOfTheEightPages)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    auto *pages = test::part<PageControl>(window, "pgcPages");
    QAccessibleInterface *strip = accessible(pages->tabStrip());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->role(), QAccessible::PageTabList);
    ASSERT_EQ(strip->childCount(), 8);
    for (int i = 0; i < 8; ++i) {
        QAccessibleInterface *tab = strip->child(i);
        ASSERT_NE(tab, nullptr);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(tab->text(QAccessible::Name), pages->tabText(i));
        EXPECT_EQ(tab->state().selected, i == 0) << i;
        EXPECT_EQ(strip->indexOfChild(tab), i);
        EXPECT_EQ(tab->parent(), strip);
    }
    // Pressing a tab shows its page; the strip is named by the page shown.
    QAccessibleInterface *logs = strip->child(6);
    ASSERT_NE(logs->actionInterface(), nullptr);
    logs->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(pages->currentIndex(), 6);
    EXPECT_TRUE(logs->state().selected);
    EXPECT_EQ(strip->text(QAccessible::Name), QStringLiteral("Журналы событий"));
}

TEST(Accessibility, GridCellsAreNamedByTheirColumnAndRowAndTellTheirState)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    auto *separate = test::part<TMultiGrid>(window, "mgdSeparateInternalEvents");
    separate->Cells(2, 1)->SetText(QStringLiteral("3501"));
    QAccessibleInterface *table = accessible(separate);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name),
              QStringLiteral("Внутренние события с отдельным кодом для каждой пары"));
    ASSERT_NE(table->tableInterface(), nullptr);
    // The header row is no row of the table: 8 events, 8 rows.
    EXPECT_EQ(table->tableInterface()->rowCount(), separate->RowCount() - 1);
    EXPECT_EQ(table->tableInterface()->columnCount(), 4);

    QAccessibleInterface *code = table->tableInterface()->cellAt(0, 2);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->role(), QAccessible::Cell);
    const QString rowName = separate->Cells(0, 1)->Text() + u' ' + separate->Cells(1, 1)->Text();
    EXPECT_EQ(code->text(QAccessible::Name), QStringLiteral("Код для пары №1, ") + rowName);
    EXPECT_EQ(code->text(QAccessible::Value), QStringLiteral("3501"));
    // The code itself is the cell's text, which screen readers read.
    ASSERT_NE(code->textInterface(), nullptr);
    EXPECT_EQ(code->textInterface()->text(0, code->textInterface()->characterCount()),
              QStringLiteral("3501"));
    EXPECT_TRUE(code->state().editable);
    ASSERT_NE(code->tableCellInterface(), nullptr);
    EXPECT_EQ(code->tableCellInterface()->rowIndex(), 0);
    EXPECT_EQ(code->tableCellInterface()->columnIndex(), 2);

    // Its column header is the header row's cell, a child of the table but
    // in no row of it.
    const QList<QAccessibleInterface *> headers = code->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    QAccessibleInterface *header = headers.constFirst();
    EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(header->text(QAccessible::Name), QStringLiteral("Код для пары №1"));
    EXPECT_EQ(header->tableCellInterface(), nullptr);
    EXPECT_EQ(table->child(table->indexOfChild(header)), header);
    const QList<QAccessibleInterface *> rowHeaders = code->tableCellInterface()->rowHeaderCells();
    ASSERT_EQ(rowHeaders.size(), 2);
    EXPECT_EQ(rowHeaders.at(1)->role(), QAccessible::RowHeader);
    EXPECT_EQ(rowHeaders.at(1)->text(QAccessible::Name), separate->Cells(1, 1)->Text());
    EXPECT_EQ(table->indexOfChild(code), 1 * 4 + 2);
    EXPECT_EQ(table->child(1 * 4 + 2), code);

    // The in-place editor is named after its cell.
    test::part<PageControl>(window, "pgcPages")->setCurrentPage(separate->parentWidget());
    separate->setFocus();
    separate->FocusCell(2, 1);
    EXPECT_EQ(accessible(separate->textEditor())->text(QAccessible::Name),
              code->text(QAccessible::Name));

    // Mark cells are check boxes that say whether they are ticked and enabled.
    auto *external = test::part<TMultiGrid>(window, "mgdExternalEvents");
    QAccessibleInterface *marks = accessible(external);
    for (int row = 1; row <= 4; ++row)
        external->Cells(4, row)->SetChecked(true);
    QAccessibleInterface *ticked = marks->tableInterface()->cellAt(0, 4);
    QAccessibleInterface *blocked = marks->tableInterface()->cellAt(4, 4);
    EXPECT_EQ(ticked->role(), QAccessible::CheckBox);
    EXPECT_TRUE(ticked->state().checkable);
    EXPECT_TRUE(ticked->state().checked);
    EXPECT_FALSE(ticked->state().disabled);
    EXPECT_FALSE(blocked->state().checked);
    EXPECT_TRUE(blocked->state().disabled);
    EXPECT_TRUE(blocked->text(QAccessible::Name).startsWith(QStringLiteral("В/П, 5")));
}
