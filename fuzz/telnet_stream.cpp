// What a serial server sends on an RFC 2217 connection, on arbitrary bytes:
// the Telnet decoder with the COM port session behind it, fed as the
// transport feeds them. The first byte chooses the size of the pieces the
// stream arrives in, the second whether the line is binary; the rest is the
// stream. Decoding does not depend on where the stream is cut; the session
// answers only with whole commands; the encoding of any bytes decodes back
// to those bytes, however it is cut.
#include "FuzzSupport.h"

#include "link/Rfc2217Session.h"
#include "link/TelnetCodec.h"

using namespace sr5n;

namespace {

TelnetCodec::Decoded decodeInPieces(TelnetCodec &codec, QByteArrayView stream, qsizetype piece)
{
    TelnetCodec::Decoded all;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        const TelnetCodec::Decoded part =
            codec.decode(stream.sliced(at, std::min(piece, stream.size() - at)));
        all.data += part.data;
        all.commands += part.commands;
    }
    return all;
}

bool sameDecoding(const TelnetCodec::Decoded &a, const TelnetCodec::Decoded &b)
{
    return a.data == b.data && a.commands == b.commands;
}

// The transport's loop: each piece decoded, its commands answered, the
// binary modes the session agreed applied to what comes next.
void converse(QByteArrayView stream, qsizetype piece)
{
    TelnetCodec codec;
    Rfc2217Session session;
    session.start();
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        const TelnetCodec::Decoded decoded =
            codec.decode(stream.sliced(at, std::min(piece, stream.size() - at)));
        for (const TelnetCodec::Command &command : decoded.commands) {
            const bool settled = session.state() == Rfc2217Session::State::Settled;
            const QByteArray answer = session.handle(command);
            // The moment it settles, the settings reported are those asked for
            // (later reports do not reopen the session).
            const Rfc2217Session::Reported &r = session.reported();
            if (!settled && session.state() == Rfc2217Session::State::Settled &&
                (r.baudRate != Rfc2217Session::BaudRate || r.dataBits != 8 || r.parity != 1 ||
                 r.stopBits != 1 || r.flowControl != 1))
                fuzz::fail("settled on settings other than those asked for",
                           session.reportedText().toUtf8());
            TelnetCodec reader;
            const TelnetCodec::Decoded read = reader.decode(answer);
            if (!read.data.isEmpty())
                fuzz::fail("the session answers with data bytes", answer.toHex(' '));
            // Whole: a reader that had just started takes nothing of the next answer as its rest.
            if (!reader.decode(QByteArray(1, 'x')).data.startsWith('x'))
                fuzz::fail("the session answers with an unfinished command", answer.toHex(' '));
        }
        codec.setBinaryIn(session.binaryIn());
        codec.setBinaryOut(session.binaryOut());
    }
    session.reportedText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const bool binary = (data[1] & 1) != 0;
    const QByteArray stream = fuzz::bytesOf(data + 2, size - 2);

    converse(stream, piece);

    // Cut anywhere, decoded the same as at once.
    for (const bool mode : {false, true}) {
        TelnetCodec whole, cut;
        whole.setBinaryIn(mode);
        cut.setBinaryIn(mode);
        if (!sameDecoding(whole.decode(stream), decodeInPieces(cut, stream, piece)))
            fuzz::fail("the decoding depends on where the stream is cut", stream.toHex(' '));
    }

    // Any bytes, encoded and decoded, are those bytes.
    TelnetCodec encoder, decoder;
    encoder.setBinaryOut(binary);
    decoder.setBinaryIn(binary);
    const QByteArray encoded = encoder.encode(stream);
    const TelnetCodec::Decoded back = decodeInPieces(decoder, encoded, piece);
    if (back.data != stream || !back.commands.isEmpty())
        fuzz::fail("the encoding does not decode to the bytes", stream.toHex(' '));
    // A command between two encodings leaves the data around it whole.
    const QByteArray withCommand =
        encoded + TelnetCodec::subnegotiation(Rfc2217Session::ComPortOption, stream) +
        TelnetCodec::negotiation(TelnetCodec::Will, 0) + encoded;
    TelnetCodec again;
    again.setBinaryIn(binary);
    const TelnetCodec::Decoded mixed = decodeInPieces(again, withCommand, piece);
    const QList<TelnetCodec::Command> commands{
        {TelnetCodec::Sb, Rfc2217Session::ComPortOption, stream}, {TelnetCodec::Will, 0, {}}};
    if (mixed.data != stream + stream || mixed.commands != commands)
        fuzz::fail("commands between data do not decode to themselves", stream.toHex(' '));
    return 0;
}
