#include "components/ReadableColors.h"

#include <gtest/gtest.h>

using namespace sr5n;

TEST(ReadableColors, ContrastRatioIsSymmetricFromOneToTwentyOne)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(QColor(120, 30, 200), QColor(120, 30, 200)), 1.0, 0.001);
    EXPECT_NEAR(ContrastRatio(QColor(0, 0, 255), Qt::white), 8.59, 0.01);
}

TEST(ReadableColors, AccentsAndTextsKeepTheirColourWhereTheyReadAndChangeWhereNot)
{
    const QColor blue(0, 0, 255);
    const QColor darkWindow = DarkPalette().color(QPalette::Window);
    const QColor lightYellow(255, 255, 150);
    const QColor lightRed(255, 150, 150);
    const QColor lightGreen(210, 255, 210);

    // Blue stays blue on light backgrounds, becomes a lighter blue on dark ones.
    EXPECT_EQ(ReadableOn(blue, Qt::white), blue);
    EXPECT_EQ(ReadableOn(blue, QColor(239, 239, 239)), blue);
    const QColor onDark = ReadableOn(blue, darkWindow);
    EXPECT_GE(ContrastRatio(onDark, darkWindow), ReadableContrast);
    EXPECT_GT(onDark.blue(), onDark.red());
    EXPECT_GT(onDark.blue(), onDark.green());

    // A dark palette's light text on the fixed light row colours turns black;
    // text that reads keeps its colour.
    for (const QColor &row : {lightYellow, lightRed, lightGreen}) {
        EXPECT_EQ(ReadableText(QColor(230, 230, 230), row), QColor(Qt::black));
        EXPECT_EQ(ReadableText(Qt::black, row), QColor(Qt::black));
        EXPECT_GE(ContrastRatio(ReadableOn(QColor(230, 230, 230), row), row), ReadableContrast);
    }
    EXPECT_EQ(ReadableText(Qt::black, darkWindow), QColor(Qt::white));
}
