#pragma once

#include "link/MessageCollector.h"

#include <QByteArrayView>
#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>

namespace sr5n {

class Notifier;
class TVaComm;

// Turns the bytes a TVaComm receives into messages: the text between DataStart
// (":") and DataFinish (";"), at most MaxMsgLen characters (a longer message
// keeps its end). Each complete message goes to OnMessage. Blocks reach the
// capture only while it is Active; bytes received meanwhile are lost.
class TVaCapture : public QObject
{
    Q_OBJECT

public:
    using MessageHandler = std::function<void(TVaCapture *sender, const QString &data)>;

    // `notifier` shows a failure that escapes the message handler.
    explicit TVaCapture(Notifier &notifier, QObject *parent = nullptr);
    ~TVaCapture() override;

    // The port listened to; nullptr detaches the capture.
    TVaComm *Comm() const { return m_comm; }
    void SetComm(TVaComm *comm);

    QString DataStart() const { return QString::fromLatin1(m_collector.dataStart()); }
    QString DataFinish() const { return QString::fromLatin1(m_collector.dataFinish()); }
    void SetDataStart(const QString &start) { m_collector.setDataStart(start.toLatin1()); }
    void SetDataFinish(const QString &finish) { m_collector.setDataFinish(finish.toLatin1()); }
    int MaxMsgLen() const { return m_collector.maxLength(); }
    void SetMaxMsgLen(int length) { m_collector.setMaxLength(length); }

    bool Active() const { return m_active; }
    void SetActive(bool active) { m_active = active; }

    // Back to hunting for a start delimiter; a half-received message is dropped.
    void Reset() { m_collector.reset(); }

    // Called with every message; the handler runs on the UI thread.
    MessageHandler OnMessage;

    // A received block: each byte goes to ReceiveChar, a zero byte as a space.
    void DataChanged(QByteArrayView block);
    void ReceiveChar(char c);
    void HandleMessage(const QString &data);

private:
    Notifier &m_notifier;
    TVaComm *m_comm = nullptr;
    QMetaObject::Connection m_connection;
    MessageCollector m_collector;
    bool m_active = false;
};

} // namespace sr5n
