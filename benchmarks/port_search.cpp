// sr5n-port-search-benchmark: how long finding the communicator takes among
// three ports against sr5n-sim: one that answers, one silent, one answering
// noise, on the program's own waits. The floor is what the waits add up to:
// seven attempts on the silent port, and the pauses of opening and closing
// each port.

#include "BenchSupport.h"

#include "link/CommunicatorFinder.h"
#include "link/LinkTimings.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QElapsedTimer>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    using namespace sr5n;
    QCoreApplication app(argc, argv);
    constexpr int Searches = 3;

    Simulator answering({QStringLiteral("--unlisted")});
    Simulator silent(
        {QStringLiteral("--unlisted"), QStringLiteral("--silent"), QStringLiteral("all")});
    Simulator noise(
        {QStringLiteral("--unlisted"), QStringLiteral("--garbage"), QStringLiteral("all")});
    if (answering.path.isEmpty() || silent.path.isEmpty() || noise.path.isEmpty()) {
        std::fprintf(stderr, "sr5n-sim did not start\n");
        return 2;
    }
    const QStringList ports = {silent.path, answering.path, noise.path};

    // The link's own messages are not shown while searching, as in the program.
    struct Quiet final : Notifier {
        void flash() override {}
        void showError(const QString &) override {}
        void showInformation(const QString &) override {}
        bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
    } notifier;
    const LinkTimings timings;
    TVaComm comm(nullptr, timings);
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier, timings);
    CommunicatorFinder finder(link);

    const int floorMs =
        TConnection::Attempts * CommunicatorFinder::DefaultAnswerTimeoutMs +
        int(ports.size()) * (2 * timings.openClosePauseMs + timings.portCloseDelayMs);
    std::printf("three ports, one silent; floor of the waits %d ms\n", floorMs);
    for (int i = 0; i < Searches; ++i) {
        QElapsedTimer timer;
        timer.start();
        const CommunicatorFinder::Result result = finder.find(ports, nullptr);
        const qint64 ms = timer.elapsed();
        const bool found = result.answering() == QStringList{answering.path};
        std::printf("search %d: %lld ms, %s\n", i + 1, static_cast<long long>(ms),
                    found ? "found the answering port" : "WRONG RESULT");
        if (!found)
            return 1;
    }
    return 0;
}
