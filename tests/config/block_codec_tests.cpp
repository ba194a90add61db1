#include "config/BlockFields.h"
#include "config/BlockFixture.h"
#include "config/PairBlocks.h"
#include "config/ParameterBlocks.h"
#include "config/RequestLists.h"

#include <functional>

#include <gtest/gtest.h>

using namespace sr5n;
using namespace sr5n::test;
using Mark = EventCodeTables::Mark;

namespace {

class Blocks : public ::testing::Test
{
protected:
    BlockFixture f;
    const BlockContext &context = f.context;
    ConfigModel &model = f.model;
    EventCodeTables &tables = f.tables;
};

} // namespace

TEST_F(Blocks, DefaultConfigurationEncodesToTheDefaultBlocks)
{
    const struct {
        const char *block;
        QString (*encode)(const BlockContext &);
        QString expected;
    } cases[] = {
        {"test and line check", EncodeTestBlock,
         Hex("00 00 00 00 00 00 00 00 00 00 00 03 06 02 00 00")},
        {"automatic reset", EncodeAutoResetBlock, Hex("01 2C 01 2C")},
        {"voice", EncodeVoiceBlock, Hex("03 32 04 78 1E 14 0F") + FF(25)},
        {"incoming calls", EncodeInCallsBlock, Hex("00 00 00 00 00 00 00 00 00 00")},
        {"busy and noise", EncodeBusyNoiseBlock, Hex("01")},
        {"group codes", EncodeGroupCodeBlock, Hex("00 00")},
        {"panel", EncodePanelBlock, Hex("A8 C0 FF FF FF FF")},
        {"high priority", EncodeHighPriorityBlock, Hex("FF FF FF FF")},
        {"system events", EncodeSystemEventsBlock,
         Hex("13 04 00 73 00 74 00 75 00 76 00 77 00 78 00 79")},
        {"second system events", EncodeSecondSystemEventsBlock, Hex("00 71 00 72")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.encode(context), c.expected) << c.block;
    EXPECT_FALSE(model.flag(QStringLiteral("chbVoiceNum")));
}

TEST(PhoneField, EncodesDigitsEndMarkAndFillAndDecodesBack)
{
    const struct {
        QString number;
        bool inUse;
        bool checkFree;
        QString expected;
        QString decoded;
    } cases[] = {
        {QStringLiteral("0123456789ABCD"), true, true,
         Hex("80 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0F") + FF(11),
         QStringLiteral("0123456789ABCD")},
        {QString(), false, true, Hex("0F") + FF(25), QString()},
        {QString(), true, true, Hex("0F") + FF(25), QString()}, // nothing to mark
        {QString(), false, false, Hex("0E 0F") + FF(25), QString()},
        {QStringLiteral("123456789012345678901234"), false, true,
         Hex("01 02 03 04 05 06 07 08 09 00 01 02 03 04 05 06 07 08 09 00 01 02 03 04 0F FF"),
         QStringLiteral("123456789012345678901234")},
        {QStringLiteral("123"), true, true, Hex("81 02 03 0F") + FF(22), QStringLiteral("123")},
        {QStringLiteral("123"), true, false, Hex("8E 01 02 03 0F") + FF(22), QStringLiteral("123")},
        {QStringLiteral("123"), false, true, Hex("01 02 03 0F") + FF(22), QStringLiteral("123")},
        // Characters a phone number cannot hold never reach the device.
        {QStringLiteral("1e*2 b"), false, true, Hex("01 02 0B 0F") + FF(22), QStringLiteral("12B")},
    };
    for (const auto &c : cases) {
        const QString field = EncodePhone(c.number, c.inUse, c.checkFree);
        EXPECT_EQ(field, c.expected) << c.number.toStdString();
        EXPECT_EQ(DecodePhone(field.mid(c.checkFree ? 0 : 2)), c.decoded);
    }
    // A field without an end mark is read to its end.
    EXPECT_EQ(DecodePhone(QStringLiteral("010203")), QStringLiteral("123"));
}

TEST(TimeField, WritesMinutesThenHoursAndRefusesImpossibleTimes)
{
    EXPECT_EQ(TimeFieldText(QTime(23, 59)), QStringLiteral("3B17"));
    EXPECT_EQ(TimeFieldText(QTime(8, 30)), QStringLiteral("1E08"));
    EXPECT_EQ(DecodeTimeField(QStringLiteral("3B17"), 1), QTime(23, 59));
    EXPECT_EQ(DecodeTimeField(QStringLiteral("xx1E08"), 3), QTime(8, 30));
    EXPECT_FALSE(DecodeTimeField(QStringLiteral("3C00"), 1)); // minute 60
    EXPECT_FALSE(DecodeTimeField(QStringLiteral("0018"), 1)); // hour 24
    EXPECT_FALSE(DecodeTimeField(QStringLiteral("3B1"), 1));
    EXPECT_FALSE(DecodeTimeField(QStringLiteral("3G17"), 1));
}

TEST_F(Blocks, NumberBlockCarriesItsFieldsAndDecodesIntoItsOwnControls)
{
    model.setText(QStringLiteral("edt1P2NObjectCode"), QStringLiteral("12AB"));
    model.setSlider(QStringLiteral("trb1PCallsTrialCount"), 20);
    model.setSlider(QStringLiteral("trb1P2NWaitPCNReady"), 45);
    model.setText(QStringLiteral("edt1P2N"), QStringLiteral("0123456789ABCD"));
    model.setFlag(QStringLiteral("chb1P2N"), true);
    const QString block = EncodeNumberBlock(context, 1, 2);
    EXPECT_EQ(block,
              Hex("12 AB 14 00 2D 00 80 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0F") + FF(11));

    BlockFixture other;
    ASSERT_TRUE(DecodeNumberBlock(other.context, 1, 2, block));
    EXPECT_EQ(other.model.text(QStringLiteral("edt1P2NObjectCode")), QStringLiteral("12AB"));
    EXPECT_EQ(other.model.slider(QStringLiteral("trb1PCallsTrialCount")), 20);
    EXPECT_EQ(other.model.slider(QStringLiteral("trb1P2NWaitPCNReady")), 45);
    EXPECT_EQ(other.model.text(QStringLiteral("edt1P2N")), QStringLiteral("0123456789ABCD"));
    EXPECT_TRUE(other.model.flag(QStringLiteral("chb1P2N")));
    EXPECT_TRUE(other.model.flag(QStringLiteral("chb1P2NCheckFree")));
    EXPECT_TRUE(other.model.isEnabled(QStringLiteral("edt1P2N")));
    EXPECT_TRUE(other.model.pairActive(1));
    // Nothing of the other numbers changed.
    EXPECT_EQ(other.model.text(QStringLiteral("edt1P1N")), QString());
    EXPECT_EQ(other.model.text(QStringLiteral("edt2P2N")), QString());

    EXPECT_TRUE(EncodeNumberBlock(context, 3, 1).isEmpty());
    EXPECT_TRUE(EncodeNumberBlock(context, 1, 0).isEmpty());
    EXPECT_FALSE(DecodeNumberBlock(context, 0, 1, block));
}

TEST_F(Blocks, SwitchedOffNumberKeepsItsDigitsAndEmptyNumberIsSwitchedOff)
{
    model.setText(QStringLiteral("edt2P1N"), QStringLiteral("555"));
    model.setFlag(QStringLiteral("chb2P1NCheckFree"), false);
    const QString off = EncodeNumberBlock(context, 2, 1);
    EXPECT_EQ(off.mid(12), Hex("0E 05 05 05 0F") + FF(22));

    model.setFlag(QStringLiteral("chb2P2N"), true); // its number is empty
    const QString empty = EncodeNumberBlock(context, 2, 2);
    EXPECT_FALSE(model.flag(QStringLiteral("chb2P2N")));
    EXPECT_EQ(empty.mid(12), Hex("0F") + FF(25));

    BlockFixture other;
    other.model.setFlag(QStringLiteral("chb2P1N"), true);
    ASSERT_TRUE(DecodeNumberBlock(other.context, 2, 1, off));
    EXPECT_EQ(other.model.text(QStringLiteral("edt2P1N")), QStringLiteral("555"));
    EXPECT_FALSE(other.model.flag(QStringLiteral("chb2P1N")));
    EXPECT_FALSE(other.model.flag(QStringLiteral("chb2P1NCheckFree")));
    EXPECT_FALSE(other.model.pairActive(2));
}

TEST_F(Blocks, NumberBlockValuesAreClampedLikeAUsersEdit)
{
    // Call attempts 1 and a waiting time of 200 s: the sliders keep their bounds.
    ASSERT_TRUE(DecodeNumberBlock(context, 1, 1, Hex("00 07 01 00 C8 00 0F") + FF(25)));
    EXPECT_EQ(model.slider(QStringLiteral("trb1PCallsTrialCount")), 2);
    EXPECT_EQ(model.slider(QStringLiteral("trb1P1NWaitPCNReady")), 120);
    EXPECT_EQ(model.text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("0007"));
}

TEST_F(Blocks, TestAndLineCheckBlockRoundTrip)
{
    model.setFlag(QStringLiteral("chb1P1N"), true);
    model.setFlag(QStringLiteral("chb1PTest"), true);
    model.setSlider(QStringLiteral("trb1PTestPeriod"), 12);
    model.setTime(QStringLiteral("dtp1PTestStart"), QTime(23, 59));
    model.setSlider(QStringLiteral("trb2PTestPeriod"), 7); // pair 2's test is off
    model.setTime(QStringLiteral("dtp2PTestStart"), QTime(8, 30));
    model.setFlag(QStringLiteral("chbLineCheck"), true);
    model.setTime(QStringLiteral("dtpLineTestPeriod"), QTime(1, 15));
    model.setTime(QStringLiteral("dtpLineTestStart"), QTime(6, 5));
    model.setSlider(QStringLiteral("trbTestsBeforeFault"), 40);
    model.setSlider(QStringLiteral("trbSesansLength"), 10);
    model.setFlag(QStringLiteral("chbSendedEventsAfterReset"), true);
    const QString block = EncodeTestBlock(context);
    EXPECT_EQ(block, Hex("0C 3B 17 00 00 1E 08 0F 01 05 06 28 0A 02 01 00"));

    BlockFixture other;
    other.model.setFlag(QStringLiteral("chb2PTest"), true);
    ASSERT_TRUE(DecodeTestBlock(other.context, block));
    EXPECT_TRUE(other.model.flag(QStringLiteral("chb1PTest")));
    EXPECT_EQ(other.model.slider(QStringLiteral("trb1PTestPeriod")), 12);
    EXPECT_EQ(other.model.time(QStringLiteral("dtp1PTestStart")), QTime(23, 59));
    EXPECT_FALSE(other.model.flag(QStringLiteral("chb2PTest")));
    EXPECT_EQ(other.model.slider(QStringLiteral("trb2PTestPeriod")), 24); // not carried
    EXPECT_EQ(other.model.time(QStringLiteral("dtp2PTestStart")), QTime(8, 30));
    EXPECT_TRUE(other.model.flag(QStringLiteral("chbLineCheck")));
    EXPECT_EQ(other.model.time(QStringLiteral("dtpLineTestPeriod")), QTime(1, 15));
    EXPECT_EQ(other.model.time(QStringLiteral("dtpLineTestStart")), QTime(6, 5));
    EXPECT_EQ(other.model.slider(QStringLiteral("trbTestsBeforeFault")), 40);
    EXPECT_EQ(other.model.slider(QStringLiteral("trbSesansLength")), 10);
    EXPECT_TRUE(other.model.flag(QStringLiteral("chbSendedEventsAfterReset")));
}

TEST_F(Blocks, LineCheckWithTheStartUpIntervalReadsBackSwitchedOff)
{
    model.setFlag(QStringLiteral("chbLineCheck"), true); // interval still 00:00
    const QString block = EncodeTestBlock(context);
    EXPECT_EQ(block.mid(14, 4), QStringLiteral("0000"));
    ASSERT_TRUE(DecodeTestBlock(context, block));
    EXPECT_FALSE(model.flag(QStringLiteral("chbLineCheck")));
}

TEST_F(Blocks, PassivityIsWrittenInMinutesAndReadBackWithinTheSliders)
{
    const struct {
        int days, hours;
        const char *written;
        int readDays, readHours;
    } cases[] = {
        {3, 24, "16 80", 4, 0},
        {44, 24, "FD 20", 44, 0},
        {0, 1, "00 3C", 0, 1},
        {30, 0, "A8 C0", 30, 0},
    };
    for (const auto &c : cases) {
        BlockFixture writer;
        writer.model.setSlider(QStringLiteral("trbPassiveDays"), c.days);
        writer.model.setSlider(QStringLiteral("trbPassiveHours"), c.hours);
        const QString block = EncodePanelBlock(writer.context);
        EXPECT_EQ(block, Hex(c.written) + FF(4)) << c.days << " " << c.hours;

        BlockFixture reader;
        ASSERT_TRUE(DecodePanelBlock(reader.context, block));
        EXPECT_EQ(reader.model.slider(QStringLiteral("trbPassiveDays")), c.readDays);
        EXPECT_EQ(reader.model.slider(QStringLiteral("trbPassiveHours")), c.readHours);
    }
    // 00 00: zero days, which raises the hours to 1.
    ASSERT_TRUE(DecodePanelBlock(context, Hex("00 00") + FF(4)));
    EXPECT_EQ(model.slider(QStringLiteral("trbPassiveDays")), 0);
    EXPECT_EQ(model.slider(QStringLiteral("trbPassiveHours")), 1);
}

TEST_F(Blocks, AutomaticResetBelowAnHourSwitchesThePairOff)
{
    model.setSlider(QStringLiteral("trb1PAutoResetTime"), 7);
    ASSERT_TRUE(DecodeAutoResetBlock(context, Hex("00 3B 0B B8")));
    EXPECT_FALSE(model.flag(QStringLiteral("chb1PAutoReset")));
    EXPECT_EQ(model.slider(QStringLiteral("trb1PAutoResetTime")), 7); // left as it was
    EXPECT_TRUE(model.flag(QStringLiteral("chb2PAutoReset")));
    EXPECT_EQ(model.slider(QStringLiteral("trb2PAutoResetTime")), 48); // 50 h, clamped
    EXPECT_EQ(EncodeAutoResetBlock(context), Hex("00 00 0B 40"));
}

TEST_F(Blocks, EventListsSetOnlyTheirOwnMarks)
{
    tables.setMark(3, Mark::Mandatory, true);
    tables.setMark(2, Mark::HighPriority, true);
    ASSERT_TRUE(DecodePanelBlock(context, Hex("A8 C0 00 05 FF FF")));
    EXPECT_EQ(tables.markedRows(Mark::Mandatory), (QList<int>{1, 6}));
    EXPECT_EQ(tables.markedRows(Mark::HighPriority), (QList<int>{2}));
    EXPECT_EQ(EncodePanelBlock(context), Hex("A8 C0 00 05 FF FF"));

    // Indices beyond the table (3C = event 61) are skipped.
    ASSERT_TRUE(DecodeHighPriorityBlock(context, Hex("3B 3C 00 FF")));
    EXPECT_EQ(tables.markedRows(Mark::HighPriority), (QList<int>{1, 60}));
    EXPECT_EQ(EncodeHighPriorityBlock(context), Hex("00 3B FF FF"));
}

TEST_F(Blocks, GroupCodesTravelWithTheirDigitsExchanged)
{
    model.setText(QStringLiteral("edt1PGroupCode"), QStringLiteral("0A"));
    model.setText(QStringLiteral("edt2PGroupCode"), QStringLiteral("12"));
    EXPECT_EQ(EncodeGroupCodeBlock(context), Hex("A0 21"));

    BlockFixture other;
    ASSERT_TRUE(DecodeGroupCodeBlock(other.context, Hex("A0 21")));
    EXPECT_EQ(other.model.text(QStringLiteral("edt1PGroupCode")), QStringLiteral("0A"));
    EXPECT_EQ(other.model.text(QStringLiteral("edt2PGroupCode")), QStringLiteral("12"));

    // A short block gives short codes, which are padded again when written.
    ASSERT_TRUE(DecodeGroupCodeBlock(other.context, QStringLiteral("A")));
    EXPECT_EQ(other.model.text(QStringLiteral("edt1PGroupCode")), QStringLiteral("A"));
    EXPECT_EQ(other.model.text(QStringLiteral("edt2PGroupCode")), QString());
    EXPECT_EQ(EncodeGroupCodeBlock(other.context), Hex("A0 00"));
}

TEST_F(Blocks, VoiceIncomingCallsAndBusyFlagsDecodeIntoTheirControls)
{
    // Pause 60 s, pulse 70 ms, 10 attempts, -24 dBm, 120 s, 100 s; number 7A in use, check off.
    ASSERT_TRUE(DecodeVoiceBlock(context, Hex("3C 46 0A FC 78 64 8E 07 0A 0F") + FF(23)));
    EXPECT_EQ(model.slider(QStringLiteral("trbPauseLength")), 60);
    EXPECT_EQ(model.slider(QStringLiteral("trbImpulsePeriod")), 70);
    EXPECT_EQ(model.slider(QStringLiteral("trbVoiceCallsTrialCount")), 10);
    EXPECT_EQ(model.slider(QStringLiteral("trbSilenceLevel")), -24);
    EXPECT_EQ(model.slider(QStringLiteral("trbVoiceWaitAnswer")), 120);
    EXPECT_EQ(model.slider(QStringLiteral("trbVoicePauseBeforeCheck")), 100);
    EXPECT_TRUE(model.flag(QStringLiteral("chbVoiceNum")));
    EXPECT_FALSE(model.flag(QStringLiteral("chbVoiceCheckFree")));
    EXPECT_EQ(model.text(QStringLiteral("edtVoiceNum")), QStringLiteral("7A"));
    EXPECT_EQ(EncodeVoiceBlock(context), Hex("3C 46 0A FC 78 64 8E 07 0A 0F") + FF(23));

    ASSERT_TRUE(DecodeInCallsBlock(context, Hex("07 05 00 00 00 00 00 00 00 00")));
    EXPECT_TRUE(model.flag(QStringLiteral("chbInCalls")));
    EXPECT_EQ(model.slider(QStringLiteral("trbInCallsParam")), 7);
    EXPECT_EQ(model.choice(QStringLiteral("rgpLineFreq")), 2); // beyond the last: 480 Гц
    ASSERT_TRUE(DecodeInCallsBlock(context, Hex("00 01")));
    EXPECT_FALSE(model.flag(QStringLiteral("chbInCalls")));
    EXPECT_EQ(model.slider(QStringLiteral("trbInCallsParam")), 7);
    EXPECT_EQ(EncodeInCallsBlock(context), Hex("00 01 00 00 00 00 00 00 00 00"));

    // Bit n + 2p - 2 is the busy check of number n of pair p.
    ASSERT_TRUE(DecodeBusyNoiseBlock(context, Hex("28")));
    EXPECT_TRUE(model.flag(QStringLiteral("chb2P1NCheckBusy")));
    EXPECT_TRUE(model.flag(QStringLiteral("chbVoiceCheckBusy")));
    EXPECT_FALSE(model.flag(QStringLiteral("chbLineTestCheckNoise")));
    EXPECT_FALSE(model.flag(QStringLiteral("chb1P1NCheckBusy")));
    model.setFlag(QStringLiteral("chb1P2NCheckBusy"), true);
    EXPECT_EQ(EncodeBusyNoiseBlock(context), Hex("2C"));
    ASSERT_TRUE(DecodeBusyNoiseBlock(context, Hex("00 13"))); // the whole text is one number
    EXPECT_EQ(EncodeBusyNoiseBlock(context), Hex("13"));
}

TEST_F(Blocks, SystemEventsBlockCarriesTheCommonCode)
{
    ASSERT_TRUE(DecodeSystemEventsBlock(context, Hex("AB CD 00 00 00 00")));
    EXPECT_EQ(tables.commonCode(1), QStringLiteral("ABCD"));
    EXPECT_TRUE(DecodeSecondSystemEventsBlock(context, QStringLiteral("zz")));
}

// A decoder that meets a short or broken field fails there; what it set
// before stays set.
TEST_F(Blocks, DecodersFailOnShortOrBrokenDataKeepingWhatTheySet)
{
    using Check = std::function<void(const BlockFixture &)>;
    const struct {
        const char *what;
        bool (*decode)(const BlockContext &, const QString &);
        QString data;
        Check kept;
    } cases[] = {
        {"number: attempts not hex",
         [](const BlockContext &c, const QString &d) { return DecodeNumberBlock(c, 1, 1, d); },
         QStringLiteral("12AB1G"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("12AB"));
         }},
        {"number: no character 14",
         [](const BlockContext &c, const QString &d) { return DecodeNumberBlock(c, 2, 2, d); },
         QStringLiteral("12AB05002800"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trb2PCallsTrialCount")), 5);
             EXPECT_EQ(x.model.slider(QStringLiteral("trb2P2NWaitPCNReady")), 40);
         }},
        {"number: object code not hex",
         [](const BlockContext &c, const QString &d) { return DecodeNumberBlock(c, 1, 1, d); },
         QStringLiteral("12G4050028000F"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("0000"));
         }},
        {"test block: short", DecodeTestBlock, QStringLiteral("0C1E0800"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trb1PTestPeriod")), 12);
             EXPECT_EQ(x.model.time(QStringLiteral("dtp1PTestStart")), QTime(8, 30));
         }},
        {"test block: minute 60", DecodeTestBlock, QStringLiteral("063C0000"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trb1PTestPeriod")), 6);
         }},
        {"automatic reset: not hex", DecodeAutoResetBlock, QStringLiteral("00780Z2C"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trb1PAutoResetTime")), 2);
         }},
        {"voice: short", DecodeVoiceBlock, QStringLiteral("0A32"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trbPauseLength")), 10);
             EXPECT_EQ(x.model.slider(QStringLiteral("trbImpulsePeriod")), 50);
         }},
        {"voice: no phone field", DecodeVoiceBlock, QStringLiteral("0A32040000"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trbSilenceLevel")), -45);
         }},
        {"incoming calls: short", DecodeInCallsBlock, QStringLiteral("09"),
         [](const BlockFixture &x) {
             EXPECT_TRUE(x.model.flag(QStringLiteral("chbInCalls")));
             EXPECT_EQ(x.model.slider(QStringLiteral("trbInCallsParam")), 9);
         }},
        {"busy and noise: empty", DecodeBusyNoiseBlock, QString(), {}},
        {"busy and noise: not hex", DecodeBusyNoiseBlock, QStringLiteral("G1"),
         [](const BlockFixture &x) {
             EXPECT_TRUE(x.model.flag(QStringLiteral("chbLineTestCheckNoise")));
         }},
        {"system events: short", DecodeSystemEventsBlock, QStringLiteral("130"),
         [](const BlockFixture &x) { EXPECT_EQ(x.tables.commonCode(1), QStringLiteral("1304")); }},
        {"system events: not hex", DecodeSystemEventsBlock, QStringLiteral("13X4"), {}},
        {"group codes: not hex", DecodeGroupCodeBlock, QStringLiteral("0Z21"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.text(QStringLiteral("edt1PGroupCode")), QStringLiteral("00"));
         }},
        {"panel: short", DecodePanelBlock, QStringLiteral("A8C"), {}},
        {"panel: broken event byte", DecodePanelBlock, QStringLiteral("003C020X"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.model.slider(QStringLiteral("trbPassiveDays")), 0);
             EXPECT_EQ(x.model.slider(QStringLiteral("trbPassiveHours")), 1);
             EXPECT_EQ(x.tables.markedRows(Mark::Mandatory), (QList<int>{3}));
         }},
        {"high priority: odd length", DecodeHighPriorityBlock, QStringLiteral("020"),
         [](const BlockFixture &x) {
             EXPECT_EQ(x.tables.markedRows(Mark::HighPriority), (QList<int>{3}));
         }},
    };
    for (const auto &c : cases) {
        BlockFixture x;
        EXPECT_FALSE(c.decode(x.context, c.data)) << c.what;
        if (c.kept) {
            SCOPED_TRACE(c.what);
            c.kept(x);
        }
        EXPECT_TRUE(x.notifier.errors.isEmpty()) << c.what; // the dispatcher reports
    }
}

TEST_F(Blocks, ProtocolBlocksSendTheChosenRecordAndChooseTheReceivedOne)
{
    EXPECT_EQ(EncodeProtocolBlock(context, 1), BlockFixture::Record1);
    EXPECT_EQ(EncodeProtocolBlock(context, 2), BlockFixture::Record2);

    // A known record, in other letter case, is chosen without a question.
    ASSERT_TRUE(DecodeProtocolBlock(context, 1, BlockFixture::Record2.toLower()));
    EXPECT_EQ(model.choice(QStringLiteral("cbx1PProtocol")), 1);

    // An unknown record is offered for registration; declined, nothing changes.
    const QString unknown = QStringLiteral("00000000000000000000000000000000000001");
    EXPECT_FALSE(DecodeProtocolBlock(context, 2, unknown));
    EXPECT_EQ(model.choice(QStringLiteral("cbx2PProtocol")), 1);
    ASSERT_EQ(f.catalog.registrations.size(), 2);
    EXPECT_EQ(f.catalog.registrations.last().pair, 2);

    f.catalog.acceptNew = true;
    ASSERT_TRUE(DecodeProtocolBlock(context, 2, unknown));
    EXPECT_EQ(model.choice(QStringLiteral("cbx2PProtocol")), 2);
    EXPECT_EQ(EncodeProtocolBlock(context, 2), unknown);
}

TEST(ProtocolBlock, EmptyLibraryHasNothingToEncode)
{
    ConfigModel model;
    EventCodeTables tables;
    FakeProtocolCatalog catalog(model);
    FakeNotifier notifier;
    const BlockContext context{model, tables, catalog, notifier};
    EXPECT_TRUE(EncodeProtocolBlock(context, 1).isEmpty());
    EXPECT_TRUE(EncodeProtocolBlock(context, 2).isEmpty());
}
