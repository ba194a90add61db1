#pragma once

#include <QString>

namespace sr5n {

// The maker of the configurator, as the About window and the exported page
// name it. The links are formed from the same host name and address.
inline QString MakerName()
{
    return QStringLiteral("Команда проекта «Конфигуратор СР-5/Н»");
}

inline QString MakerWebSite()
{
    return QStringLiteral("sr5n-configurator.example.org");
}

inline QString MakerEmail()
{
    return QStringLiteral("support@sr5n-configurator.example.org");
}

} // namespace sr5n
