// sr5n-link-benchmark: the link's cost against sr5n-sim over a pseudo-terminal.
//
// 1. 1000 Read round trips: the mean time per request beyond the simulator's
//    own time answering it (target: under 1 ms).
// 2. Reads against a simulator that waits 100 ms before each answer: the
//    configurator's CPU time as a share of wall time while it waits (target:
//    under 5 % of one core).
// 3. Read round trips with the trace of the line off and on, in alternating
//    blocks: what the trace adds to a request.

#include "BenchSupport.h"

#include "common/Notifier.h"
#include "link/LineJournal.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace sr5n;

struct Rig {
    PrintingNotifier notifier;
    TVaComm comm;
    TVaCapture capture{notifier};
    std::unique_ptr<TConnection> connection;
    TConnection &link;

    Rig() : connection(makeLink()), link(*connection) {}

private:
    std::unique_ptr<TConnection> makeLink()
    {
        capture.SetComm(&comm);
        return std::make_unique<TConnection>(capture, notifier);
    }
};

// Counts the lines the journal adds.
void connectLines(LineJournal &journal, qsizetype &lines)
{
    QObject::connect(&journal, &LineJournal::lineAdded, &journal,
                     [&lines](quint64, const QString &) { ++lines; });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int Requests = 1000;
    constexpr int WaitingRequests = 20;
    constexpr int DelayMs = 100;

    // 1. Round trips.
    double overheadUs = 0;
    double roundTripUs = 0;
    double simUs = 0;
    {
        Simulator sim({});
        if (sim.path.isEmpty()) {
            std::fprintf(stderr, "sr5n-sim did not start\n");
            return 2;
        }
        Rig rig;
        if (!rig.link.Open(sim.path))
            return 2;
        for (int i = 0; i < 20; ++i) // warm-up
            rig.link.Read("11", "");
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < Requests; ++i) {
            if (!rig.link.Read("11", "")) {
                std::fprintf(stderr, "request %d failed\n", i + 1);
                return 2;
            }
        }
        const double wallUs = double(timer.nsecsElapsed()) / 1000.0;
        rig.link.Close();
        simUs = sim.finish();
        roundTripUs = wallUs / Requests;
        overheadUs = roundTripUs - simUs;
    }

    // 2. CPU while waiting.
    double cpuShare = 0;
    double waitWallS = 0;
    {
        Simulator sim({"--delay", QString::number(DelayMs)});
        Rig rig;
        if (sim.path.isEmpty() || !rig.link.Open(sim.path))
            return 2;
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = cpuSeconds();
        for (int i = 0; i < WaitingRequests; ++i) {
            if (!rig.link.Read("11", ""))
                return 2;
        }
        const double cpu = cpuSeconds() - cpuBefore;
        waitWallS = double(timer.nsecsElapsed()) / 1e9;
        cpuShare = cpu / waitWallS;
        rig.link.Close();
    }

    // 3. The trace off and on, block after block on one simulator.
    constexpr int Blocks = 10;
    constexpr int BlockRequests = 200;
    double offUs = 0;
    double onUs = 0;
    double offCpuUs = 0;
    double onCpuUs = 0;
    qsizetype traceLines = 0;
    {
        Simulator sim({});
        Rig rig;
        LineJournal journal;
        connectLines(journal, traceLines);
        if (sim.path.isEmpty() || !rig.link.Open(sim.path))
            return 2;
        for (int i = 0; i < 20; ++i) // warm-up
            rig.link.Read("11", "");
        for (int block = 0; block < Blocks; ++block) {
            const bool on = block % 2 == 1;
            rig.link.setTrace(on ? &journal : nullptr);
            QElapsedTimer timer;
            timer.start();
            const double cpuBefore = cpuSeconds();
            for (int i = 0; i < BlockRequests; ++i) {
                if (!rig.link.Read("11", ""))
                    return 2;
            }
            (on ? onUs : offUs) += double(timer.nsecsElapsed()) / 1000.0;
            (on ? onCpuUs : offCpuUs) += (cpuSeconds() - cpuBefore) * 1e6;
        }
        rig.link.setTrace(nullptr);
        rig.link.Close();
        offUs /= Blocks / 2 * BlockRequests;
        onUs /= Blocks / 2 * BlockRequests;
        offCpuUs /= Blocks / 2 * BlockRequests;
        onCpuUs /= Blocks / 2 * BlockRequests;
    }

    std::printf("Read round trips:       %d\n", Requests);
    std::printf("  mean round trip:      %.1f us\n", roundTripUs);
    std::printf("  simulator's own time: %.1f us per request\n", simUs);
    std::printf("  overhead per request: %.1f us (target < 1000 us) %s\n", overheadUs,
                overheadUs < 1000 ? "OK" : "MISSED");
    std::printf("Waiting for answers:    %d reads, %d ms answer delay, %.2f s wall\n",
                WaitingRequests, DelayMs, waitWallS);
    std::printf("  CPU while waiting:    %.2f %% of one core (target < 5 %%) %s\n", cpuShare * 100,
                cpuShare < 0.05 ? "OK" : "MISSED");
    std::printf("Trace of the line:      %d blocks of %d reads, off and on in turn\n", Blocks,
                BlockRequests);
    std::printf("  round trip, trace off: %.1f us, CPU %.1f us\n", offUs, offCpuUs);
    std::printf("  CPU of the trace:      %+.1f us a request (on %.1f us)\n", onCpuUs - offCpuUs,
                onCpuUs);
    std::printf("  round trip, trace on:  %.1f us (%+.1f us, %+.2f %%), %lld lines traced\n", onUs,
                onUs - offUs, (onUs / offUs - 1) * 100, static_cast<long long>(traceLines));
    return 0;
}
