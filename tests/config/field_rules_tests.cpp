#include "common/FieldRules.h"

#include <gtest/gtest.h>

using namespace sr5n;

TEST(FieldRules, FilterKey)
{
    struct Case {
        char16_t key;
        bool phone;
        bool code;
    };
    const Case cases[] = {
        {u'0', true, true},   {u'9', true, true},   {u'b', true, true},   {u'B', true, true},
        {u'd', true, true},   {u'e', false, true},  {u'E', false, true},  {u'f', false, true},
        {u'x', false, false}, {u'#', false, false}, {u'*', false, false}, {u'+', false, false},
        {u'G', false, false}, {u' ', false, false}, {u'я', false, false}, {8, true, true},
        {3, true, true},      {22, true, true},     {24, true, true},     {13, true, true},
        {1, true, true},      {26, false, false},   {27, false, false},   {9, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FilterKey(QChar(c.key), PhoneCharacters()), c.phone) << int(c.key);
        EXPECT_EQ(FilterKey(QChar(c.key), CodeCharacters()), c.code) << int(c.key);
    }
}

TEST(FieldRules, FirstInvalidCharacterAndPadding)
{
    EXPECT_EQ(FirstInvalidCharacter(u"12G4", CodeCharacters()), 2);
    EXPECT_EQ(FirstInvalidCharacter(u"12ab", CodeCharacters()), std::nullopt);
    EXPECT_EQ(FirstInvalidCharacter(u"", PhoneCharacters()), std::nullopt);
    EXPECT_EQ(FirstInvalidCharacter(u"12E", PhoneCharacters()), 2);

    EXPECT_EQ(PadWithZeros(QStringLiteral("12"), 4), QStringLiteral("0012"));
    EXPECT_EQ(PadWithZeros(QStringLiteral("7"), 4), QStringLiteral("0007"));
    EXPECT_EQ(PadWithZeros(QStringLiteral("A"), 2), QStringLiteral("0A"));
    EXPECT_EQ(PadWithZeros(QString(), 2), QStringLiteral("00"));
    EXPECT_EQ(PadWithZeros(QString(), 4), QStringLiteral("0000"));
    EXPECT_EQ(PadWithZeros(QStringLiteral("ABCD"), 4), QStringLiteral("ABCD"));
}

TEST(FieldRules, DialTextKeepsOnlyWhatThePhoneFieldMayCarry)
{
    EXPECT_EQ(DialText(QStringLiteral("0123456789abcd")), QStringLiteral("0123456789ABCD"));
    EXPECT_EQ(DialText(QStringLiteral("1E2F3G*#")), QStringLiteral("123"));
    EXPECT_EQ(DialText(QString(25, QLatin1Char('1'))).size(), 24);
}
