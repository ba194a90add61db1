#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sr5n {

// Writes a command's output where -o points. A regular file (or a path that
// does not exist yet) is replaced at once, only after everything was written;
// a character device, a pipe or a terminal is written directly, never
// replaced; anything else (a folder, a disk, a socket) is refused. "-" and
// an empty path are standard output.
class OutputFile
{
public:
    enum class Kind { StandardOutput, Replaced, Direct, Refused };

    // How `path` would be written; for Refused, `reason` says why.
    static Kind kindOf(const QString &path, QString *reason = nullptr);

    // Nothing when all was written; else the message for the user:
    // "Невозможно сохранить файл "<path>": <reason>".
    static std::optional<QString> write(const QString &path, const QByteArray &bytes);

    // "Невозможно сохранить файл "<path>": <reason>".
    static QString failure(const QString &path, const QString &reason);
};

// What a system error means, in the program's words ("нет прав на запись").
QString SystemErrorText(int error);

} // namespace sr5n
