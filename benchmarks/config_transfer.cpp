// sr5n-transfer-benchmark: reading and writing a whole configuration against
// sr5n-sim, as the "Прочитать" and "Записать" buttons do.
//
// For each run: the wall time against the floor that the fixed pauses impose
// (858 x 10 ms, 10 ms on opening and on closing, 300 ms for the port to
// settle), and the configurator's CPU time as a share of the wall time.
// Targets: within 5 % of the floor, under 5 % of one core. Then the same with
// the simulator pacing a real 115200 bit/s line.
//
// --trace [ROUNDS]: then whole reads with the trace of the line off and on,
// in turn (ROUNDS of each, default 3): the median of each and the CPU the
// trace adds, as a share of the read's time (target: at most 1 %).

#include "BenchSupport.h"

#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ProtocolCatalog.h"
#include "config/RequestLists.h"
#include "config/RequestRun.h"
#include "events/EventCodeTables.h"
#include "link/LineJournal.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QElapsedTimer>
#include <QList>

#include <algorithm>

namespace {

using namespace sr5n;

// The starter library's first protocol, which the simulator starts with.
class OneProtocol final : public ProtocolCatalog
{
public:
    int protocolCount() const override { return 1; }
    QString recordAt(int index) const override { return index == 0 ? m_record : QString(); }
    int indexOfRecord(const QString &record) const override
    {
        return record.compare(m_record, Qt::CaseInsensitive) == 0 ? 0 : -1;
    }
    bool RegisterDeviceProtocol(const QString &record, int, const QStringList &) override
    {
        return indexOfRecord(record) == 0;
    }

private:
    QString m_record = QStringLiteral("02000004FF1F00000000000000000000050528");
};

struct Measure {
    double wallS = 0;
    double cpuShare = 0;
    bool ok = false;
};

Measure transfer(const QString &port, RunKind kind, LineTrace *trace = nullptr)
{
    PrintingNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);
    link.setTrace(trace);
    ConfigModel model;
    EventCodeTables tables;
    OneProtocol catalog;
    model.setChoiceItems(QStringLiteral("cbx1PProtocol"), {QStringLiteral("Contact ID")});
    model.setChoiceItems(QStringLiteral("cbx2PProtocol"), {QStringLiteral("Contact ID")});
    model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
    model.setChoice(QStringLiteral("cbx2PProtocol"), 0);
    const BlockContext context{model, tables, catalog, notifier};

    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuSeconds();
    Measure result;
    if (link.Open(port)) {
        QStringList data, commands, answerData, answerCommands;
        if (kind == RunKind::Reading) {
            BuildReadRequests(data, commands);
            result.ok = RunRequests(link, kind, data, commands, {}, &answerData, &answerCommands) &&
                        DecodeAnswers(context, answerData, answerCommands);
        } else {
            result.ok = BuildWriteRequests(context, data, commands) &&
                        RunRequests(link, kind, data, commands, {});
        }
        link.Close();
    }
    link.setTrace(nullptr);
    result.wallS = double(timer.nsecsElapsed()) / 1e9;
    result.cpuShare = (cpuSeconds() - cpuBefore) / result.wallS;
    return result;
}

void report(const char *what, const Measure &m, double floorS, bool judge)
{
    const double above = (m.wallS / floorS - 1) * 100;
    std::printf("%-28s %s wall %.2f s, floor %.2f s (%+.1f %%), CPU %.1f %% of one core", what,
                m.ok ? "ok    " : "FAILED", m.wallS, floorS, above, m.cpuShare * 100);
    if (judge)
        std::printf("  %s", above < 5 && m.cpuShare < 0.05 ? "OK" : "MISSED");
    std::printf("\n");
}

} // namespace

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Whole reads with the trace off and on, in turn, on one simulator.
int traceRounds(int rounds)
{
    Simulator sim({});
    if (sim.path.isEmpty()) {
        std::fprintf(stderr, "sr5n-sim did not start\n");
        return 2;
    }
    QList<double> off, on, offCpu, onCpu;
    qint64 traceBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        // Which goes first changes each round, so that a drift in the
        // machine's load falls on both alike.
        for (const bool traced : {round % 2 == 1, round % 2 == 0}) {
            LineJournal journal;
            const Measure m = transfer(sim.path, RunKind::Reading, traced ? &journal : nullptr);
            if (!m.ok)
                return 2;
            (traced ? on : off) << m.wallS;
            (traced ? onCpu : offCpu) << m.cpuShare * m.wallS;
            if (traced)
                traceBytes = journal.bytes();
            std::printf("  round %d, trace %-3s  %.3f s, CPU %.3f s\n", round + 1,
                        traced ? "on" : "off", m.wallS, m.cpuShare * m.wallS);
        }
    }
    const double offS = median(off);
    const double onS = median(on);
    // What the trace itself costs is the CPU it adds: on a shared machine
    // the wall times of two reads differ by more than 1 % whatever they do,
    // so the verdict takes the added CPU against the read's wall time.
    const double addedCpuS = median(onCpu) - median(offCpu);
    std::printf("whole read, trace off: median %.3f s, CPU %.3f s\n", offS, median(offCpu));
    std::printf("whole read, trace on:  median %.3f s, CPU %.3f s (%+.2f %% wall, %lld KB of "
                "trace)\n",
                onS, median(onCpu), (onS / offS - 1) * 100,
                static_cast<long long>(traceBytes / 1024));
    std::printf("the trace's CPU: %+.3f s, %+.2f %% of the read (target: at most 1 %%)  %s\n",
                addedCpuS, addedCpuS / offS * 100, addedCpuS <= offS * 0.01 ? "OK" : "MISSED");
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (const QStringList arguments = QCoreApplication::arguments();
        arguments.value(1) == u"--trace")
        return traceRounds(arguments.size() > 2 ? qMax(1, arguments.value(2).toInt()) : 3);
    const LinkTimings timings;
    const double floorS = (858.0 * timings.requestPauseMs + 2.0 * timings.openClosePauseMs +
                           timings.portCloseDelayMs) /
                          1000.0;
    for (const bool paced : {false, true}) {
        Simulator sim(paced ? QStringList{QStringLiteral("--pace")} : QStringList{});
        if (sim.path.isEmpty()) {
            std::fprintf(stderr, "sr5n-sim did not start\n");
            return 2;
        }
        const Measure write = transfer(sim.path, RunKind::Writing);
        const Measure read = transfer(sim.path, RunKind::Reading);
        report(paced ? "write, paced 115200 bit/s:" : "write:", write, floorS, !paced);
        report(paced ? "read, paced 115200 bit/s:" : "read:", read, floorS, !paced);
    }
    return 0;
}
