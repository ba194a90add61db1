#include "link/CommunicatorFinder.h"

#include "link/DeviceOperation.h"
#include "link/TConnection.h"
#include "link/TVaComm.h"

namespace sr5n {

QStringList CommunicatorFinder::Result::answering() const
{
    QStringList ports;
    for (const Probe &probe : probes) {
        if (probe.outcome == Outcome::Answers)
            ports.append(probe.port);
    }
    return ports;
}

CommunicatorFinder::CommunicatorFinder(TConnection &link, int answerTimeoutMs)
    : m_link(link), m_answerTimeoutMs(answerTimeoutMs)
{
}

void CommunicatorFinder::cancel()
{
    m_cancelled = true;
    m_link.abort();
}

CommunicatorFinder::Result CommunicatorFinder::find(const QStringList &ports,
                                                    OperationProgress *progress)
{
    m_cancelled = false;
    Result result;
    DeviceOperation operation(m_link, progress, OperationProgress::Kind::Searching,
                              std::max<qsizetype>(1, ports.size()));
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const QString &port = ports.at(i);
        operation.setStage(QStringLiteral("%1 (%2 из %3)").arg(port).arg(i + 1).arg(ports.size()));
        Probe probed = probe(port, operation);
        if (m_cancelled)
            break;
        result.probes.append(probed);
        operation.step();
    }
    operation.finish();
    result.cancelled = m_cancelled;
    return result;
}

CommunicatorFinder::Probe CommunicatorFinder::probe(const QString &port, DeviceOperation &operation)
{
    Probe probed{port, Outcome::Unavailable, QString()};
    if (!operation.open(port)) {
        probed.reason = m_link.Comm().FailureReason();
        return probed;
    }
    if (m_cancelled) {
        operation.closeLink();
        return probed;
    }
    const QString command = clockReadCommand();
    const bool answered = m_link.Send(command, m_answerTimeoutMs);
    const bool busy = m_link.AnsweredBusy();
    const TVaComm &comm = m_link.Comm();
    const bool portFailed = !comm.LastError().isEmpty() || comm.LineLost();
    if (answered)
        probed.outcome =
            m_link.AnswerCommand() == command || busy ? Outcome::Answers : Outcome::OtherAnswer;
    else if (m_link.Aborted() && portFailed)
        probed.reason = comm.FailureReason(); // stays Unavailable
    else if (m_link.Aborted())
        probed.outcome = Outcome::Answers; // the memory or clock fault answer of a communicator
    else if (m_link.Waiting())
        probed.outcome = Outcome::Silent;
    else
        probed.outcome = Outcome::OtherAnswer;
    operation.closeLink();
    return probed;
}

QString CommunicatorFinder::report(const Result &result)
{
    QStringList lines;
    for (const Probe &probe : result.probes) {
        QString what;
        switch (probe.outcome) {
        case Outcome::Answers:
            what = QStringLiteral("отвечает коммуникатор");
            break;
        case Outcome::Silent:
            what = QStringLiteral("не отвечает");
            break;
        case Outcome::OtherAnswer:
            what = QStringLiteral("отвечает, но не как коммуникатор");
            break;
        case Outcome::Unavailable:
            what = probe.reason.isEmpty() ? QStringLiteral("недоступен")
                                          : QStringLiteral("недоступен: ") + probe.reason;
            break;
        }
        lines.append(QStringLiteral("  - ") + probe.port + QStringLiteral(": ") + what);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace sr5n
