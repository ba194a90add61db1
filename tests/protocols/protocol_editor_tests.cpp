#include "ProtocolFixtures.h"

#include "config/ConfigModel.h"
#include "config/ProtocolCatalog.h"
#include "protocols/ProtocolEditor.h"

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// A library of fixed records for matching.
class RecordList final : public ProtocolCatalog
{
public:
    QStringList records;

    int protocolCount() const override { return int(records.size()); }
    QString recordAt(int index) const override { return records.value(index); }
    int indexOfRecord(const QString &record) const override
    {
        for (int i = 0; i < records.size(); ++i) {
            if (records.at(i).compare(record, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }
    bool RegisterDeviceProtocol(const QString &, int, const QStringList &) override
    {
        return false;
    }
};

struct Editor : ::testing::Test {
    ConfigModel model;
    ProtocolEditor editor{model};

    // The values of the worked example: every field away from its start value.
    void setFullExample()
    {
        model.setChoice(QStringLiteral("rgpHandshake"), 2);
        model.setChoice(QStringLiteral("rgpImpulseParams"), 3);
        model.setChoice(QStringLiteral("rgpDataFreq"), 1);
        model.setChoice(QStringLiteral("rgpKissOff"), 1);
        model.setFlag(QStringLiteral("chbProtocol_Test"), true);
        model.setChoice(QStringLiteral("rgpProtocol_Test"), 1);
        for (const MaskPanel &panel : MaskPanelList()) {
            for (int position = 1; position <= panel.positions; ++position)
                model.setFlag(panel.digitFlag(position), true);
        }
        model.setText(QStringLiteral("edtPrefix"), QStringLiteral("12AB"));
        model.setSlider(QStringLiteral("sbtPMObject1"), 1);
        model.setSlider(QStringLiteral("sbtPMObject2"), 2);
        model.setSlider(QStringLiteral("sbtPMZone3"), 8);
        model.setSlider(QStringLiteral("trbHandshake1400"), 10);
        model.setSlider(QStringLiteral("trbHandshake2300"), 25);
        model.setSlider(QStringLiteral("trbKissoff"), 250);
    }

    void expectFullExample()
    {
        EXPECT_EQ(model.choice(QStringLiteral("rgpHandshake")), 2);
        EXPECT_EQ(model.choiceText(QStringLiteral("rgpHandshake")),
                  QStringLiteral("1400 / 2300 Гц"));
        EXPECT_EQ(model.choiceText(QStringLiteral("rgpImpulseParams")), QStringLiteral("33 pps"));
        EXPECT_EQ(model.choiceText(QStringLiteral("rgpDataFreq")), QStringLiteral("1900 Гц"));
        EXPECT_EQ(model.choiceText(QStringLiteral("rgpKissOff")), QStringLiteral("2300 Гц"));
        EXPECT_TRUE(model.flag(QStringLiteral("chbProtocol_Test")));
        EXPECT_EQ(model.choiceText(QStringLiteral("rgpProtocol_Test")),
                  QStringLiteral("Двойная отправка"));
        for (const MaskPanel &panel : MaskPanelList()) {
            for (int position = 1; position <= panel.positions; ++position) {
                EXPECT_TRUE(model.flag(panel.digitFlag(position)))
                    << panel.digitFlag(position).toStdString();
                const int expected = panel.maskButton(position) == u"sbtPMObject1"   ? 1
                                     : panel.maskButton(position) == u"sbtPMObject2" ? 2
                                     : panel.maskButton(position) == u"sbtPMZone3"   ? 8
                                                                                     : 0;
                EXPECT_EQ(model.slider(panel.maskButton(position)), expected);
            }
        }
        EXPECT_EQ(model.text(QStringLiteral("edtPrefix")), QStringLiteral("12AB"));
        EXPECT_EQ(model.valueText(QStringLiteral("sttHandshake1400")), QStringLiteral("200 мс"));
        EXPECT_EQ(model.valueText(QStringLiteral("sttHandshake2300")), QStringLiteral("500 мс"));
        EXPECT_EQ(model.valueText(QStringLiteral("sttKissoff")), QStringLiteral("5000 мс"));
        EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMObject1")), QStringLiteral("1"));
        EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMObject2")), QStringLiteral("2"));
        EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMZone3")), QStringLiteral("B"));
        EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMEvent1")), QStringLiteral("..."));
        EXPECT_TRUE(model.isEnabled(QStringLiteral("rgpImpulseParams")));
        EXPECT_TRUE(model.isEnabled(QStringLiteral("rgpProtocol_Test")));
    }
};

TEST_F(Editor, StartValuesEncodeAndDecodeBack)
{
    EXPECT_EQ(editor.EncodeProtocol(), QLatin1String(test::StartRecord));
    EXPECT_EQ(editor.CurrentProtocol(), QLatin1String(test::StartRecord));
    EXPECT_EQ(model.valueText(QStringLiteral("sttHandshake1400")), QStringLiteral("100 мс"));
    EXPECT_EQ(model.valueText(QStringLiteral("sttHandshake2300")), QStringLiteral("100 мс"));
    EXPECT_EQ(model.valueText(QStringLiteral("sttKissoff")), QStringLiteral("60 мс"));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("rgpProtocol_Test")));

    setFullExample();
    ASSERT_TRUE(editor.DecodeProtocol(QLatin1String(test::StartRecord)));
    EXPECT_EQ(editor.EncodeProtocol(), QLatin1String(test::StartRecord));
    EXPECT_EQ(model.text(QStringLiteral("edtPrefix")), QStringLiteral("0000"));
    EXPECT_EQ(model.valueText(QStringLiteral("sttKissoff")), QStringLiteral("60 мс"));
    EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMObject1")), QStringLiteral("..."));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("rgpProtocol_Test")));
}

TEST_F(Editor, FullExampleEncodesAndDecodesEveryValue)
{
    setFullExample();
    EXPECT_EQ(editor.EncodeProtocol(), QLatin1String(test::FullRecord));
    EXPECT_EQ(editor.CurrentProtocol(), QLatin1String(test::FullRecord)); // kept by the rematch

    ConfigModel fresh;
    ProtocolEditor decoder(fresh);
    ASSERT_TRUE(decoder.DecodeProtocol(QLatin1String(test::FullRecord)));
    EXPECT_EQ(decoder.CurrentProtocol(), QLatin1String(test::FullRecord));
    EXPECT_EQ(decoder.EncodeProtocol(), QLatin1String(test::FullRecord));
    ASSERT_TRUE(editor.DecodeProtocol(QLatin1String(test::FullRecord)));
    expectFullExample();
}

// The worked example with the re-check flag and its type set apart: swapping
// their bits (2 and 3 of the flags byte) changes the record either way.
TEST_F(Editor, RecheckFlagAndTypeKeepTheirOwnBits)
{
    const struct {
        bool recheck;
        int type;
        const char *flags;
    } cases[] = {{true, 0, "07"}, {false, 1, "0B"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.flags);
        setFullExample();
        model.setFlag(QStringLiteral("chbProtocol_Test"), c.recheck);
        model.setChoice(QStringLiteral("rgpProtocol_Test"), c.type);
        const QString record =
            QString::fromLatin1(test::FullRecord).replace(6, 2, QLatin1String(c.flags));
        EXPECT_EQ(editor.EncodeProtocol(), record);

        ConfigModel fresh;
        ProtocolEditor decoder(fresh);
        ASSERT_TRUE(decoder.DecodeProtocol(record));
        EXPECT_EQ(fresh.flag(QStringLiteral("chbProtocol_Test")), c.recheck);
        EXPECT_EQ(fresh.choice(QStringLiteral("rgpProtocol_Test")), c.type);
        EXPECT_EQ(fresh.isEnabled(QStringLiteral("rgpProtocol_Test")), c.recheck);
        EXPECT_EQ(decoder.EncodeProtocol(), record);
    }
}

TEST_F(Editor, DtmfKeepsThePulseRateAndDisablesIt)
{
    model.setChoice(QStringLiteral("rgpImpulseParams"), 4);
    model.setChoice(QStringLiteral("rgpDataFreq"), 2);
    EXPECT_TRUE(editor.EncodeProtocol().startsWith(u"00040000"));
    EXPECT_FALSE(model.isEnabled(QStringLiteral("rgpImpulseParams")));
    model.setChoice(QStringLiteral("rgpDataFreq"), 0);
    EXPECT_TRUE(model.isEnabled(QStringLiteral("rgpImpulseParams")));
}

TEST_F(Editor, DataModeByteDecidesDtmfBeforeTheFrequencyBit)
{
    const struct {
        const char *modeAndFlags;
        int dataFreq;
    } cases[] = {{"0001", 2}, {"0000", 2}, {"0100", 0}, {"0101", 1}, {"0701", 1}, {"FF00", 0}};
    for (const auto &c : cases) {
        QString record = QLatin1String(test::StartRecord);
        record.replace(4, 4, QLatin1String(c.modeAndFlags));
        ASSERT_TRUE(editor.DecodeProtocol(record)) << c.modeAndFlags;
        EXPECT_EQ(model.choice(QStringLiteral("rgpDataFreq")), c.dataFreq) << c.modeAndFlags;
    }
}

TEST_F(Editor, OutOfRangeFieldsTakeTheNearestChoiceOrBound)
{
    const QString record = QStringLiteral("05000100000000000000000000000000050501");
    ASSERT_TRUE(editor.DecodeProtocol(record));
    EXPECT_EQ(model.choiceText(QStringLiteral("rgpHandshake")), QStringLiteral("2300 / 1400 Гц"));
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 3);
    EXPECT_EQ(model.valueText(QStringLiteral("sttKissoff")), QStringLiteral("60 мс"));
    EXPECT_EQ(editor.CurrentProtocol(), record);
    EXPECT_NE(editor.EncodeProtocol(), record);
    EXPECT_EQ(editor.EncodeProtocol(), QStringLiteral("03000100000000000000000000000000050503"));
}

TEST_F(Editor, ShortRecordStopsAtTheKissoffLength)
{
    model.setSlider(QStringLiteral("trbKissoff"), 40);
    const QString before = editor.CurrentProtocol();
    const QString shortRecord = QString::fromLatin1(test::FullRecord).left(36);
    EXPECT_FALSE(editor.DecodeProtocol(shortRecord));
    EXPECT_FALSE(editor.decoding());
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 40);
    EXPECT_EQ(model.slider(QStringLiteral("trbHandshake2300")), 25);
    EXPECT_EQ(model.text(QStringLiteral("edtPrefix")), QStringLiteral("12AB"));
    EXPECT_EQ(editor.CurrentProtocol(), before);
}

TEST_F(Editor, BadFieldsStopDecodingWhereTheyAre)
{
    // A non-hexadecimal handshake changes nothing; a bad prefix stops after the digit flags.
    EXPECT_FALSE(editor.DecodeProtocol(QStringLiteral("0G000100000000000000000000000000050503")));
    EXPECT_EQ(editor.EncodeProtocol(), QLatin1String(test::StartRecord));
    EXPECT_FALSE(editor.DecodeProtocol(QStringLiteral("0203010FFF1F12G421000000000008000A19FA")));
    EXPECT_TRUE(model.flag(QStringLiteral("chbZone3")));
    EXPECT_EQ(model.text(QStringLiteral("edtPrefix")), QStringLiteral("0000"));
    EXPECT_EQ(model.slider(QStringLiteral("sbtPMObject1")), 0);
    EXPECT_EQ(editor.CurrentProtocol(), QLatin1String(test::StartRecord));
    // Lower-case digits read as upper-case ones; characters after the 38th are ignored.
    EXPECT_TRUE(editor.DecodeProtocol(QString::fromLatin1(test::FullRecord).toLower() + "ZZ"));
    expectFullExample();
}

TEST_F(Editor, MaskCaptionsShowTheSelectedPrefixCharacters)
{
    EXPECT_EQ(MaskCaption(QStringLiteral("12AB"), 0), QStringLiteral("..."));
    EXPECT_EQ(MaskCaption(QStringLiteral("12AB"), 2 + 8), QStringLiteral("2B"));
    EXPECT_EQ(MaskCaption(QStringLiteral("12AB"), 1 + 4), QStringLiteral("1A"));
    EXPECT_EQ(MaskCaption(QStringLiteral("0007"), 15), QStringLiteral("0007"));

    model.setSlider(QStringLiteral("sbtPMGroup2"), 15);
    EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMGroup2")), QStringLiteral("..."));
    editor.ShowPrefixMasks(QStringLiteral("0007"));
    EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMGroup2")), QStringLiteral("0007"));
    EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMGroup1")), QStringLiteral("..."));
}

TEST_F(Editor, RematchSelectsTheMatchingLibraryProtocolAndClearsIt)
{
    RecordList library;
    QString other = QLatin1String(test::StartRecord);
    other.replace(36, 2, QStringLiteral("04"));
    library.records = {QStringLiteral("0203010fff1f12ab21000000000008000a19fa"), other};
    editor.setCatalog(&library);
    editor.setChooserItems({QStringLiteral("A"), QStringLiteral("B")}, -1);
    int deleteChanges = 0;
    QObject::connect(&editor, &ProtocolEditor::deleteEnabledChanged, [&] { ++deleteChanges; });

    model.setSlider(QStringLiteral("trbKissoff"), 4);
    EXPECT_EQ(editor.chooserIndex(), 1);
    EXPECT_TRUE(editor.deleteEnabled());
    model.setSlider(QStringLiteral("trbKissoff"), 3);
    EXPECT_EQ(editor.chooserIndex(), -1);
    EXPECT_FALSE(editor.deleteEnabled());

    // A library record in lower case matches the editor's upper-case record.
    setFullExample();
    EXPECT_EQ(editor.chooserIndex(), 0);
    EXPECT_TRUE(editor.deleteEnabled());
    EXPECT_EQ(deleteChanges, 3);

    // Choosing an entry decodes it; the values it sets do not rematch meanwhile.
    editor.cbxProtocolSelect(1);
    EXPECT_EQ(editor.chooserIndex(), 1);
    EXPECT_EQ(editor.CurrentProtocol(), other);
    EXPECT_EQ(model.slider(QStringLiteral("trbKissoff")), 4);
    editor.setCatalog(nullptr);
}

TEST_F(Editor, MaskSelectionFromTheDialogRecapsAndRematches)
{
    model.setText(QStringLiteral("edtPrefix"), QStringLiteral("12AB"));
    editor.applyMaskSelection(QStringLiteral("sbtPMEvent3"), 2 + 8);
    EXPECT_EQ(model.slider(QStringLiteral("sbtPMEvent3")), 10);
    EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMEvent3")), QStringLiteral("2B"));
    EXPECT_EQ(editor.CurrentProtocol().mid(22, 2), QStringLiteral("0A"));
    editor.applyMaskSelection(QStringLiteral("sbtPMEvent3"), 0);
    EXPECT_EQ(editor.maskCaption(QStringLiteral("sbtPMEvent3")), QStringLiteral("..."));
}

} // namespace
