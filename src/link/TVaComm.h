#pragma once

#include "link/LinkTimings.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace sr5n {

class LineTrace;
class PortTransport;

// The serial port: 115200 bit/s, 8 data bits, no parity, 1 stop bit, no flow
// control, DTR and RTS off, opened exclusively. Received bytes are read on the
// UI thread as they arrive and handed out with `received`, in order.
//
// The port may also be one behind a serial server: "tcp://HOST:PORT" (the
// connection's bytes are the line's) or "rfc2217://HOST:PORT" (Telnet that
// sets the server's port as a local one is set). Everything above is the same.
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

    // The device to open: a port name (ttyUSB0), a full path (/dev/pts/5),
    // any path to a terminal device, such as a symbolic link, or a serial
    // server's address (tcp://10.0.0.5:4001, rfc2217://box:2217). A "%d" in
    // it is replaced by PortNum when opening. Refused while the port is open.
    QString DeviceName() const { return m_deviceName; }
    bool SetDeviceName(const QString &name);
    int PortNum() const { return m_portNum; }
    bool SetPortNum(int number);
    // DeviceName with "%d" replaced by PortNum.
    QString DevicePath() const;

    // Opening a server's port waits for it, processing events, at most the
    // connection time-out; CancelOpen ends the wait at once.
    bool Open();
    void CancelOpen();
    // The last Open ended by CancelOpen.
    bool OpenCancelled() const { return m_openCancelled; }
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
    // What carries the bytes while open (a serial port or a server's
    // connection); null while closed.
    const PortTransport *Transport() const { return m_open ? m_transport.get() : nullptr; }
    // Why the last failure happened, in words for the user (the port does not
    // exist, access is denied, another program holds it...); empty when unknown.
    QString FailureReason() const { return m_failureReason; }

    // The settings in force while open, in words, as the transport knows
    // them (a server's port: what the server reported it set).
    QString Settings() const;
    // Told of every block received while open; null: nothing. Not owned.
    void SetTrace(LineTrace *trace) { m_trace = trace; }

signals:
    void received(const QByteArray &bytes);
    void lineLost();

private:
    void onLineLost(const QString &reason);
    bool fail(const QString &text, const QString &reason = QString());
    void onReceived(const QByteArray &bytes);

    std::unique_ptr<PortTransport> m_transport;
    LinkTimings m_timings;
    QString m_deviceName = QStringLiteral("COM%d");
    int m_portNum = 0;
    bool m_open = false;
    bool m_lineLost = false;
    bool m_openCancelled = false;
    QString m_lineLostReason;
    QString m_lastError;
    QString m_failureReason;
    LineTrace *m_trace = nullptr;
};

} // namespace sr5n
