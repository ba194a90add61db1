#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace sr5n {

// The Telnet byte stream (RFC 854, 855): data bytes, where byte 255 (IAC) is
// sent twice, and between them option negotiation (IAC WILL/WONT/DO/DONT
// option) and subnegotiation (IAC SB option ... IAC SE). Without binary
// transmission (RFC 856) a CR on the line is followed by a NUL.
class TelnetCodec
{
public:
    static constexpr quint8 Iac = 255;
    static constexpr quint8 Dont = 254;
    static constexpr quint8 Do = 253;
    static constexpr quint8 Wont = 252;
    static constexpr quint8 Will = 251;
    static constexpr quint8 Sb = 250;
    static constexpr quint8 Se = 240;

    // A negotiation (verb Will, Wont, Do or Dont) or a subnegotiation (verb
    // Sb, with its bytes after the option, IAC pairs undone).
    struct Command {
        quint8 verb = 0;
        quint8 option = 0;
        QByteArray payload;

        bool operator==(const Command &) const = default;
    };

    struct Decoded {
        QByteArray data;
        QList<Command> commands;
    };

    // The line's bytes as they go onto the connection.
    QByteArray encode(QByteArrayView data) const;
    // Bytes from the connection, in pieces as they come: a command or an IAC
    // pair cut between two pieces is completed by the next one.
    Decoded decode(QByteArrayView bytes);
    // Back to the start of a stream.
    void reset();

    // Whether each direction carries binary data; both start as NVT text.
    void setBinaryOut(bool binary) { m_binaryOut = binary; }
    void setBinaryIn(bool binary) { m_binaryIn = binary; }

    static QByteArray negotiation(quint8 verb, quint8 option);
    static QByteArray subnegotiation(quint8 option, QByteArrayView payload);

private:
    enum class State { Data, Cr, Iac, Option, SbOption, SbData, SbIac };

    State m_state = State::Data;
    quint8 m_verb = 0;
    Command m_sub;
    bool m_binaryOut = false;
    bool m_binaryIn = false;
};

} // namespace sr5n
