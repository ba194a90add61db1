#include "services/DeviceClock.h"

#include <gtest/gtest.h>

using namespace sr5n;

TEST(DeviceClock, EncodesDecimalSecondsMinutesHours)
{
    EXPECT_EQ(EncodeCurrentTime(QTime(0, 0, 0)), QStringLiteral("000000"));
    EXPECT_EQ(EncodeCurrentTime(QTime(23, 59, 59)), QStringLiteral("595923"));
    EXPECT_EQ(EncodeCurrentTime(QTime(9, 5, 30, 999)), QStringLiteral("300509"));
}

TEST(DeviceClock, DecodesHexadecimalAnswers)
{
    const struct {
        const char *data;
        std::optional<QTime> time;
    } cases[] = {
        {"1E2D0C", QTime(12, 45, 30)},
        {"3B3B17", QTime(23, 59, 59)},
        {"3B3B17FF", QTime(23, 59, 59)}, // characters after the sixth are ignored
        {"303030", std::nullopt},        // 48 hours is no time of day
        {"3C0000", std::nullopt},        // 60 seconds
        {"1E2D0", std::nullopt},         // short
        {"", std::nullopt},
        {"1E2DXC", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecodeCurrentTime(QString::fromLatin1(c.data)), c.time) << c.data;
}
