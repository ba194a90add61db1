// Icons painted by code: each size painted when first asked for and only
// once, the other looks made from it, the same icon shared across the program.
#include "components/Icons.h"
#include "components/PaintedIconEngine.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>

namespace sr5n {
namespace {

int g_paints = 0;

void countingSquare(QPainter &p)
{
    ++g_paints;
    p.fillRect(QRectF(2, 2, 20, 20), QColor(0x1f, 0x5f, 0xb0));
}

bool blank(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

TEST(PaintedIcon, EachSizeIsPaintedWhenFirstAskedForAndOnlyOnce)
{
    g_paints = 0;
    const QIcon icon(new PaintedIconEngine("square", countingSquare));
    EXPECT_EQ(g_paints, 0) << "nothing painted before it is asked for";

    struct Ask {
        const char *what;
        std::function<QPixmap()> ask;
        QSize size;
        int paintsAfter;
    };
    const QIcon copy = icon;
    const Ask asks[] = {
        {"24 px", [&] { return icon.pixmap(24, 24); }, {24, 24}, 1},
        {"24 px again", [&] { return icon.pixmap(24, 24); }, {24, 24}, 1},
        {"16 px", [&] { return icon.pixmap(16, 16); }, {16, 16}, 2},
        {"24 px disabled", [&] { return icon.pixmap(24, 24, QIcon::Disabled); }, {24, 24}, 2},
        {"24 px active", [&] { return icon.pixmap(24, 24, QIcon::Active); }, {24, 24}, 2},
        {"16 px from a copy", [&] { return copy.pixmap(16, 16); }, {16, 16}, 2},
        {"a wide size, square", [&] { return icon.pixmap(QSize(40, 16)); }, {16, 16}, 2},
        {"painted into 32 px",
         [&] {
             QPixmap target(32, 32);
             target.fill(Qt::transparent);
             QPainter painter(&target);
             icon.paint(&painter, target.rect());
             return target;
         },
         {32, 32},
         3},
    };
    for (const Ask &ask : asks) {
        const QPixmap pixmap = ask.ask();
        EXPECT_EQ(pixmap.size(), ask.size) << ask.what;
        EXPECT_FALSE(blank(pixmap)) << ask.what;
        EXPECT_EQ(g_paints, ask.paintsAfter) << ask.what;
    }

    // The disabled look is the style's, made from the painted one.
    EXPECT_NE(icon.pixmap(24, 24, QIcon::Disabled).toImage(), icon.pixmap(24, 24).toImage());
    EXPECT_TRUE(icon.availableSizes().isEmpty()) << "any size can be had";
}

TEST(PaintedIcon, TheProgramsIconsAreOnePerKindAndPaintSomething)
{
    using Maker = QIcon (*)();
    const std::pair<const char *, Maker> icons[] = {
        {"application", Icons::application},
        {"makerLogo", Icons::makerLogo},
        {"open", Icons::open},
        {"save", Icons::save},
        {"read", Icons::read},
        {"write", Icons::write},
        {"log", Icons::log},
        {"exportHtml", Icons::exportHtml},
        {"diagnostics", Icons::diagnostics},
        {"help", Icons::help},
        {"about", Icons::about},
        {"connection", Icons::connection},
        {"service", Icons::service},
        {"findPort", Icons::findPort},
    };
    for (const auto &[name, make] : icons) {
        const QIcon first = make();
        EXPECT_EQ(first.cacheKey(), make().cacheKey()) << name << ": one icon per run";
        EXPECT_FALSE(first.isNull()) << name;
        for (int size : {16, 24, 256})
            EXPECT_FALSE(blank(first.pixmap(size, size))) << name << " at " << size;
    }
    EXPECT_NE(Icons::read().cacheKey(), Icons::write().cacheKey());
}

} // namespace
} // namespace sr5n
