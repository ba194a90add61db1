#include "link/PortChoice.h"

namespace sr5n {

namespace {

const QString Dash = QStringLiteral(" — ");

QString hexId(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper();
}

QString usbIds(const PortEntry &port)
{
    if (!port.isUsb())
        return QString();
    return (port.vendorId ? hexId(*port.vendorId) : QStringLiteral("????")) + QLatin1Char(':') +
           (port.productId ? hexId(*port.productId) : QStringLiteral("????"));
}

QString hintOf(const PortEntry &port)
{
    QStringList lines;
    if (!port.location.isEmpty() && port.location != port.name)
        lines.append(QStringLiteral("Устройство: ") + port.location);
    if (port.isSimulator())
        lines.append(
            QStringLiteral("Имитатор коммуникатора sr5n-sim, процесс %1").arg(port.simulatorPid));
    const struct {
        QString label;
        QString value;
    } details[] = {{QStringLiteral("Описание: "), port.description},
                   {QStringLiteral("Изготовитель: "), port.manufacturer},
                   {QStringLiteral("Серийный номер: "), port.serialNumber},
                   {QStringLiteral("USB VID:PID: "), usbIds(port)},
                   {QStringLiteral("Постоянное имя: "), port.stableName}};
    for (const auto &detail : details) {
        if (!detail.value.isEmpty())
            lines.append(detail.label + detail.value);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString PortSummary(const PortEntry &port)
{
    if (port.isSimulator())
        return QStringLiteral("имитатор коммуникатора (sr5n-sim, процесс %1)")
            .arg(port.simulatorPid);
    QStringList parts;
    if (!port.description.isEmpty())
        parts.append(port.description);
    if (!port.manufacturer.isEmpty() &&
        port.manufacturer.compare(port.description, Qt::CaseInsensitive) != 0)
        parts.append(port.manufacturer);
    QString summary = parts.join(QStringLiteral(", "));
    if (!port.serialNumber.isEmpty())
        summary += (summary.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1Char('(') +
                   port.serialNumber + QLatin1Char(')');
    if (port.isUsb())
        summary += (summary.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("USB ") +
                   usbIds(port);
    return summary;
}

QList<PortChoice> PortChoices(const QList<PortEntry> &ports)
{
    QList<PortChoice> choices;
    for (const PortEntry &port : ports) {
        const QString summary = PortSummary(port);
        const QString hint = hintOf(port);
        choices.append({port.name, summary.isEmpty() ? port.name : port.name + Dash + summary, hint,
                        port.isUsb(), true});
        if (!port.stableName.isEmpty() && port.stableName != port.name)
            choices.append(
                {port.stableName,
                 port.stableName + Dash + QStringLiteral("постоянное имя порта ") + port.name, hint,
                 port.isUsb(), false});
    }
    return choices;
}

} // namespace sr5n
