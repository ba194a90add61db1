// sr5n-bridge-benchmark: a whole read of the configuration through a serial
// server (ser2net in front of sr5n-sim's terminal), raw TCP and Telnet with
// RFC 2217, side by side with the same read on the terminal itself.
//
// The three ways take turns, round after round, each round in another order,
// so that the machine's load falls on all of them alike. A read is timed in
// pieces: opening with the first request, each further request (from the
// answer before it to its own answer, the pause included), and closing. On a
// shared machine a busy moment makes some piece of some read long; the same
// piece of the other rounds is not, so each piece's median over the rounds
// is taken and the medians are added up: the read as it costs without the
// machine's hiccups, while a delay that every read meets stays in it. The
// bridges are compared with the terminal on those sums: the ratio (target:
// within 5 %) and the overhead a request in milliseconds. The plain medians
// of the whole reads are shown as well. With --paced the simulator keeps a
// real 115200 bit/s line's pace. --rounds N (default 5).

#include "BenchSupport.h"

#include "common/Ser2netBridge.h"
#include "config/RequestLists.h"
#include "config/RequestRun.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

namespace {

using namespace sr5n;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One whole read ("Прочитать") on the port, with the program's own waits:
// the seconds of each piece, in order; empty when it failed.
std::vector<double> wholeRead(const QString &port, const QStringList &data,
                              const QStringList &commands)
{
    PrintingNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);
    std::vector<double> pieces;
    pieces.reserve(size_t(data.size()) + 1);
    QElapsedTimer piece;
    piece.start();
    const auto cut = [&] {
        pieces.push_back(double(piece.nsecsElapsed()) / 1e9);
        piece.start();
    };
    bool ok = false;
    if (link.Open(port)) {
        QStringList answerData, answerCommands;
        ok = RunRequests(link, RunKind::Reading, data, commands, cut, &answerData,
                         &answerCommands) &&
             answerData.size() == data.size();
        ok = link.Close() && ok;
    }
    cut();
    if (!ok || notifier.errors != 0 || pieces.size() != size_t(data.size()) + 1)
        return {};
    return pieces;
}

struct Way {
    const char *name;
    QString port;
    std::vector<std::vector<double>> reads; // the pieces of each round's read

    double total(size_t round) const
    {
        return std::accumulate(reads[round].begin(), reads[round].end(), 0.0);
    }
    double medianTotal() const
    {
        std::vector<double> totals;
        for (size_t round = 0; round < reads.size(); ++round)
            totals.push_back(total(round));
        return median(totals);
    }
    // Each piece's median over the rounds, added up.
    double steadyTotal() const
    {
        double sum = 0;
        for (size_t at = 0; at < reads.front().size(); ++at) {
            std::vector<double> values;
            for (const std::vector<double> &read : reads)
                values.push_back(read[at]);
            sum += median(values);
        }
        return sum;
    }
};

void printLoad(const char *when)
{
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool paced = arguments.contains("--paced");
    int rounds = 5;
    if (const qsizetype at = arguments.indexOf("--rounds"); at > 0 && at + 1 < arguments.size())
        rounds = std::max(1, arguments.at(at + 1).toInt());

    Simulator sim(paced ? QStringList{"--pace"} : QStringList{});
    if (sim.path.isEmpty()) {
        std::fprintf(stderr, "sr5n-sim did not start\n");
        return 2;
    }
    test::Ser2netBridge bridge(sim.path);
    if (!bridge.started()) {
        std::fprintf(stderr, "ser2net did not start: %s\n", qPrintable(bridge.log()));
        return 2;
    }

    QStringList data, commands;
    BuildReadRequests(data, commands);
    const auto requests = double(data.size());

    std::vector<Way> ways{{"terminal", sim.path, {}},
                          {"ser2net, raw TCP", bridge.rawName(), {}},
                          {"ser2net, RFC 2217", bridge.rfc2217Name(), {}}};
    std::printf("whole read, %lld requests%s, %d rounds\n", qlonglong(data.size()),
                paced ? ", paced 115200 bit/s" : "", rounds);
    printLoad("before");
    for (int round = 0; round < rounds; ++round) {
        for (size_t turn = 0; turn < ways.size(); ++turn) {
            Way &way = ways[(size_t(round) + turn) % ways.size()];
            std::vector<double> pieces = wholeRead(way.port, data, commands);
            if (pieces.empty()) {
                std::fprintf(stderr, "%s: the read failed\n", way.name);
                return 1;
            }
            way.reads.push_back(std::move(pieces));
            std::printf("  round %d  %-20s %.3f s\n", round + 1, way.name,
                        way.total(way.reads.size() - 1));
            std::fflush(stdout);
        }
    }
    printLoad("after");

    const Way &local = ways.front();
    const double localSteady = local.steadyTotal();
    std::printf("%-20s %.3f s (whole reads' median %.3f s)\n", local.name, localSteady,
                local.medianTotal());
    bool met = true;
    for (size_t i = 1; i < ways.size(); ++i) {
        const double steady = ways[i].steadyTotal();
        const double ratio = steady / localSteady;
        const double wholeRatio = ways[i].medianTotal() / local.medianTotal();
        met = met && ratio <= 1.05;
        std::printf("%-20s %.3f s  ratio %.4f (%+.2f %%)  %+.3f ms a request  %s\n"
                    "%-20s (whole reads' median %.3f s, ratio %.4f, %+.3f ms a request)\n",
                    ways[i].name, steady, ratio, (ratio - 1) * 100,
                    (steady - localSteady) * 1000 / requests, ratio <= 1.05 ? "OK" : "MISSED", "",
                    ways[i].medianTotal(), wholeRatio,
                    (ways[i].medianTotal() - local.medianTotal()) * 1000 / requests);
    }
    return met ? 0 : 1;
}
