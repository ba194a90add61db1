#pragma once

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <optional>

namespace sr5n {

// Every data file is a header text, a version text, then its own records.
struct DataFileType {
    const char *header;
    const char *version; // the version written, and the highest one accepted
};

namespace FileTypes {
inline constexpr DataFileType Configuration{"SR-5/N Configuration File", "1"};
inline constexpr DataFileType ProtocolList{"SR-5/N Protocols List File", "1"};
inline constexpr DataFileType Protocol{"SR-5/N Protocol File", "1"};
inline constexpr DataFileType EventTable{"SR-5/N Events File", "2"};
inline constexpr DataFileType LogEventList{"SR-5/N Log Events File", "1"};
} // namespace FileTypes

// Opens `file` at `path` for reading when it is a regular file: a named pipe
// would wait for a writer and a device file never ends.
bool OpenRegularFile(QFile &file, const QString &path);
// The whole of a regular file; nothing for anything else or a failed read.
std::optional<QByteArray> ReadRegularFile(const QString &path);

// Reads a data file of one type: open() takes only a regular file and checks
// the header (byte for byte) and the version; the file's own records follow
// through the read functions.
// Every function fails (false or no value) on a short or damaged record.
class DataFileReader final
{
public:
    explicit DataFileReader(const DataFileType &type);

    bool open(const QString &path);
    bool openBytes(const QByteArray &bytes); // in-memory contents
    void close();

    QString version() const { return m_version; }
    // Bytes not read yet: a count that needs more records than this is false.
    qint64 bytesLeft() const;

    std::optional<QString> readText();
    std::optional<qint64> readNumber(); // whole decimal number, sign allowed
    std::optional<qint64> readCount();  // whole decimal number, not negative

private:
    bool readPreamble();

    DataFileType m_type;
    QFile m_file;
    QBuffer m_buffer;
    QIODevice *m_device = nullptr;
    QString m_version;
};

// Writes a data file of one type, to a file or to memory. Nothing replaces
// the file at the path until commit() succeeds, so a failed write leaves the
// previous file intact.
class DataFileWriter final
{
public:
    explicit DataFileWriter(const DataFileType &type);

    bool open(const QString &path); // also writes the header and version
    bool openBytes();               // the same, into bytes()
    bool writeText(const QString &text);
    bool writeNumber(qint64 number);
    bool commit(); // true when every record was written
    // What openBytes() collected.
    const QByteArray &bytes() const { return m_buffer.data(); }

private:
    bool writePreamble();

    DataFileType m_type;
    QSaveFile m_file;
    QBuffer m_buffer;
    QIODevice *m_device = nullptr;
    bool m_ok = false;
};

} // namespace sr5n
