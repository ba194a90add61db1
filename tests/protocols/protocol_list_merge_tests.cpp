#include "protocols/ProtocolListMerge.h"

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// Records told apart by their last digits.
QString record(int n)
{
    return QStringLiteral("0000010000000000000000000000000005%1").arg(n, 4, 10, QLatin1Char('0'));
}

ProtocolList list(std::initializer_list<std::pair<const char *, int>> protocols)
{
    ProtocolList result;
    for (const auto &[name, n] : protocols) {
        result.names.append(QString::fromUtf8(name));
        result.records.append(record(n));
    }
    return result;
}

std::string shown(const ProtocolList &l)
{
    QStringList entries;
    for (int i = 0; i < l.names.size(); ++i)
        entries.append(l.names.at(i) + u'=' + l.records.at(i).right(2));
    return entries.join(QStringLiteral(", ")).toStdString();
}

} // namespace

// The file as this writer read it is A, B, C. Each case: what this writer
// made of it, what another process wrote meanwhile, and the merged file.
TEST(ProtocolListMerge, KeepsTheOthersChangesAndMakesThisWritersAgain)
{
    const ProtocolList base = list({{"A", 1}, {"B", 2}, {"C", 3}});
    const struct {
        const char *name;
        ProtocolList mine, theirs, merged;
    } cases[] = {
        {"the other added, this one added", list({{"A", 1}, {"B", 2}, {"C", 3}, {"Новый", 5}}),
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"CLI", 4}}),
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"CLI", 4}, {"Новый", 5}})},
        {"both added the same record: the file's entry stays",
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"Новый", 4}}),
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"0000", 4}}),
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"0000", 4}})},
        {"this one renamed, the other added", list({{"A", 1}, {"Бета", 2}, {"C", 3}}),
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"CLI", 4}}),
         list({{"A", 1}, {"Бета", 2}, {"C", 3}, {"CLI", 4}})},
        {"this one removed, the other added", list({{"A", 1}, {"C", 3}}),
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"CLI", 4}}), list({{"A", 1}, {"C", 3}, {"CLI", 4}})},
        {"this one replaced a record under its name: in its place",
         list({{"A", 1}, {"B", 6}, {"C", 3}}), list({{"A", 1}, {"B", 2}, {"C", 3}, {"CLI", 4}}),
         list({{"A", 1}, {"B", 6}, {"C", 3}, {"CLI", 4}})},
        {"the other renamed and removed: kept so",
         list({{"A", 1}, {"B", 2}, {"C", 3}, {"Новый", 5}}), list({{"Альфа", 1}, {"C", 3}}),
         list({{"Альфа", 1}, {"C", 3}, {"Новый", 5}})},
        {"both renamed: this writer's name", list({{"A", 1}, {"Моё", 2}, {"C", 3}}),
         list({{"A", 1}, {"Их", 2}, {"C", 3}}), list({{"A", 1}, {"Моё", 2}, {"C", 3}})},
    };
    for (const auto &c : cases) {
        const ProtocolList merged = MergeProtocolLists(base, c.mine, c.theirs);
        EXPECT_EQ(merged, c.merged) << c.name << ": " << shown(merged);
        // Nobody else wrote: the file becomes exactly this writer's list.
        EXPECT_EQ(MergeProtocolLists(base, c.mine, base), c.mine) << c.name;
    }
}
