// The Telnet byte stream and the client's side of COM Port Control, without
// a connection: what goes out for the line's bytes and for each request of a
// server, and what a server's bytes give back.
#include "link/Rfc2217Session.h"
#include "link/TelnetCodec.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace sr5n {
namespace {

using Telnet = TelnetCodec;
using Command = TelnetCodec::Command;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(static_cast<char>(value));
    return out;
}

constexpr int IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr int ComPort = 44, Binary = 0, Echo = 1, Sga = 3;

TEST(TelnetCodec, ByteIac255IsSentTwiceAndReadOnce)
{
    const struct {
        const char *what;
        QByteArray line;
        QByteArray wire;
    } cases[] = {
        {"plain frame", QByteArray(":1162;"), QByteArray(":1162;")},
        {"one 255", bytes({':', 255, ';'}), bytes({':', 255, 255, ';'})},
        {"255 twice in a row", bytes({255, 255}), bytes({255, 255, 255, 255})},
        {"every byte value",
         [] {
             QByteArray all;
             for (int i = 0; i < 256; ++i)
                 all.append(static_cast<char>(i));
             return all;
         }(),
         [] {
             QByteArray all;
             for (int i = 0; i < 256; ++i)
                 all.append(static_cast<char>(i));
             all.append(static_cast<char>(255));
             return all;
         }()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TelnetCodec out;
        out.setBinaryOut(true);
        EXPECT_EQ(out.encode(c.line), c.wire);

        // Back again, in pieces cut at every place: an IAC pair cut in two
        // still gives one byte.
        for (qsizetype cut = 0; cut <= c.wire.size(); ++cut) {
            TelnetCodec in;
            in.setBinaryIn(true);
            const QByteArray first = in.decode(c.wire.left(cut)).data;
            const Telnet::Decoded rest = in.decode(c.wire.mid(cut));
            EXPECT_EQ(first + rest.data, c.line) << "cut at " << cut;
            EXPECT_TRUE(rest.commands.isEmpty());
        }
    }
}

TEST(TelnetCodec, CommandsAreTakenOutOfTheDataWhereverTheyAreCut)
{
    // Data, a negotiation, data with a 255, a subnegotiation whose value
    // holds a 255 (sent twice), a no-operation, data.
    const QByteArray wire = bytes({'A', IAC, DO,  ComPort, 'B', IAC, IAC, IAC, SB,  ComPort, 101,
                                   0,   1,   IAC, IAC,     0,   IAC, SE,  IAC, 241, 'C'});
    const QList<Command> commands{{DO, ComPort, {}}, {SB, ComPort, bytes({101, 0, 1, 255, 0})}};
    for (qsizetype cut = 0; cut <= wire.size(); ++cut) {
        TelnetCodec codec;
        codec.setBinaryIn(true);
        const Telnet::Decoded first = codec.decode(wire.left(cut));
        const Telnet::Decoded rest = codec.decode(wire.mid(cut));
        EXPECT_EQ(first.data + rest.data, bytes({'A', 'B', 255, 'C'})) << "cut at " << cut;
        EXPECT_EQ(first.commands + rest.commands, commands) << "cut at " << cut;
    }
}

TEST(TelnetCodec, WithoutBinaryTransmissionCarriageReturnCarriesANul)
{
    TelnetCodec text;
    EXPECT_EQ(text.encode("a\rb"), bytes({'a', '\r', 0, 'b'}));
    EXPECT_EQ(text.decode(bytes({'a', '\r', 0, 'b', '\r', '\n'})).data, QByteArray("a\rb\r\n"));
    EXPECT_EQ(text.decode(bytes({'\r'})).data, QByteArray("\r"));
    EXPECT_EQ(text.decode(bytes({0, 'c'})).data, QByteArray("c")) << "NUL in the next piece";

    TelnetCodec binary;
    binary.setBinaryOut(true);
    binary.setBinaryIn(true);
    EXPECT_EQ(binary.encode("a\rb"), QByteArray("a\rb"));
    EXPECT_EQ(binary.decode(bytes({'\r', 0})).data, bytes({'\r', 0}));
}

// What ser2net sends as a Telnet door with RFC 2217 opens.
QByteArray ser2netGreeting()
{
    return bytes({IAC,  WILL, Sga, IAC,    DO,  Sga,  IAC,    WILL, Echo, IAC,    DONT,
                  Echo, IAC,  DO,  Binary, IAC, WILL, Binary, IAC,  DO,   ComPort});
}

// The server's report of one setting: command + 100, then the value.
QByteArray report(int command, QByteArray value)
{
    return bytes({IAC, SB, ComPort, command + 100}) + value + bytes({IAC, SE});
}

// Feeds a server's bytes to the session; returns what the client answers.
QByteArray feed(Rfc2217Session &session, TelnetCodec &codec, const QByteArray &server)
{
    QByteArray answer;
    for (const Command &command : codec.decode(server).commands)
        answer += session.handle(command);
    return answer;
}

const QByteArray Settings = bytes({IAC, SB, ComPort, 1, 0,  1,   0xC2, 0, IAC, SE, // 115200 bit/s
                                   IAC, SB, ComPort, 2, 8,  IAC, SE,               // 8 data bits
                                   IAC, SB, ComPort, 3, 1,  IAC, SE,               // no parity
                                   IAC, SB, ComPort, 4, 1,  IAC, SE,               // 1 stop bit
                                   IAC, SB, ComPort, 5, 1,  IAC, SE,   // no flow control
                                   IAC, SB, ComPort, 5, 9,  IAC, SE,   // DTR off
                                   IAC, SB, ComPort, 5, 12, IAC, SE}); // RTS off

const QByteArray SettingsReported = report(1, bytes({0, 1, 0xC2, 0})) + report(2, bytes({8})) +
                                    report(3, bytes({1})) + report(4, bytes({1})) +
                                    report(5, bytes({1}));

TEST(Rfc2217Session, SetsTheRemotePortAsALocalOneOnceTheServerTakesTheOption)
{
    Rfc2217Session session;
    TelnetCodec codec;
    EXPECT_EQ(session.start(), bytes({IAC, WILL, ComPort, IAC, WILL, Binary, IAC, DO, Binary}));
    EXPECT_EQ(session.state(), Rfc2217Session::State::Offering);

    // The server's own offers: suppress-go-ahead is taken, echo refused (an
    // echo would come back as the answer), binary and the option are the
    // answers to the client's offers and need none; the settings follow.
    EXPECT_EQ(feed(session, codec, ser2netGreeting()),
              bytes({IAC, DO, Sga, IAC, WILL, Sga, IAC, DONT, Echo}) + Settings);
    EXPECT_TRUE(session.binaryIn());
    EXPECT_TRUE(session.binaryOut());
    EXPECT_EQ(session.state(), Rfc2217Session::State::Setting);

    // Reports one by one; settled with the last of the five awaited.
    const QByteArray reports = SettingsReported;
    EXPECT_TRUE(feed(session, codec, reports.chopped(7)).isEmpty());
    EXPECT_EQ(session.state(), Rfc2217Session::State::Setting);
    EXPECT_TRUE(feed(session, codec, reports.right(7)).isEmpty());
    EXPECT_EQ(session.state(), Rfc2217Session::State::Settled);
    EXPECT_EQ(session.reported().baudRate, 115200u);
    EXPECT_EQ(session.reportedText(), QStringLiteral("115200 бит/с, 8N1, без управления потоком"));

    // The same requests again change nothing: only echo is refused again,
    // and the settings are not sent twice.
    EXPECT_EQ(feed(session, codec, ser2netGreeting()), bytes({IAC, DONT, Echo}));
    EXPECT_EQ(session.state(), Rfc2217Session::State::Settled);
}

TEST(Rfc2217Session, WhatTheServerSaysDecidesTheOutcome)
{
    using State = Rfc2217Session::State;
    const struct {
        const char *what;
        QByteArray server;
        State state;
        QString reported;
    } cases[] = {
        {"a plain Telnet server refuses the option",
         bytes({IAC, DONT, ComPort}),
         State::Refused,
         {}},
        {"refused after its own greeting",
         bytes({IAC, WILL, Sga, IAC, DO, Binary, IAC, DONT, ComPort}),
         State::Refused,
         {}},
        {"a port that stays at 9600 7E2",
         bytes({IAC, DO, ComPort}) + report(1, bytes({0, 0, 0x25, 0x80})) + report(2, bytes({7})) +
             report(3, bytes({3})) + report(4, bytes({2})) + report(5, bytes({1})),
         State::Mismatch, QStringLiteral("9600 бит/с, 7E2, без управления потоком")},
        {"hardware flow control kept",
         bytes({IAC, DO, ComPort}) + SettingsReported.chopped(7) + report(5, bytes({3})),
         State::Mismatch, QStringLiteral("115200 бит/с, 8N1, с аппаратным управлением потоком")},
        {"reports without DTR and RTS are enough",
         bytes({IAC, DO, ComPort}) + SettingsReported,
         State::Settled,
         {}},
        {"reports before the option is taken are kept, the state waits",
         SettingsReported,
         State::Offering,
         {}},
        {"modem state notices change nothing",
         bytes({IAC, DO, ComPort}) + report(7, bytes({0x30})) + report(6, bytes({0x60})),
         State::Setting,
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Rfc2217Session session;
        TelnetCodec codec;
        session.start();
        feed(session, codec, c.server);
        EXPECT_EQ(session.state(), c.state);
        if (!c.reported.isEmpty()) {
            EXPECT_EQ(session.reportedText(), c.reported);
        }
    }
}

TEST(Rfc2217Session, UnknownOptionsAreRefusedOnceAndNeverLoop)
{
    Rfc2217Session session;
    TelnetCodec codec;
    session.start();
    // Terminal type, window size, linemode: refused each time asked; a
    // refusal of something never on is not answered.
    EXPECT_EQ(feed(session, codec, bytes({IAC, DO, 24, IAC, WILL, 31, IAC, DO, 34})),
              bytes({IAC, WONT, 24, IAC, DONT, 31, IAC, WONT, 34}));
    EXPECT_TRUE(feed(session, codec, bytes({IAC, WONT, 24, IAC, DONT, 31})).isEmpty());

    // Binary refused by the server: both directions stay text, no answer.
    EXPECT_TRUE(feed(session, codec, bytes({IAC, DONT, Binary, IAC, WONT, Binary})).isEmpty());
    EXPECT_FALSE(session.binaryOut());
    EXPECT_FALSE(session.binaryIn());
    // Asked for later by the server: now answered.
    EXPECT_EQ(feed(session, codec, bytes({IAC, DO, Binary})), bytes({IAC, WILL, Binary}));
    EXPECT_TRUE(session.binaryOut());
}

TEST(Rfc2217Session, PurgeAsksTheServerToDropBothDirections)
{
    EXPECT_EQ(Rfc2217Session::purgeRequest(), bytes({IAC, SB, ComPort, 12, 3, IAC, SE}));
}

} // namespace
} // namespace sr5n
