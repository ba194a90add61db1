#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

// What the protocol library asks the user besides Yes/No questions: a name in
// the name dialog and the files of the file dialogs. The main window answers
// with its dialogs; tests answer from a script.
class ProtocolDialogs
{
public:
    virtual ~ProtocolDialogs() = default;

    // The name dialog with its caption and message, offering `names` and
    // preset to `name`; the text typed when closed with OK. A name of `taken`
    // is refused (the protocol being renamed cannot take another's name);
    // another name of `names` is taken only when the user agrees to replace.
    virtual std::optional<QString> askProtocolName(const QString &caption, const QString &message,
                                                   const QStringList &names, const QString &name,
                                                   const QStringList &taken) = 0;
    // The save-file dialog of a protocol file proposing `fileName`; the path chosen.
    virtual std::optional<QString> askSaveFile(const QString &fileName) = 0;
    // The open-file dialog of a protocol file; the path chosen.
    virtual std::optional<QString> askOpenFile() = 0;
};

// The refusal of a name that another protocol has.
inline QString NameTakenMessage(const QString &name)
{
    return QStringLiteral("Протокол с названием \"%1\" уже зарегистрирован в программе. "
                          "Введите другое название")
        .arg(name);
}

// Texts of the file dialogs.
inline QString ProtocolSaveTitle()
{
    return QStringLiteral("Сохранение протокола");
}
inline QString ProtocolOpenTitle()
{
    return QStringLiteral("Добавление протокола");
}
inline QString ProtocolFileFilter()
{
    return QStringLiteral("Файл протокола для СР-5/Н (*.snp)");
}
inline QString ProtocolFileExtension()
{
    return QStringLiteral("snp");
}

} // namespace sr5n
