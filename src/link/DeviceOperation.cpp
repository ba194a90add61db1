#include "link/DeviceOperation.h"

#include "link/TConnection.h"

namespace sr5n {

DeviceOperation::DeviceOperation(TConnection &link, OperationProgress *progress,
                                 OperationProgress::Kind kind, int maximum)
    : m_link(link), m_progress(progress)
{
    m_link.SetAborted(false);
    if (m_progress)
        m_progress->begin(kind, maximum);
}

DeviceOperation::~DeviceOperation()
{
    finish();
}

bool DeviceOperation::open(const QString &portName)
{
    m_portName = portName;
    m_opened = m_link.Open(portName);
    return m_opened;
}

void DeviceOperation::setMaximum(int maximum)
{
    if (m_progress)
        m_progress->setMaximum(maximum);
}

void DeviceOperation::setStage(const QString &stage)
{
    if (m_progress)
        m_progress->setStage(stage);
}

void DeviceOperation::step()
{
    if (m_progress)
        m_progress->step();
}

void DeviceOperation::closeLink()
{
    if (m_opened) {
        m_link.Close();
        m_opened = false;
    }
}

void DeviceOperation::endProgress()
{
    if (m_progress && !m_progressEnded)
        m_progress->end();
    m_progressEnded = true;
}

void DeviceOperation::finish()
{
    closeLink();
    endProgress();
}

} // namespace sr5n
