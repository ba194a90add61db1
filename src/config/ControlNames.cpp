#include "config/ControlNames.h"

namespace sr5n {

QString PairControlName(QStringView prefix, int pair, QStringView rest)
{
    return prefix.toString() + QString::number(pair) + rest.toString();
}

QString NumberControlName(QStringView prefix, int pair, int number, QStringView rest)
{
    return prefix.toString() + QString::number(pair) + QLatin1Char('P') + QString::number(number) +
           rest.toString();
}

QString ControlPrefix(const QString &name)
{
    return name.left(3);
}

QString ControlStem(const QString &name)
{
    return name.mid(3);
}

QString SwapPrefix(const QString &name, QStringView newPrefix)
{
    return newPrefix.toString() + ControlStem(name);
}

} // namespace sr5n
