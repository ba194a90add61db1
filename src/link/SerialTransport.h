#pragma once

#include "link/PortTransport.h"

#include <QSerialPort>

namespace sr5n {

// A serial port of this machine (or any terminal device): 115200 bit/s, 8
// data bits, no parity, 1 stop bit, no flow control, DTR and RTS off,
// opened exclusively.
class SerialTransport final : public PortTransport
{
    Q_OBJECT

public:
    // `path`: a port name (ttyUSB0) or a path (/dev/pts/5).
    explicit SerialTransport(QString path, QObject *parent = nullptr);
    ~SerialTransport() override;

    bool open() override;
    void close() override;
    bool purge() override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override { return m_port.bytesToWrite(); }
    QString settingsText() const override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    bool deviceHungUp() const;

    QString m_path;
    QSerialPort m_port;
    bool m_lineLost = false;
};

} // namespace sr5n
