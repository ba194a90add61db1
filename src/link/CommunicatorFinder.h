#pragma once

#include "link/OperationProgress.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sr5n {

class DeviceOperation;
class TConnection;

// Finds the ports where a communicator answers: on each port in turn it opens
// the link, asks for the clock (command 11, which changes nothing in the
// device) with a short time-out, and closes the link again. Nothing else is
// ever sent.
//
// The link reports its failures as usual; whoever runs the search decides
// whether the user sees them (the search itself sums them up per port).
class CommunicatorFinder
{
public:
    enum class Outcome {
        Answers,     // a communicator answered: its clock, "busy" or a fault answer
        Silent,      // nothing came back
        OtherAnswer, // something came back, but not a communicator's answer
        Unavailable, // the port could not be opened
    };
    struct Probe {
        QString port;
        Outcome outcome = Outcome::Silent;
        QString reason; // why an unavailable port could not be opened, when known
    };
    struct Result {
        QList<Probe> probes; // the ports probed, in order
        bool cancelled = false;
        QStringList answering() const;
    };

    static constexpr int DefaultAnswerTimeoutMs = 200;
    static QString clockReadCommand() { return QStringLiteral("11"); }

    explicit CommunicatorFinder(TConnection &link, int answerTimeoutMs = DefaultAnswerTimeoutMs);

    // Probes `ports` in order under `progress` (one step a port; may be null).
    // Stops early when cancel() is called; the link ends closed.
    Result find(const QStringList &ports, OperationProgress *progress);
    // The progress window's Cancel: ends the probe running now and the search.
    void cancel();

    // The ports and what each did, for the user: one line a port.
    static QString report(const Result &result);

private:
    Probe probe(const QString &port, DeviceOperation &operation);

    TConnection &m_link;
    int m_answerTimeoutMs;
    bool m_cancelled = false;
};

} // namespace sr5n
