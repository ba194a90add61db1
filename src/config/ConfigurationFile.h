#pragma once

#include <QString>
#include <QStringList>

namespace sr5n {

// The configuration file (".snc"): the header, the version "1", the number of
// entries, then each entry of a request list as its command and its data.

// Writes the entries; the previous file is replaced only when all was written.
bool WriteConfigurationFile(const QString &path, const QStringList &data,
                            const QStringList &commands);

// The bytes of such a file, for a writer of its own.
QByteArray ConfigurationFileBytes(const QStringList &data, const QStringList &commands);

// Reads the entries into the two lists (emptied first). False for a file that
// cannot be read (or is not a regular file), another file type, a newer
// version, a count that is not a decimal number or exceeds the entries of a
// whole configuration, a damaged record or fewer entries than announced;
// bytes after the last entry are ignored.
bool ReadConfigurationFile(const QString &path, QStringList &data, QStringList &commands);

} // namespace sr5n
