#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace sr5n {

// What carries the line's bytes for TVaComm: a local serial port or a
// connection to a serial server. Received bytes come out of `received` on
// the UI thread, in order; a line that goes while open is told once by
// `lineLost`, with the reason for the user.
class PortTransport : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the line; a network transport waits for its server (processing
    // events) until it answers, fails, the time is up or cancelOpen. False:
    // lastError() and failureReason() say why.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Discards what is not sent yet and what is received but not read.
    virtual bool purge() = 0;
    // Hands the bytes to the line. False: lastError() and failureReason().
    virtual bool write(const QByteArray &bytes) = 0;
    // Bytes handed over and not yet on their way.
    virtual qint64 bytesToWrite() const = 0;
    // Ends a running open() at once; it returns false with cancelled() set.
    virtual void cancelOpen() {}
    // The line's settings in force, in words, for the trace.
    virtual QString settingsText() const = 0;

    bool cancelled() const { return m_cancelled; }
    // The component's own text (for logs and tests).
    QString lastError() const { return m_lastError; }
    // The reason in words for the user: the second line of the port message.
    QString failureReason() const { return m_failureReason; }

signals:
    void received(const QByteArray &bytes);
    void bytesWritten();
    void lineLost(const QString &reason);

protected:
    bool fail(const QString &text, const QString &reason = QString())
    {
        m_lastError = text;
        m_failureReason = reason;
        return false;
    }
    void clearFailure()
    {
        m_lastError.clear();
        m_failureReason.clear();
        m_cancelled = false;
    }
    void setCancelled() { m_cancelled = true; }

private:
    QString m_lastError;
    QString m_failureReason;
    bool m_cancelled = false;
};

} // namespace sr5n
