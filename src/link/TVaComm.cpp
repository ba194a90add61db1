#include "link/TVaComm.h"

#include "link/PortOpenFailure.h"

#include <QEventLoop>
#include <QSerialPortInfo>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#endif

namespace sr5n {

namespace {
const QString OpenPortText = QStringLiteral("Can't perform this operation while port is open");
const QString LineGoneReason =
    QStringLiteral("Связь с портом потеряна: устройство отключено или линия разорвана");
} // namespace

TVaComm::TVaComm(QObject *parent, LinkTimings timings) : QObject(parent), m_timings(timings)
{
    connect(&m_port, &QSerialPort::readyRead, this, &TVaComm::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &TVaComm::onError);
}

TVaComm::~TVaComm()
{
    if (m_port.isOpen())
        m_port.close();
}

void TVaComm::GetComPortNames(QStringList &names)
{
    names.clear();
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (!names.contains(info.portName()))
            names.append(info.portName());
    }
}

bool TVaComm::SetDeviceName(const QString &name)
{
    if (m_open)
        return fail(OpenPortText);
    m_deviceName = name;
    return true;
}

bool TVaComm::SetPortNum(int number)
{
    if (m_open)
        return fail(OpenPortText);
    m_portNum = number;
    return true;
}

QString TVaComm::DevicePath() const
{
    QString path = m_deviceName;
    return path.replace(QLatin1String("%d"), QString::number(m_portNum));
}

bool TVaComm::Open()
{
    if (m_open)
        return fail(OpenPortText);
    const QString path = DevicePath();
    m_lineLost = false;
    m_port.setPortName(path);
    m_port.setBaudRate(QSerialPort::Baud115200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (path.isEmpty() || !m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        const QString reason = m_port.errorString();
        m_port.clearError();
        const QString forUser = PortOpenFailure::describe(path, error, reason);
        if (path.isEmpty() || error == QSerialPort::DeviceNotFoundError)
            return fail(QStringLiteral("Specified device not found (%1).").arg(path), forUser);
        return fail(QStringLiteral("Can't open specified device %1 (Error %2, %3)")
                        .arg(path)
                        .arg(static_cast<int>(error))
                        .arg(reason),
                    forUser);
    }
    // Pseudo-terminals and some adapters have no modem lines; the port works
    // without them, so a refusal here is not a failure.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(false);
    m_port.clearError();
    m_lastError.clear();
    m_failureReason.clear();
    m_open = true;
    return true;
}

void TVaComm::Close()
{
    if (!m_open)
        return;
    m_open = false;
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_lineLost = false;
    if (m_timings.portCloseDelayMs > 0)
        QThread::msleep(static_cast<unsigned long>(m_timings.portCloseDelayMs));
}

bool TVaComm::PurgeReadWrite()
{
    if (!m_open)
        return true;
    // A line that has gone holds nothing to discard.
    if (m_lineLost)
        return true;
    if (!m_port.clear(QSerialPort::AllDirections)) {
        const QString reason = m_port.errorString();
        const int code = static_cast<int>(m_port.error());
        m_port.clearError();
        return fail(QStringLiteral("Error clearing buffers (%1), %2").arg(code).arg(reason));
    }
    return true;
}

bool TVaComm::WriteText(const QByteArray &text)
{
    if (!m_open) {
        m_lastError.clear();
        m_failureReason.clear();
        return false;
    }
    if (m_lineLost)
        return fail(QStringLiteral("The line of %1 has gone").arg(DevicePath()), LineGoneReason);

    // The output buffer holds OutputBufferSize bytes; a text that does not fit
    // waits for the bytes before it to go out. A longer text than the buffer
    // goes as soon as the buffer is empty.
    const auto fits = [this, &text] {
        const qint64 pending = m_port.bytesToWrite();
        return pending == 0 || pending + text.size() <= OutputBufferSize;
    };
    if (!fits()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&m_port, &QSerialPort::bytesWritten, &loop, [&] {
            if (fits())
                loop.quit();
        });
        connect(this, &TVaComm::lineLost, &loop, &QEventLoop::quit);
        deadline.start(m_timings.writeBufferWaitMs);
        loop.exec();
        if (m_lineLost || !m_open)
            return fail(QStringLiteral("The line of %1 has gone").arg(DevicePath()),
                        LineGoneReason);
        if (!fits())
            return fail(QStringLiteral("Output buffer is full. Please check comm status."));
    }
    if (m_port.write(text) != text.size()) {
        const QString reason = m_port.errorString();
        m_port.clearError();
        return fail(reason);
    }
    // Hand the bytes to the driver now rather than on the next loop pass.
    m_port.flush();
    return true;
}

void TVaComm::onReadyRead()
{
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void TVaComm::onError(QSerialPort::SerialPortError error)
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
    // until Close.
    m_lineLost = true;
    m_failureReason = LineGoneReason;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_lineLost && m_port.isOpen())
                m_port.close();
        },
        Qt::QueuedConnection);
    emit lineLost();
}

bool TVaComm::deviceHungUp() const
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

bool TVaComm::fail(const QString &text, const QString &reason)
{
    m_lastError = text;
    m_failureReason = reason;
    return false;
}

} // namespace sr5n
