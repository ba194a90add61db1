#include "common/DateTimeText.h"

#include <gtest/gtest.h>

using namespace sr5n;

namespace {
const QLocale kRussian(QLocale::Russian, QLocale::Russia);
}

TEST(DateTimeText, ClassicFormatsUseTheLocaleSeparatorsAndMinuteLetters)
{
    const QDateTime moment(QDate(2026, 3, 7), QTime(9, 5, 4));
    EXPECT_EQ(DateTimeText::format(moment, QString(), dtkDate, kRussian), "07.03.2026");
    EXPECT_EQ(DateTimeText::format(moment, QString(), dtkTime, kRussian), "9:05:04");
    EXPECT_EQ(DateTimeText::format(moment, QStringLiteral("hh:mm"), dtkTime, kRussian), QStringLiteral("09:05"));
    EXPECT_EQ(DateTimeText::format(moment, QStringLiteral("yyyy-mm-dd 'at' h:nn"), dtkDate, kRussian),
              QStringLiteral("2026-03-07 at 9:05"));
}

TEST(DateTimeText, ReadsDatesAndTimesByTheLocaleRules)
{
    const struct {
        const char *text;
        TDateTimeKind kind;
        QDateTime expected; // invalid: does not read
    } cases[] = {
        {"25.12.2026", dtkDate, QDateTime(QDate(2026, 12, 25), QTime(0, 0))},
        {" 1.2.99 ", dtkDate, QDateTime(QDate(1999, 2, 1), QTime(0, 0))},
        {"31.02.2026", dtkDate, {}},
        {"25/12", dtkDate, QDateTime(QDate(QDate::currentDate().year(), 12, 25), QTime(0, 0))},
        {"abc", dtkDate, {}},
        {"", dtkDate, {}},
        {"7:05", dtkTime, QDateTime(QDate(1899, 12, 30), QTime(7, 5))},
        {"23:59:58", dtkTime, QDateTime(QDate(1899, 12, 30), QTime(23, 59, 58))},
        {"1:30 pm", dtkTime, QDateTime(QDate(1899, 12, 30), QTime(13, 30))},
        {"25:00", dtkTime, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const auto read = DateTimeText::read(QString::fromLatin1(c.text), c.kind, kRussian);
        if (!c.expected.isValid()) {
            EXPECT_FALSE(read.has_value());
            continue;
        }
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, c.expected);
    }
}
