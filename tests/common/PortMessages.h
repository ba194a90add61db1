#pragma once

#include <QString>

namespace sr5n::test {

// The link's messages for a port that fails, as the user reads them.
inline QString NoSuchPortMessage(const QString &port)
{
    return QStringLiteral("Порт ") + port +
           QStringLiteral(" недоступен\nТакого порта нет: устройство не подключено или имя "
                          "указано неверно");
}

inline QString LineLostMessage(const QString &port)
{
    return QStringLiteral("Порт ") + port +
           QStringLiteral(" недоступен\nСвязь с портом потеряна: устройство отключено или линия "
                          "разорвана");
}

inline QString PermissionDeniedMessage(const QString &port)
{
    return QStringLiteral("Порт ") + port +
           QStringLiteral(" недоступен\nНет прав доступа к порту. Добавьте пользователя в группу "
                          "dialout (sudo usermod -aG dialout $USER) и войдите в систему заново");
}

inline QString InUseMessage(const QString &port)
{
    return QStringLiteral("Порт ") + port +
           QStringLiteral(" недоступен\nПорт занят другой программой");
}

} // namespace sr5n::test
