#include "link/TVaComm.h"

#include "link/LineTrace.h"
#include "link/NetworkAddress.h"
#include "link/Rfc2217Transport.h"
#include "link/SerialTransport.h"
#include "link/TcpTransport.h"

#include <QEventLoop>
#include <QSerialPortInfo>
#include <QThread>
#include <QTimer>

namespace sr5n {

namespace {

const QString OpenPortText = QStringLiteral("Can't perform this operation while port is open");

// The transport a port name stands for; nothing for a malformed server address.
std::unique_ptr<PortTransport> transportFor(const QString &path, const LinkTimings &timings)
{
    if (!NetworkAddress::isNetworkName(path))
        return std::make_unique<SerialTransport>(path);
    const std::optional<NetworkAddress> address = NetworkAddress::parse(path);
    if (!address)
        return nullptr;
    if (address->mode == NetworkAddress::Mode::Rfc2217)
        return std::make_unique<Rfc2217Transport>(*address, timings.connectTimeoutMs);
    return std::make_unique<TcpTransport>(*address, timings.connectTimeoutMs);
}

} // namespace

TVaComm::TVaComm(QObject *parent, LinkTimings timings) : QObject(parent), m_timings(timings) {}

TVaComm::~TVaComm()
{
    if (m_transport)
        m_transport->close();
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
    m_openCancelled = false;
    m_lineLostReason.clear();
    m_transport = transportFor(path, m_timings);
    if (!m_transport)
        return fail(QStringLiteral("Bad server address %1").arg(path),
                    QStringLiteral("Адрес сетевого порта записан неверно: нужен tcp://УЗЕЛ:ПОРТ "
                                   "или rfc2217://УЗЕЛ:ПОРТ"));
    PortTransport *transport = m_transport.get();
    connect(transport, &PortTransport::received, this, &TVaComm::onReceived);
    connect(transport, &PortTransport::lineLost, this, &TVaComm::onLineLost);
    if (!transport->open()) {
        m_openCancelled = transport->cancelled();
        const QString text = transport->lastError();
        const QString reason = transport->failureReason();
        // Deleted later: its own signal handlers may still be on the stack.
        m_transport.release()->deleteLater();
        return fail(text, reason);
    }
    m_lastError.clear();
    m_failureReason.clear();
    m_open = true;
    return true;
}

void TVaComm::CancelOpen()
{
    if (m_transport && !m_open)
        m_transport->cancelOpen();
}

void TVaComm::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_transport->close();
    m_transport.release()->deleteLater();
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
    if (!m_transport->purge())
        return fail(m_transport->lastError(), m_transport->failureReason());
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
        return fail(QStringLiteral("The line of %1 has gone").arg(DevicePath()), m_lineLostReason);

    // The output buffer holds OutputBufferSize bytes; a text that does not fit
    // waits for the bytes before it to go out. A longer text than the buffer
    // goes as soon as the buffer is empty.
    PortTransport *transport = m_transport.get();
    const auto fits = [transport, &text] {
        const qint64 pending = transport->bytesToWrite();
        return pending == 0 || pending + text.size() <= OutputBufferSize;
    };
    if (!fits()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(transport, &PortTransport::bytesWritten, &loop, [&] {
            if (fits())
                loop.quit();
        });
        connect(this, &TVaComm::lineLost, &loop, &QEventLoop::quit);
        deadline.start(m_timings.writeBufferWaitMs);
        loop.exec();
        if (m_lineLost || !m_open)
            return fail(QStringLiteral("The line of %1 has gone").arg(DevicePath()),
                        m_lineLostReason);
        if (!fits())
            return fail(QStringLiteral("Output buffer is full. Please check comm status."));
    }
    if (!transport->write(text))
        return fail(transport->lastError(), transport->failureReason());
    return true;
}

QString TVaComm::Settings() const
{
    return m_open ? m_transport->settingsText() : QString();
}

void TVaComm::onReceived(const QByteArray &bytes)
{
    if (m_trace)
        m_trace->record(m_deviceName, LineTrace::Event::Received, bytes, QString());
    emit received(bytes);
}

void TVaComm::onLineLost(const QString &reason)
{
    if (m_lineLost)
        return;
    m_lineLost = true;
    m_lineLostReason = reason;
    m_failureReason = reason;
    emit lineLost();
}

bool TVaComm::fail(const QString &text, const QString &reason)
{
    m_lastError = text;
    m_failureReason = reason;
    return false;
}

} // namespace sr5n
