#include "config/ConfigModel.h"

#include "common/FieldRules.h"
#include "config/ControlNames.h"

#include <QVarLengthArray>
#include <QtGlobal>

#include <algorithm>
#include <numeric>

namespace sr5n {

namespace {

const QString PassiveDays = QStringLiteral("trbPassiveDays");
const QString PassiveHours = QStringLiteral("trbPassiveHours");
const QString LineTestPeriod = QStringLiteral("dtpLineTestPeriod");

QTime withoutSeconds(QTime time)
{
    return QTime(time.hour(), time.minute());
}

} // namespace

struct ConfigModel::Layout {
    QList<Entry> entries;
    QStringList names;
    QHash<QString, qsizetype> index; // of each name in `names` and `entries`
    // The controls whose enabling the model decides, in the order it is told.
    QStringList controls;
    QHash<QString, qsizetype> controlIndex;
    // The distinct conditions, and which one each control follows: applying
    // the enabling evaluates each condition once, whatever the controls.
    QList<EnableSlot> conditions;
    QList<qsizetype> conditionOf;
    QList<bool> enabled;

    Layout();
    void addControl(const QString &name, EnableRule rule, int pair, int number);
};

ConfigModel::Layout::Layout()
{
    for (const ValueDescription &d : ConfigValueDescriptions()) {
        const int pairs = d.scope == ValueScope::Common ? 1 : 2;
        const int numbers = d.scope == ValueScope::Number ? 2 : 1;
        for (int pair = 1; pair <= pairs; ++pair) {
            for (int number = 1; number <= numbers; ++number) {
                const int p = d.scope == ValueScope::Common ? 0 : pair;
                const int n = d.scope == ValueScope::Number ? number : 0;
                const QString name = d.nameFor(pair, number);
                Entry e;
                e.description = &d;
                e.pair = p;
                e.number = n;
                e.value = d.defaultNumber;
                e.text = d.defaultText;
                e.time = QTime(d.defaultNumber / 60, d.defaultNumber % 60);
                e.minimum = d.minimum;
                e.maximum = d.maximum;
                e.items = d.items;
                index.insert(name, entries.size());
                entries.append(e);
                names.append(name);

                addControl(name, d.enableRule, p, n);
                const QString stem = ControlStem(name);
                if (d.labelPlace == LabelPlace::Label)
                    addControl(QStringLiteral("lbl") + stem, d.enableRule, p, n);
                if (d.labelPlace == LabelPlace::Caption || d.kind == ValueKind::Slider)
                    addControl(QStringLiteral("stt") + stem, d.enableRule, p, n);
            }
        }
    }
    for (const GroupDescription &g : ConfigGroupDescriptions()) {
        const QStringList groupNames = g.names();
        for (int i = 0; i < groupNames.size(); ++i) {
            const int p = g.scope == ValueScope::Number ? 1 + i / 2
                          : g.scope == ValueScope::Pair ? 1 + i
                                                        : 0;
            const int n = g.scope == ValueScope::Number ? 1 + i % 2 : 0;
            addControl(groupNames.at(i), g.enableRule, p, n);
        }
    }
    for (const qsizetype condition : std::as_const(conditionOf))
        enabled.append(evaluate(*this, entries, conditions.at(condition)));
}

void ConfigModel::Layout::addControl(const QString &name, EnableRule rule, int pair, int number)
{
    if (controlIndex.contains(name))
        return;
    qsizetype condition = 0;
    while (condition < conditions.size() &&
           !(conditions[condition].rule == rule && conditions[condition].pair == pair &&
             conditions[condition].number == number))
        ++condition;
    if (condition == conditions.size())
        conditions.append(EnableSlot{rule, pair, number});
    controlIndex.insert(name, controls.size());
    controls.append(name);
    conditionOf.append(condition);
}

const ConfigModel::Layout &ConfigModel::layout()
{
    static const Layout built;
    return built;
}

ConfigModel::ConfigModel(QObject *parent)
    : QObject(parent), m_layout(layout()), m_entries(m_layout.entries), m_enabled(m_layout.enabled)
{
}

QStringList ConfigModel::names() const
{
    return m_layout.names;
}

QStringList ConfigModel::enablingNames() const
{
    return m_layout.controls;
}

bool ConfigModel::contains(const QString &name) const
{
    return m_layout.index.contains(name);
}

const ValueDescription *ConfigModel::description(const QString &name) const
{
    const Entry *e = entry(name);
    return e ? e->description : nullptr;
}

const ConfigModel::Entry *ConfigModel::entry(const QString &name) const
{
    const qsizetype at = m_layout.index.value(name, -1);
    return at < 0 ? nullptr : &m_entries.at(at);
}

ConfigModel::Entry *ConfigModel::entry(const QString &name)
{
    const qsizetype at = m_layout.index.value(name, -1);
    return at < 0 ? nullptr : &m_entries[at];
}

const ConfigModel::Entry *ConfigModel::find(const QString &name, ValueKind kind) const
{
    const Entry *e = entry(name);
    if (!e || e->description->kind != kind) {
        qWarning("ConfigModel: no value %s of the requested kind", qUtf8Printable(name));
        return nullptr;
    }
    return e;
}

// The writable entries are the model's own: the list is detached from the
// one it shares with other models before any is handed out.
ConfigModel::Entry *ConfigModel::find(const QString &name, ValueKind kind)
{
    return std::as_const(*this).find(name, kind) ? entry(name) : nullptr;
}

const ConfigModel::Entry *ConfigModel::findNumeric(const QString &name) const
{
    const Entry *e = entry(name);
    if (!e ||
        (e->description->kind != ValueKind::Slider && e->description->kind != ValueKind::Mask)) {
        qWarning("ConfigModel: no slider %s", qUtf8Printable(name));
        return nullptr;
    }
    return e;
}

ConfigModel::Entry *ConfigModel::findNumeric(const QString &name)
{
    return std::as_const(*this).findNumeric(name) ? entry(name) : nullptr;
}

// --- sliders ---

int ConfigModel::slider(const QString &name) const
{
    const Entry *e = findNumeric(name);
    return e ? e->value : 0;
}

void ConfigModel::setSlider(const QString &name, int value)
{
    Entry *e = findNumeric(name);
    if (!e)
        return;
    value = std::clamp(value, e->minimum, e->maximum);
    if (value == e->value)
        return;
    e->value = value;
    emit valueChanged(name);
    if (name == PassiveDays)
        applyPassiveHoursBound();
}

int ConfigModel::slider(int pair, QStringView rest) const
{
    return slider(PairControlName(u"trb", pair, rest));
}

void ConfigModel::setSlider(int pair, QStringView rest, int value)
{
    setSlider(PairControlName(u"trb", pair, rest), value);
}

int ConfigModel::slider(int pair, int number, QStringView rest) const
{
    return slider(NumberControlName(u"trb", pair, number, rest));
}

void ConfigModel::setSlider(int pair, int number, QStringView rest, int value)
{
    setSlider(NumberControlName(u"trb", pair, number, rest), value);
}

int ConfigModel::minimum(const QString &name) const
{
    const Entry *e = entry(name);
    return e ? e->minimum : 0;
}

int ConfigModel::maximum(const QString &name) const
{
    const Entry *e = entry(name);
    return e ? e->maximum : 0;
}

QString ConfigModel::valueText(const QString &name) const
{
    const QString sliderName = name.startsWith(u"stt") ? SwapPrefix(name, u"trb") : name;
    const Entry *e = entry(sliderName);
    if (!e || e->description->kind != ValueKind::Slider)
        return {};
    return ValueText(e->value, e->description->scale, e->description->unit);
}

void ConfigModel::applyPassiveHoursBound()
{
    Entry &hours = *entry(PassiveHours);
    const int bound = entry(PassiveDays)->value == 0 ? 1 : 0;
    if (hours.minimum == bound)
        return;
    hours.minimum = bound;
    if (hours.value < bound) {
        hours.value = bound;
        emit valueChanged(PassiveHours);
    }
    emit rangeChanged(PassiveHours);
}

// --- flags ---

bool ConfigModel::flag(const QString &name) const
{
    const Entry *e = find(name, ValueKind::Flag);
    return e && e->value != 0;
}

void ConfigModel::setFlag(const QString &name, bool on)
{
    Entry *e = find(name, ValueKind::Flag);
    if (!e || (e->value != 0) == on)
        return;
    e->value = on ? 1 : 0;
    emit valueChanged(name);
    applyEnabling();
}

bool ConfigModel::flag(int pair, QStringView rest) const
{
    return flag(PairControlName(u"chb", pair, rest));
}

void ConfigModel::setFlag(int pair, QStringView rest, bool on)
{
    setFlag(PairControlName(u"chb", pair, rest), on);
}

bool ConfigModel::flag(int pair, int number, QStringView rest) const
{
    return flag(NumberControlName(u"chb", pair, number, rest));
}

void ConfigModel::setFlag(int pair, int number, QStringView rest, bool on)
{
    setFlag(NumberControlName(u"chb", pair, number, rest), on);
}

// --- codes and phone numbers ---

QString ConfigModel::text(const QString &name) const
{
    const Entry *e = entry(name);
    if (!e ||
        (e->description->kind != ValueKind::Code && e->description->kind != ValueKind::Phone)) {
        qWarning("ConfigModel: no text field %s", qUtf8Printable(name));
        return {};
    }
    return e->text;
}

void ConfigModel::setText(const QString &name, const QString &text)
{
    Entry *it = entry(name);
    if (!it ||
        (it->description->kind != ValueKind::Code && it->description->kind != ValueKind::Phone)) {
        qWarning("ConfigModel: no text field %s", qUtf8Printable(name));
        return;
    }
    const QString stored = it->description->kind == ValueKind::Phone
                               ? DialText(text)
                               : text.toUpper().left(it->description->maximum);
    if (stored == it->text)
        return;
    it->text = stored;
    emit valueChanged(name);
}

QString ConfigModel::text(int pair, QStringView rest) const
{
    return text(PairControlName(u"edt", pair, rest));
}

void ConfigModel::setText(int pair, QStringView rest, const QString &text)
{
    setText(PairControlName(u"edt", pair, rest), text);
}

QString ConfigModel::text(int pair, int number, QStringView rest) const
{
    return text(NumberControlName(u"edt", pair, number, rest));
}

void ConfigModel::setText(int pair, int number, QStringView rest, const QString &text)
{
    setText(NumberControlName(u"edt", pair, number, rest), text);
}

// --- times ---

QTime ConfigModel::time(const QString &name) const
{
    const Entry *e = find(name, ValueKind::Time);
    return e ? e->time : QTime(0, 0);
}

void ConfigModel::setTime(const QString &name, QTime time)
{
    Entry *e = find(name, ValueKind::Time);
    if (!e || !time.isValid())
        return;
    time = withoutSeconds(time);
    if (time == e->time)
        return;
    // The line-check interval is never zero once it has been edited.
    if (name == LineTestPeriod && time == QTime(0, 0))
        time = QTime(0, 1);
    if (time == e->time)
        return;
    e->time = time;
    emit valueChanged(name);
}

QTime ConfigModel::time(int pair, QStringView rest) const
{
    return time(PairControlName(u"dtp", pair, rest));
}

void ConfigModel::setTime(int pair, QStringView rest, QTime time)
{
    setTime(PairControlName(u"dtp", pair, rest), time);
}

// --- choices ---

int ConfigModel::choice(const QString &name) const
{
    const Entry *e = find(name, ValueKind::Choice);
    return e ? e->value : -1;
}

void ConfigModel::setChoice(const QString &name, int index)
{
    Entry *e = find(name, ValueKind::Choice);
    if (!e)
        return;
    if (e->items.isEmpty())
        index = -1;
    else
        index = std::clamp(index, e->description->minimum, int(e->items.size()) - 1);
    if (index == e->value)
        return;
    e->value = index;
    emit valueChanged(name);
    applyEnabling();
}

int ConfigModel::choice(int pair, QStringView rest) const
{
    return choice(PairControlName(u"cbx", pair, rest));
}

void ConfigModel::setChoice(int pair, QStringView rest, int index)
{
    setChoice(PairControlName(u"cbx", pair, rest), index);
}

QStringList ConfigModel::choiceItems(const QString &name) const
{
    const Entry *e = find(name, ValueKind::Choice);
    return e ? e->items : QStringList();
}

QString ConfigModel::choiceText(const QString &name) const
{
    const Entry *e = find(name, ValueKind::Choice);
    if (!e || e->value < 0 || e->value >= e->items.size())
        return {};
    return e->items.at(e->value);
}

void ConfigModel::setChoiceItems(const QString &name, const QStringList &items)
{
    Entry *e = find(name, ValueKind::Choice);
    if (!e)
        return;
    e->items = items;
    e->maximum = int(items.size()) - 1;
    emit itemsChanged(name);
    const int index = items.isEmpty() ? -1 : std::min(e->value, int(items.size()) - 1);
    if (index != e->value) {
        e->value = index;
        emit valueChanged(name);
        applyEnabling();
    }
}

// --- enabling ---

bool ConfigModel::pairActive(int pair) const
{
    return flag(NumberControlName(u"chb", pair, 1, u"N")) ||
           flag(NumberControlName(u"chb", pair, 2, u"N"));
}

bool ConfigModel::evaluate(const Layout &layout, const QList<Entry> &entries,
                           const EnableSlot &slot)
{
    const auto value = [&](const QString &name) {
        return entries.at(layout.index.value(name)).value;
    };
    const auto flag = [&value](const QString &name) { return value(name) != 0; };
    const auto pairActive = [&flag](int pair) {
        return flag(NumberControlName(u"chb", pair, 1, u"N")) ||
               flag(NumberControlName(u"chb", pair, 2, u"N"));
    };
    switch (slot.rule) {
    case EnableRule::Always:
        return true;
    case EnableRule::NumberInUse:
        return flag(NumberControlName(u"chb", slot.pair, slot.number, u"N"));
    case EnableRule::PairActive:
        return pairActive(slot.pair);
    case EnableRule::PairTest:
        return pairActive(slot.pair) && flag(PairControlName(u"chb", slot.pair, u"PTest"));
    case EnableRule::PairAutoReset:
        return pairActive(slot.pair) && flag(PairControlName(u"chb", slot.pair, u"PAutoReset"));
    case EnableRule::VoiceNumber:
        return flag(QStringLiteral("chbVoiceNum"));
    case EnableRule::IncomingCalls:
        return flag(QStringLiteral("chbInCalls"));
    case EnableRule::LineCheck:
        return flag(QStringLiteral("chbLineCheck"));
    case EnableRule::ProtocolRecheck:
        return flag(QStringLiteral("chbProtocol_Test"));
    case EnableRule::ToneData:
        return value(QStringLiteral("rgpDataFreq")) < 2;
    }
    return true;
}

void ConfigModel::applyEnabling()
{
    QVarLengthArray<bool, 32> met;
    for (const EnableSlot &condition : m_layout.conditions)
        met.append(evaluate(m_layout, m_entries, condition));
    for (qsizetype i = 0; i < m_layout.controls.size(); ++i) {
        const bool enabled = met[m_layout.conditionOf.at(i)];
        if (m_enabled.at(i) == enabled)
            continue;
        m_enabled[i] = enabled;
        emit enabledChanged(m_layout.controls.at(i), enabled);
    }
}

bool ConfigModel::isEnabled(const QString &name) const
{
    const qsizetype index = m_layout.controlIndex.value(name, -1);
    return index < 0 || m_enabled.at(index);
}

void ConfigModel::copyValues(const ConfigModel &source, const QStringList &names)
{
    QList<qsizetype> indexes;
    indexes.reserve(names.size());
    for (const QString &name : names)
        if (const qsizetype at = m_layout.index.value(name, -1); at >= 0)
            indexes.append(at);
    copyEntries(source, indexes);
}

void ConfigModel::copyValues(const ConfigModel &source)
{
    if (m_entries.constData() == source.m_entries.constData())
        return; // shared: nothing differs
    QList<qsizetype> indexes(m_entries.size());
    std::iota(indexes.begin(), indexes.end(), 0);
    copyEntries(source, indexes);
}

void ConfigModel::copyEntries(const ConfigModel &source, const QList<qsizetype> &indexes)
{
    QList<qsizetype> changedValues, changedRanges, changedItems;
    for (const qsizetype at : indexes) {
        const Entry &from = source.m_entries.at(at);
        const Entry &to = std::as_const(m_entries).at(at);
        const bool value = to.value != from.value || to.text != from.text || to.time != from.time;
        const bool range = to.minimum != from.minimum || to.maximum != from.maximum;
        const bool items = to.items != from.items;
        if (value)
            changedValues.append(at);
        if (range)
            changedRanges.append(at);
        if (items)
            changedItems.append(at);
        if (value || range || items)
            m_entries[at] = from;
    }
    // Listeners see the whole copy, whichever change they hear of first.
    for (const qsizetype at : std::as_const(changedItems))
        emit itemsChanged(m_layout.names.at(at));
    for (const qsizetype at : std::as_const(changedRanges))
        emit rangeChanged(m_layout.names.at(at));
    for (const qsizetype at : std::as_const(changedValues))
        emit valueChanged(m_layout.names.at(at));
    applyEnabling();
}

void ConfigModel::uncheckEmptyNumber(const QString &fieldName)
{
    const Entry *e = find(fieldName, ValueKind::Phone);
    if (e && e->text.isEmpty())
        setFlag(SwapPrefix(fieldName, u"chb"), false);
}

} // namespace sr5n
