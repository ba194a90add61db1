// Controls a user acts on stand out from what surrounds them by at least 3:1
// (the common rule for non-text contrast), on the light and on the dark
// palette: the unticked boxes of the comparison's rows and of the log's
// coloured rows, the check boxes and radio buttons of the pages; disabled
// texts keep 3:1 too. Measured on pictures of the windows.
#include "app/Configurator.h"
#include "common/Pictures.h"
#include "common/WindowParts.h"
#include "components/ContrastStyle.h"
#include "components/ReadableColors.h"
#include "components/TMultiGrid.h"
#include "config/ConfigComparison.h"
#include "config/ConfigModel.h"
#include "events/EventCodeTables.h"
#include "events/EventLogDecoder.h"
#include "ui/PageControl.h"
#include "ui/TfrmMain.h"
#include "ui/config/TfrmCompare.h"
#include "ui/events/LogsPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace sr5n;

namespace {

bool differs(const QImage &image, int x, int y, const QColor &background)
{
    return image.pixel(x, y) != background.rgb();
}

// The box drawn first from the left in `area` (a check box before any
// caption): the columns of differing pixels that follow each other.
QRect firstShape(const QImage &image, const QRect &area, const QColor &background)
{
    int left = -1;
    int right = -1;
    int top = area.bottom() + 1;
    int bottom = area.top() - 1;
    for (int x = area.left(); x <= area.right(); ++x) {
        bool any = false;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (differs(image, x, y, background)) {
                any = true;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (any && left < 0)
            left = x;
        if (any)
            right = x;
        else if (left >= 0)
            break;
    }
    return left < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// How a box's edge stands out from the background around it: the weakest
// pixel of its outline (the corners left aside, which styles round off).
double edgeContrast(const QImage &image, const QRect &box, const QColor &background)
{
    double weakest = 21.0;
    auto take = [&](int x, int y) {
        weakest = std::min(weakest, ContrastRatio(image.pixelColor(x, y), background));
    };
    for (int x = box.left() + 1; x < box.right(); ++x) {
        take(x, box.top());
        take(x, box.bottom());
    }
    for (int y = box.top() + 1; y < box.bottom(); ++y) {
        take(box.left(), y);
        take(box.right(), y);
    }
    return weakest;
}

struct PaletteCase {
    const char *name;
    std::function<QPalette(const QStyle &)> palette;
};

void PrintTo(const PaletteCase &c, std::ostream *os)
{
    *os << c.name;
}

class ControlsOnPalettes : public ::testing::TestWithParam<PaletteCase>
{
protected:
    void SetUp() override
    {
        m_look = std::make_unique<test::ApplicationLook>(
            GetParam().palette, [](QStyle *fusion) { return new ContrastStyle(fusion); });
    }
    void TearDown() override { m_look.reset(); }
    QString picture(const char *what) const
    {
        return QStringLiteral("%1-%2.png").arg(QLatin1String(GetParam().name), QLatin1String(what));
    }

private:
    std::unique_ptr<test::ApplicationLook> m_look;
};

} // namespace

TEST_P(ControlsOnPalettes, UntickedBoxesOfTheComparisonStandOutFromTheirRows)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Configurator other{QCoreApplication::applicationDirPath()};
    other.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0345"));
    other.config().setText(QStringLiteral("edt1P2N"), QStringLiteral("8123"));
    other.eventTables().setSeparateCode(3, 2, QStringLiteral("ABCD"));
    other.eventTables().setSeparateCode(4, 1, QStringLiteral("0F0F"));
    TfrmCompare compare(app.config(), app.eventTables(), app.notifier(), nullptr);
    int measured = 0;
    QTimer::singleShot(0, &compare, [&] {
        auto *tree = test::part<QTreeWidget>(compare, "tvDifferences");
        const QImage image = tree->viewport()->grab().toImage();
        test::KeepPicture(compare.grab().toImage(), picture("compare"));
        // Rows of both row colours (the list alternates them), unticked.
        for (int p = 0; p < tree->topLevelItemCount(); ++p) {
            QTreeWidgetItem *page = tree->topLevelItem(p);
            for (int c = 0; c < page->childCount(); ++c) {
                const QRect row = tree->visualItemRect(page->child(c));
                const QColor background = test::MostCommonColour(image, row);
                const QRect box = firstShape(image, row, background);
                ASSERT_FALSE(box.isEmpty()) << p << "," << c;
                EXPECT_GE(edgeContrast(image, box, background), ControlContrast)
                    << "page " << p << ", row " << c << ", box " << box.x() << "," << box.y() << " "
                    << box.width() << "x" << box.height();
                ++measured;
            }
        }
        compare.accept();
    });
    compare.compare(ConfigSide{other.config(), other.eventTables()}, QStringLiteral("Сравнение"),
                    QStringLiteral("Другая"));
    EXPECT_GE(measured, 2);
}

TEST_P(ControlsOnPalettes, UntickedBoxesOfTheLogStandOutFromEveryRowColour)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    LogsPage *logs =
        test::ShowLog(window, test::ThreeRecords(app.logExternalEvents(),
                                                 {{{true, false}, {false, true}, {false, false}}}));
    TMultiGrid *grid = logs->mgdLog;
    const QImage image = grid->viewport()->grab().toImage();
    test::KeepPicture(window.grab().toImage(), picture("log"));
    // Row 1 is sent to pair 1 only, row 2 to pair 2 only, row 3 to none:
    // an unticked box on each of the three row colours.
    const struct {
        int col;
        int row;
    } unticked[] = {{4, 1}, {3, 2}, {3, 3}, {4, 3}};
    for (const auto &u : unticked) {
        const QRect cell = grid->CellRect(u.col, u.row).adjusted(1, 1, -2, -2);
        ASSERT_FALSE(grid->Cells(u.col, u.row)->Checked());
        const QColor background = test::MostCommonColour(image, cell);
        const QRect box = firstShape(image, cell, background);
        ASSERT_FALSE(box.isEmpty()) << u.col << "," << u.row;
        EXPECT_GE(edgeContrast(image, box, background), ControlContrast) << u.col << "," << u.row;
    }
}

TEST_P(ControlsOnPalettes, BoxesAndRoundButtonsOfThePagesStandOutAndDisabledTextsRead)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *pages = test::part<PageControl>(window, "pgcPages");
    int boxes = 0;
    int disabledTexts = 0;
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QApplication::processEvents();
        test::KeepPicture(window.grab().toImage(),
                          picture(qPrintable(QStringLiteral("page%1").arg(i + 1))));
        const auto buttons = pages->page(i)->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            const bool check = qobject_cast<QCheckBox *>(button) != nullptr;
            if (!button->isVisible() || !button->isEnabled() || button->isChecked() ||
                !(check || qobject_cast<QRadioButton *>(button)))
                continue;
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect indicator = button->style()->subElementRect(
                check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option,
                button);
            const QImage image = button->grab().toImage();
            const QColor background = button->palette().color(button->backgroundRole());
            // The strongest edge pixel of a round button, the weakest of a box.
            const QRect box = firstShape(image, indicator, background);
            ASSERT_FALSE(box.isEmpty()) << button->objectName().toStdString();
            const double contrast = check ? edgeContrast(image, box, background)
                                          : test::StrongestContrast(image, box, background);
            EXPECT_GE(contrast, ControlContrast) << button->objectName().toStdString();
            ++boxes;
        }
        // Disabled captions and the values of disabled fields.
        const auto texts = pages->page(i)->findChildren<QWidget *>();
        for (QWidget *text : texts) {
            auto *label = qobject_cast<QLabel *>(text);
            auto *field = qobject_cast<QLineEdit *>(text);
            const QString shown = label ? label->text() : field ? field->text() : QString();
            if (!text->isVisible() || text->isEnabled() || shown.trimmed().isEmpty() ||
                (label && !label->pixmap().isNull()))
                continue;
            const QImage image = text->grab().toImage();
            const QRect inside = field ? image.rect().adjusted(3, 3, -3, -3) : image.rect();
            EXPECT_GE(test::TextContrast(image, inside), ControlContrast)
                << text->objectName().toStdString() << " " << shown.toStdString();
            ++disabledTexts;
        }
    }
    EXPECT_GT(boxes, 0);
    EXPECT_GT(disabledTexts, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Palettes, ControlsOnPalettes,
    ::testing::Values(PaletteCase{"light",
                                  [](const QStyle &style) { return style.standardPalette(); }},
                      PaletteCase{"dark", [](const QStyle &) { return DarkPalette(); }}),
    [](const ::testing::TestParamInfo<PaletteCase> &param) {
        return std::string(param.param.name);
    });
