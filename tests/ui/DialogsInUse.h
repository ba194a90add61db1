#pragma once

#include "ui/Startup.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QStringList>

namespace sr5n::test {

// Gives the dialogs whose texts the operation opening them sets the texts of
// such an operation, as they are on screen.
inline void PrepareDialogs(Windows &windows, const QStringList &protocolNames)
{
    windows.prefixMask().prepare(QStringLiteral("12AB"), 5, nullptr);
    windows.saveNewProtocol().prepare(
        QStringLiteral("Сохранение протокола в программе"),
        QStringLiteral("Введите название протокола или выберите протокол из списка для замены"),
        protocolNames, QStringLiteral("Новый протокол"));
}

} // namespace sr5n::test
