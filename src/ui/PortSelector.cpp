#include "ui/PortSelector.h"

#include "link/NetworkAddress.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>

namespace sr5n {

namespace {

// The list shows each port's whole line; the field shows its name.
class PortLineDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString line = index.data(PortSelector::LineRole).toString();
        if (!line.isEmpty())
            option->text = line;
    }
};

// The line of a serial server's port: its name and how it is reached.
PortChoice networkChoice(const QString &name)
{
    const std::optional<NetworkAddress> address = NetworkAddress::parse(name);
    const bool telnet = address && address->mode == NetworkAddress::Mode::Rfc2217;
    PortChoice choice;
    choice.name = name;
    choice.text = name + (telnet ? QStringLiteral(" — сервер последовательного порта (RFC 2217)")
                                 : QStringLiteral(" — сервер последовательного порта (TCP)"));
    choice.hint = telnet ? QStringLiteral("Telnet с управлением портом (RFC 2217)")
                         : QStringLiteral("TCP: байты соединения — байты линии");
    return choice;
}

} // namespace

PortSelector::PortSelector(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setItemDelegate(new PortLineDelegate(this));
    connect(this, &QComboBox::editTextChanged, this, &PortSelector::updateHint);
    connect(this, &QComboBox::currentIndexChanged, this, &PortSelector::updateHint);
}

void PortSelector::setChoices(const QList<PortChoice> &choices)
{
    m_localChoices = choices;
    showChoices();
}

void PortSelector::setNetworkPorts(const QStringList &names)
{
    m_networkPorts = names;
    showChoices();
}

void PortSelector::showChoices()
{
    QList<PortChoice> choices = m_localChoices;
    QList<bool> network(choices.size(), false);
    for (const QString &name : std::as_const(m_networkPorts)) {
        choices.append(networkChoice(name));
        network.append(true);
    }
    const QString text = currentText();
    const int cursor = lineEdit()->cursorPosition();
    {
        const QSignalBlocker quiet(this);
        QStringList names;
        for (const PortChoice &choice : choices)
            names.append(choice.name);
        for (int i = count() - 1; i >= 0; --i) {
            if (!names.contains(itemText(i)))
                removeItem(i);
        }
        for (int i = 0; i < choices.size(); ++i) {
            const PortChoice &choice = choices.at(i);
            const int at = findText(choice.name);
            if (at != i) {
                if (at >= 0)
                    removeItem(at);
                insertItem(i, choice.name);
            }
            setItemData(i, choice.text, LineRole);
            setItemData(i, choice.hint, Qt::ToolTipRole);
            setItemData(i, choice.primary, PrimaryRole);
            setItemData(i, network.at(i), NetworkRole);
        }
        // The field keeps what it held, chosen or typed.
        const int listed = findText(text);
        if (listed >= 0 && listed != currentIndex())
            setCurrentIndex(listed);
        if (currentText() != text) {
            setEditText(text);
            lineEdit()->setCursorPosition(cursor);
        }
    }
    fitListWidth();
    updateHint();
}

void PortSelector::choose(const QString &name)
{
    const int listed = findText(name);
    if (listed >= 0)
        setCurrentIndex(listed);
    setEditText(name);
}

QStringList PortSelector::portNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i) {
        if (itemData(i, PrimaryRole).toBool() && !itemData(i, NetworkRole).toBool())
            names.append(itemText(i));
    }
    return names;
}

QString PortSelector::lineOf(const QString &name) const
{
    const int listed = findText(name);
    const QString line = listed >= 0 ? itemData(listed, LineRole).toString() : QString();
    return line.isEmpty() ? name : line;
}

void PortSelector::showPopup()
{
    emit listAboutToShow();
    QComboBox::showPopup();
}

void PortSelector::updateHint()
{
    // The field may be too narrow for a long path: the hint shows it whole.
    const QString text = currentText();
    const int listed = findText(text);
    const QString details = listed >= 0 ? itemData(listed, Qt::ToolTipRole).toString() : QString();
    setToolTip(details.isEmpty() ? text : text + QLatin1Char('\n') + details);
}

void PortSelector::fitListWidth()
{
    // The lines are longer than the field: the list is as wide as they are.
    const int lines = count() > 0 ? view()->sizeHintForColumn(0) : 0;
    view()->setMinimumWidth(std::max(width(), lines + 2 * view()->frameWidth() + 16));
}

} // namespace sr5n
