#include "link/Rfc2217Session.h"

#include <QtEndian>

namespace sr5n {

namespace {

using Telnet = TelnetCodec;

constexpr quint8 BinaryOption = 0;
constexpr quint8 SuppressGoAheadOption = 3;

// Commands of the option (the server's reports carry the command plus 100).
constexpr quint8 SetBaudRate = 1;
constexpr quint8 SetDataSize = 2;
constexpr quint8 SetParity = 3;
constexpr quint8 SetStopSize = 4;
constexpr quint8 SetControl = 5;
constexpr quint8 PurgeData = 12;
constexpr quint8 ReportOffset = 100;

constexpr quint8 DataBits = 8;
constexpr quint8 NoParity = 1;
constexpr quint8 OneStopBit = 1;
constexpr quint8 NoFlowControl = 1;
constexpr quint8 DtrOff = 9;
constexpr quint8 RtsOff = 12;
constexpr quint8 PurgeBoth = 3;

QByteArray comPortCommand(quint8 command, QByteArrayView value)
{
    QByteArray payload;
    payload.append(static_cast<char>(command));
    payload.append(value.data(), value.size());
    return Telnet::subnegotiation(Rfc2217Session::ComPortOption, payload);
}

QByteArray comPortCommand(quint8 command, quint8 value)
{
    const char byte = static_cast<char>(value);
    return comPortCommand(command, QByteArrayView(&byte, 1));
}

// A request about one side of an option: true when it must be answered (it
// changed the option and was not itself the answer to an offer of ours).
bool turn(Rfc2217Session::OptionState &option, bool on)
{
    const bool asked = option.asked;
    option.asked = false;
    if (option.enabled == on)
        return false;
    option.enabled = on;
    return !asked;
}

} // namespace

QByteArray Rfc2217Session::start()
{
    m_binaryOut.asked = true;
    m_binaryIn.asked = true;
    return Telnet::negotiation(Telnet::Will, ComPortOption) +
           Telnet::negotiation(Telnet::Will, BinaryOption) +
           Telnet::negotiation(Telnet::Do, BinaryOption);
}

QByteArray Rfc2217Session::handle(const TelnetCodec::Command &command)
{
    if (command.verb == Telnet::Sb) {
        if (command.option == ComPortOption)
            onReport(command.payload);
        return {};
    }
    return onNegotiation(command.verb, command.option);
}

QByteArray Rfc2217Session::onNegotiation(quint8 verb, quint8 option)
{
    const bool positive = verb == Telnet::Will || verb == Telnet::Do;
    // DO and DONT speak of what this side sends; WILL and WONT of the server's.
    const bool ours = verb == Telnet::Do || verb == Telnet::Dont;
    const quint8 yes = ours ? Telnet::Will : Telnet::Do;
    const quint8 no = ours ? Telnet::Wont : Telnet::Dont;

    if (option == ComPortOption && ours) {
        if (m_state == State::Refused)
            return positive ? Telnet::negotiation(no, option) : QByteArray();
        const bool offered = m_state == State::Offering;
        if (positive && offered) {
            // The offer is taken: the remote port is set as a local one is opened.
            m_state = State::Setting;
            QByteArray baud(4, '\0');
            qToBigEndian(BaudRate, baud.data());
            return comPortCommand(SetBaudRate, baud) + comPortCommand(SetDataSize, DataBits) +
                   comPortCommand(SetParity, NoParity) + comPortCommand(SetStopSize, OneStopBit) +
                   comPortCommand(SetControl, NoFlowControl) + comPortCommand(SetControl, DtrOff) +
                   comPortCommand(SetControl, RtsOff);
        }
        if (!positive) {
            m_state = State::Refused;
            return offered ? QByteArray() : Telnet::negotiation(no, option);
        }
        return {};
    }

    OptionState *side = nullptr;
    if (option == BinaryOption)
        side = ours ? &m_binaryOut : &m_binaryIn;
    else if (option == SuppressGoAheadOption)
        side = ours ? &m_sgaOut : &m_sgaIn;
    if (!side)
        return positive ? Telnet::negotiation(no, option) : QByteArray();
    if (!turn(*side, positive))
        return {};
    return Telnet::negotiation(positive ? yes : no, option);
}

void Rfc2217Session::onReport(const QByteArray &payload)
{
    if (payload.isEmpty() || static_cast<quint8>(payload.at(0)) <= ReportOffset)
        return;
    const quint8 command = static_cast<quint8>(payload.at(0)) - ReportOffset;
    const QByteArray value = payload.mid(1);
    if (value.isEmpty())
        return;
    const auto byte = static_cast<quint8>(value.at(0));
    switch (command) {
    case SetBaudRate:
        if (value.size() >= 4)
            m_reported.baudRate = qFromBigEndian<quint32>(value.constData());
        break;
    case SetDataSize:
        m_reported.dataBits = byte;
        break;
    case SetParity:
        m_reported.parity = byte;
        break;
    case SetStopSize:
        m_reported.stopBits = byte;
        break;
    case SetControl:
        if (byte >= 1 && byte <= 3)
            m_reported.flowControl = byte;
        else if (byte == 8 || byte == 9)
            m_reported.dtr = byte;
        else if (byte == 11 || byte == 12)
            m_reported.rts = byte;
        break;
    default:
        break;
    }
    checkSettled();
}

void Rfc2217Session::checkSettled()
{
    if (m_state != State::Setting)
        return;
    const Reported &r = m_reported;
    if (!r.baudRate || !r.dataBits || !r.parity || !r.stopBits || !r.flowControl)
        return;
    const bool asked = *r.baudRate == BaudRate && *r.dataBits == DataBits &&
                       *r.parity == NoParity && *r.stopBits == OneStopBit &&
                       *r.flowControl == NoFlowControl;
    m_state = asked ? State::Settled : State::Mismatch;
}

QString Rfc2217Session::reportedText() const
{
    const Reported &r = m_reported;
    const auto pick = [](const std::optional<quint8> &code, const char *const *names,
                         int count) -> QString {
        if (!code || *code < 1 || *code > count)
            return QStringLiteral("?");
        return QString::fromUtf8(names[*code - 1]);
    };
    static const char *const parities[] = {"N", "O", "E", "M", "S"};
    static const char *const stops[] = {"1", "2", "1.5"};
    static const char *const flows[] = {"без управления потоком", "XON/XOFF",
                                        "с аппаратным управлением потоком"};
    const QString baud = r.baudRate ? QString::number(*r.baudRate) : QStringLiteral("?");
    const QString bits = r.dataBits ? QString::number(*r.dataBits) : QStringLiteral("?");
    return QStringLiteral("%1 бит/с, %2%3%4, %5")
        .arg(baud, bits, pick(r.parity, parities, 5), pick(r.stopBits, stops, 3),
             pick(r.flowControl, flows, 3));
}

QByteArray Rfc2217Session::purgeRequest()
{
    return comPortCommand(PurgeData, PurgeBoth);
}

} // namespace sr5n
