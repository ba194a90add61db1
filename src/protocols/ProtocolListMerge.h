#pragma once

#include <QStringList>

namespace sr5n {

// The protocols of a list file: names and records, position i of one
// belonging to position i of the other. Records are kept in upper case.
struct ProtocolList {
    QStringList names;
    QStringList records;

    bool operator==(const ProtocolList &) const = default;
};

// Merges one writer's changes into a list file that others may have changed
// meanwhile. A protocol is known by its record. What this writer did between
// `base` (the file as it last read or wrote it) and `mine` (its list now) is
// made again on `theirs` (the file now): a protocol removed is removed, a
// rename wins, a record replaced under its name takes the old one's place, a
// protocol added is appended unless the file already holds its record. The
// others' own changes stay. With `theirs` equal to `base` the result is `mine`.
ProtocolList MergeProtocolLists(const ProtocolList &base, const ProtocolList &mine,
                                const ProtocolList &theirs);

} // namespace sr5n
