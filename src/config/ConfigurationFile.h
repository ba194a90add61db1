#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sr5n {

// The configuration file (".snc"): the header, the version "1", the number of
// entries, then each entry of a request list as its command and its data.

// Writes the entries; the previous file is replaced only when all was written.
bool WriteConfigurationFile(const QString &path, const QStringList &data,
                            const QStringList &commands);

// Reads the entries into the two lists (emptied first). False for a file that
// cannot be read (or is not a regular file), another file type, a newer
// version, a count that is not a decimal number, a damaged record, fewer
// entries than announced, and a file that does not hold every entry of a
// whole configuration in its order (HoldsWholeConfiguration); bytes after
// the last entry are ignored.
bool ReadConfigurationFile(const QString &path, QStringList &data, QStringList &commands);

} // namespace sr5n

namespace sr5n {

// The bytes of the configuration file of these entries, as
// WriteConfigurationFile writes them; empty when they cannot be made.
QByteArray ConfigurationFileBytes(const QStringList &data, const QStringList &commands);
// The entries of configuration file bytes, checked as ReadConfigurationFile does.
bool ReadConfigurationBytes(const QByteArray &bytes, QStringList &data, QStringList &commands);

} // namespace sr5n
