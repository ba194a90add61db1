#include "common/FailureWatch.h"

namespace sr5n {

FailureWatch::FailureWatch(ForwardingNotifier &messages)
    : m_messages(messages), m_shown(messages.target())
{
    m_messages.setTarget(*this);
}

FailureWatch::~FailureWatch()
{
    m_messages.setTarget(m_shown);
}

void FailureWatch::showError(const QString &message)
{
    m_lastError = message;
    m_shown.showError(message);
}

} // namespace sr5n
