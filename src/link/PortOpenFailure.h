#pragma once

#include <QSerialPort>
#include <QString>

namespace sr5n {

// Why a serial port could not be opened, in words for the user: the second
// line under "Порт … недоступен".
class PortOpenFailure
{
public:
    enum class Reason { Unknown, NoName, NoSuchPort, PermissionDenied, InUse, Other };

    // What is known after a failed opening: whether the device file exists,
    // whether this process may read and write it, and what the port reported.
    struct Facts {
        bool named = true;
        bool exists = true;
        bool accessible = true;
        QSerialPort::SerialPortError error = QSerialPort::NoError;
        QString systemText; // the system's own description of the error
    };

    // The facts of a failed opening of `path`, asked of the file system now.
    static Facts gather(const QString &path, QSerialPort::SerialPortError error,
                        const QString &systemText);
    static Reason classify(const Facts &facts);
    // The line for the user; empty for Unknown.
    static QString text(Reason reason, const QString &systemText = QString());
    // gather, classify and text in one.
    static QString describe(const QString &path, QSerialPort::SerialPortError error,
                            const QString &systemText);

    // The device file a port name stands for: /dev/ttyUSB0 for ttyUSB0; a
    // path is itself.
    static QString devicePath(const QString &portName);
};

} // namespace sr5n
