#pragma once

#include "link/LinkTimings.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>

namespace sr5n {

// The serial port: 115200 bit/s, 8 data bits, no parity, 1 stop bit, no flow
// control, DTR and RTS off, opened exclusively. Received bytes are read on the
// UI thread as they arrive and handed out with `received`, in order.
//
// Every operation that can fail returns false and leaves the reason in
// LastError() (texts such as "Specified device not found (/dev/ttyUSB7).").
class TVaComm : public QObject
{
    Q_OBJECT

public:
    static constexpr int OutputBufferSize = 2048;

    explicit TVaComm(QObject *parent = nullptr, LinkTimings timings = LinkTimings());
    ~TVaComm() override;

    // Fills `names` with the serial ports of this machine (names such as
    // ttyUSB0 or ttyS0, each accepted by Open). The list is cleared first.
    static void GetComPortNames(QStringList &names);

    // The device to open: a port name (ttyUSB0), a full path (/dev/pts/5) or
    // any path to a terminal device, such as a symbolic link. A "%d" in it is
    // replaced by PortNum when opening. Refused while the port is open.
    QString DeviceName() const { return m_deviceName; }
    bool SetDeviceName(const QString &name);
    int PortNum() const { return m_portNum; }
    bool SetPortNum(int number);
    // DeviceName with "%d" replaced by PortNum.
    QString DevicePath() const;

    bool Open();
    // Closes the device (when open) and waits for the line to settle.
    void Close();
    bool IsOpen() const { return m_open; }
    // Discards everything not yet sent and everything received but not read.
    bool PurgeReadWrite();
    // Queues the bytes for sending. False when the port is closed, when the
    // line has gone, or when the output buffer stays full for the write wait.
    bool WriteText(const QByteArray &text);

    // The line went away while open (the device was unplugged or hung up).
    bool LineLost() const { return m_lineLost; }
    QString LastError() const { return m_lastError; }
    // Why the last failure happened, in words for the user (the port does not
    // exist, access is denied, another program holds it...); empty when unknown.
    QString FailureReason() const { return m_failureReason; }

signals:
    void received(const QByteArray &bytes);
    void lineLost();

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    bool deviceHungUp() const;
    bool fail(const QString &text, const QString &reason = QString());

    QSerialPort m_port;
    LinkTimings m_timings;
    QString m_deviceName = QStringLiteral("COM%d");
    int m_portNum = 0;
    bool m_open = false;
    bool m_lineLost = false;
    QString m_lastError;
    QString m_failureReason;
};

} // namespace sr5n
