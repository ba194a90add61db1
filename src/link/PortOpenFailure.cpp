#include "link/PortOpenFailure.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sr5n {

namespace {

// Read and write access for the effective user, as opening will need it.
bool mayReadAndWrite(const QString &path)
{
#ifdef Q_OS_UNIX
    if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) == 0)
        return true;
    return errno != EACCES && errno != EPERM;
#else
    const QFileInfo info(path);
    return info.isReadable() && info.isWritable();
#endif
}

} // namespace

QString PortOpenFailure::devicePath(const QString &portName)
{
    if (portName.isEmpty() || portName.startsWith(QLatin1Char('/')) ||
        portName.startsWith(QLatin1String("./")) || portName.startsWith(QLatin1String("../")))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

PortOpenFailure::Facts PortOpenFailure::gather(const QString &path,
                                               QSerialPort::SerialPortError error,
                                               const QString &systemText)
{
    Facts facts;
    facts.named = !path.isEmpty();
    facts.error = error;
    facts.systemText = systemText;
    if (facts.named) {
        const QString device = devicePath(path);
        facts.exists = QFileInfo::exists(device);
        facts.accessible = !facts.exists || mayReadAndWrite(device);
    }
    return facts;
}

PortOpenFailure::Reason PortOpenFailure::classify(const Facts &facts)
{
    if (!facts.named)
        return Reason::NoName;
    if (!facts.exists || facts.error == QSerialPort::DeviceNotFoundError)
        return Reason::NoSuchPort;
    if (!facts.accessible)
        return Reason::PermissionDenied;
    // With read and write allowed, a refusal comes from another program that
    // holds the port: its lock file or its exclusive use of the terminal.
    if (facts.error == QSerialPort::PermissionError)
        return Reason::InUse;
    if (facts.error == QSerialPort::NoError)
        return Reason::Unknown;
    return Reason::Other;
}

QString PortOpenFailure::text(Reason reason, const QString &systemText)
{
    switch (reason) {
    case Reason::Unknown:
        return QString();
    case Reason::NoName:
        return QStringLiteral("Имя порта не указано");
    case Reason::NoSuchPort:
        return QStringLiteral("Такого порта нет: устройство не подключено или имя указано неверно");
    case Reason::PermissionDenied:
        return QStringLiteral("Нет прав доступа к порту. Добавьте пользователя в группу dialout "
                              "(sudo usermod -aG dialout $USER) и войдите в систему заново");
    case Reason::InUse:
        return QStringLiteral("Порт занят другой программой");
    case Reason::Other:
        return systemText.isEmpty() ? QString() : QStringLiteral("Система сообщает: ") + systemText;
    }
    return QString();
}

QString PortOpenFailure::describe(const QString &path, QSerialPort::SerialPortError error,
                                  const QString &systemText)
{
    return text(classify(gather(path, error, systemText)), systemText);
}

} // namespace sr5n
