#include "protocols/ProtocolListMerge.h"

#include <QList>

namespace sr5n {

namespace {

int indexOf(const QStringList &list, const QString &text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

ProtocolList MergeProtocolLists(const ProtocolList &base, const ProtocolList &mine,
                                const ProtocolList &theirs)
{
    ProtocolList merged;
    QList<bool> taken(mine.records.size(), false);
    const auto add = [&merged](const QString &name, const QString &record) {
        merged.names.append(name);
        merged.records.append(record);
    };
    // Mine, added by this writer: its record is new to the base.
    const auto addedHere = [&](int j) { return indexOf(base.records, mine.records.at(j)) < 0; };

    for (int t = 0; t < theirs.records.size(); ++t) {
        const QString &record = theirs.records.at(t);
        const int b = indexOf(base.records, record);
        const int m = indexOf(mine.records, record);
        if (b >= 0 && m < 0) {
            // Removed here, or replaced: a new record under the old name takes its place.
            for (int j = 0; j < mine.records.size(); ++j) {
                if (!taken.at(j) && addedHere(j) &&
                    indexOf(theirs.records, mine.records.at(j)) < 0 &&
                    mine.names.at(j).compare(base.names.at(b), Qt::CaseInsensitive) == 0) {
                    taken[j] = true;
                    add(mine.names.at(j), mine.records.at(j));
                    break;
                }
            }
            continue;
        }
        if (m >= 0) {
            taken[m] = true;
            const bool renamedHere = b >= 0 && mine.names.at(m) != base.names.at(b);
            add(renamedHere ? mine.names.at(m) : theirs.names.at(t), record);
            continue;
        }
        add(theirs.names.at(t), record);
    }
    // Added here and unknown to the file; what the others removed stays removed.
    for (int j = 0; j < mine.records.size(); ++j) {
        if (!taken.at(j) && addedHere(j) && indexOf(merged.records, mine.records.at(j)) < 0)
            add(mine.names.at(j), mine.records.at(j));
    }
    return merged;
}

} // namespace sr5n
