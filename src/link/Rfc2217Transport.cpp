#include "link/Rfc2217Transport.h"

namespace sr5n {

QString Rfc2217Transport::settingsText() const
{
    const Rfc2217Session::Reported &reported = m_session.reported();
    const auto line = [](const std::optional<quint8> &code, quint8 on, quint8 off) {
        if (!code)
            return QStringLiteral("не сообщено");
        return *code == on    ? QStringLiteral("вкл.")
               : *code == off ? QStringLiteral("выкл.")
                              : QStringLiteral("код %1").arg(*code);
    };
    return serverConnectionText() +
           QStringLiteral(", RFC 2217: запрошено 115200 бит/с, 8N1, без управления потоком, DTR "
                          "и RTS выключены; сервер сообщил: %1, DTR %2, RTS %3")
               .arg(m_session.reportedText(), line(reported.dtr, 8, 9), line(reported.rts, 11, 12));
}

bool Rfc2217Transport::purge()
{
    TcpTransport::purge();
    // The server's port drops what it holds too, as a local purge would.
    if (m_session.state() == Rfc2217Session::State::Settled)
        sendRaw(Rfc2217Session::purgeRequest());
    return true;
}

void Rfc2217Transport::beginSession()
{
    m_codec.reset();
    m_session = Rfc2217Session();
    sendRaw(m_session.start());
}

void Rfc2217Transport::fromNetwork(const QByteArray &bytes)
{
    const TelnetCodec::Decoded decoded = m_codec.decode(bytes);
    // The data first: an answer to a command may find the connection gone,
    // and what the server said before it went is then its reason.
    deliver(decoded.data);
    for (const TelnetCodec::Command &command : decoded.commands) {
        if (const QByteArray answer = m_session.handle(command); !answer.isEmpty())
            sendRaw(answer);
    }
    m_codec.setBinaryIn(m_session.binaryIn());
    m_codec.setBinaryOut(m_session.binaryOut());
    if (!opening())
        return;
    switch (m_session.state()) {
    case Rfc2217Session::State::Settled:
        sessionReady();
        break;
    case Rfc2217Session::State::Refused:
        sessionFailed(
            QStringLiteral("The server refuses COM port control"),
            QStringLiteral("Сервер не поддерживает управление портом по RFC 2217: "
                           "включите этот режим на сервере или откройте порт как tcp://УЗЕЛ:ПОРТ"));
        break;
    case Rfc2217Session::State::Mismatch:
        sessionFailed(QStringLiteral("The server set other line settings"),
                      QStringLiteral("Сервер не установил на порту 115200 бит/с, 8N1, без "
                                     "управления потоком: он сообщает %1")
                          .arg(m_session.reportedText()));
        break;
    case Rfc2217Session::State::Offering:
    case Rfc2217Session::State::Setting:
        break;
    }
}

QByteArray Rfc2217Transport::toNetwork(const QByteArray &bytes)
{
    return m_codec.encode(bytes);
}

QString Rfc2217Transport::sessionTimeoutReason(int timeoutMs) const
{
    return QStringLiteral("Сервер не ответил на согласование RFC 2217 за %1 с: если он передаёт "
                          "байты без Telnet, откройте порт как tcp://УЗЕЛ:ПОРТ")
        .arg((timeoutMs + 999) / 1000);
}

} // namespace sr5n
