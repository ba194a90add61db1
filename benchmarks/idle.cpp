// sr5n-idle-benchmark [SECONDS]: what the configurator's window costs while
// nobody uses it. Starts sr5n-configurator and, beside it for a yardstick, a
// bare Qt main window; lets both settle, then measures over SECONDS (60) the
// CPU time of each, and then, over as long again, the system calls of the
// configurator with strace (scripts/install-deps --benchmarks installs it):
// how many, of which kinds, and which files it opened. Both run with a
// runtime folder of their own, so that simulators started elsewhere do not
// change their port list. Needs a display: run it under xvfb-run -a, as the
// program is.

#include "link/UdevMonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Milliseconds of CPU of a process, its ended threads included (to the
// system's clock tick).
double cpuMilliseconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command's name, which is in parentheses.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    const double ticks = fields[11].toDouble() + fields[12].toDouble(); // utime, stime
    return 1000.0 * ticks / double(::sysconf(_SC_CLK_TCK));
}

bool startAndSettle(QProcess &process, const QString &program)
{
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, QStringList());
    if (!process.waitForStarted(10000))
        return false;
    // Start-up and the first paint over, the window is left alone.
    QThread::sleep(5);
    return process.state() == QProcess::Running;
}

void stop(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 60;
    const QString folder = QCoreApplication::applicationDirPath();

    const std::unique_ptr<sr5n::UdevMonitor> monitor = sr5n::UdevMonitor::open();
    std::printf("device events: %s\n", !monitor                ? "none (scanned while active)"
                                       : monitor->fromDaemon() ? "from the udev daemon"
                                                               : "from the kernel");

    QProcess configurator;
    QProcess bare;
    qputenv("SR5N_PROBE_STAY", "1");
    // A runtime folder of their own: simulators that other programs of the
    // user start and end would be changes of the port list.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    if (!startAndSettle(configurator, folder + QStringLiteral("/sr5n-configurator")) ||
        !startAndSettle(bare, folder + QStringLiteral("/sr5n-bare-window-probe"))) {
        std::fprintf(stderr, "the windows did not start\n");
        return 2;
    }

    const double ours0 = cpuMilliseconds(configurator.processId());
    const double theirs0 = cpuMilliseconds(bare.processId());
    QThread::sleep(seconds);
    const double ours = (cpuMilliseconds(configurator.processId()) - ours0) / 1e3;
    const double theirs = (cpuMilliseconds(bare.processId()) - theirs0) / 1e3;
    stop(bare);
    std::printf("CPU over %d s idle: configurator %.1f ms (%.3f %% of a core), bare window "
                "%.1f ms (%.3f %%), counted in ticks of %.0f ms; goal under 0.1 %%\n",
                seconds, ours * 1e3, 100 * ours / seconds, theirs * 1e3, 100 * theirs / seconds,
                1000.0 / double(::sysconf(_SC_CLK_TCK)));

    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty()) {
        std::printf("system calls not counted: strace is not installed "
                    "(scripts/install-deps --benchmarks)\n");
        stop(configurator);
        return 0;
    }
    QTemporaryDir temporary;
    const QString log = temporary.filePath(QStringLiteral("strace.log"));
    QProcess tracer;
    tracer.setProcessChannelMode(QProcess::ForwardedChannels);
    // With -f strace attaches to every thread of the process.
    tracer.start(strace, {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"), log,
                          QStringLiteral("-p"), QString::number(configurator.processId())});
    tracer.waitForStarted(5000);
    QThread::sleep(1); // attached to every thread
    QFile(log).resize(0);
    QThread::sleep(seconds);
    ::kill(static_cast<pid_t>(tracer.processId()), SIGINT);
    tracer.waitForFinished(5000);
    stop(configurator);

    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no strace log\n");
        return 2;
    }
    static const QRegularExpression call(QStringLiteral(R"re(^\d+\s+(\w+)\()re"));
    static const QRegularExpression opened(
        QStringLiteral(R"re((?:open|openat)\([^"]*"([^"]*)")re"));
    QMap<QString, int> calls;
    QMap<QString, int> files;
    int total = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromLocal8Bit(file.readLine());
        if (line.contains(QLatin1String("resumed>")))
            continue; // the second half of a call counted when it began
        const QRegularExpressionMatch m = call.match(line);
        if (!m.hasMatch())
            continue;
        ++total;
        ++calls[m.captured(1)];
        const QRegularExpressionMatch o = opened.match(line);
        if (o.hasMatch())
            ++files[o.captured(1)];
    }
    std::printf("system calls over %d s idle: %d (%.1f a second)\n", seconds, total,
                double(total) / seconds);
    for (auto it = calls.cbegin(); it != calls.cend(); ++it)
        std::printf("  %-16s %d\n", qPrintable(it.key()), it.value());
    std::printf("files opened: %d\n", int(files.size()));
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        std::printf("  %s (%d times)\n", qPrintable(it.key()), it.value());
    return 0;
}
