#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

// Checks a whole configuration as a write request list (a configuration
// file's entries, or the list about to be written) before anything of it is
// used: 858 entries in request order, each block with its command (write or
// read, in either case) and data of its length, each event-code chunk at its
// address with ten codes, every data text hexadecimal. Nothing when the list
// is whole; else what is wrong with the first faulty entry, for the user:
// "запись 7 из 858 (команда 02): ...".
std::optional<QString> RequestListFault(const QStringList &data, const QStringList &commands);

// A list of `count` entries where a whole configuration has 858: "записей 857
// вместо 858".
QString RequestCountFault(qint64 count);

} // namespace sr5n
