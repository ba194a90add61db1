#include "link/TVaCapture.h"

#include "common/Notifier.h"
#include "link/TVaComm.h"

#include <exception>

namespace sr5n {

TVaCapture::TVaCapture(Notifier &notifier, QObject *parent) : QObject(parent), m_notifier(notifier)
{
}

TVaCapture::~TVaCapture()
{
    SetComm(nullptr);
}

void TVaCapture::SetComm(TVaComm *comm)
{
    if (comm == m_comm)
        return;
    disconnect(m_connection);
    m_comm = comm;
    if (m_comm) {
        m_connection = connect(m_comm, &TVaComm::received, this, [this](const QByteArray &bytes) {
            if (m_active)
                DataChanged(bytes);
        });
    }
}

void TVaCapture::DataChanged(QByteArrayView block)
{
    for (char c : block)
        ReceiveChar(c == '\0' ? ' ' : c);
}

void TVaCapture::ReceiveChar(char c)
{
    if (m_collector.feed(c))
        HandleMessage(QString::fromLatin1(m_collector.takeMessage()));
}

void TVaCapture::HandleMessage(const QString &data)
{
    if (!OnMessage)
        return;
    // A failing handler must not stop the capture: report it and go on.
    try {
        OnMessage(this, data);
    } catch (const std::exception &e) {
        m_notifier.showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        m_notifier.showError(QStringLiteral("Непредвиденная ошибка при разборе ответа"));
    }
}

} // namespace sr5n
