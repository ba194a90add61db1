#pragma once

#include "link/OperationProgress.h"

#include <QString>

namespace sr5n {

class TConnection;

// The sequence around every device operation, written once: lower the link's
// Aborted flag, show the progress in its kind, open the link; at the end,
// whatever happened, close the link and then the progress. Callers place
// their success notices before or after finish() as each operation requires.
//
//     DeviceOperation op(link, progress, OperationProgress::Kind::Reading);
//     if (op.open(port)) { ... op.step(); ... }
//     op.closeLink();      // optional: the link only
//     op.finish();         // optional: the destructor does it too
class DeviceOperation
{
public:
    // `progress` may be null (an operation shown by its own window).
    DeviceOperation(TConnection &link, OperationProgress *progress, OperationProgress::Kind kind,
                    int maximum = 1);
    ~DeviceOperation();

    DeviceOperation(const DeviceOperation &) = delete;
    DeviceOperation &operator=(const DeviceOperation &) = delete;

    // Opens the port by name; a failure has been shown to the user.
    bool open(const QString &portName);
    void setMaximum(int maximum);
    void step();
    // Tells the progress what is being done now (OperationProgress::setStage).
    void setStage(const QString &stage);

    // Closes the link when this operation opened it; harmless otherwise.
    void closeLink();
    // Closes the progress; harmless when already closed.
    void endProgress();
    // Closes the link, then the progress.
    void finish();

    TConnection &link() const { return m_link; }
    // The port name given to open().
    const QString &portName() const { return m_portName; }

private:
    TConnection &m_link;
    QString m_portName;
    OperationProgress *m_progress;
    bool m_opened = false;
    bool m_progressEnded = false;
};

} // namespace sr5n
