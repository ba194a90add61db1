// The check of a whole configuration list before any of it is used.
#include "config/BlockFixture.h"
#include "config/RandomConfiguration.h"
#include "config/RequestListCheck.h"
#include "config/RequestLists.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;
using namespace sr5n::test;

// What the encoders write always passes, also as a device's answers and
// with numbers that are or are not checked before dialling.
TEST(RequestListCheck, EveryWriteListTheEncodersMakePasses)
{
    QRandomGenerator random(33);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        BlockFixture f;
        randomize(f, random);
        const Requests r = WriteList(f);
        EXPECT_EQ(RequestListFault(r.data, r.commands), std::nullopt);
        EXPECT_EQ(RequestListFault(r.data, AnswerCommands(r.commands)), std::nullopt);
    }
}

TEST(RequestListCheck, NamesTheFirstEntryThatIsNotAWholeConfiguration)
{
    BlockFixture f;
    const Requests whole = WriteList(f);
    const struct {
        const char *what;
        std::function<void(Requests &)> damage;
        const char *fault;
    } cases[] = {
        {"ZZ in a number block",
         [](Requests &r) { r.data[4].replace(20, 2, QStringLiteral("ZZ")); },
         "запись 5 из 858 (команда 02): знак 21 данных \"Z\" не шестнадцатеричная цифра"},
        {"a block cut short", [](Requests &r) { r.data[2].truncate(10); },
         "запись 3 из 858 (команда 08): знаков данных 10, а нужно не меньше 32"},
        {"857 entries",
         [](Requests &r) {
             r.data.removeLast();
             r.commands.removeLast();
         },
         "записей 857 вместо 858"},
        {"only the sixteen blocks",
         [](Requests &r) {
             r.data.resize(16);
             r.commands.resize(16);
         },
         "записей 16 вместо 858"},
        {"blocks swapped",
         [](Requests &r) {
             r.data.swapItemsAt(0, 1);
             r.commands.swapItemsAt(0, 1);
         },
         "запись 1 из 858 (команда 20): ожидалась команда 1E"},
        {"a chunk at another address", [](Requests &r) { r.data.swapItemsAt(16, 17); },
         "запись 17 из 858 (команда 00): адрес 0500 вместо 05E0"},
        {"a chunk with nine codes", [](Requests &r) { r.data[857].chop(4); },
         "запись 858 из 858 (команда 00): знаков данных 40 вместо 44"},
        {"an empty command", [](Requests &r) { r.commands[9].clear(); },
         "запись 10 из 858 (команда ): ожидалась команда 0A"},
    };
    for (const auto &c : cases) {
        Requests r = whole;
        c.damage(r);
        EXPECT_EQ(RequestListFault(r.data, r.commands), QString::fromUtf8(c.fault)) << c.what;
    }
}
