// The windows under a dark palette, as a dark desktop theme gives: the event
// log's rows keep their fixed light colours and the blue headings stay blue,
// and all their texts read (contrast to the background at least 4.5:1, the
// common accessibility threshold), measured on pictures of the windows.
#include "DialogsInUse.h"
#include "app/Configurator.h"
#include "common/Pictures.h"
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
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

const QColor kSent(210, 255, 210);
const QColor kNotSent(255, 150, 150);
const QColor kPartlySent(255, 255, 150);

// Every shown label with a text in `window` reads on its background.
void expectReadableLabels(QWidget &window, const char *picture)
{
    test::KeepPicture(window.grab().toImage(), QString::fromUtf8(picture));
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().trimmed().isEmpty())
            continue;
        const QImage image = label->grab().toImage();
        EXPECT_GE(test::TextContrast(image, image.rect()), ReadableContrast)
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
        m_look =
            std::make_unique<test::ApplicationLook>([](const QStyle &) { return DarkPalette(); });
    }
    void TearDown() override { m_look.reset(); }

private:
    std::unique_ptr<test::ApplicationLook> m_look;
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
    LogsPage *logs =
        test::ShowLog(window, test::ThreeRecords(app.logExternalEvents(),
                                                 {{{true, true}, {false, true}, {false, false}}}));
    // The palette's own text would not read on these colours.
    const QColor paletteText = QApplication::palette().color(QPalette::Text);
    for (const QColor &fixed : {kSent, kNotSent, kPartlySent})
        ASSERT_LT(ContrastRatio(paletteText, fixed), ReadableContrast);

    TMultiGrid *grid = logs->mgdLog;
    const QImage image = grid->viewport()->grab().toImage();
    test::KeepPicture(window.grab().toImage(), "dark-logs-page.png");
    const QColor rowColours[] = {kSent, kPartlySent, kNotSent};
    for (int row = 1; row <= 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect cell = grid->CellRect(col, row);
            ASSERT_FALSE(cell.isEmpty());
            EXPECT_EQ(test::MostCommonColour(image, cell), rowColours[row - 1])
                << row << "," << col;
            EXPECT_GE(test::TextContrast(image, cell), ReadableContrast) << row << "," << col;
        }
    }
    // The headers and the legend read too.
    for (int col = 0; col < 5; ++col)
        EXPECT_GE(test::TextContrast(image, grid->CellRect(col, 0)), ReadableContrast) << col;
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
