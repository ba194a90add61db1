#include "link/MessageCollector.h"

#include <algorithm>

namespace sr5n {

void MessageCollector::setDataStart(const QByteArray &start)
{
    m_dataStart = start;
    reset();
}

void MessageCollector::setDataFinish(const QByteArray &finish)
{
    m_dataFinish = finish;
    reset();
}

void MessageCollector::setMaxLength(int length)
{
    m_maxLength = std::max(length, 0);
    trimMessage();
}

void MessageCollector::reset()
{
    m_collecting = false;
    m_window.clear();
    m_message.clear();
}

bool MessageCollector::feed(char c)
{
    m_window.append(c);
    if (!m_collecting) {
        if (m_dataStart.isEmpty() || m_window == m_dataStart) {
            m_collecting = true;
            m_window.clear();
            m_message.clear();
            if (m_dataStart.isEmpty())
                m_message.append(c);
        } else if (m_window.size() >= m_dataStart.size()) {
            m_window.remove(0, 1);
        }
        return false;
    }

    if (m_window == m_dataFinish) {
        m_collecting = false;
        m_window.clear();
        trimMessage();
        m_complete = m_message;
        m_message.clear();
        return true;
    }
    if (m_window.size() >= m_dataFinish.size())
        m_window.remove(0, 1);
    m_message.append(c);
    // Trimmed in batches: the message a finish delimiter delivers is the same,
    // and a long stream without one costs no copy per character.
    if (m_message.size() > 2 * m_maxLength + 64)
        trimMessage();
    return false;
}

QByteArray MessageCollector::takeMessage()
{
    QByteArray message;
    message.swap(m_complete);
    return message;
}

void MessageCollector::trimMessage()
{
    if (m_message.size() > m_maxLength)
        m_message.remove(0, m_message.size() - m_maxLength);
}

} // namespace sr5n
