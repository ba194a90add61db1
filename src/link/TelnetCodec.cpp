#include "link/TelnetCodec.h"

namespace sr5n {

namespace {

constexpr char Cr = '\r';
constexpr char Nul = '\0';

// Every IAC doubled, so that it is read as a data byte.
void appendEscaped(QByteArray &out, QByteArrayView bytes)
{
    for (const char byte : bytes) {
        out.append(byte);
        if (static_cast<quint8>(byte) == TelnetCodec::Iac)
            out.append(byte);
    }
}

} // namespace

QByteArray TelnetCodec::encode(QByteArrayView data) const
{
    QByteArray out;
    out.reserve(data.size() + 8);
    for (const char byte : data) {
        out.append(byte);
        if (static_cast<quint8>(byte) == Iac)
            out.append(byte);
        else if (byte == Cr && !m_binaryOut)
            out.append(Nul);
    }
    return out;
}

TelnetCodec::Decoded TelnetCodec::decode(QByteArrayView bytes)
{
    Decoded out;
    for (const char byte : bytes) {
        const auto code = static_cast<quint8>(byte);
        switch (m_state) {
        case State::Cr:
            // NVT: CR NUL stands for a lone CR.
            m_state = State::Data;
            if (byte == Nul)
                break;
            [[fallthrough]];
        case State::Data:
            if (code == Iac) {
                m_state = State::Iac;
            } else {
                out.data.append(byte);
                if (byte == Cr && !m_binaryIn)
                    m_state = State::Cr;
            }
            break;
        case State::Iac:
            if (code == Iac) {
                out.data.append(byte);
                m_state = State::Data;
            } else if (code >= Will && code <= Dont) {
                m_verb = code;
                m_state = State::Option;
            } else if (code == Sb) {
                m_state = State::SbOption;
            } else {
                // NOP, data mark, break, go ahead...: nothing for the line.
                m_state = State::Data;
            }
            break;
        case State::Option:
            out.commands.append({m_verb, code, {}});
            m_state = State::Data;
            break;
        case State::SbOption:
            m_sub = {Sb, code, {}};
            m_state = State::SbData;
            break;
        case State::SbData:
            if (code == Iac)
                m_state = State::SbIac;
            else
                m_sub.payload.append(byte);
            break;
        case State::SbIac:
            if (code == Iac) {
                m_sub.payload.append(byte);
                m_state = State::SbData;
            } else if (code == Se) {
                out.commands.append(m_sub);
                m_sub = {};
                m_state = State::Data;
            } else {
                // A command inside a subnegotiation ends it unfinished.
                m_sub = {};
                m_state = State::Data;
            }
            break;
        }
    }
    return out;
}

void TelnetCodec::reset()
{
    m_state = State::Data;
    m_sub = {};
    m_binaryOut = false;
    m_binaryIn = false;
}

QByteArray TelnetCodec::negotiation(quint8 verb, quint8 option)
{
    QByteArray out;
    out.append(static_cast<char>(Iac));
    out.append(static_cast<char>(verb));
    out.append(static_cast<char>(option));
    return out;
}

QByteArray TelnetCodec::subnegotiation(quint8 option, QByteArrayView payload)
{
    QByteArray out;
    out.append(static_cast<char>(Iac));
    out.append(static_cast<char>(Sb));
    out.append(static_cast<char>(option));
    appendEscaped(out, payload);
    out.append(static_cast<char>(Iac));
    out.append(static_cast<char>(Se));
    return out;
}

} // namespace sr5n
