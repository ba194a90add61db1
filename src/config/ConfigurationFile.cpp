#include "config/ConfigurationFile.h"

#include "common/DataFile.h"
#include "config/RequestListCheck.h"
#include "config/RequestLists.h"

namespace sr5n {

namespace {

// The entries after the preamble, to either kind of destination.
bool writeEntries(DataFileWriter &writer, bool opened, const QStringList &data,
                  const QStringList &commands)
{
    bool ok = opened && data.size() == commands.size() && writer.writeNumber(commands.size());
    for (qsizetype i = 0; ok && i < commands.size(); ++i)
        ok = writer.writeText(commands[i]) && writer.writeText(data[i]);
    return writer.commit() && ok;
}

// The entries after the preamble, from either kind of source, checked as a
// whole list.
bool readEntries(DataFileReader &reader, QStringList &data, QStringList &commands, QString *fault)
{
    const auto refuse = [&](const QString &why) {
        data.clear();
        commands.clear();
        if (fault)
            *fault = why;
        return false;
    };
    // A file holds a whole configuration: another count is refused before
    // anything is read (a huge one would hold the window for seconds).
    const std::optional<qint64> count = reader.readCount();
    if (!count)
        return refuse(QString());
    if (*count != ConfigurationRequestCount())
        return refuse(RequestCountFault(*count));
    for (qint64 i = 0; i < *count; ++i) {
        const std::optional<QString> command = reader.readText();
        const std::optional<QString> text = command ? reader.readText() : std::nullopt;
        if (!text)
            return refuse(
                QStringLiteral("файл обрывается на записи %1 из %2").arg(i + 1).arg(*count));
        commands.append(*command);
        data.append(*text);
    }
    // Every entry of the list, in its place and well formed: a file without
    // one would leave that part of the window from the configuration before.
    if (const std::optional<QString> wrong = RequestListFault(data, commands))
        return refuse(*wrong);
    return true;
}

} // namespace

bool WriteConfigurationFile(const QString &path, const QStringList &data,
                            const QStringList &commands)
{
    if (data.size() != commands.size())
        return false;
    DataFileWriter writer(FileTypes::Configuration);
    return writeEntries(writer, writer.open(path), data, commands);
}

QByteArray ConfigurationFileBytes(const QStringList &data, const QStringList &commands)
{
    DataFileWriter writer(FileTypes::Configuration);
    if (!writeEntries(writer, writer.openBytes(), data, commands))
        return {};
    return writer.bytes();
}

bool ReadConfigurationFile(const QString &path, QStringList &data, QStringList &commands,
                           QString *fault)
{
    data.clear();
    commands.clear();
    if (fault)
        fault->clear();
    DataFileReader reader(FileTypes::Configuration);
    return reader.open(path) && readEntries(reader, data, commands, fault);
}

bool ReadConfigurationBytes(const QByteArray &bytes, QStringList &data, QStringList &commands,
                            QString *fault)
{
    data.clear();
    commands.clear();
    if (fault)
        fault->clear();
    DataFileReader reader(FileTypes::Configuration);
    return reader.openBytes(bytes) && readEntries(reader, data, commands, fault);
}

} // namespace sr5n
