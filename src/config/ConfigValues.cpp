#include "config/ConfigValues.h"

#include "config/ControlNames.h"

namespace sr5n {

namespace {

using S = ValueScope;
using R = EnableRule;

ValueDescription slider(S scope, const char *rest, const char *label, int minimum, int maximum,
                        int defaultValue, int unit, R rule, int scale = 1)
{
    ValueDescription d;
    d.prefix = QStringLiteral("trb");
    d.rest = QString::fromUtf8(rest);
    d.scope = scope;
    d.kind = ValueKind::Slider;
    d.minimum = minimum;
    d.maximum = maximum;
    d.defaultNumber = defaultValue;
    d.unit = unit;
    d.scale = scale;
    d.label = QString::fromUtf8(label);
    d.labelPlace = LabelPlace::Label;
    d.enableRule = rule;
    return d;
}

ValueDescription flag(S scope, const char *rest, const char *label, LabelPlace place, bool on,
                      R rule)
{
    ValueDescription d;
    d.prefix = QStringLiteral("chb");
    d.rest = QString::fromUtf8(rest);
    d.scope = scope;
    d.kind = ValueKind::Flag;
    d.maximum = 1;
    d.defaultNumber = on ? 1 : 0;
    d.label = QString::fromUtf8(label);
    d.labelPlace = place;
    d.enableRule = rule;
    return d;
}

ValueDescription code(S scope, const char *rest, const char *label, int length, R rule)
{
    ValueDescription d;
    d.prefix = QStringLiteral("edt");
    d.rest = QString::fromUtf8(rest);
    d.scope = scope;
    d.kind = ValueKind::Code;
    d.minimum = length;
    d.maximum = length;
    d.defaultText = QString(length, QLatin1Char('0'));
    d.label = QString::fromUtf8(label);
    d.labelPlace = LabelPlace::Label;
    d.enableRule = rule;
    return d;
}

ValueDescription phone(S scope, const char *rest, R rule)
{
    ValueDescription d;
    d.prefix = QStringLiteral("edt");
    d.rest = QString::fromUtf8(rest);
    d.scope = scope;
    d.kind = ValueKind::Phone;
    d.maximum = 24;
    d.label = QStringLiteral("Номер телефона:");
    d.labelPlace = LabelPlace::Label;
    d.enableRule = rule;
    return d;
}

ValueDescription time(S scope, const char *rest, const char *label, R rule)
{
    ValueDescription d;
    d.prefix = QStringLiteral("dtp");
    d.rest = QString::fromUtf8(rest);
    d.scope = scope;
    d.kind = ValueKind::Time;
    d.maximum = 23 * 60 + 59;
    d.label = QString::fromUtf8(label);
    d.labelPlace = LabelPlace::Label;
    d.enableRule = rule;
    return d;
}

ValueDescription radio(const char *rest, const char *title, QStringList items, R rule)
{
    ValueDescription d;
    d.prefix = QStringLiteral("rgp");
    d.rest = QString::fromUtf8(rest);
    d.kind = ValueKind::Choice;
    d.maximum = int(items.size()) - 1;
    d.items = std::move(items);
    d.label = QString::fromUtf8(title);
    d.labelPlace = d.label.isEmpty() ? LabelPlace::None : LabelPlace::Title;
    d.enableRule = rule;
    return d;
}

ValueDescription protocolChooser()
{
    ValueDescription d;
    d.prefix = QStringLiteral("cbx");
    d.rest = QStringLiteral("PProtocol");
    d.scope = S::Pair;
    d.kind = ValueKind::Choice;
    d.minimum = -1; // no selection while the library is empty
    d.maximum = -1;
    d.defaultNumber = -1;
    d.label = QStringLiteral("Протокол передачи данных:");
    d.labelPlace = LabelPlace::Label;
    d.enableRule = R::PairActive;
    return d;
}

ValueDescription mask(const QString &rest)
{
    ValueDescription d;
    d.prefix = QStringLiteral("sbtPM");
    d.rest = rest;
    d.kind = ValueKind::Mask;
    d.maximum = 15;
    return d;
}

QList<ValueDescription> buildDescriptions()
{
    const auto C = LabelPlace::Caption;
    const auto O = LabelPlace::OwnText;
    QList<ValueDescription> list;
    // The values added since the last call are on `page`.
    qsizetype placed = 0;
    const auto onPage = [&list, &placed](ConfigPage page) {
        for (; placed < list.size(); ++placed)
            list[placed].page = page;
    };

    // One station number (four of them: two per pair).
    ValueDescription numberFlag =
        flag(S::Number, "N", "Первый номер телефона ", C, false, R::Always);
    numberFlag.secondLabel = QStringLiteral("Второй номер телефона ");
    list << numberFlag << phone(S::Number, "N", R::NumberInUse)
         << code(S::Number, "NObjectCode", "Номер объекта:", 4, R::NumberInUse)
         << slider(S::Number, "NWaitPCNReady", "Время ожидания сигнала готовности от ПЦН:", 2, 120,
                   30, UnitSeconds, R::NumberInUse)
         << flag(S::Number, "NCheckFree", "Проверка сигнала \"свободно\" перед началом набора", O,
                 true, R::NumberInUse)
         << flag(S::Number, "NCheckBusy", "Проверка сигнала \"занято\" после окончания набора", O,
                 false, R::NumberInUse);

    // Pair parameters, test message, automatic reset.
    list << protocolChooser() << code(S::Pair, "PGroupCode", "Код группы:", 2, R::PairActive)
         << slider(S::Pair, "PCallsTrialCount", "Количество попыток дозвона:", 2, 220, 20, UnitNone,
                   R::PairActive)
         << flag(S::Pair, "PTest", "Тестовое сообщение", C, false, R::PairActive)
         << time(S::Pair, "PTestStart", "Время начала первого теста:", R::PairTest)
         << slider(S::Pair, "PTestPeriod", "Периодичность передачи тестового сообщения:", 1, 24, 24,
                   UnitHours, R::PairTest)
         << code(S::Pair, "PTestCode", "Код тестового сообщения:", 4, R::PairTest)
         << flag(S::Pair, "PAutoReset", "Автоматический сброс в  состояние \"норма\"", C, true,
                 R::PairActive)
         << slider(S::Pair, "PAutoResetTime", "Время ожидания перед автоматическим сбросом:", 1, 48,
                   5, UnitHours, R::PairAutoReset);
    onPage(ConfigPage::FirstPair);

    // Voice messages.
    list << flag(S::Common, "VoiceNum", "Голосовые сообщения ", C, false, R::Always)
         << phone(S::Common, "VoiceNum", R::VoiceNumber)
         << slider(S::Common, "VoiceWaitAnswer", "Время ожидания ответа абонента:", 2, 120, 30,
                   UnitSeconds, R::VoiceNumber)
         << slider(S::Common, "VoiceCallsTrialCount", "Количество попыток дозвона:", 2, 10, 4,
                   UnitNone, R::VoiceNumber)
         << slider(S::Common, "VoicePauseBeforeCheck",
                   "Задержка перед проверкой ответа абонента:", 1, 100, 20, UnitSeconds,
                   R::VoiceNumber)
         << flag(S::Common, "VoiceCheckFree", "Проверка сигнала \"свободно\" перед началом набора",
                 O, true, R::VoiceNumber)
         << flag(S::Common, "VoiceCheckBusy", "Проверка сигнала \"занято\" после окончания набора",
                 O, false, R::VoiceNumber);

    // Incoming calls and the control panel.
    list << flag(S::Common, "InCalls", "Входящие звонки ", C, false, R::Always)
         << slider(S::Common, "InCallsParam", "Количество пропускаемых гудков перед ответом:", 1,
                   35, 7, UnitNone, R::IncomingCalls)
         << slider(S::Common, "PassiveDays",
                   "Дни простоя перед передачей сообщения \"Пассивность\":", 0, 44, 30, UnitDays,
                   R::Always)
         << slider(S::Common, "PassiveHours",
                   "Часы простоя перед передачей сообщения \"Пассивность\":", 0, 24, 0, UnitHours,
                   R::Always)
         << flag(S::Common, "SendedEventsAfterReset",
                 "Прекращение передачи событий после сброса ППКП", O, false, R::Always);
    onPage(ConfigPage::VoiceCallsPanel);

    // Connection parameters. The silence level stops at -24 dBm: the device's
    // byte holds (level + 45) x 12, which overflows above that.
    list << slider(S::Common, "PauseLength", "Длительность паузы при наборе номера:", 1, 60, 3,
                   UnitSeconds, R::Always)
         << slider(S::Common, "ImpulsePeriod", "Длительность импульса при наборе номера:", 30, 70,
                   50, UnitMs, R::Always)
         << slider(S::Common, "SilenceLevel",
                   "Уровень фона в линии, воспринимаемый как \"тишина\":", -45, -24, -35, UnitDbm,
                   R::Always)
         << slider(S::Common, "SesansLength", "Ограничение длительности сеанса связи:", 2, 10, 6,
                   UnitMinutes, R::Always);

    // Line check and the dial-tone frequency.
    list << flag(S::Common, "LineCheck", "Контроль линии ", C, false, R::Always)
         << slider(S::Common, "TestsBeforeFault",
                   "Неудачных проверок для передачи сообщения \"Неисправность\":", 2, 40, 3,
                   UnitNone, R::LineCheck)
         << time(S::Common, "LineTestStart", "Время начала проверки линии:", R::LineCheck)
         << time(S::Common, "LineTestPeriod", "Периодичность проверки линии:", R::LineCheck)
         << flag(S::Common, "LineTestCheckNoise", "Проверка линии на наличие \"шума\"", O, true,
                 R::LineCheck)
         << radio("LineFreq", " Частота сигнала \"свободно\" в линии ",
                  {QStringLiteral("425 Гц"), QStringLiteral("440 Гц"), QStringLiteral("480 Гц")},
                  R::Always);
    onPage(ConfigPage::Parameters);

    // The protocol editor's values.
    list << radio("Handshake", " Частота приветственного сигнала от ПЦН (Handshake) ",
                  {QStringLiteral("1400 Гц"), QStringLiteral("2300 Гц"),
                   QStringLiteral("1400 / 2300 Гц"), QStringLiteral("2300 / 1400 Гц")},
                  R::Always)
         << radio("ImpulseParams", " Количество импульсов за секунду ",
                  {QStringLiteral("10 pps"), QStringLiteral("14 pps"), QStringLiteral("20 pps"),
                   QStringLiteral("33 pps"), QStringLiteral("40 pps")},
                  R::ToneData)
         << radio("DataFreq", " Частота передачи данных ",
                  {QStringLiteral("1800 Гц"), QStringLiteral("1900 Гц"), QStringLiteral("DTMF")},
                  R::Always)
         << radio("KissOff", " Сигнал об успешно принятом сообщении от ПЦН (Kissoff) ",
                  {QStringLiteral("1400 Гц"), QStringLiteral("2300 Гц")}, R::Always)
         << flag(S::Common, "Protocol_Test", "Перепроверка", C, false, R::Always)
         << radio("Protocol_Test", "",
                  {QStringLiteral("По модулю 15"), QStringLiteral("Двойная отправка")},
                  R::ProtocolRecheck)
         << slider(S::Common, "Handshake1400", "Handshake 1400 Гц:", 3, 250, 5, UnitMs, R::Always,
                   20)
         << slider(S::Common, "Handshake2300", "Handshake 2300 Гц:", 3, 250, 5, UnitMs, R::Always,
                   20)
         << slider(S::Common, "Kissoff", "Kissoff:", 3, 250, 3, UnitMs, R::Always, 20)
         << code(S::Common, "Prefix", "Префикс для символов кодов:", 4, R::Always);

    // Digit flags and prefix selections of the code masks.
    const std::pair<const char *, int> panels[] = {
        {"Object", 4}, {"Event", 4}, {"Group", 2}, {"Zone", 3}};
    for (const auto &[stem, positions] : panels) {
        for (int position = 1; position <= positions; ++position) {
            const QString rest = QString::fromUtf8(stem) + QString::number(position);
            ValueDescription digit = flag(S::Common, "", "", LabelPlace::None, false, R::Always);
            digit.rest = rest;
            list << digit << mask(rest);
        }
    }
    onPage(ConfigPage::ProtocolEditor);
    return list;
}

QList<GroupDescription> buildGroups()
{
    auto group = [](S scope, const char *rest, const char *title, R rule) {
        GroupDescription g;
        g.rest = QString::fromUtf8(rest);
        g.scope = scope;
        g.title = QString::fromUtf8(title);
        g.enableRule = rule;
        return g;
    };
    return {group(S::Number, "N", "", R::NumberInUse),
            group(S::Pair, "P", " Параметры для пары ", R::PairActive),
            group(S::Pair, "PTest", "", R::PairTest),
            group(S::Pair, "PAutoReset", "", R::PairAutoReset),
            group(S::Common, "VoiceNum", "", R::VoiceNumber),
            group(S::Common, "InCalls", "", R::IncomingCalls),
            group(S::Common, "Panel", " ППКП ", R::Always),
            group(S::Common, "Params", " Параметры связи ", R::Always),
            group(S::Common, "LineCheck", "", R::LineCheck)};
}

QStringList namesOf(QStringView prefix, ValueScope scope, QStringView rest)
{
    switch (scope) {
    case ValueScope::Common:
        return {prefix.toString() + rest.toString()};
    case ValueScope::Pair:
        return {PairControlName(prefix, 1, rest), PairControlName(prefix, 2, rest)};
    case ValueScope::Number:
        return {NumberControlName(prefix, 1, 1, rest), NumberControlName(prefix, 1, 2, rest),
                NumberControlName(prefix, 2, 1, rest), NumberControlName(prefix, 2, 2, rest)};
    }
    return {};
}

} // namespace

QStringList ValueDescription::names() const
{
    return namesOf(prefix, scope, rest);
}

QString ValueDescription::nameFor(int pair, int number) const
{
    switch (scope) {
    case ValueScope::Common:
        return prefix + rest;
    case ValueScope::Pair:
        return PairControlName(prefix, pair, rest);
    case ValueScope::Number:
        return NumberControlName(prefix, pair, number, rest);
    }
    return {};
}

QString ValueDescription::labelFor(int number) const
{
    return number == 2 && !secondLabel.isEmpty() ? secondLabel : label;
}

ConfigPage ValueDescription::pageFor(int pair) const
{
    return page == ConfigPage::FirstPair && pair == 2 ? ConfigPage::SecondPair : page;
}

QStringList GroupDescription::names() const
{
    return namesOf(u"gbx", scope, rest);
}

const QList<ValueDescription> &ConfigValueDescriptions()
{
    static const QList<ValueDescription> descriptions = buildDescriptions();
    return descriptions;
}

const QStringList &ConfigurationValueNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const ValueDescription &d : ConfigValueDescriptions()) {
            // The protocol editor's values follow the configuration's.
            if (d.prefix == u"rgp" && d.rest == u"Handshake")
                break;
            list << d.names();
        }
        return list;
    }();
    return names;
}

const QList<GroupDescription> &ConfigGroupDescriptions()
{
    static const QList<GroupDescription> groups = buildGroups();
    return groups;
}

QString PageCaption(ConfigPage page)
{
    switch (page) {
    case ConfigPage::FirstPair:
        return QStringLiteral("Первая пара номеров");
    case ConfigPage::SecondPair:
        return QStringLiteral("Вторая пара номеров");
    case ConfigPage::VoiceCallsPanel:
        return QStringLiteral("Голосовые / Входящие / ППКП");
    case ConfigPage::Parameters:
        return QStringLiteral("Параметры");
    case ConfigPage::InternalCodes:
        return QStringLiteral("Внутренние коды");
    case ConfigPage::ExternalCodes:
        return QStringLiteral("Внешние коды");
    case ConfigPage::ProtocolEditor:
        return QStringLiteral("Редактор протоколов");
    }
    return {};
}

const QStringList &UnitSuffixes()
{
    static const QStringList suffixes = {
        QString(),           QStringLiteral("мс"),  QStringLiteral("с"), QStringLiteral("м"),
        QStringLiteral("ч"), QStringLiteral("дБм"), QStringLiteral("д")};
    return suffixes;
}

QString ValueText(int value, int scale, int unitTag)
{
    const QStringList &suffixes = UnitSuffixes();
    const QString suffix =
        unitTag >= 0 && unitTag < suffixes.size() ? suffixes.at(unitTag) : QString();
    return QString::number(value * scale) + QLatin1Char(' ') + suffix;
}

QString PhoneNumberHint()
{
    return QStringLiteral("A - тональный режим или '+'\n"
                          "B - импульсный режим\n"
                          "C - вставить паузу\n"
                          "D - дополнительно дождаться 'Свободно'");
}

} // namespace sr5n
