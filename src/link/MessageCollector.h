#pragma once

#include <QByteArray>

namespace sr5n {

// Turns a character stream into the messages found between a start and a
// finish delimiter. Memory stays bounded whatever arrives: the match window is
// never longer than a delimiter and a message keeps only its last MaxLength
// characters.
class MessageCollector
{
public:
    static constexpr int DefaultMaxLength = 999;

    QByteArray dataStart() const { return m_dataStart; }
    QByteArray dataFinish() const { return m_dataFinish; }
    void setDataStart(const QByteArray &start);
    void setDataFinish(const QByteArray &finish);
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

    // Back to hunting; the match window and the message are emptied.
    void reset();

    // Takes one character. Returns true when it completed a message; the
    // message is then taken with takeMessage().
    bool feed(char c);
    QByteArray takeMessage();

    bool collecting() const { return m_collecting; }

private:
    void trimMessage();

    QByteArray m_dataStart = QByteArray(1, ':');
    QByteArray m_dataFinish = QByteArray(1, ';');
    int m_maxLength = DefaultMaxLength;
    bool m_collecting = false;
    QByteArray m_window;
    QByteArray m_message;
    QByteArray m_complete;
};

} // namespace sr5n
