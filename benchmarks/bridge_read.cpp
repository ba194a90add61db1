// sr5n-bridge-benchmark: a whole read of the configuration through a serial
// server (ser2net in front of sr5n-sim's terminal), raw TCP and Telnet with
// RFC 2217, side by side with the same read on the terminal itself.
//
// The three ways take turns, round after round, so that the machine's load
// falls on all of them alike; each way's median is compared with the
// terminal's. Target: each bridge within 5 % of the terminal. With --paced
// the simulator keeps a real 115200 bit/s line's pace. --rounds N (default 5).

#include "BenchSupport.h"

#include "common/Ser2netBridge.h"
#include "config/RequestLists.h"
#include "config/RequestRun.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <vector>

namespace {

using namespace sr5n;

// Seconds for the whole read (858 requests, as "Прочитать" sends them) on
// the port, with the program's own waits; negative when it failed.
double wholeRead(const QString &port)
{
    PrintingNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);
    QElapsedTimer timer;
    timer.start();
    bool ok = false;
    if (link.Open(port)) {
        QStringList data, commands, answerData, answerCommands;
        BuildReadRequests(data, commands);
        ok =
            RunRequests(link, RunKind::Reading, data, commands, {}, &answerData, &answerCommands) &&
            answerData.size() == data.size();
        ok = link.Close() && ok;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return ok && notifier.errors == 0 ? seconds : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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

    struct Way {
        const char *name;
        QString port;
        std::vector<double> seconds;
    };
    std::vector<Way> ways{{"terminal", sim.path, {}},
                          {"ser2net, raw TCP", bridge.rawName(), {}},
                          {"ser2net, RFC 2217", bridge.rfc2217Name(), {}}};
    std::printf("whole read, 858 requests%s, %d rounds\n", paced ? ", paced 115200 bit/s" : "",
                rounds);
    for (int round = 0; round < rounds; ++round) {
        for (Way &way : ways) {
            const double s = wholeRead(way.port);
            if (s < 0) {
                std::fprintf(stderr, "%s: the read failed\n", way.name);
                return 1;
            }
            way.seconds.push_back(s);
            std::printf("  round %d  %-20s %.3f s\n", round + 1, way.name, s);
            std::fflush(stdout);
        }
    }
    const double local = median(ways.front().seconds);
    std::printf("%-20s median %.3f s\n", ways.front().name, local);
    bool met = true;
    for (size_t i = 1; i < ways.size(); ++i) {
        const double m = median(ways[i].seconds);
        const double ratio = m / local;
        met = met && ratio <= 1.05;
        std::printf("%-20s median %.3f s  ratio %.4f (%+.2f %%)  %s\n", ways[i].name, m, ratio,
                    (ratio - 1) * 100, ratio <= 1.05 ? "OK" : "MISSED");
    }
    return met ? 0 : 1;
}
