#include "common/TextRecord.h"

#include "common/Checksum.h"
#include "common/Codepage.h"

#include <QtEndian>

namespace sr5n {

namespace {

bool writeAll(QIODevice &stream, const char *data, qint64 size)
{
    return size == 0 || stream.write(data, size) == size;
}

bool writeUInt32(QIODevice &stream, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return writeAll(stream, bytes, 4);
}

std::optional<quint32> readUInt32(QIODevice &stream)
{
    char bytes[4];
    if (stream.read(bytes, 4) != 4)
        return std::nullopt;
    return qFromLittleEndian<quint32>(bytes);
}

} // namespace

bool WriteRecordBytes(const QByteArray &bytes, QIODevice &stream)
{
    return writeUInt32(stream, static_cast<quint32>(bytes.size())) &&
           writeAll(stream, bytes.constData(), bytes.size()) && writeUInt32(stream, ByteSum(bytes));
}

std::optional<QByteArray> ReadRecordBytes(QIODevice &stream)
{
    const std::optional<quint32> length = readUInt32(stream);
    if (!length)
        return std::nullopt;
    // Never trust the length field: a record that announces more than the
    // stream still holds fails before anything is allocated for it.
    const qint64 left =
        stream.isSequential() ? stream.bytesAvailable() : stream.size() - stream.pos();
    if (static_cast<qint64>(*length) + 4 > left)
        return std::nullopt;
    QByteArray bytes = stream.read(*length);
    if (bytes.size() != static_cast<qsizetype>(*length))
        return std::nullopt;
    const std::optional<quint32> stored = readUInt32(stream);
    if (!stored || *stored != ByteSum(bytes))
        return std::nullopt;
    return bytes;
}

bool WriteTextRecord(const QString &text, QIODevice &stream)
{
    return WriteRecordBytes(ToCp1251(text), stream);
}

std::optional<QString> ReadTextRecord(QIODevice &stream)
{
    const std::optional<QByteArray> bytes = ReadRecordBytes(stream);
    if (!bytes)
        return std::nullopt;
    return FromCp1251(*bytes);
}

int CompareVersion(const QByteArray &a, const QByteArray &b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const auto x = static_cast<quint8>(a[i]);
        const auto y = static_cast<quint8>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool VersionAccepted(const QString &fileVersion, const QString &writtenVersion)
{
    return CompareVersion(ToCp1251(fileVersion), ToCp1251(writtenVersion)) <= 0;
}

} // namespace sr5n
