#pragma once

#include "link/TelnetCodec.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace sr5n {

// The client's side of a Telnet session with the COM Port Control option
// (RFC 2217): offers the option and binary transmission both ways, refuses
// every other option but suppress-go-ahead (an echoing server would send the
// requests back as answers), and once the server accepts the option sets the
// remote port as a local one is opened: 115200 bit/s, 8 data bits, no
// parity, 1 stop bit, no flow control, DTR and RTS off. The session is
// settled when the server has reported the line settings and flow control
// it set, and they are the ones asked for; DTR and RTS are asked for but not
// awaited, since ports without modem lines (and servers in front of them)
// leave them unanswered.
class Rfc2217Session
{
public:
    static constexpr quint8 ComPortOption = 44;
    static constexpr quint32 BaudRate = 115200;

    enum class State {
        Offering, // the option is offered, the server has not answered
        Setting,  // accepted; the settings are sent, their reports awaited
        Settled,  // the server reported the settings asked for
        Refused,  // the server does not accept the option
        Mismatch, // the server reported settings other than those asked for
    };

    // What the server reported it set; unset until it has.
    struct Reported {
        std::optional<quint32> baudRate;
        std::optional<quint8> dataBits;
        std::optional<quint8> parity;      // RFC 2217 codes: 1 none, 2 odd, 3 even...
        std::optional<quint8> stopBits;    // 1 one, 2 two, 3 one and a half
        std::optional<quint8> flowControl; // 1 none, 2 XON/XOFF, 3 hardware
        std::optional<quint8> dtr;         // 8 on, 9 off
        std::optional<quint8> rts;         // 11 on, 12 off
    };

    // One side of a Telnet option: in force, and offered by this side
    // without an answer yet.
    struct OptionState {
        bool enabled = false;
        bool asked = false;
    };

    // The bytes that open the session.
    QByteArray start();
    // A command from the server; returns what to send in answer (may be empty).
    QByteArray handle(const TelnetCodec::Command &command);

    State state() const { return m_state; }
    const Reported &reported() const { return m_reported; }
    // Binary transmission agreed for what the client sends and receives.
    bool binaryOut() const { return m_binaryOut.enabled; }
    bool binaryIn() const { return m_binaryIn.enabled; }
    // The reported settings as a user reads them: "9600 бит/с, 7E2, без
    // управления потоком"; "?" for what is not reported.
    QString reportedText() const;

    // Asks the server to discard what its port has received and not sent.
    static QByteArray purgeRequest();

private:
    QByteArray onNegotiation(quint8 verb, quint8 option);
    void onReport(const QByteArray &payload);
    void checkSettled();

    State m_state = State::Offering;
    Reported m_reported;
    OptionState m_binaryOut;
    OptionState m_binaryIn;
    OptionState m_sgaOut;
    OptionState m_sgaIn;
};

} // namespace sr5n
