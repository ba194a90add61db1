#include "config/ValueCheck.h"

#include "common/HexText.h"
#include "common/ReadableEcho.h"
#include "config/ConfigModel.h"
#include "config/ConfigValues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <optional>

namespace sr5n {

namespace {

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

// A whole number given as a number.
std::optional<int> wholeNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (number == static_cast<int>(number))
            return static_cast<int>(number);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

Expected<CheckedValue> checkSlider(const ConfigModel &model, const QString &name,
                                   const ValueDescription &d, const QVariant &value)
{
    const int minimum = model.minimum(name);
    const int maximum = model.maximum(name);
    const QString suffix = UnitSuffixes().value(d.unit);
    QString allowed = QStringLiteral("от %1 до %2")
                          .arg(ValueText(minimum, d.scale, d.unit).trimmed(),
                               ValueText(maximum, d.scale, d.unit).trimmed());
    if (d.scale > 1)
        allowed += QStringLiteral(", с шагом %1").arg(ValueText(1, d.scale, d.unit).trimmed());
    std::optional<int> shown = wholeNumber(value);
    if (isText(value)) {
        static const QRegularExpression form(QStringLiteral("^\\s*(-?\\d{1,6})\\s*(\\S*)\\s*$"));
        const QRegularExpressionMatch match = form.match(value.toString());
        if (match.hasMatch() && (match.captured(2).isEmpty() || match.captured(2) == suffix))
            shown = match.captured(1).toInt();
    }
    if (!shown || *shown % d.scale != 0 || *shown / d.scale < minimum || *shown / d.scale > maximum)
        return Failure{InvalidValueMessage(name, value, allowed)};
    return CheckedValue{*shown / d.scale, {}, {}};
}

Expected<CheckedValue> checkChoice(const ConfigModel &model, const QString &name,
                                   const ValueDescription &d, const QVariant &value)
{
    const QStringList items = model.choiceItems(name);
    const qsizetype index = items.indexOf(value.toString());
    // An empty text is a protocol chooser without a selection.
    const bool mayBeEmpty = d.minimum < 0;
    const bool noSelection = mayBeEmpty && value.toString().isEmpty();
    if (!isText(value) || (index < 0 && !noSelection)) {
        QStringList quoted;
        for (const QString &item : items)
            quoted << QLatin1Char('"') + item + QLatin1Char('"');
        if (mayBeEmpty)
            quoted << QStringLiteral("\"\" (не выбран)");
        return Failure{InvalidValueMessage(name, value, quoted.join(QStringLiteral(", ")))};
    }
    return CheckedValue{static_cast<int>(index), {}, {}};
}

} // namespace

QString InvalidValueMessage(const QString &key, const QVariant &value, const QString &allowed)
{
    // A huge or binary value is echoed cut to a readable length.
    QString shown;
    if (isText(value))
        shown = QLatin1Char('"') + ReadableEcho(value.toString()) + QLatin1Char('"');
    else if (!value.isValid())
        shown = QStringLiteral("(нет)");
    else
        shown =
            ReadableEcho(QString::fromUtf8(QJsonDocument(QJsonArray{QJsonValue::fromVariant(value)})
                                               .toJson(QJsonDocument::Compact))
                             .mid(1)
                             .chopped(1));
    return QStringLiteral("Недопустимое значение %1 ключа \"%2\". Допустимо: %3")
        .arg(shown, key, allowed);
}

QString CodeAllowed(int length)
{
    return QStringLiteral("%1 шестнадцатеричные цифры (0-9, A-F)").arg(length);
}

Expected<CheckedValue> check(const ConfigModel &model, const QString &name, const QVariant &value)
{
    const ValueDescription *d = model.description(name);
    if (!d)
        return Failure{QStringLiteral("Неизвестный ключ \"%1\"").arg(name)};
    switch (d->kind) {
    case ValueKind::Slider:
        return checkSlider(model, name, *d, value);
    case ValueKind::Flag:
        if (value.typeId() != QMetaType::Bool)
            return Failure{InvalidValueMessage(name, value, QStringLiteral("true или false"))};
        return CheckedValue{value.toBool() ? 1 : 0, {}, {}};
    case ValueKind::Code: {
        const QString text = value.toString();
        if (!isText(value) || text.size() != d->maximum || !IsHexText(text))
            return Failure{InvalidValueMessage(name, value, CodeAllowed(d->maximum))};
        return CheckedValue{0, text.toUpper(), {}};
    }
    case ValueKind::Phone: {
        static const QRegularExpression dial(QStringLiteral("^[0-9A-Da-d]{0,24}$"));
        if (!isText(value) || !dial.match(value.toString()).hasMatch())
            return Failure{InvalidValueMessage(name, value,
                                               QStringLiteral("до 24 знаков из 0-9, A, B, C, D"))};
        return CheckedValue{0, value.toString().toUpper(), {}};
    }
    case ValueKind::Time: {
        const QTime time = QTime::fromString(value.toString(), QStringLiteral("HH:mm"));
        if (!isText(value) || !time.isValid())
            return Failure{
                InvalidValueMessage(name, value, QStringLiteral("время ЧЧ:ММ, от 00:00 до 23:59"))};
        return CheckedValue{0, {}, time};
    }
    case ValueKind::Choice:
        return checkChoice(model, name, *d, value);
    case ValueKind::Mask:
        break;
    }
    const std::optional<int> mask = wholeNumber(value);
    if (!mask || *mask < d->minimum || *mask > d->maximum)
        return Failure{InvalidValueMessage(
            name, value, QStringLiteral("от %1 до %2").arg(d->minimum).arg(d->maximum))};
    return CheckedValue{*mask, {}, {}};
}

Expected<void> setChecked(ConfigModel &model, const QString &name, const QVariant &value)
{
    const Expected<CheckedValue> checked = check(model, name, value);
    if (!checked)
        return Failure{checked.reason()};
    switch (model.description(name)->kind) {
    case ValueKind::Slider:
    case ValueKind::Mask:
        model.setSlider(name, checked->number);
        break;
    case ValueKind::Flag:
        model.setFlag(name, checked->number != 0);
        break;
    case ValueKind::Code:
    case ValueKind::Phone:
        model.setText(name, checked->text);
        break;
    case ValueKind::Time:
        model.setTime(name, checked->time);
        break;
    case ValueKind::Choice:
        model.setChoice(name, checked->number);
        break;
    }
    return {};
}

} // namespace sr5n
