#include "config/ConfigModel.h"
#include "config/ControlNames.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// Records every notification of a model, in order, as "value:name",
// "range:name", "items:name" or "on:name"/"off:name".
struct Recorder {
    explicit Recorder(ConfigModel &model)
    {
        QObject::connect(&model, &ConfigModel::valueChanged,
                         [this](const QString &n) { events << QStringLiteral("value:") + n; });
        QObject::connect(&model, &ConfigModel::rangeChanged,
                         [this](const QString &n) { events << QStringLiteral("range:") + n; });
        QObject::connect(&model, &ConfigModel::itemsChanged,
                         [this](const QString &n) { events << QStringLiteral("items:") + n; });
        QObject::connect(&model, &ConfigModel::enabledChanged, [this](const QString &n, bool on) {
            events << (on ? QStringLiteral("on:") : QStringLiteral("off:")) + n;
        });
    }
    QStringList events;
};

} // namespace

TEST(ConfigModel, DescribesEveryValueOnceWithUniqueNames)
{
    ConfigModel model;
    const QStringList names = model.names();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const char *name : {"chb1P1N",
                             "edt2P2N",
                             "edt1P2NObjectCode",
                             "trb2P1NWaitPCNReady",
                             "chb2P2NCheckBusy",
                             "cbx2PProtocol",
                             "edt1PGroupCode",
                             "trb2PCallsTrialCount",
                             "dtp2PTestStart",
                             "edt2PTestCode",
                             "trb1PAutoResetTime",
                             "edtVoiceNum",
                             "trbVoicePauseBeforeCheck",
                             "trbInCallsParam",
                             "trbPassiveHours",
                             "chbSendedEventsAfterReset",
                             "trbSilenceLevel",
                             "dtpLineTestPeriod",
                             "chbLineTestCheckNoise",
                             "rgpLineFreq",
                             "rgpHandshake",
                             "rgpImpulseParams",
                             "rgpDataFreq",
                             "rgpKissOff",
                             "chbProtocol_Test",
                             "rgpProtocol_Test",
                             "trbHandshake1400",
                             "trbHandshake2300",
                             "trbKissoff",
                             "edtPrefix",
                             "chbObject4",
                             "chbEvent1",
                             "chbGroup2",
                             "chbZone3",
                             "sbtPMObject1",
                             "sbtPMZone3"})
        EXPECT_TRUE(model.contains(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(model.contains(QStringLiteral("chbZone4")));
    EXPECT_FALSE(model.contains(QStringLiteral("trb3PCallsTrialCount")));
}

TEST(ConfigModel, StartsWithTheDefaults)
{
    ConfigModel model;
    EXPECT_FALSE(model.flag(QStringLiteral("chb1P1N")));
    EXPECT_EQ(model.text(1, 1, u"N"), QString());
    EXPECT_EQ(model.text(2, 2, u"NObjectCode"), QStringLiteral("0000"));
    EXPECT_EQ(model.slider(1, 2, u"NWaitPCNReady"), 30);
    EXPECT_TRUE(model.flag(2, 1, u"NCheckFree"));
    EXPECT_FALSE(model.flag(2, 1, u"NCheckBusy"));
    EXPECT_EQ(model.choice(1, u"PProtocol"), -1);
    EXPECT_EQ(model.text(2, u"PGroupCode"), QStringLiteral("00"));
    EXPECT_EQ(model.slider(1, u"PCallsTrialCount"), 20);
    EXPECT_FALSE(model.flag(1, u"PTest"));
    EXPECT_EQ(model.time(1, u"PTestStart"), QTime(0, 0));
    EXPECT_EQ(model.slider(2, u"PTestPeriod"), 24);
    EXPECT_TRUE(model.flag(2, u"PAutoReset"));
    EXPECT_EQ(model.slider(2, u"PAutoResetTime"), 5);
    EXPECT_EQ(model.slider(QStringLiteral("trbPassiveDays")), 30);
    EXPECT_EQ(model.slider(QStringLiteral("trbPassiveHours")), 0);
    EXPECT_EQ(model.slider(QStringLiteral("trbSilenceLevel")), -35);
    EXPECT_EQ(model.time(QStringLiteral("dtpLineTestPeriod")), QTime(0, 0));
    EXPECT_EQ(model.choice(QStringLiteral("rgpLineFreq")), 0);
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 3);
    EXPECT_EQ(model.text(QStringLiteral("edtPrefix")), QStringLiteral("0000"));
    EXPECT_EQ(model.slider(QStringLiteral("sbtPMGroup2")), 0);
}

TEST(ConfigModel, ValueTexts)
{
    struct Case {
        const char *slider;
        int value;
        const char *text;
    };
    const Case cases[] = {
        {"trbSilenceLevel", -45, "-45 дБм"},  {"trbSilenceLevel", -35, "-35 дБм"},
        {"trbPassiveHours", 7, "7 ч"},        {"trb1PCallsTrialCount", 20, "20 "},
        {"trbVoiceCallsTrialCount", 4, "4 "}, {"trb1P2NWaitPCNReady", 30, "30 с"},
        {"trbImpulsePeriod", 50, "50 мс"},    {"trbSesansLength", 6, "6 м"},
        {"trbPassiveDays", 44, "44 д"},       {"trbKissoff", 3, "60 мс"},
        {"trbKissoff", 250, "5000 мс"},       {"trbHandshake1400", 5, "100 мс"},
        {"trbHandshake2300", 25, "500 мс"},
    };
    ConfigModel model;
    for (const Case &c : cases) {
        const QString name = QString::fromLatin1(c.slider);
        model.setSlider(name, c.value);
        EXPECT_EQ(model.valueText(name), QString::fromUtf8(c.text)) << c.slider << " " << c.value;
        EXPECT_EQ(model.valueText(SwapPrefix(name, u"stt")), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(model.valueText(QStringLiteral("chb1P1N")), QString());
}

TEST(ConfigModel, SlidersClampAndChoicesTakeTheLastItem)
{
    ConfigModel model;
    model.setSlider(1, 1, u"NWaitPCNReady", 200);
    EXPECT_EQ(model.slider(1, 1, u"NWaitPCNReady"), 120);
    model.setSlider(2, u"PCallsTrialCount", 1);
    EXPECT_EQ(model.slider(2, u"PCallsTrialCount"), 2);
    model.setSlider(QStringLiteral("trbKissoff"), 1);
    EXPECT_EQ(model.valueText(QStringLiteral("trbKissoff")), QStringLiteral("60 мс"));
    model.setSlider(QStringLiteral("sbtPMEvent2"), 99);
    EXPECT_EQ(model.slider(QStringLiteral("sbtPMEvent2")), 15);

    model.setChoice(QStringLiteral("rgpLineFreq"), 7);
    EXPECT_EQ(model.choiceText(QStringLiteral("rgpLineFreq")), QStringLiteral("480 Гц"));
    model.setChoice(QStringLiteral("rgpHandshake"), 5);
    EXPECT_EQ(model.choiceText(QStringLiteral("rgpHandshake")), QStringLiteral("2300 / 1400 Гц"));
    model.setChoice(QStringLiteral("rgpLineFreq"), -3);
    EXPECT_EQ(model.choice(QStringLiteral("rgpLineFreq")), 0);
}

TEST(ConfigModel, SilenceLevelStopsWhereTheDeviceByteStillHoldsIt)
{
    ConfigModel model;
    const QString name = QStringLiteral("trbSilenceLevel");
    model.setSlider(name, -15);
    EXPECT_EQ(model.slider(name), -24);
    EXPECT_EQ(model.maximum(name), -24);
    EXPECT_LE((model.slider(name) + 45) * 12, 0xFF);
}

TEST(ConfigModel, ProtocolChooserHoldsItemsSetFromOutside)
{
    ConfigModel model;
    const QString name = QStringLiteral("cbx1PProtocol");
    model.setChoice(name, 0);
    EXPECT_EQ(model.choice(name), -1);
    Recorder r(model);
    model.setChoiceItems(name, {QStringLiteral("Contact ID"), QStringLiteral("Ademco")});
    EXPECT_EQ(r.events, QStringList{QStringLiteral("items:cbx1PProtocol")});
    EXPECT_EQ(model.choice(name), -1);
    model.setChoice(name, 9);
    EXPECT_EQ(model.choice(name), 1);
    EXPECT_EQ(model.choiceText(name), QStringLiteral("Ademco"));
    model.setChoiceItems(name, {QStringLiteral("Contact ID")});
    EXPECT_EQ(model.choice(name), 0);
    model.setChoiceItems(name, {});
    EXPECT_EQ(model.choice(name), -1);
    EXPECT_EQ(model.choiceText(name), QString());
}

TEST(ConfigModel, SettingWhatIsHeldRunsNothing)
{
    ConfigModel model;
    Recorder r(model);
    model.setSlider(QStringLiteral("trbPassiveDays"), 30);
    model.setSlider(QStringLiteral("trb1P1NWaitPCNReady"), 500); // clamps to 120: a change
    model.setSlider(QStringLiteral("trb1P1NWaitPCNReady"), 120);
    model.setFlag(QStringLiteral("chb1P1NCheckFree"), true);
    model.setText(QStringLiteral("edt1PTestCode"), QStringLiteral("0000"));
    model.setTime(QStringLiteral("dtpLineTestPeriod"), QTime(0, 0, 30));
    model.setChoice(QStringLiteral("rgpLineFreq"), 0);
    EXPECT_EQ(r.events, QStringList{QStringLiteral("value:trb1P1NWaitPCNReady")});
}

TEST(ConfigModel, PassivityIsNeverZero)
{
    ConfigModel model;
    const QString days = QStringLiteral("trbPassiveDays");
    const QString hours = QStringLiteral("trbPassiveHours");
    Recorder r(model);
    model.setSlider(days, 0);
    EXPECT_EQ(model.slider(hours), 1);
    EXPECT_EQ(model.minimum(hours), 1);
    EXPECT_EQ(model.valueText(hours), QStringLiteral("1 ч"));
    EXPECT_EQ(r.events, (QStringList{QStringLiteral("value:trbPassiveDays"),
                                     QStringLiteral("value:trbPassiveHours"),
                                     QStringLiteral("range:trbPassiveHours")}));
    model.setSlider(hours, 0);
    EXPECT_EQ(model.slider(hours), 1);

    model.setSlider(days, 1);
    EXPECT_EQ(model.slider(hours), 1);
    EXPECT_EQ(model.minimum(hours), 0);
    model.setSlider(hours, 0);
    EXPECT_EQ(model.slider(hours), 0);

    // A panel block of 00 00 decodes days first, then hours.
    model.setSlider(days, 0);
    model.setSlider(hours, 0);
    EXPECT_EQ(model.slider(days), 0);
    EXPECT_EQ(model.slider(hours), 1);
}

TEST(ConfigModel, LineCheckIntervalBecomesOneMinuteOnceEdited)
{
    ConfigModel model;
    const QString period = QStringLiteral("dtpLineTestPeriod");
    EXPECT_EQ(model.time(period), QTime(0, 0));
    model.setTime(period, QTime(0, 0));
    EXPECT_EQ(model.time(period), QTime(0, 0)); // the start-up default stays
    model.setTime(period, QTime(2, 30, 45));
    EXPECT_EQ(model.time(period), QTime(2, 30));
    model.setTime(period, QTime(0, 0));
    EXPECT_EQ(model.time(period), QTime(0, 1));
    model.setTime(period, QTime());
    EXPECT_EQ(model.time(period), QTime(0, 1));
    // Other times may be midnight.
    model.setTime(1, u"PTestStart", QTime(8, 30));
    model.setTime(1, u"PTestStart", QTime(0, 0));
    EXPECT_EQ(model.time(1, u"PTestStart"), QTime(0, 0));
}

TEST(ConfigModel, TextsAreStoredUpperCaseAndPhonesHoldOnlyTheDialAlphabet)
{
    ConfigModel model;
    model.setText(1, 1, u"NObjectCode", QStringLiteral("ab1f"));
    EXPECT_EQ(model.text(1, 1, u"NObjectCode"), QStringLiteral("AB1F"));
    model.setText(2, u"PGroupCode", QStringLiteral("abc"));
    EXPECT_EQ(model.text(2, u"PGroupCode"), QStringLiteral("AB"));
    model.setText(1, 2, u"N", QStringLiteral("12ab*#e9 x"));
    EXPECT_EQ(model.text(1, 2, u"N"), QStringLiteral("12AB9"));
    model.setText(QStringLiteral("edtVoiceNum"), QString(30, QLatin1Char('7')));
    EXPECT_EQ(model.text(QStringLiteral("edtVoiceNum")), QString(24, QLatin1Char('7')));
}

TEST(ConfigModel, StartUpEnabling)
{
    ConfigModel model;
    for (const char *name :
         {"chb1P1N", "stt1P2N", "chb2P2N", "chbVoiceNum", "sttVoiceNum", "chbInCalls",
          "chbLineCheck", "sttLineCheck", "chbSendedEventsAfterReset", "trbPassiveDays",
          "sttPassiveHours", "lblPauseLength", "trbSilenceLevel", "rgpLineFreq", "gbxParams",
          "gbxPanel", "chbProtocol_Test", "rgpImpulseParams"})
        EXPECT_TRUE(model.isEnabled(QString::fromLatin1(name))) << name;
    for (const char *name : {"edt1P1N",
                             "lbl1P1N",
                             "edt1P1NObjectCode",
                             "trb1P1NWaitPCNReady",
                             "stt1P1NWaitPCNReady",
                             "chb1P2NCheckFree",
                             "gbx2P1N",
                             "cbx1PProtocol",
                             "lbl1PProtocol",
                             "edt2PGroupCode",
                             "stt2PCallsTrialCount",
                             "gbx1P",
                             "chb1PTest",
                             "stt1PTest",
                             "chb2PAutoReset",
                             "stt2PAutoReset",
                             "gbx1PTest",
                             "dtp1PTestStart",
                             "edt2PTestCode",
                             "gbx1PAutoReset",
                             "trb2PAutoResetTime",
                             "edtVoiceNum",
                             "gbxVoiceNum",
                             "trbVoiceWaitAnswer",
                             "chbVoiceCheckBusy",
                             "trbInCallsParam",
                             "gbxInCalls",
                             "gbxLineCheck",
                             "dtpLineTestPeriod",
                             "lblTestsBeforeFault",
                             "chbLineTestCheckNoise",
                             "rgpProtocol_Test"})
        EXPECT_FALSE(model.isEnabled(QString::fromLatin1(name))) << name;
}

TEST(ConfigModel, NumberAndPairEnabling)
{
    ConfigModel model;
    model.setFlag(1, u"PTest", true); // while the pair is inactive: nothing enabled
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx1PTest")));

    model.setFlag(1, 1, u"N", true);
    EXPECT_TRUE(model.pairActive(1));
    EXPECT_FALSE(model.pairActive(2));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("edt1P1N")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("stt1P1NWaitPCNReady")));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("edt1P2N")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("cbx1PProtocol")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("stt1PTest")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("gbx1PTest")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("trb1PTestPeriod")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("gbx1PAutoReset")));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx2P")));

    // The automatic-reset flag governs its group only while the pair is active.
    model.setFlag(1, u"PAutoReset", false);
    EXPECT_FALSE(model.isEnabled(QStringLiteral("trb1PAutoResetTime")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("chb1PAutoReset")));

    // The second number keeps the pair active when the first goes off.
    model.setFlag(1, 2, u"N", true);
    model.setFlag(1, 1, u"N", false);
    EXPECT_TRUE(model.isEnabled(QStringLiteral("gbx1P")));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx1P1N")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("gbx1P2N")));

    // Both off: everything of the pair goes off; the flags keep their values.
    model.setFlag(1, 2, u"N", false);
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx1P")));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("chb1PTest")));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx1PTest")));
    EXPECT_TRUE(model.flag(1, u"PTest"));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("chb1P1N")));
}

TEST(ConfigModel, EnablingNotifiesOnlyWhatChanges)
{
    ConfigModel model;
    model.setFlag(QStringLiteral("chbVoiceNum"), true);
    Recorder r(model);
    model.setFlag(QStringLiteral("chbInCalls"), true);
    EXPECT_EQ(r.events,
              (QStringList{QStringLiteral("value:chbInCalls"), QStringLiteral("on:trbInCallsParam"),
                           QStringLiteral("on:lblInCallsParam"),
                           QStringLiteral("on:sttInCallsParam"), QStringLiteral("on:gbxInCalls")}));
}

TEST(ConfigModel, OtherFlagGroupsAndTheProtocolEditor)
{
    ConfigModel model;
    const struct {
        const char *flag;
        const char *governed;
    } cases[] = {{"chbVoiceNum", "trbVoicePauseBeforeCheck"},
                 {"chbInCalls", "sttInCallsParam"},
                 {"chbLineCheck", "dtpLineTestStart"},
                 {"chbProtocol_Test", "rgpProtocol_Test"}};
    for (const auto &c : cases) {
        const QString flag = QString::fromLatin1(c.flag);
        const QString governed = QString::fromLatin1(c.governed);
        model.setFlag(flag, true);
        EXPECT_TRUE(model.isEnabled(governed)) << c.governed;
        model.setFlag(flag, false);
        EXPECT_FALSE(model.isEnabled(governed)) << c.governed;
        EXPECT_TRUE(model.isEnabled(flag));
    }
    const QString freq = QStringLiteral("rgpDataFreq");
    const QString pulses = QStringLiteral("rgpImpulseParams");
    model.setChoice(pulses, 4);
    model.setChoice(freq, 2);
    EXPECT_FALSE(model.isEnabled(pulses));
    EXPECT_EQ(model.choice(pulses), 4); // enabling never changes a value
    model.setChoice(freq, 1);
    EXPECT_TRUE(model.isEnabled(pulses));
}

TEST(ConfigModel, UncheckEmptyNumber)
{
    ConfigModel model;
    model.setFlag(2, 1, u"N", true);
    model.setFlag(2, 2, u"N", true);
    model.setText(2, 2, u"N", QStringLiteral("123"));

    UncheckEmptyNumber(model, QStringLiteral("edt2P2N")); // not empty: stays on
    EXPECT_TRUE(model.flag(2, 2, u"N"));
    UncheckEmptyNumber(model, QStringLiteral("edt2P1N"));
    EXPECT_FALSE(model.flag(2, 1, u"N"));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx2P1N")));
    EXPECT_TRUE(model.isEnabled(QStringLiteral("gbx2P")));

    model.setText(2, 2, u"N", QString());
    UncheckEmptyNumber(model, QStringLiteral("edt2P2N"));
    EXPECT_FALSE(model.pairActive(2));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("gbx2PAutoReset")));

    model.setFlag(QStringLiteral("chbVoiceNum"), true);
    UncheckEmptyNumber(model, QStringLiteral("edtVoiceNum"));
    EXPECT_FALSE(model.flag(QStringLiteral("chbVoiceNum")));
}

TEST(ConfigModel, DecoderChangesRunTheSameRulesAsTheUser)
{
    // A decoder sets values through the same setters as a page does, in block
    // order; what the user would see follows from the notifications alone.
    ConfigModel model;
    Recorder r(model);
    model.setSlider(1, u"PCallsTrialCount", 1);           // number block: clamps
    model.setSlider(1, 2, u"NWaitPCNReady", 200);         // clamps
    model.setFlag(1, 2, u"N", true);                      // enables the pair
    model.setSlider(QStringLiteral("trbPassiveDays"), 0); // panel block
    model.setSlider(QStringLiteral("trbPassiveHours"), 0);
    EXPECT_EQ(model.slider(1, u"PCallsTrialCount"), 2);
    EXPECT_EQ(model.valueText(QStringLiteral("stt1P2NWaitPCNReady")), QStringLiteral("120 с"));
    EXPECT_EQ(model.slider(QStringLiteral("trbPassiveHours")), 1);
    EXPECT_TRUE(r.events.contains(QStringLiteral("on:gbx1P")));
    EXPECT_TRUE(r.events.contains(QStringLiteral("on:stt1PAutoReset")));
    EXPECT_TRUE(r.events.contains(QStringLiteral("on:trb1P2NWaitPCNReady")));
    EXPECT_FALSE(r.events.contains(QStringLiteral("on:gbx1P1N")));
    EXPECT_TRUE(r.events.contains(QStringLiteral("value:trbPassiveHours")));
}
