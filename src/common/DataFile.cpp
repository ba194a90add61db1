#include "common/DataFile.h"

#include "common/DecimalNumber.h"
#include "common/TextRecord.h"

#include <QFileInfo>

namespace sr5n {

DataFileReader::DataFileReader(const DataFileType &type) : m_type(type) {}

bool OpenRegularFile(QFile &file, const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

std::optional<QByteArray> ReadRegularFile(const QString &path)
{
    QFile file;
    if (!OpenRegularFile(file, path))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool DataFileReader::open(const QString &path)
{
    close();
    if (!OpenRegularFile(m_file, path))
        return false;
    m_device = &m_file;
    return readPreamble();
}

bool DataFileReader::openBytes(const QByteArray &bytes)
{
    close();
    m_buffer.setData(bytes);
    if (!m_buffer.open(QIODevice::ReadOnly))
        return false;
    m_device = &m_buffer;
    return readPreamble();
}

void DataFileReader::close()
{
    if (m_file.isOpen())
        m_file.close();
    if (m_buffer.isOpen())
        m_buffer.close();
    m_device = nullptr;
    m_version.clear();
}

bool DataFileReader::readPreamble()
{
    const std::optional<QByteArray> header = ReadRecordBytes(*m_device);
    if (!header || *header != QByteArray(m_type.header))
        return false;
    const std::optional<QByteArray> version = ReadRecordBytes(*m_device);
    if (!version || CompareVersion(*version, QByteArray(m_type.version)) > 0)
        return false;
    m_version = QString::fromLatin1(*version);
    return true;
}

qint64 DataFileReader::bytesLeft() const
{
    return m_device ? m_device->size() - m_device->pos() : 0;
}

std::optional<QString> DataFileReader::readText()
{
    if (!m_device)
        return std::nullopt;
    return ReadTextRecord(*m_device);
}

std::optional<qint64> DataFileReader::readNumber()
{
    const std::optional<QString> text = readText();
    if (!text)
        return std::nullopt;
    return ParseDecimal(*text);
}

std::optional<qint64> DataFileReader::readCount()
{
    const std::optional<qint64> number = readNumber();
    if (!number || *number < 0)
        return std::nullopt;
    return number;
}

DataFileWriter::DataFileWriter(const DataFileType &type) : m_type(type) {}

bool DataFileWriter::open(const QString &path)
{
    m_file.setFileName(path);
    m_device = &m_file;
    m_ok = m_file.open(QIODevice::WriteOnly);
    return writePreamble();
}

bool DataFileWriter::openBytes()
{
    m_buffer.setData(QByteArray());
    m_device = &m_buffer;
    m_ok = m_buffer.open(QIODevice::WriteOnly);
    return writePreamble();
}

bool DataFileWriter::writePreamble()
{
    return m_ok && writeText(QString::fromLatin1(m_type.header)) &&
           writeText(QString::fromLatin1(m_type.version));
}

bool DataFileWriter::writeText(const QString &text)
{
    m_ok = m_ok && m_device && WriteTextRecord(text, *m_device);
    return m_ok;
}

bool DataFileWriter::writeNumber(qint64 number)
{
    return writeText(QString::number(number));
}

bool DataFileWriter::commit()
{
    if (m_device == &m_buffer) {
        m_buffer.close();
        return m_ok;
    }
    // A write the system cut short (disk full, size limit) shows only when the
    // buffer is flushed, and QSaveFile would still commit the cut file.
    if (m_ok && (!m_file.flush() || m_file.error() != QFileDevice::NoError))
        m_ok = false;
    if (!m_ok) {
        if (m_file.isOpen())
            m_file.cancelWriting();
        return false;
    }
    return m_file.commit();
}

} // namespace sr5n
