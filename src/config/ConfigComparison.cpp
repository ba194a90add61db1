#include "config/ConfigComparison.h"

#include "config/ConfigModel.h"
#include "config/ControlNames.h"
#include "config/ValueTexts.h"

#include <QHash>

#include <algorithm>

namespace sr5n {

namespace {

using Kind = ConfigDifference::Kind;
using Mark = EventCodeTables::Mark;
using Table = EventCodeTables::Table;

const QString kDash = QStringLiteral(" — ");

// The configuration pages of the values, in tab order.
constexpr ConfigPage kValuePages[] = {ConfigPage::FirstPair, ConfigPage::SecondPair,
                                      ConfigPage::VoiceCallsPanel, ConfigPage::Parameters};

bool sameValue(const ConfigModel &a, const ConfigModel &b, const QString &name, ValueKind kind)
{
    switch (kind) {
    case ValueKind::Slider:
    case ValueKind::Mask:
        return a.slider(name) == b.slider(name);
    case ValueKind::Flag:
        return a.flag(name) == b.flag(name);
    case ValueKind::Code:
    case ValueKind::Phone:
        return a.text(name) == b.text(name);
    case ValueKind::Time:
        return a.time(name) == b.time(name);
    case ValueKind::Choice:
        return a.choice(name) == b.choice(name);
    }
    return true;
}

const QString kPassiveDays = QStringLiteral("trbPassiveDays");
const QString kPassiveHours = QStringLiteral("trbPassiveHours");

// The device keeps the passivity as one period: 3 days 24 hours and 4 days
// 0 hours are the same configuration, and neither of its values differs.
bool samePassivity(const ConfigModel &a, const ConfigModel &b)
{
    const auto hours = [](const ConfigModel &model) {
        return model.slider(kPassiveDays) * 24 + model.slider(kPassiveHours);
    };
    return hours(a) == hours(b);
}

// The flag that titles the group a value sits in, when the value is one of
// several alike on its page ("Номер телефона:" of the first or second number).
QString groupFlag(const ValueDescription &d, int pair, int number)
{
    switch (d.enableRule) {
    case EnableRule::NumberInUse:
        return NumberControlName(u"chb", pair, number, u"N");
    case EnableRule::PairTest:
        return PairControlName(u"chb", pair, u"PTest");
    case EnableRule::PairAutoReset:
        return PairControlName(u"chb", pair, u"PAutoReset");
    case EnableRule::VoiceNumber:
        return QStringLiteral("chbVoiceNum");
    case EnableRule::IncomingCalls:
        return QStringLiteral("chbInCalls");
    case EnableRule::LineCheck:
        return QStringLiteral("chbLineCheck");
    default:
        return {};
    }
}

// A page label as a caption of its own: without the colon that leads to its field.
QString labelCaption(const QString &label)
{
    QString caption = CaptionText(label);
    if (caption.endsWith(u':'))
        caption.chop(1);
    return caption;
}

// The caption of a value as its page shows it, after the title of its group.
QString valueCaption(const ConfigModel &model, const ValueDescription &d, int pair, int number)
{
    const QString label = labelCaption(d.labelFor(number));
    const QString flag = groupFlag(d, pair, number);
    const ValueDescription *group = flag.isEmpty() ? nullptr : model.description(flag);
    return group ? labelCaption(group->labelFor(number)) + kDash + label : label;
}

class Collector
{
public:
    Collector(const ConfigSide &mine, const ConfigSide &other, const QLocale &locale)
        : m_mine(mine), m_other(other), m_locale(locale)
    {
    }

    void values(ConfigPage page)
    {
        // A pair's page: each number's values in turn, then the pair's own.
        const int pair = page == ConfigPage::FirstPair ? 1 : page == ConfigPage::SecondPair ? 2 : 0;
        if (pair != 0) {
            for (int number = 1; number <= 2; ++number)
                valuesOf(page, ValueScope::Number, pair, number);
            valuesOf(page, ValueScope::Pair, pair, 0);
        } else {
            valuesOf(page, ValueScope::Common, 0, 0);
        }
    }

    void internalCodes()
    {
        const EventCodeTables &a = m_mine.tables;
        const EventCodeTables &b = m_other.tables;
        const QStringList headers = EventCodeTables::columnHeaders(Table::Separate);
        const int separate = std::min(a.rowCount(Table::Separate), b.rowCount(Table::Separate));
        for (int r = 1; r <= separate; ++r) {
            for (int pair = 1; pair <= 2; ++pair) {
                const QString mine = a.separateCode(r, pair);
                const QString other = b.separateCode(r, pair);
                if (mine != other) {
                    ConfigDifference &d =
                        add(ConfigPage::InternalCodes,
                            eventCaption(Table::Separate, r) + kDash + headers.at(1 + pair), mine,
                            other, Kind::SeparateCode);
                    d.row = r;
                    d.pair = pair;
                }
            }
        }
        const QString commonHeader = EventCodeTables::columnHeaders(Table::Common).at(2);
        const int common = std::min(a.rowCount(Table::Common), b.rowCount(Table::Common));
        for (int r = 1; r <= common; ++r) {
            const QString mine = a.commonCode(r);
            const QString other = b.commonCode(r);
            if (mine != other)
                add(ConfigPage::InternalCodes,
                    eventCaption(Table::Common, r) + kDash + commonHeader, mine, other,
                    Kind::CommonCode)
                    .row = r;
        }
    }

    void externalCodes()
    {
        const EventCodeTables &a = m_mine.tables;
        const EventCodeTables &b = m_other.tables;
        const QStringList headers = EventCodeTables::columnHeaders(Table::External);
        const int rows = std::min(a.rowCount(Table::External), b.rowCount(Table::External));
        for (int r = 1; r <= rows; ++r) {
            QString event; // composed only for an event that differs
            for (int pair = 1; pair <= 2; ++pair) {
                const QStringList mine = a.zoneCodes(r, pair);
                const QStringList other = b.zoneCodes(r, pair);
                if (mine == other)
                    continue;
                if (event.isEmpty())
                    event = eventCaption(Table::External, r);
                const QString column =
                    event + kDash + headers.at(1 + pair) + QStringLiteral(", зона ");
                for (int zone = 0; zone < std::min(mine.size(), other.size()); ++zone) {
                    if (mine.at(zone) == other.at(zone))
                        continue;
                    ConfigDifference &d =
                        add(ConfigPage::ExternalCodes, column + QString::number(zone),
                            mine.at(zone), other.at(zone), Kind::ZoneCode);
                    d.row = r;
                    d.pair = pair;
                    d.zone = zone;
                }
            }
            const std::pair<Mark, int> marks[] = {{Mark::HighPriority, 4}, {Mark::Mandatory, 5}};
            for (const auto &[mark, column] : marks) {
                const bool mine = a.mark(r, mark);
                const bool other = b.mark(r, mark);
                if (mine == other)
                    continue;
                if (event.isEmpty())
                    event = eventCaption(Table::External, r);
                ConfigDifference &d =
                    add(ConfigPage::ExternalCodes, event + kDash + headers.at(column),
                        markText(mine), markText(other), Kind::Mark);
                d.row = r;
                d.mark = mark;
            }
        }
    }

    QList<ConfigDifference> result() { return std::move(m_result); }

private:
    void valuesOf(ConfigPage page, ValueScope scope, int pair, int number)
    {
        const ConfigModel &a = m_mine.model;
        const ConfigModel &b = m_other.model;
        for (const ValueDescription &d : ConfigValueDescriptions()) {
            if (d.scope != scope || d.pageFor(pair) != page)
                continue;
            const QString name = d.nameFor(pair, number);
            if (sameValue(a, b, name, d.kind) ||
                ((name == kPassiveDays || name == kPassiveHours) && samePassivity(a, b)))
                continue;
            add(page, valueCaption(a, d, pair, number), ValueDisplayText(a, name, m_locale),
                ValueDisplayText(b, name, m_locale), Kind::Value)
                .name = name;
        }
    }

    // "<№>. <event name>", as the table's row shows the event.
    QString eventCaption(Table table, int row) const
    {
        const EventRow event = m_mine.tables.row(table, row);
        const QString number =
            event.displayNumber.isEmpty() ? QString::number(row) : event.displayNumber;
        return event.name.isEmpty() ? number : number + QStringLiteral(". ") + event.name;
    }

    static QString markText(bool on)
    {
        return on ? QStringLiteral("отмечено") : QStringLiteral("не отмечено");
    }

    ConfigDifference &add(ConfigPage page, const QString &caption, const QString &mine,
                          const QString &other, Kind kind)
    {
        ConfigDifference d;
        d.page = page;
        d.caption = caption;
        // Values as the pages show them, without the padding of their labels.
        d.thisText = mine.trimmed();
        d.otherText = other.trimmed();
        d.kind = kind;
        m_result.append(std::move(d));
        return m_result.last();
    }

    const ConfigSide &m_mine;
    const ConfigSide &m_other;
    const QLocale &m_locale;
    QList<ConfigDifference> m_result;
};

void takeValue(const ConfigDifference &d, ConfigModel &model, const ConfigModel &from)
{
    const ValueDescription *description = from.description(d.name);
    if (!description)
        return;
    switch (description->kind) {
    case ValueKind::Slider:
    case ValueKind::Mask:
        model.setSlider(d.name, from.slider(d.name));
        break;
    case ValueKind::Flag:
        model.setFlag(d.name, from.flag(d.name));
        break;
    case ValueKind::Code:
    case ValueKind::Phone:
        model.setText(d.name, from.text(d.name));
        break;
    case ValueKind::Time:
        model.setTime(d.name, from.time(d.name));
        break;
    case ValueKind::Choice:
        model.setChoice(d.name, from.choice(d.name));
        break;
    }
}

} // namespace

QList<ConfigDifference> CompareConfigurations(const ConfigSide &mine, const ConfigSide &other,
                                              const QLocale &locale)
{
    Collector collector(mine, other, locale);
    for (const ConfigPage page : kValuePages)
        collector.values(page);
    collector.internalCodes();
    collector.externalCodes();
    return collector.result();
}

QList<ConfigDifference> TakeDifferences(const QList<ConfigDifference> &differences,
                                        ConfigModel &model, EventCodeTables &tables,
                                        const ConfigSide &other)
{
    QList<ConfigDifference> refused;
    QList<const ConfigDifference *> marksToSet;
    // Zone codes go in one change per cell: the cell's summary is shown once.
    QHash<QPair<int, int>, QStringList> zones;
    QList<QPair<int, int>> zoneOrder;
    for (const ConfigDifference &d : differences) {
        switch (d.kind) {
        case Kind::Value:
            takeValue(d, model, other.model);
            break;
        case Kind::SeparateCode:
            tables.setSeparateCode(d.row, d.pair, other.tables.separateCode(d.row, d.pair));
            break;
        case Kind::CommonCode:
            tables.setCommonCode(d.row, other.tables.commonCode(d.row));
            break;
        case Kind::ZoneCode: {
            const QPair<int, int> cell(d.row, d.pair);
            auto it = zones.find(cell);
            if (it == zones.end()) {
                it = zones.insert(cell, tables.zoneCodes(d.row, d.pair));
                zoneOrder.append(cell);
            }
            if (d.zone >= 0 && d.zone < it->size())
                (*it)[d.zone] = other.tables.zoneCode(d.row, d.pair, d.zone);
            break;
        }
        case Kind::Mark:
            if (other.tables.mark(d.row, d.mark))
                marksToSet.append(&d);
            else
                tables.setMark(d.row, d.mark, false);
            break;
        }
    }
    for (const QPair<int, int> &cell : std::as_const(zoneOrder))
        tables.setZoneCodes(cell.first, cell.second, zones.value(cell));
    for (const ConfigDifference *d : std::as_const(marksToSet))
        if (!tables.setMark(d->row, d->mark, true))
            refused.append(*d);
    return refused;
}

QString NoDifferencesText()
{
    return QStringLiteral("Различий нет");
}

QString DifferencesText(const QList<ConfigDifference> &differences)
{
    if (differences.isEmpty())
        return NoDifferencesText() + u'\n';
    QString text;
    bool first = true;
    ConfigPage page = ConfigPage::FirstPair;
    for (const ConfigDifference &d : differences) {
        if (first || d.page != page) {
            text += PageCaption(d.page) + u'\n';
            page = d.page;
            first = false;
        }
        text += QStringLiteral("  ") + d.caption + QStringLiteral(": ") + d.thisText +
                QStringLiteral(" → ") + d.otherText + u'\n';
    }
    return text;
}

} // namespace sr5n
