// sr5n-cli-benchmark: `sr5n-cli read` on one simulated communicator, then on
// four at once (a worker process per port). The link waits for the device,
// it does not compute, so four ports should take hardly longer than one.
// Target: four in parallel under 1.2 times the time of one.

#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace sr5n;

// Seconds that `sr5n-cli read` takes on `ports`; negative when it failed.
double readSeconds(const QStringList &ports, const QString &folder)
{
    QStringList arguments{"read", "-o", folder + "/cfg-{port}.snc"};
    for (const QString &port : ports)
        arguments << "--port" << port;
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    cli.start(QCoreApplication::applicationDirPath() + "/sr5n-cli", arguments);
    if (!cli.waitForFinished(300000) || cli.exitStatus() != QProcess::NormalExit ||
        cli.exitCode() != 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    std::vector<std::unique_ptr<Simulator>> simulators;
    QStringList ports;
    for (int i = 0; i < 4; ++i) {
        simulators.push_back(std::make_unique<Simulator>(QStringList{}));
        if (simulators.back()->path.isEmpty()) {
            std::fprintf(stderr, "sr5n-sim did not start\n");
            return 1;
        }
        ports << simulators.back()->path;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    double best1 = 1e9;
    double best4 = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double one = readSeconds(ports.mid(0, 1), folder.path());
        const double four = readSeconds(ports, folder.path());
        if (one < 0 || four < 0) {
            std::fprintf(stderr, "sr5n-cli read failed\n");
            return 1;
        }
        std::printf("run %d: one port %.2f s, four ports %.2f s, ratio %.3f\n", run + 1, one, four,
                    four / one);
        best1 = std::min(best1, one);
        best4 = std::min(best4, four);
    }
    const double ratio = best4 / best1;
    std::printf("best: one port %.2f s, four ports in parallel %.2f s, ratio %.3f  %s\n", best1,
                best4, ratio, ratio < 1.2 ? "OK" : "MISSED");
    return ratio < 1.2 ? 0 : 1;
}
