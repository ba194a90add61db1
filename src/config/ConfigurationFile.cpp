#include "config/ConfigurationFile.h"

#include "common/DataFile.h"
#include "config/RequestLists.h"

namespace sr5n {

bool WriteConfigurationFile(const QString &path, const QStringList &data,
                            const QStringList &commands)
{
    if (data.size() != commands.size())
        return false;
    DataFileWriter writer(FileTypes::Configuration);
    bool ok = writer.open(path) && writer.writeNumber(commands.size());
    for (qsizetype i = 0; ok && i < commands.size(); ++i)
        ok = writer.writeText(commands[i]) && writer.writeText(data[i]);
    return writer.commit() && ok;
}

namespace {

// The entries after the preamble, from either kind of source.
bool readEntries(DataFileReader &reader, QStringList &data, QStringList &commands)
{
    // A file holds a whole configuration: another count is refused before
    // anything is read (a huge one would hold the window for seconds).
    const std::optional<qint64> count = reader.readCount();
    if (!count || *count != ConfigurationRequestCount())
        return false;
    for (qint64 i = 0; i < *count; ++i) {
        const std::optional<QString> command = reader.readText();
        const std::optional<QString> text = command ? reader.readText() : std::nullopt;
        if (!text) {
            data.clear();
            commands.clear();
            return false;
        }
        commands.append(*command);
        data.append(*text);
    }
    // Every entry of the list, in its place: a file without one would leave
    // that part of the window from the configuration before.
    if (!HoldsWholeConfiguration(data, commands)) {
        data.clear();
        commands.clear();
        return false;
    }
    return true;
}

} // namespace

bool ReadConfigurationFile(const QString &path, QStringList &data, QStringList &commands)
{
    data.clear();
    commands.clear();
    DataFileReader reader(FileTypes::Configuration);
    return reader.open(path) && readEntries(reader, data, commands);
}

bool ReadConfigurationBytes(const QByteArray &bytes, QStringList &data, QStringList &commands)
{
    data.clear();
    commands.clear();
    DataFileReader reader(FileTypes::Configuration);
    return reader.openBytes(bytes) && readEntries(reader, data, commands);
}

} // namespace sr5n

#include <QTemporaryDir>

namespace sr5n {

// Through a file of their own, so that the file's format has one writer.
QByteArray ConfigurationFileBytes(const QStringList &data, const QStringList &commands)
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("entry.snc"));
    if (!folder.isValid() || !WriteConfigurationFile(path, data, commands))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace sr5n
