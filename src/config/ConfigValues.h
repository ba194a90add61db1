#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace sr5n {

// What a configuration value is.
enum class ValueKind {
    Slider, // an integer in a closed range, shown with a value text
    Flag,   // on or off
    Code,   // a fixed number of hexadecimal digits, upper case
    Phone,  // at most 24 characters of "0"-"9", "A"-"D"
    Time,   // hours and minutes
    Choice, // a 0-based index into a list of texts
    Mask,   // a prefix selection of the protocol editor, 0-15
};

// Whom a value belongs to, and so how its name is composed.
enum class ValueScope {
    Common, // prefix + rest
    Pair,   // prefix + pair digit + rest ("P...")
    Number, // prefix + pair digit + "P" + number digit + rest ("N...")
};

// Where the value's label text is shown.
enum class LabelPlace {
    None,
    Label,   // a label "lbl" + stem beside the control
    Caption, // a clickable static text "stt" + stem beside a caption-less check box
    OwnText, // the check box's own text
    Title,   // the title of a radio group
};

// When a control is enabled.
enum class EnableRule {
    Always,
    NumberInUse,     // the number's flag is on
    PairActive,      // one of the pair's two number flags is on
    PairTest,        // the pair is active and its test flag is on
    PairAutoReset,   // the pair is active and its automatic-reset flag is on
    VoiceNumber,     // chbVoiceNum is on
    IncomingCalls,   // chbInCalls is on
    LineCheck,       // chbLineCheck is on
    ProtocolRecheck, // chbProtocol_Test is on
    ToneData,        // rgpDataFreq is a tone frequency (index 0 or 1)
};

// The pages of the main window that show the configuration, in tab order.
// A value of a pair or of one of its numbers is on its pair's page.
enum class ConfigPage {
    FirstPair,
    SecondPair,
    VoiceCallsPanel,
    Parameters,
    InternalCodes,
    ExternalCodes,
    ProtocolEditor,
};

// The tab caption of a page ("Первая пара номеров").
QString PageCaption(ConfigPage page);

// Tags of the unit suffix list, in list order.
enum UnitTag { UnitNone = 0, UnitMs, UnitSeconds, UnitMinutes, UnitHours, UnitDbm, UnitDays };

// One configuration value. Sliders, flags, choices and masks keep their
// default in `defaultNumber`, times as minutes after midnight; codes and
// phone numbers in `defaultText`.
struct ValueDescription {
    QString prefix;
    QString rest;
    ValueScope scope = ValueScope::Common;
    ValueKind kind = ValueKind::Flag;
    int minimum = 0; // slider/mask bound; code length
    int maximum = 0; // slider/mask bound; code or phone maximum length
    int defaultNumber = 0;
    QString defaultText;
    int unit = UnitNone; // value text tag (sliders)
    int scale = 1;       // the value text shows value x scale
    QString label;
    QString secondLabel; // number 2's label when it differs from number 1's
    LabelPlace labelPlace = LabelPlace::None;
    QStringList items; // choices; empty when filled from outside (protocol choosers)
    EnableRule enableRule = EnableRule::Always;
    // The page it is on; FirstPair stands for its own pair's page.
    ConfigPage page = ConfigPage::ProtocolEditor;

    // The control names of this value: one, two (per pair) or four (per number).
    QStringList names() const;
    // The control name for the given pair and number (ignored where the scope has none).
    QString nameFor(int pair, int number) const;
    // The label text of the value for the given number.
    QString labelFor(int number) const;
    // The page the value of the given pair is on.
    ConfigPage pageFor(int pair) const;
};

// Every configuration value, each described once: the pair pages, the
// voice/incoming/panel page, the parameters page and the protocol editor.
const QList<ValueDescription> &ConfigValueDescriptions();

// The names of the values a configuration carries (its blocks and files), in
// description order: every value but the protocol editor's.
const QStringList &ConfigurationValueNames();

// A group frame: its name, its title (blank when a check box titles it) and
// when its controls are enabled.
struct GroupDescription {
    QString rest;
    ValueScope scope = ValueScope::Common;
    QString title;
    EnableRule enableRule = EnableRule::Always;

    QStringList names() const;
};

const QList<GroupDescription> &ConfigGroupDescriptions();

// "", "мс", "с", "м", "ч", "дБм", "д", indexed by a value text's tag.
const QStringList &UnitSuffixes();

// A slider's value text: value x scale in decimal, a blank, the unit suffix.
QString ValueText(int value, int scale, int unitTag);

// The pop-up hint of the phone number fields.
QString PhoneNumberHint();

} // namespace sr5n
