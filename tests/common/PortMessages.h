#pragma once

#include <QString>

namespace sr5n::test {

// The link's messages for a port that fails, as the user reads them: the
// port line, then the reason.
inline QString PortMessage(const QString &port, const QString &reason)
{
    return QStringLiteral("Порт ") + port + QStringLiteral(" недоступен\n") + reason;
}

inline QString NoSuchPortMessage(const QString &port)
{
    return PortMessage(
        port, QStringLiteral("Такого порта нет: устройство не подключено или имя указано неверно"));
}

inline QString LineLostMessage(const QString &port)
{
    return PortMessage(port, QStringLiteral("Связь с портом потеряна: устройство отключено или "
                                            "линия разорвана"));
}

inline QString PermissionDeniedMessage(const QString &port)
{
    return PortMessage(port, QStringLiteral("Нет прав доступа к порту. Добавьте пользователя в "
                                            "группу dialout (sudo usermod -aG dialout $USER) и "
                                            "войдите в систему заново"));
}

inline QString InUseMessage(const QString &port)
{
    return PortMessage(port, QStringLiteral("Порт занят другой программой"));
}

} // namespace sr5n::test
