#include "config/ConfigModel.h"
#include "config/HeldValue.h"
#include "config/ValueCheck.h"

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// A value given for a name, and what the check makes of it: the form the model
// then holds (its value as the model shows it), or the message.
struct Given {
    const char *name;
    QVariant value;
    const char *held;    // the model's value once taken; null for a refusal
    const char *message; // the refusal; null when taken
};

void PrintTo(const Given &given, std::ostream *out)
{
    *out << given.name << " = " << given.value.toString().toStdString();
}

class ValueCheck : public ::testing::TestWithParam<Given>
{
};

TEST_P(ValueCheck, TakesAllowedValuesAndNamesWhatIsAllowedOtherwise)
{
    ConfigModel model;
    model.setChoiceItems(QStringLiteral("cbx1PProtocol"),
                         {QStringLiteral("Contact ID"), QStringLiteral("4+2")});
    // No passivity days: at least one hour.
    model.setSlider(QStringLiteral("trbPassiveDays"), 0);
    const Given &given = GetParam();
    const QString name = QString::fromUtf8(given.name);
    const QString before = test::HeldText(model, name);

    const Expected<void> taken = setChecked(model, name, given.value);
    const Expected<CheckedValue> checked = check(model, name, given.value);
    ASSERT_EQ(taken.has_value(), checked.has_value());
    if (given.held) {
        ASSERT_TRUE(taken) << taken.reason().toStdString();
        EXPECT_EQ(test::HeldText(model, name), QString::fromUtf8(given.held));
    } else {
        ASSERT_FALSE(taken);
        EXPECT_EQ(taken.reason(), QString::fromUtf8(given.message));
        EXPECT_EQ(checked.reason(), taken.reason());
        EXPECT_EQ(test::HeldText(model, name), before) << "a refused value changes nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueCheck,
    ::testing::Values(
        Given{"trb1PCallsTrialCount", 33, "33", nullptr},
        Given{"trb1PCallsTrialCount", QStringLiteral("220"), "220", nullptr},
        Given{
            "trb1PCallsTrialCount", QStringLiteral("500"), nullptr,
            R"(Недопустимое значение "500" ключа "trb1PCallsTrialCount". Допустимо: от 2 до 220)"},
        Given{"trb1PCallsTrialCount", 1, nullptr,
              R"(Недопустимое значение 1 ключа "trb1PCallsTrialCount". Допустимо: от 2 до 220)"},
        Given{"trb1PCallsTrialCount", 2.5, nullptr,
              R"(Недопустимое значение 2.5 ключа "trb1PCallsTrialCount". Допустимо: от 2 до 220)"},
        Given{"trb1P1NWaitPCNReady", QStringLiteral("45 с"), "45", nullptr},
        Given{
            "trb1P1NWaitPCNReady", QStringLiteral("45 мс"), nullptr,
            R"(Недопустимое значение "45 мс" ключа "trb1P1NWaitPCNReady". Допустимо: от 2 с до 120 с)"},
        Given{"trbSilenceLevel", QStringLiteral("-30 дБм"), "-30", nullptr},
        // The bound that moves with the days.
        Given{"trbPassiveHours", QStringLiteral("0 ч"), nullptr,
              R"(Недопустимое значение "0 ч" ключа "trbPassiveHours". Допустимо: от 1 ч до 24 ч)"},
        // A value shown in steps.
        Given{"trbKissoff", QStringLiteral("60 мс"), "3", nullptr},
        Given{
            "trbKissoff", QStringLiteral("70 мс"), nullptr,
            R"(Недопустимое значение "70 мс" ключа "trbKissoff". Допустимо: от 60 мс до 5000 мс, с шагом 20 мс)"},
        Given{"chb1P1N", true, "true", nullptr},
        Given{"chb1P1N", QStringLiteral("да"), nullptr,
              R"(Недопустимое значение "да" ключа "chb1P1N". Допустимо: true или false)"},
        Given{"edt1P1NObjectCode", QStringLiteral("12ab"), "12AB", nullptr},
        Given{
            "edt1P1NObjectCode", QStringLiteral("12G4"), nullptr,
            R"(Недопустимое значение "12G4" ключа "edt1P1NObjectCode". Допустимо: 4 шестнадцатеричные цифры (0-9, A-F))"},
        Given{
            "edt1PGroupCode", QStringLiteral("123"), nullptr,
            R"(Недопустимое значение "123" ключа "edt1PGroupCode". Допустимо: 2 шестнадцатеричные цифры (0-9, A-F))"},
        Given{"edt1P1N", QStringLiteral("8912abcd"), "8912ABCD", nullptr},
        Given{
            "edt1P1N", QStringLiteral("8-912"), nullptr,
            R"(Недопустимое значение "8-912" ключа "edt1P1N". Допустимо: до 24 знаков из 0-9, A, B, C, D)"},
        Given{
            "edt1P1N", QStringLiteral("1234567890123456789012345"), nullptr,
            R"(Недопустимое значение "1234567890123456789012345" ключа "edt1P1N". Допустимо: до 24 знаков из 0-9, A, B, C, D)"},
        Given{"dtpLineTestStart", QStringLiteral("07:45"), "07:45", nullptr},
        Given{
            "dtpLineTestStart", QStringLiteral("24:00"), nullptr,
            R"(Недопустимое значение "24:00" ключа "dtpLineTestStart". Допустимо: время ЧЧ:ММ, от 00:00 до 23:59)"},
        Given{"rgpLineFreq", QStringLiteral("480 Гц"), "2", nullptr},
        Given{
            "rgpLineFreq", 2, nullptr,
            R"(Недопустимое значение 2 ключа "rgpLineFreq". Допустимо: "425 Гц", "440 Гц", "480 Гц")"},
        Given{"cbx1PProtocol", QStringLiteral(""), "-1", nullptr},
        Given{"cbx1PProtocol", QStringLiteral("4+2"), "1", nullptr},
        Given{
            "cbx1PProtocol", QStringLiteral("Ademco"), nullptr,
            R"(Недопустимое значение "Ademco" ключа "cbx1PProtocol". Допустимо: "Contact ID", "4+2", "" (не выбран))"},
        Given{
            "cbx1PProtocol", QVariant(), nullptr,
            R"(Недопустимое значение (нет) ключа "cbx1PProtocol". Допустимо: "Contact ID", "4+2", "" (не выбран))"}));

} // namespace
