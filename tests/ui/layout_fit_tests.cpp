// Nothing of the windows is clipped, in the program's 8-point face and in the
// faces a desktop gives (DejaVu Sans at 8, 11 and 14 points, as qt6ct or a
// desktop's font setting sets them), also when the desktop scales: the suite
// runs this file again with QT_SCALE_FACTOR at 1.25, 1.5 and 2 and with
// QT_FONT_DPI=144 (tests/ui/CMakeLists.txt). With SR5N_LAYOUT_PICTURES set
// to a folder, every window checked is saved there as a PNG to look at.
#include "DialogsInUse.h"
#include "app/Configurator.h"
#include "catalog/CatalogStore.h"
#include "common/QtPrinters.h"
#include "common/WindowParts.h"
#include "components/DesignScale.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "config/ConfigurationCopy.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/BarButton.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/catalog/TfrmCatalogSettings.h"
#include "ui/catalog/TfrmEditConflict.h"
#include "ui/catalog/TfrmObjects.h"
#include "ui/config/TfrmCompare.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"
#include "ui/services/TfrmTestScheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

QString plain(QString text)
{
    return text.remove(u'&');
}

// Whether `w` lies within a scrolled area (its parts may lie outside the view).
bool insideScrollArea(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QScrollArea *>(p))
            return true;
    return false;
}

// Controls of `window`, shown now, whose text does not fit them, or which
// stand out of the control that holds them (and are cut by its edge).
QStringList clippedIn(QWidget &window)
{
    QStringList clipped;
    const auto note = [&clipped](const QWidget *w, const QString &text) {
        clipped << QStringLiteral("%1 \"%2\" (%3) %4x%5")
                       .arg(w->objectName(), text, QLatin1String(w->metaObject()->className()))
                       .arg(w->width())
                       .arg(w->height());
    };
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            text = label->text();
            if (text.isEmpty())
                continue;
            const QRect room = label->contentsRect();
            bool fits = label->height() >= label->minimumSizeHint().height();
            if (label->wordWrap())
                fits = fits && label->heightForWidth(label->width()) <= label->height();
            else if (label->textFormat() != Qt::RichText && !Qt::mightBeRichText(text))
                for (const QString &line : text.split(u'\n'))
                    fits =
                        fits && label->fontMetrics().horizontalAdvance(plain(line)) <= room.width();
            else
                fits = fits && label->width() >= label->minimumSizeHint().width();
            if (!fits)
                note(label, text);
        } else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            const auto *button = static_cast<QAbstractButton *>(w);
            text = button->text();
            if (!text.isEmpty() && button->width() < button->sizeHint().width())
                note(button, text);
        } else if (auto *push = qobject_cast<QPushButton *>(w)) {
            // The bar buttons narrow a caption that would not fit; others must fit.
            text = push->text();
            const int advance = push->fontMetrics().horizontalAdvance(plain(text));
            const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
            const int room = dynamic_cast<BarButton *>(push) ? push->width() - 28 : push->width();
            const int narrowest =
                dynamic_cast<BarButton *>(push) ? advance / 2 : advance + icon + 6;
            if (room < narrowest || push->height() < push->fontMetrics().height())
                note(push, text);
        } else if (auto *tool = qobject_cast<QToolButton *>(w)) {
            text = tool->text();
            if (tool->toolButtonStyle() != Qt::ToolButtonIconOnly &&
                tool->width() < tool->sizeHint().width())
                note(tool, text);
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            text = group->title();
            if (group->contentsRect().width() < group->fontMetrics().horizontalAdvance(text))
                note(group, text);
        } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                if (bar->tabRect(i).width() <
                    bar->fontMetrics().horizontalAdvance(plain(bar->tabText(i))) + 8)
                    note(bar, bar->tabText(i));
        } else if (auto *pages = qobject_cast<PageControl *>(w)) {
            const QFontMetrics metrics = pages->tabStrip()->fontMetrics();
            for (int i = 0; i < pages->count(); ++i) {
                const QRect tab = pages->tabRect(i);
                if (tab.width() < metrics.horizontalAdvance(pages->tabText(i)) + 8 ||
                    tab.height() < metrics.height() || !pages->tabStrip()->rect().contains(tab))
                    note(pages, pages->tabText(i));
            }
        } else if (auto *grid = qobject_cast<TMultiGrid *>(w)) {
            const QFontMetrics metrics = grid->fontMetrics();
            for (int c = 0; c < grid->ColCount(); ++c)
                for (int r = 0; r < grid->RowCount(); ++r) {
                    const TMultiCell *cell = grid->Cells(c, r);
                    if (cell->CellType() != mctCheck &&
                        metrics.horizontalAdvance(cell->Text()) > grid->ColWidths(c))
                        note(grid, cell->Text());
                }
            continue;
        } else {
            continue;
        }
        // Cut by the edge of what holds it.
        const QWidget *holder = w->parentWidget();
        if (holder && !insideScrollArea(w) && !w->isWindow() &&
            !holder->rect().contains(w->geometry()))
            note(w, text + QStringLiteral(" — за краем ") + holder->objectName());
    }
    return clipped;
}

// A face a desktop may give the program.
struct Face {
    const char *name;
    const char *family; // null: the program's own face
    int points;
};

QFont fontOf(const Face &face)
{
    if (!face.family)
        return ConfiguratorApplication::programFont();
    QFont font(QString::fromLatin1(face.family));
    font.setPointSize(face.points);
    return font;
}

void PrintTo(const Face &face, std::ostream *out)
{
    *out << face.name;
}

// Saves a picture of `window` when the run was asked for pictures.
void picture(QWidget &window, const QString &name)
{
    const QString folder = qEnvironmentVariable("SR5N_LAYOUT_PICTURES");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

class LayoutFit : public ::testing::TestWithParam<Face>
{
protected:
    void SetUp() override
    {
        m_font = QApplication::font();
        QApplication::setFont(fontOf(GetParam()));
    }
    void TearDown() override { QApplication::setFont(m_font); }

    QString name(const QString &window) const
    {
        return window + u'-' + QString::fromLatin1(GetParam().name);
    }

    // Every page of `window`, each checked and pictured.
    void checkPages(TfrmMain &window, const QString &prefix)
    {
        auto *pages = test::part<PageControl>(window, "pgcPages");
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_EQ(clippedIn(window), QStringList()) << pages->tabText(i).toStdString();
            picture(window, name(prefix + QString::number(i + 1)));
        }
    }

private:
    QFont m_font;
};

} // namespace

TEST_P(LayoutFit, EveryPageOfTheMainWindowShowsItsTextsWhole)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    if (scale > 0) { // the run is the scaled one indeed
        EXPECT_DOUBLE_EQ(window.devicePixelRatioF(), scale);
    }
    if (!GetParam().family) // the layout the window is designed for
        EXPECT_EQ(window.size(), QSize(737, 526));
    else // grown with the face, never shrunk
        EXPECT_GE(window.width(), Scaled(&window, 737));
    checkPages(window, QStringLiteral("main-page"));
}

// The desktop's face arrives once the window is up (qt6ct sets it when the
// program's event loop starts): the window grows with it.
TEST_P(LayoutFit, TheMainWindowGrowsWithAFaceSetWhileItIsShown)
{
    const QFont given = QApplication::font();
    QApplication::setFont(ConfiguratorApplication::programFont());
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setFont(given);
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(Scaled(&window, 737), Scaled(&window, 526)));
    if (GetParam().family && GetParam().points > 8) {
        EXPECT_GT(window.width(), 737);
    }
    checkPages(window, QStringLiteral("main-later-page"));
}

TEST_P(LayoutFit, TheDialogsShowTheirTextsWhole)
{
    QTemporaryDir folder;
    Configurator app{QCoreApplication::applicationDirPath()};
    app.setCatalog(folder.filePath(QStringLiteral("catalog.sqlite")), QString());
    Windows windows{app};
    test::PrepareDialogs(windows, app.protocols().ProtocolNames());
    QWidget *const dialogs[] = {&windows.about(), &windows.extEvZones(), &windows.prefixMask(),
                                &windows.saveNewProtocol(), &windows.testScheme()};
    for (QWidget *dialog : dialogs) {
        dialog->show();
        // The diagnostics as they start, without asking a device.
        windows.testScheme().tmrTest->stop();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_EQ(clippedIn(*dialog), QStringList()) << dialog->objectName().toStdString();
        picture(*dialog, name(dialog->objectName()));
        dialog->hide();
    }

    // The progress of a search, at "100%", the widest percentage, with the
    // port it asks: the title shown whole under the bar too.
    TfrmProgress &progress = windows.progress();
    progress.Mode = TfrmProgress::ModeSearch;
    progress.setMaximum(4);
    progress.showProgress();
    progress.setStage(QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJP-if00 "
                                     "(2 из 4)"));
    for (int i = 0; i < 4; ++i)
        progress.Step();
    QApplication::processEvents();
    EXPECT_EQ(clippedIn(progress), QStringList());
    EXPECT_EQ(progress.lblStage->text(), progress.windowTitle());
    EXPECT_FALSE(progress.windowTitle().startsWith(u' '));
    picture(progress, name(QStringLiteral("progress")));
    progress.closeProgress();

    // The comparison with differences listed.
    ConfigurationCopy other(app.blockContext());
    other.context().model.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    other.context().model.setSlider(QStringLiteral("trb2PCallsTrialCount"), 7);
    TfrmCompare compare(app.config(), app.eventTables(), app.notifier(), &windows.main());
    QTimer::singleShot(0, &compare, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&compare));
        EXPECT_EQ(clippedIn(compare), QStringList());
        picture(compare, name(QStringLiteral("compare")));
        compare.accept();
    });
    compare.compare(ConfigSide{other.model(), other.tables()},
                    QStringLiteral("Конфигурация в окне и в коммуникаторе (порт /dev/ttyUSB0)"),
                    QStringLiteral("В коммуникаторе"));

    // The objects window, with an object in it.
    ASSERT_TRUE(windows.main().saveConfiguration(folder.filePath(QStringLiteral("a.snc"))));
    auto *objects = test::part<TfrmObjects>(windows.main(), "frmObjects");
    objects->refresh();
    objects->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(objects));
    objects->selectObject(0);
    QApplication::processEvents();
    EXPECT_EQ(clippedIn(*objects), QStringList());
    picture(*objects, name(QStringLiteral("objects")));
    objects->hide();

    TfrmCatalogSettings settings(
        QStringLiteral("postgresql://engineer@catalog.example:5432/objects"),
        folder.filePath(QStringLiteral("catalog.sqlite")),
        QStringLiteral("Общий каталог catalog.example: нет связи, ждут отправки записей: 2"),
        app.notifier(), &windows.main());
    settings.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
    EXPECT_EQ(clippedIn(settings), QStringList());
    picture(settings, name(QStringLiteral("catalog-settings")));

    CatalogObject mine;
    mine.codes = QStringLiteral("0412 0413");
    mine.name = QStringLiteral("Склад «Север»");
    mine.address = QStringLiteral("Промзона, корпус 3");
    CatalogObject theirs = mine;
    theirs.address = QStringLiteral("Промзона, корпус 3, въезд с ул. Заводской");
    theirs.editedBy = QStringLiteral("petrov");
    TfrmEditConflict conflict(mine, theirs, &windows.main());
    conflict.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&conflict));
    EXPECT_EQ(clippedIn(conflict), QStringList());
    picture(conflict, name(QStringLiteral("edit-conflict")));
}

INSTANTIATE_TEST_SUITE_P(
    Faces, LayoutFit,
    ::testing::Values(Face{"program8", nullptr, 8}, Face{"dejavu8", "DejaVu Sans", 8},
                      Face{"dejavu11", "DejaVu Sans", 11}, Face{"dejavu14", "DejaVu Sans", 14}),
    [](const ::testing::TestParamInfo<Face> &face) { return std::string(face.param.name); });
