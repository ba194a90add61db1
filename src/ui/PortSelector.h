#pragma once

#include "link/PortChoice.h"

#include <QComboBox>
#include <QStringList>

namespace sr5n {

// The port field: an editable list of the serial ports whose lines say what
// each port is ("ttyUSB0 — FT232R USB UART, FTDI (A5XK3RJP)"), while the field
// itself holds only the name that is opened. Its hint is the whole name and
// what is known of the port. Serial servers' ports used before
// (tcp://HOST:PORT, rfc2217://HOST:PORT) follow the ports of this machine.
class PortSelector final : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int LineRole = Qt::UserRole + 1;
    static constexpr int PrimaryRole = Qt::UserRole + 2;
    static constexpr int NetworkRole = Qt::UserRole + 3;

    explicit PortSelector(QWidget *parent = nullptr);

    // Makes the list these lines, adding and removing only what changed; the
    // text of the field stays as it is.
    void setChoices(const QList<PortChoice> &choices);
    // The serial servers' ports to offer after the ports of this machine.
    void setNetworkPorts(const QStringList &names);
    // Puts `name` into the field: its line when listed, otherwise as typed text.
    void choose(const QString &name);
    // The listed ports of this machine, each device once (without the
    // second, stable names, and without serial servers' ports).
    QStringList portNames() const;
    // The line of the list for `name`; the name itself when it is not listed.
    QString lineOf(const QString &name) const;
    // Scans first (listAboutToShow), then drops the list down.
    void showPopup() override;

signals:
    // The list is about to drop down; it can be scanned again first.
    void listAboutToShow();

private:
    void updateHint();
    void showChoices();
    void fitListWidth();

    QList<PortChoice> m_localChoices;
    QStringList m_networkPorts;
};

} // namespace sr5n
