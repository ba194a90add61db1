#include "config/ValueTexts.h"

#include "config/ConfigModel.h"

#include <QRegularExpression>

namespace sr5n {

QString CaptionText(const QString &caption)
{
    qsizetype first = 0;
    qsizetype last = caption.size();
    while (first < last && caption[first].unicode() <= u' ')
        ++first;
    while (last > first && caption[last - 1].unicode() <= u' ')
        --last;
    return caption.mid(first, last - first);
}

QString FlagStateText(bool on)
{
    return on ? QStringLiteral("используется") : QStringLiteral("не используется");
}

QString LongTimeText(const QTime &time, const QLocale &locale)
{
    // The long format names the time zone ("t"), which a time of day has not.
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.replace(zone, QString());
    return locale.toString(time, format.trimmed());
}

QString ValueDisplayText(const ConfigModel &model, const QString &name, const QLocale &locale)
{
    const ValueDescription *description = model.description(name);
    if (!description)
        return {};
    switch (description->kind) {
    case ValueKind::Slider:
        return model.valueText(name);
    case ValueKind::Flag:
        return FlagStateText(model.flag(name));
    case ValueKind::Code:
    case ValueKind::Phone:
        return model.text(name);
    case ValueKind::Time:
        return LongTimeText(model.time(name), locale);
    case ValueKind::Choice:
        return model.choiceText(name);
    case ValueKind::Mask:
        return QString::number(model.slider(name));
    }
    return {};
}

} // namespace sr5n
