// The windows under a dark palette, as a dark desktop theme gives: the event
// log's rows keep their fixed light colours and the blue headings stay blue,
// and all their texts read (contrast to the background at least 4.5:1, the
// common accessibility threshold), measured on pictures of the windows.
#include "DialogsInUse.h"
#include "app/Configurator.h"
#include "common/WindowParts.h"
#include "components/ReadableColors.h"
#include "components/TMultiGrid.h"
#include "events/EventLogDecoder.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/events/LogsPage.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

const QColor kSent(210, 255, 210);
const QColor kNotSent(255, 150, 150);
const QColor kPartlySent(255, 255, 150);

// Saves a picture when SR5N_SCREENSHOT_DIR names a folder, to look at.
void keep(const QImage &image, const char *name)
{
    const QString folder = qEnvironmentVariable("SR5N_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(QLatin1String(name)));
}

// The colour most pixels of `area` have: the background.
QColor background(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int count = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (it.value() > count) {
            most = it.key();
            count = it.value();
        }
    return QColor::fromRgb(most);
}

// The contrast of the text of `area` to its background: of the pixel that
// stands out most (the core of the letters; edges are blended).
double textContrast(const QImage &image, const QRect &area)
{
    const QColor back = background(image, area);
    double best = 1.0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, ContrastRatio(image.pixelColor(x, y), back));
    return best;
}

// Three records: transmitted to both pairs, to pair 2 only, to none.
DecodedEventLog threeRecords(const QStringList &names)
{
    DecodedEventLog log;
    const bool sent[][2] = {{true, true}, {false, true}, {false, false}};
    for (int i = 0; i < 3; ++i) {
        EventLogRow row;
        row.name = names.value(i);
        row.zone = QString::number(i + 1);
        row.sentToPair1 = sent[i][0];
        row.sentToPair2 = sent[i][1];
        row.number = 3 - i;
        log.rows.append(row);
    }
    return log;
}

// Every shown label with a text in `window` reads on its background.
void expectReadableLabels(QWidget &window, const char *picture)
{
    keep(window.grab().toImage(), picture);
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().trimmed().isEmpty())
            continue;
        const QImage image = label->grab().toImage();
        EXPECT_GE(textContrast(image, image.rect()), ReadableContrast)
            << picture << ": " << label->text().toStdString();
    }
}

// The headings' colour: pure blue on a light palette, a readable blue on a dark one.
QColor headingColour(const QLabel &label)
{
    return label.palette().color(QPalette::WindowText);
}

class DarkPaletteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkPalette());
    }
    void TearDown() override
    {
        QApplication::setPalette(m_palette);
        QApplication::setStyle(QStyleFactory::create(m_style));
    }

private:
    QString m_style;
    QPalette m_palette;
};

} // namespace

TEST(LightPalette, HeadingsArePureBlue)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    const QColor blue(0, 0, 255);
    EXPECT_EQ(headingColour(*test::part<QLabel>(windows.about(), "lblHeading")), blue);
    EXPECT_EQ(headingColour(*windows.extEvZones().lblTitle), blue);
    EXPECT_EQ(headingColour(*test::part<QLabel>(windows.prefixMask(), "lblTitle")), blue);
    EXPECT_EQ(headingColour(*windows.saveNewProtocol().lblMsg), blue);
}

TEST_F(DarkPaletteTest, LogRowsReadOnTheirFixedColours)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *logs = test::part<LogsPage>(window, "tshLogs");
    test::part<PageControl>(window, "pgcPages")->setCurrentPage(logs);
    logs->showLog(threeRecords(app.logExternalEvents()));
    // The palette's own text would not read on these colours.
    const QColor paletteText = QApplication::palette().color(QPalette::Text);
    for (const QColor &fixed : {kSent, kNotSent, kPartlySent})
        ASSERT_LT(ContrastRatio(paletteText, fixed), ReadableContrast);

    TMultiGrid *grid = logs->mgdLog;
    const QImage image = grid->viewport()->grab().toImage();
    keep(window.grab().toImage(), "dark-logs-page.png");
    const QColor rowColours[] = {kSent, kPartlySent, kNotSent};
    for (int row = 1; row <= 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect cell = grid->CellRect(col, row);
            ASSERT_FALSE(cell.isEmpty());
            EXPECT_EQ(background(image, cell), rowColours[row - 1]) << row << "," << col;
            EXPECT_GE(textContrast(image, cell), ReadableContrast) << row << "," << col;
        }
    }
    // The headers and the legend read too.
    for (int col = 0; col < 5; ++col)
        EXPECT_GE(textContrast(image, grid->CellRect(col, 0)), ReadableContrast) << col;
    expectReadableLabels(*logs, "dark-logs.png");
}

TEST_F(DarkPaletteTest, HeadingsAndTextsOfTheDialogsRead)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    test::PrepareDialogs(windows, app.protocols().ProtocolNames());
    const struct {
        QWidget *window;
        QLabel *heading;
        const char *picture;
    } dialogs[] = {
        {&windows.about(), test::part<QLabel>(windows.about(), "lblHeading"), "dark-about.png"},
        {&windows.extEvZones(), windows.extEvZones().lblTitle, "dark-zones.png"},
        {&windows.prefixMask(), test::part<QLabel>(windows.prefixMask(), "lblTitle"),
         "dark-prefix-mask.png"},
        {&windows.saveNewProtocol(), windows.saveNewProtocol().lblMsg,
         "dark-save-new-protocol.png"},
    };
    for (const auto &d : dialogs) {
        d.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.window));
        expectReadableLabels(*d.window, d.picture);
        // Still blue: more blue than red or green.
        const QColor blue = headingColour(*d.heading);
        EXPECT_GT(blue.blue(), blue.red()) << d.picture;
        EXPECT_GT(blue.blue(), blue.green()) << d.picture;
        d.window->hide();
    }
}
