#include "ProtocolFixtures.h"

#include "common/DataFile.h"
#include "common/TextRecord.h"

#include <QFile>

namespace sr5n::test {

std::optional<QString> FakeProtocolDialogs::askProtocolName(const QString &caption,
                                                            const QString &message,
                                                            const QStringList &offered,
                                                            const QString &name,
                                                            const QStringList &taken)
{
    nameRequests.append({caption, message, offered, name, taken});
    return names.isEmpty() ? std::nullopt : names.takeFirst();
}

std::optional<QString> FakeProtocolDialogs::askSaveFile(const QString &fileName)
{
    proposedFiles.append(fileName);
    return saveFiles.isEmpty() ? std::nullopt : saveFiles.takeFirst();
}

std::optional<QString> FakeProtocolDialogs::askOpenFile()
{
    ++openRequests;
    return openFiles.isEmpty() ? std::nullopt : openFiles.takeFirst();
}

bool WriteProtocolList(const QString &path, const QList<Protocol> &protocols)
{
    DataFileWriter writer(FileTypes::ProtocolList);
    bool ok = writer.open(path) && writer.writeNumber(protocols.size());
    for (const Protocol &p : protocols)
        ok = ok && writer.writeText(p.first) && writer.writeText(p.second);
    return writer.commit() && ok;
}

std::optional<QList<Protocol>> ReadProtocolList(const QString &path)
{
    DataFileReader reader(FileTypes::ProtocolList);
    if (!reader.open(path))
        return std::nullopt;
    const std::optional<qint64> count = reader.readCount();
    if (!count)
        return std::nullopt;
    QList<Protocol> protocols;
    for (qint64 i = 0; i < *count; ++i) {
        const std::optional<QString> name = reader.readText();
        const std::optional<QString> record = reader.readText();
        if (!name || !record)
            return std::nullopt;
        protocols.append({*name, *record});
    }
    return protocols;
}

bool WriteProtocolFileAs(const QString &path, const QString &version, const QString &name,
                         const QString &record)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return WriteTextRecord(QStringLiteral("SR-5/N Protocol File"), file) &&
           WriteTextRecord(version, file) && WriteTextRecord(name, file) &&
           WriteTextRecord(record, file);
}

} // namespace sr5n::test
