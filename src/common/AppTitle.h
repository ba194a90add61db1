#pragma once

#include <QString>

namespace sr5n {

// The application title: main window caption and caption of every message box.
inline QString AppTitle()
{
    return QStringLiteral("СР-5/Н Конфигуратор");
}

} // namespace sr5n
