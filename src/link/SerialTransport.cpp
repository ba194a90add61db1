#include "link/SerialTransport.h"

#include "link/PortOpenFailure.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <sys/file.h>
#endif

namespace sr5n {

namespace {
const QString LineGoneReason =
    QStringLiteral("Связь с портом потеряна: устройство отключено или линия разорвана");

// The name the port is opened and locked by: the device itself, every
// symbolic link followed, so that two names of one device lock each other.
QString deviceName(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString full = path.startsWith(u'/') ? path : QStringLiteral("/dev/") + path;
    const QString canonical = QFileInfo(full).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}
} // namespace

SerialTransport::SerialTransport(QString path, QObject *parent)
    : PortTransport(parent), m_path(std::move(path))
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialTransport::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialTransport::bytesWritten);
}

SerialTransport::~SerialTransport()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialTransport::open()
{
    clearFailure();
    m_lineLost = false;
    m_port.setPortName(deviceName(m_path));
    m_port.setBaudRate(QSerialPort::Baud115200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (m_path.isEmpty() || !m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        const QString reason = m_port.errorString();
        m_port.clearError();
        const QString forUser = PortOpenFailure::describe(m_path, error, reason);
        if (m_path.isEmpty() || error == QSerialPort::DeviceNotFoundError)
            return fail(QStringLiteral("Specified device not found (%1).").arg(m_path), forUser);
        return fail(QStringLiteral("Can't open specified device %1 (Error %2, %3)")
                        .arg(m_path)
                        .arg(static_cast<int>(error))
                        .arg(reason),
                    forUser);
    }
#ifdef Q_OS_UNIX
    // The lock file goes by the name; this lock goes by the open device, so
    // that no name of it (whatever its path) is worked by two of our
    // processes at once, also under root, whom the terminal's exclusive mode
    // does not stop.
    if (::flock(static_cast<int>(m_port.handle()), LOCK_EX | LOCK_NB) != 0 &&
        errno == EWOULDBLOCK) {
        m_port.close();
        m_port.clearError();
        return fail(QStringLiteral("Device %1 is locked by another process").arg(m_path),
                    PortOpenFailure::text(PortOpenFailure::Reason::InUse));
    }
#endif
    // Pseudo-terminals and some adapters have no modem lines; the port works
    // without them, so a refusal here is not a failure.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(false);
    m_port.clearError();
    return true;
}

QString SerialTransport::settingsText() const
{
    static const char *const parities[] = {"N", "?", "E", "O", "S", "M"};
    const int parity = static_cast<int>(m_port.parity());
    const char *const stops = m_port.stopBits() == QSerialPort::OneStop   ? "1"
                              : m_port.stopBits() == QSerialPort::TwoStop ? "2"
                                                                          : "1.5";
    const QString flow = m_port.flowControl() == QSerialPort::NoFlowControl
                             ? QStringLiteral("без управления потоком")
                         : m_port.flowControl() == QSerialPort::HardwareControl
                             ? QStringLiteral("с аппаратным управлением потоком")
                             : QStringLiteral("XON/XOFF");
    return QStringLiteral("последовательный порт %1: %2 бит/с, %3%4%5, %6, DTR и RTS выключены")
        .arg(m_path)
        .arg(m_port.baudRate())
        .arg(static_cast<int>(m_port.dataBits()))
        .arg(QString::fromLatin1(parity >= 0 && parity < 6 ? parities[parity] : "?"),
             QString::fromLatin1(stops), flow);
}

void SerialTransport::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_lineLost = false;
}

bool SerialTransport::purge()
{
    // A line that has gone holds nothing to discard.
    if (m_lineLost || !m_port.isOpen())
        return true;
    if (!m_port.clear(QSerialPort::AllDirections)) {
        const QString reason = m_port.errorString();
        const int code = static_cast<int>(m_port.error());
        m_port.clearError();
        return fail(QStringLiteral("Error clearing buffers (%1), %2").arg(code).arg(reason));
    }
    return true;
}

bool SerialTransport::write(const QByteArray &bytes)
{
    if (m_lineLost)
        return fail(QStringLiteral("The line of %1 has gone").arg(m_path), LineGoneReason);
    if (m_port.write(bytes) != bytes.size()) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        return fail(reason);
    }
    // Hand the bytes to the driver now rather than on the next loop pass.
    m_port.flush();
    return true;
}

void SerialTransport::onReadyRead()
{
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void SerialTransport::onError(QSerialPort::SerialPortError error)
{
    // A failed read or write may be a passing condition (a full terminal
    // reports EAGAIN as a resource error) or the device gone: unplugged, or
    // the other end hung up, which makes reads find the end of the stream.
    if ((error != QSerialPort::ResourceError && error != QSerialPort::ReadError) ||
        !m_port.isOpen() || m_lineLost)
        return;
    if (!deviceHungUp()) {
        m_port.clearError();
        return;
    }
    // The port is closed underneath (later, outside Qt's own notification) so
    // that it stops reporting; for its user it stays open, with the line lost,
    // until close.
    m_lineLost = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_lineLost && m_port.isOpen())
                m_port.close();
        },
        Qt::QueuedConnection);
    emit lineLost(LineGoneReason);
}

bool SerialTransport::deviceHungUp() const
{
#ifdef Q_OS_UNIX
    pollfd device{static_cast<int>(m_port.handle()), POLLIN | POLLOUT, 0};
    if (::poll(&device, 1, 0) < 0)
        return errno != EINTR && errno != EAGAIN;
    return (device.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return true;
#endif
}

} // namespace sr5n
