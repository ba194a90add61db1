#pragma once

#include "common/FakeNotifier.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/FakeProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace sr5n::test {

// A configuration as the main window holds it at start-up (fixed event
// numbers, memory-fault code 1304), with a library of two protocols, pair 1
// choosing the first and pair 2 the second.
struct BlockFixture {
    BlockFixture()
    {
        tables.applyFixedEventNumbers();
        catalog.add(QStringLiteral("Contact ID"), Record1);
        catalog.add(QStringLiteral("Ademco 4+2"), Record2);
        model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
        model.setChoice(QStringLiteral("cbx2PProtocol"), 1);
    }

    static inline const QString Record1 = QStringLiteral("01020304050607080910111213141516171819");
    static inline const QString Record2 = QStringLiteral("A1A2A3A4A5A6A7A8A9B0B1B2B3B4B5B6B7B8B9");

    ConfigModel model;
    EventCodeTables tables;
    FakeProtocolCatalog catalog{model};
    FakeNotifier notifier;
    BlockContext context{model, tables, catalog, notifier};
};

// A request list: the data of each entry and its command.
struct Requests {
    QStringList data;
    QStringList commands;
};

// The write request list of the fixture's configuration.
inline Requests WriteList(const BlockFixture &f)
{
    Requests r;
    EXPECT_TRUE(BuildWriteRequests(f.context, r.data, r.commands));
    return r;
}

// The commands of a write list as the communicator's answers carry them:
// each one's read command (00 answered by 01).
inline QStringList AnswerCommands(const QStringList &writeCommands)
{
    QStringList commands;
    for (const QString &command : writeCommands)
        commands << CommandText(command.toInt(nullptr, 16) + 1);
    return commands;
}

// Hexadecimal text written with blanks between the bytes, for readable tests.
inline QString Hex(const char *spaced)
{
    return QString::fromLatin1(spaced).remove(QLatin1Char(' '));
}

// `count` bytes of FF.
inline QString FF(int count)
{
    return QString(2 * count, QLatin1Char('F'));
}

} // namespace sr5n::test
