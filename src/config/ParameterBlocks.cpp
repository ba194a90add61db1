#include "config/ParameterBlocks.h"

#include "common/HexText.h"
#include "config/BlockFields.h"
#include "config/ConfigModel.h"
#include "config/ControlNames.h"
#include "events/EventCodeTables.h"

#include <algorithm>

namespace sr5n {

namespace {

using Mark = EventCodeTables::Mark;

constexpr int MinutesPerHour = 60;
constexpr int MinutesPerDay = 24 * MinutesPerHour;
constexpr int SilenceStep = 12;
constexpr int EventListBytes = 4;
constexpr int TestCodeEvent1 = 118;
constexpr int TestCodeEvent2 = 119;

const QString SilenceLevel = QStringLiteral("trbSilenceLevel");

// Up to four 0-based indices of the marked external events, then FF.
QString encodeMarks(const EventCodeTables &tables, Mark kind)
{
    const QList<int> rows = tables.markedRows(kind);
    QString text;
    for (int i = 0; i < EventListBytes; ++i)
        text += i < rows.size() ? ByteText(rows.at(i) - 1) : QStringLiteral("FF");
    return text;
}

// Clears the marks of `kind`, then marks the event of every byte from the
// 1-based position `first` on; indices beyond the table (FF) are skipped.
bool decodeMarks(EventCodeTables &tables, Mark kind, const QString &data, qsizetype first)
{
    tables.clearMarks(kind);
    const int rows = tables.rowCount(EventCodeTables::Table::External);
    for (qsizetype position = first; position <= data.size(); position += 2) {
        const std::optional<int> index = HexNumber(data, position, 2);
        if (!index)
            return false;
        if (*index < rows)
            tables.setMark(*index + 1, kind, true);
    }
    return true;
}

// The fixed event numbers of the separate internal rows `rows` and of the
// test codes among `extra`, as 16-bit numbers in increasing order.
QString eventNumbers(std::initializer_list<int> rows, std::initializer_list<int> extra)
{
    QList<int> numbers(extra);
    for (int row : rows)
        numbers.append(EventCodeTables::separateEventNumber(row));
    std::sort(numbers.begin(), numbers.end());
    QString text;
    for (int number : numbers)
        text += WordText(number);
    return text;
}

} // namespace

// --- test and line check ---

QString EncodeTestBlock(const BlockContext &context)
{
    const ConfigModel &model = context.model;
    QString text;
    for (int pair = 1; pair <= 2; ++pair) {
        text += ByteText(model.flag(pair, u"PTest") ? model.slider(pair, u"PTestPeriod") : 0);
        text += TimeFieldText(model.time(pair, u"PTestStart"));
        if (pair == 1)
            text += QStringLiteral("00");
    }
    text += model.flag(QStringLiteral("chbLineCheck"))
                ? TimeFieldText(model.time(QStringLiteral("dtpLineTestPeriod")))
                : QStringLiteral("0000");
    text += TimeFieldText(model.time(QStringLiteral("dtpLineTestStart")));
    text += ByteText(model.slider(QStringLiteral("trbTestsBeforeFault")));
    text += ByteText(model.slider(QStringLiteral("trbSesansLength")));
    text += QStringLiteral("02");
    text += model.flag(QStringLiteral("chbSendedEventsAfterReset")) ? QStringLiteral("01")
                                                                    : QStringLiteral("00");
    text += QStringLiteral("00");
    return text;
}

bool DecodeTestBlock(const BlockContext &context, const QString &data)
{
    ConfigModel &model = context.model;
    for (int pair = 1; pair <= 2; ++pair) {
        const qsizetype first = pair == 1 ? 1 : 9;
        const std::optional<int> period = HexNumber(data, first, 2);
        if (!period)
            return false;
        model.setFlag(pair, u"PTest", *period != 0);
        if (*period != 0)
            model.setSlider(pair, u"PTestPeriod", *period);
        const std::optional<QTime> start = DecodeTimeField(data, first + 2);
        if (!start)
            return false;
        model.setTime(pair, u"PTestStart", *start);
    }

    const std::optional<QTime> interval = DecodeTimeField(data, 15);
    if (!interval)
        return false;
    const bool lineCheck = *interval != QTime(0, 0);
    model.setFlag(QStringLiteral("chbLineCheck"), lineCheck);
    if (lineCheck)
        model.setTime(QStringLiteral("dtpLineTestPeriod"), *interval);

    const std::optional<QTime> lineStart = DecodeTimeField(data, 19);
    if (!lineStart)
        return false;
    model.setTime(QStringLiteral("dtpLineTestStart"), *lineStart);

    const std::optional<int> tests = HexNumber(data, 23, 2);
    if (!tests)
        return false;
    model.setSlider(QStringLiteral("trbTestsBeforeFault"), *tests);

    const std::optional<int> session = HexNumber(data, 25, 2);
    if (!session)
        return false;
    model.setSlider(QStringLiteral("trbSesansLength"), *session);

    const std::optional<int> stopAfterReset = HexNumber(data, 29, 2);
    if (!stopAfterReset)
        return false;
    model.setFlag(QStringLiteral("chbSendedEventsAfterReset"), *stopAfterReset != 0);
    return true;
}

// --- automatic reset ---

QString EncodeAutoResetBlock(const BlockContext &context)
{
    const ConfigModel &model = context.model;
    QString text;
    for (int pair = 1; pair <= 2; ++pair)
        text += WordText(model.flag(pair, u"PAutoReset")
                             ? model.slider(pair, u"PAutoResetTime") * MinutesPerHour
                             : 0);
    return text;
}

bool DecodeAutoResetBlock(const BlockContext &context, const QString &data)
{
    ConfigModel &model = context.model;
    for (int pair = 1; pair <= 2; ++pair) {
        const std::optional<int> minutes = HexNumber(data, 4 * pair - 3, 4);
        if (!minutes)
            return false;
        const int hours = *minutes / MinutesPerHour;
        model.setFlag(pair, u"PAutoReset", hours != 0);
        if (hours != 0)
            model.setSlider(pair, u"PAutoResetTime", hours);
    }
    return true;
}

// --- voice ---

QString EncodeVoiceBlock(const BlockContext &context)
{
    ConfigModel &model = context.model;
    UncheckEmptyNumber(model, QStringLiteral("edtVoiceNum"));
    const int silence = (model.slider(SilenceLevel) - model.minimum(SilenceLevel)) * SilenceStep;
    return ByteText(model.slider(QStringLiteral("trbPauseLength"))) +
           ByteText(model.slider(QStringLiteral("trbImpulsePeriod"))) +
           ByteText(model.slider(QStringLiteral("trbVoiceCallsTrialCount"))) + ByteText(silence) +
           ByteText(model.slider(QStringLiteral("trbVoiceWaitAnswer"))) +
           ByteText(model.slider(QStringLiteral("trbVoicePauseBeforeCheck"))) +
           EncodePhone(model.text(QStringLiteral("edtVoiceNum")),
                       model.flag(QStringLiteral("chbVoiceNum")),
                       model.flag(QStringLiteral("chbVoiceCheckFree")));
}

bool DecodeVoiceBlock(const BlockContext &context, const QString &data)
{
    ConfigModel &model = context.model;
    static const char *const sliders[] = {"trbPauseLength",          "trbImpulsePeriod",
                                          "trbVoiceCallsTrialCount", nullptr,
                                          "trbVoiceWaitAnswer",      "trbVoicePauseBeforeCheck"};
    for (int i = 0; i < 6; ++i) {
        const std::optional<int> value = HexNumber(data, 2 * i + 1, 2);
        if (!value)
            return false;
        if (sliders[i])
            model.setSlider(QString::fromLatin1(sliders[i]), *value);
        else
            model.setSlider(SilenceLevel, model.minimum(SilenceLevel) + *value / SilenceStep);
    }
    if (data.size() < 14)
        return false;
    model.setFlag(QStringLiteral("chbVoiceNum"), data.at(12) == u'8');
    const bool checkFree = data.at(13).toUpper() != u'E';
    model.setFlag(QStringLiteral("chbVoiceCheckFree"), checkFree);
    model.setText(QStringLiteral("edtVoiceNum"), DecodePhone(data.mid(checkFree ? 12 : 14, 52)));
    return true;
}

// --- incoming calls ---

QString EncodeInCallsBlock(const BlockContext &context)
{
    const ConfigModel &model = context.model;
    return ByteText(model.flag(QStringLiteral("chbInCalls"))
                        ? model.slider(QStringLiteral("trbInCallsParam"))
                        : 0) +
           ByteText(model.choice(QStringLiteral("rgpLineFreq"))) + QString(16, QLatin1Char('0'));
}

bool DecodeInCallsBlock(const BlockContext &context, const QString &data)
{
    ConfigModel &model = context.model;
    const std::optional<int> rings = HexNumber(data, 1, 2);
    if (!rings)
        return false;
    model.setFlag(QStringLiteral("chbInCalls"), *rings != 0);
    if (*rings != 0)
        model.setSlider(QStringLiteral("trbInCallsParam"), *rings);
    const std::optional<int> frequency = HexNumber(data, 3, 2);
    if (!frequency)
        return false;
    model.setChoice(QStringLiteral("rgpLineFreq"), *frequency);
    return true;
}

// --- busy and noise ---

namespace {

// The flag of each bit of the busy and noise byte, bit 0 first.
QStringList busyNoiseFlags()
{
    QStringList flags{QStringLiteral("chbLineTestCheckNoise")};
    for (int pair = 1; pair <= 2; ++pair)
        for (int number = 1; number <= 2; ++number)
            flags << NumberControlName(u"chb", pair, number, u"NCheckBusy");
    flags << QStringLiteral("chbVoiceCheckBusy");
    return flags;
}

} // namespace

QString EncodeBusyNoiseBlock(const BlockContext &context)
{
    const QStringList flags = busyNoiseFlags();
    int bits = 0;
    for (int bit = 0; bit < flags.size(); ++bit)
        if (context.model.flag(flags.at(bit)))
            bits |= 1 << bit;
    return ByteText(bits);
}

bool DecodeBusyNoiseBlock(const BlockContext &context, const QString &data)
{
    // The whole text is one number; its flags live in the last two digits.
    if (!IsHexText(data))
        return false;
    const int bits = *HexNumber(data, std::max<qsizetype>(1, data.size() - 1),
                                std::min<qsizetype>(2, data.size()));
    const QStringList flags = busyNoiseFlags();
    for (int bit = 0; bit < flags.size(); ++bit)
        context.model.setFlag(flags.at(bit), (bits & (1 << bit)) != 0);
    return true;
}

// --- system events ---

QString EncodeSystemEventsBlock(const BlockContext &context)
{
    return CodeText(context.tables.commonCode(EventCodeTables::MemoryFaultRow), 4) +
           eventNumbers({2, 3, 4, 5, 6}, {TestCodeEvent1, TestCodeEvent2});
}

bool DecodeSystemEventsBlock(const BlockContext &context, const QString &data)
{
    const QString code = data.left(4);
    if (code.size() < 4 || !IsHexText(code))
        return false;
    context.tables.setCommonCode(EventCodeTables::MemoryFaultRow, code.toUpper());
    return true;
}

QString EncodeSecondSystemEventsBlock(const BlockContext &)
{
    return eventNumbers({7, 8}, {});
}

bool DecodeSecondSystemEventsBlock(const BlockContext &, const QString &)
{
    return true;
}

// --- group codes ---

QString EncodeGroupCodeBlock(const BlockContext &context)
{
    QString text;
    for (int pair = 1; pair <= 2; ++pair) {
        const QString code = CodeText(context.model.text(pair, u"PGroupCode"), 2);
        text += code.at(1);
        text += code.at(0);
    }
    return text;
}

bool DecodeGroupCodeBlock(const BlockContext &context, const QString &data)
{
    // A short text gives short codes; a character that is no hexadecimal digit
    // would reach the device, so it is refused.
    const QString block = data.left(4);
    if (!block.isEmpty() && !IsHexText(block))
        return false;
    for (int pair = 1; pair <= 2; ++pair) {
        const QString digits = block.mid(2 * pair - 2, 2);
        QString code;
        for (qsizetype i = digits.size() - 1; i >= 0; --i)
            code += digits.at(i);
        context.model.setText(pair, u"PGroupCode", code);
    }
    return true;
}

// --- panel and high-priority events ---

QString EncodePanelBlock(const BlockContext &context)
{
    const ConfigModel &model = context.model;
    const int minutes = model.slider(QStringLiteral("trbPassiveDays")) * MinutesPerDay +
                        model.slider(QStringLiteral("trbPassiveHours")) * MinutesPerHour;
    return WordText(minutes) + encodeMarks(context.tables, Mark::Mandatory);
}

bool DecodePanelBlock(const BlockContext &context, const QString &data)
{
    ConfigModel &model = context.model;
    const std::optional<int> minutes = HexNumber(data, 1, 4);
    if (!minutes)
        return false;
    // Days first, so that the hours' lower bound follows the new days.
    model.setSlider(QStringLiteral("trbPassiveDays"), *minutes / MinutesPerDay);
    model.setSlider(QStringLiteral("trbPassiveHours"), (*minutes / MinutesPerHour) % 24);
    return decodeMarks(context.tables, Mark::Mandatory, data, 5);
}

QString EncodeHighPriorityBlock(const BlockContext &context)
{
    return encodeMarks(context.tables, Mark::HighPriority);
}

bool DecodeHighPriorityBlock(const BlockContext &context, const QString &data)
{
    return decodeMarks(context.tables, Mark::HighPriority, data, 1);
}

} // namespace sr5n
