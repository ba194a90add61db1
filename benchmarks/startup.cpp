// sr5n-startup-benchmark [PAIRS]: how long the configurator takes from exec
// to the first paint of its main window, against a bare Qt main window of the
// same size, started one after the other in turns (which goes first changes
// every pair) so that both see the same load of the machine. Prints each
// pair, the medians, the median of the ratios and the medians of the
// configurator's own start-up steps (milliseconds from the start of main).
// Needs a display: run it under xvfb-run -a, as the program is.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

struct Run {
    double ms = 0;               // exec to the first paint, seen from here
    QMap<QString, double> marks; // the probe's own steps
};

std::optional<Run> start(const QString &program)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    probe.start(program, QStringList());
    while (!probe.canReadLine() && probe.state() != QProcess::NotRunning && timer.elapsed() < 30000)
        probe.waitForReadyRead(30000 - int(timer.elapsed()));
    Run run;
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    const QString line = QString::fromLocal8Bit(probe.readLine()).trimmed();
    // The next run starts once this one has ended.
    if (!probe.waitForFinished(30000))
        probe.kill();
    if (!line.startsWith(QLatin1String("painted "))) {
        std::fprintf(stderr, "%s did not paint\n", qPrintable(program));
        return std::nullopt;
    }
    for (const QString &mark : line.mid(8).split(QStringLiteral(", "))) {
        const qsizetype space = mark.lastIndexOf(u' ');
        run.marks.insert(mark.left(space), mark.mid(space + 1).toDouble());
    }
    return run;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 21;
    const QString folder = QCoreApplication::applicationDirPath();
    const QString configurator = folder + QStringLiteral("/sr5n-startup-probe");
    const QString bare = folder + QStringLiteral("/sr5n-bare-window-probe");

    // One of each first, unmeasured: the files come into the page cache.
    if (!start(configurator) || !start(bare))
        return 2;

    QList<double> ours, theirs, ratios;
    QMap<QString, QList<double>> steps;
    for (int i = 0; i < pairs; ++i) {
        const bool oursFirst = i % 2 == 0;
        const std::optional<Run> a = start(oursFirst ? configurator : bare);
        const std::optional<Run> b = start(oursFirst ? bare : configurator);
        if (!a || !b)
            return 2;
        const Run &c = oursFirst ? *a : *b;
        const Run &q = oursFirst ? *b : *a;
        ours.append(c.ms);
        theirs.append(q.ms);
        ratios.append(c.ms / q.ms);
        for (auto it = c.marks.cbegin(); it != c.marks.cend(); ++it)
            steps[it.key()].append(it.value());
        std::printf("pair %2d: configurator %6.1f ms, bare window %6.1f ms, ratio %.2f\n", i + 1,
                    c.ms, q.ms, c.ms / q.ms);
    }
    std::printf("median: configurator %.1f ms, bare window %.1f ms; median ratio %.2f (goal at "
                "most 1.5)\n",
                median(ours), median(theirs), median(ratios));
    std::printf("configurator's steps, median ms from the start of main:");
    QList<std::pair<double, QString>> ordered;
    for (auto it = steps.cbegin(); it != steps.cend(); ++it)
        ordered.append({median(it.value()), it.key()});
    std::sort(ordered.begin(), ordered.end());
    for (const auto &[ms, name] : ordered)
        std::printf(" %s %.1f", qPrintable(name), ms);
    std::printf("\n");
    return 0;
}
