#include "config/ConfigurationFile.h"

#include "common/DataFile.h"
#include "config/RequestLists.h"

namespace sr5n {

namespace {

bool writeEntries(DataFileWriter &writer, const QStringList &data, const QStringList &commands)
{
    bool ok = writer.writeNumber(commands.size());
    for (qsizetype i = 0; ok && i < commands.size(); ++i)
        ok = writer.writeText(commands[i]) && writer.writeText(data[i]);
    return ok;
}

} // namespace

bool WriteConfigurationFile(const QString &path, const QStringList &data,
                            const QStringList &commands)
{
    if (data.size() != commands.size())
        return false;
    DataFileWriter writer(FileTypes::Configuration);
    const bool ok = writer.open(path) && writeEntries(writer, data, commands);
    return writer.commit() && ok;
}

QByteArray ConfigurationFileBytes(const QStringList &data, const QStringList &commands)
{
    DataFileWriter writer(FileTypes::Configuration);
    writer.openBytes();
    writeEntries(writer, data, commands);
    return writer.bytes();
}

bool ReadConfigurationFile(const QString &path, QStringList &data, QStringList &commands)
{
    data.clear();
    commands.clear();
    DataFileReader reader(FileTypes::Configuration);
    if (!reader.open(path))
        return false;
    // A count beyond the entries of a whole configuration is refused before
    // anything is read: such a file is damaged, and reading it would hold
    // the window for seconds.
    const std::optional<qint64> count = reader.readCount();
    if (!count || *count > ConfigurationRequestCount())
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
    return true;
}

} // namespace sr5n
