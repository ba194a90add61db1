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

// The bytes of the file WriteConfigurationFile writes, made in memory; empty
// when the lists differ in length.
QByteArray ConfigurationFileBytes(const QStringList &data, const QStringList &commands);

// Reads the entries into the two lists (emptied first). False for a file that
// cannot be read (or is not a regular file), another file type, a newer
// version, a count that is not a decimal number, a damaged record, fewer
// entries than announced, and a list that is not a whole configuration
// (RequestListFault); bytes after the last entry are ignored. `fault`, when
// given, receives what is wrong with the entries, for the user ("записей 857
// вместо 858"), and stays empty when the file itself cannot be read.
bool ReadConfigurationFile(const QString &path, QStringList &data, QStringList &commands,
                           QString *fault = nullptr);
// The same over the bytes of such a file.
bool ReadConfigurationBytes(const QByteArray &bytes, QStringList &data, QStringList &commands,
                            QString *fault = nullptr);

} // namespace sr5n
