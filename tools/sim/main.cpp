// sr5n-sim: a simulated СР-5/Н communicator on a pseudo-terminal. See --help.

#include "RequestSet.h"
#include "SimulatedCommunicator.h"

#include "link/SimulatorRegistry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTime>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using sr5n::sim::Faults;
using sr5n::sim::Reply;
using sr5n::sim::RequestSet;
using sr5n::sim::SimulatedCommunicator;

namespace {

volatile std::sig_atomic_t g_stop = 0;

// Between a late answer and the answer to the request that let it out.
constexpr qint64 LateAnswerGapUs = 150'000;

void onSignal(int)
{
    g_stop = 1;
}

const char HelpText[] = R"(
Simulates a СР-5/Н communicator on a pseudo-terminal, for trying the
configurator without hardware and for the link's tests.

The first line of output is the path of the terminal (e.g. /dev/pts/4). The
configurator lists it among its ports as a simulated communicator (unless
--unlisted is given); it can also be typed into the port field (or give --link
and type that path). Then every request is logged as "request N: :FRAME;"
unless --quiet is given; warnings go to standard error. Ctrl+C (SIGINT) or
SIGTERM ends the simulator.

The device answers from its own memory:
  configuration blocks  written with 02 18 04 1A 1E 20 08 29 1C 0A 2B 06 22 26 14 0D,
                        read with the next command; they start with a default
                        configuration (protocol blocks with the first protocol
                        of the starter library)
  00 / 01               event-code memory 0000-7FFF: write address+bytes, read
                        address+count (answer: address, then the bytes)
  0F / 28               status of the two event logs (memory 0000-01FF) / erase both
  11 / 12               read the clock (hex seconds, minutes, hours) / set it
                        (decimal digits); the clock runs from the time it was set
  0C                    self-test: answers the fault mask
Requests it cannot understand (bad frame, unknown command, bad data) get no answer.

State file (--state, --dump), JSON, every member optional:
  {"blocks": {"1E": "0200...", ...},     keyed by the write (or read) command
   "memory": {"0000": "FFFF...", ...},   hexadecimal address: bytes from there on
   "logStatus": "0004010001000000",      16 digits as command 0F answers
   "clock": "12:45:30", "selfTest": "05"}

Faults take a SET of request numbers counted from 1: "3", "2-5", "4-" (4 and
every later one), "1,3,7" or "all".
)";

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size() && !g_stop) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            ::poll(&out, 1, 100);
        }
    }
    return done == bytes.size();
}

void sleepMicroseconds(qint64 us)
{
    QElapsedTimer timer;
    timer.start();
    while (!g_stop && timer.nsecsElapsed() / 1000 < us) {
        const qint64 left = us - timer.nsecsElapsed() / 1000;
        ::usleep(useconds_t(std::min<qint64>(left, 50000)));
    }
}

void printLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

// The line's bytes as they passed, for --log: "< " and the hexadecimal
// digits of what came in, "> " and those of what went out, a line a block.
void logBytes(FILE *log, char direction, QByteArrayView bytes)
{
    if (log == nullptr || bytes.isEmpty())
        return;
    std::fprintf(log, "%c %s\n", direction, bytes.toByteArray().toHex().toUpper().constData());
    std::fflush(log);
}

int fail(const QString &text)
{
    printLine(stderr, QStringLiteral("sr5n-sim: ") + text);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sr5n-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SR5N_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(HelpText));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Also make a symbolic link to the terminal at <path>."),
        QStringLiteral("path"));
    const QCommandLineOption stateOption(
        QStringLiteral("state"), QStringLiteral("Load the initial memory from a JSON <file>."),
        QStringLiteral("file"));
    const QCommandLineOption dumpOption(
        QStringLiteral("dump"),
        QStringLiteral("Write the whole memory as JSON to <file> at the end."),
        QStringLiteral("file"));
    const QCommandLineOption statusOption(
        QStringLiteral("log-status"), QStringLiteral("Status of the event logs, 16 hex digits."),
        QStringLiteral("hex"));
    const QCommandLineOption selfTestOption(
        QStringLiteral("self-test"), QStringLiteral("Fault mask the self-test answers (hex byte)."),
        QStringLiteral("hex"));
    const QCommandLineOption clockOption(
        QStringLiteral("clock"), QStringLiteral("Start the clock at HH:MM:SS (default: now)."),
        QStringLiteral("time"));
    const QCommandLineOption silentOption(
        QStringLiteral("silent"), QStringLiteral("Fault: do not answer the requests of SET."),
        QStringLiteral("set"));
    const QCommandLineOption busyOption(
        QStringLiteral("busy"), QStringLiteral("Fault: answer busy (FFFF) to SET, e.g. 1-7."),
        QStringLiteral("set"));
    const QCommandLineOption memoryFaultOption(QStringLiteral("memory-fault"),
                                               QStringLiteral("Fault: answer FF01 to SET."),
                                               QStringLiteral("set"));
    const QCommandLineOption clockFaultOption(QStringLiteral("clock-fault"),
                                              QStringLiteral("Fault: answer FF02 to SET."),
                                              QStringLiteral("set"));
    const QCommandLineOption emptyOption(
        QStringLiteral("empty-answer"),
        QStringLiteral("Fault: answer the empty body (:00;) to SET."), QStringLiteral("set"));
    const QCommandLineOption wrongOption(
        QStringLiteral("wrong-command"),
        QStringLiteral("Fault: answer SET with another command (its code + 40 hex)."),
        QStringLiteral("set"));
    const QCommandLineOption checksumOption(
        QStringLiteral("bad-checksum"),
        QStringLiteral("Fault: a wrong checksum in the answers to SET."), QStringLiteral("set"));
    const QCommandLineOption lowerOption(
        QStringLiteral("lower-case"),
        QStringLiteral(
            "Fault: answer SET in lower-case digits (an answer without letters stays as is)."),
        QStringLiteral("set"));
    const QCommandLineOption dropWriteOption(
        QStringLiteral("drop-write"),
        QStringLiteral("Fault: answer the writes of SET as done but store nothing (block, "
                       "memory and clock writes; other requests of SET are answered as usual)."),
        QStringLiteral("set"));
    const QCommandLineOption garbageOption(
        QStringLiteral("garbage"),
        QStringLiteral("Not a communicator: answer SET with stray characters only."),
        QStringLiteral("set"));
    const QCommandLineOption unlistedOption(
        QStringLiteral("unlisted"),
        QStringLiteral("Do not appear in the configurator's port list."));
    const QCommandLineOption lateOption(
        QStringLiteral("late"),
        QStringLiteral("Fault: hold the answers to SET back until another request has come in "
                       "(not the same one sent again), then send them at once; the answer to "
                       "that request follows 150 ms later."),
        QStringLiteral("set"));
    const QCommandLineOption noiseOption(
        QStringLiteral("noise"), QStringLiteral("Fault: stray characters before every answer."));
    const QCommandLineOption delayOption(
        QStringLiteral("delay"), QStringLiteral("Wait <ms> milliseconds before each answer."),
        QStringLiteral("ms"));
    const QCommandLineOption paceOption(
        QStringLiteral("pace"),
        QStringLiteral("Take as long as a real 115200 bit/s line for each request and answer."));
    const QCommandLineOption hangUpOption(
        QStringLiteral("hang-up"),
        QStringLiteral("Fault: answer <k> requests, then close the line when the next one comes."),
        QStringLiteral("k"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Do not log the requests."));
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Write every block of bytes received and sent to <file> as it passes: "
                       "\"< HEX\" for what came in, \"> HEX\" for what went out."),
        QStringLiteral("file"));
    const QCommandLineOption statsOption(
        QStringLiteral("stats"),
        QStringLiteral("At the end print \"stats: <requests> <microseconds spent answering>\"."));
    const QCommandLineOption answerDataOption(
        QStringLiteral("answer-data"),
        QStringLiteral("Fault: answer command CMD with the data HEX instead of its own, "
                       "e.g. 11=303030 (may be repeated)."),
        QStringLiteral("CMD=HEX"));
    const QCommandLineOption parentOption(
        QStringLiteral("exit-with-parent"),
        QStringLiteral("End when the process that started it ends."));
    parser.addOptions({linkOption,        stateOption,      dumpOption,   statusOption,
                       selfTestOption,    clockOption,      silentOption, busyOption,
                       memoryFaultOption, clockFaultOption, emptyOption,  wrongOption,
                       checksumOption,    lowerOption,      noiseOption,  delayOption,
                       paceOption,        hangUpOption,     quietOption,  statsOption,
                       answerDataOption,  parentOption,     lateOption,   garbageOption,
                       unlistedOption,    dropWriteOption,  logOption});
    parser.process(app);

    if (parser.isSet(parentOption))
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);

    SimulatedCommunicator device;
    if (parser.isSet(stateOption)) {
        QFile file(parser.value(stateOption));
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1").arg(file.fileName()));
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
        QString error;
        if (!document.isObject())
            return fail(QStringLiteral("%1: %2").arg(file.fileName(), parseError.errorString()));
        if (!device.loadJson(document.object(), &error))
            return fail(QStringLiteral("%1: %2").arg(file.fileName(), error));
    }
    if (parser.isSet(statusOption) && !device.setLogStatus(parser.value(statusOption).toLatin1()))
        return fail(QStringLiteral("--log-status needs 16 hexadecimal digits"));
    if (parser.isSet(selfTestOption)) {
        bool ok = false;
        const uint mask = parser.value(selfTestOption).toUInt(&ok, 16);
        if (!ok || mask > 0xFF)
            return fail(QStringLiteral("--self-test needs a hexadecimal byte"));
        device.setSelfTestMask(quint8(mask));
    }
    if (parser.isSet(clockOption)) {
        const QTime time = QTime::fromString(parser.value(clockOption), u"HH:mm:ss");
        if (!time.isValid())
            return fail(QStringLiteral("--clock needs HH:MM:SS"));
        device.setClockSeconds(time.msecsSinceStartOfDay() / 1000);
    }

    Faults &faults = device.faults;
    const struct {
        const QCommandLineOption &option;
        RequestSet &set;
    } sets[] = {{silentOption, faults.silent},
                {busyOption, faults.busy},
                {memoryFaultOption, faults.memoryFault},
                {clockFaultOption, faults.clockFault},
                {emptyOption, faults.emptyAnswer},
                {wrongOption, faults.wrongCommand},
                {checksumOption, faults.badChecksum},
                {lowerOption, faults.lowerCase},
                {lateOption, faults.late},
                {dropWriteOption, faults.dropWrite},
                {garbageOption, faults.garbage}};
    for (const auto &entry : sets) {
        if (!parser.isSet(entry.option))
            continue;
        const std::optional<RequestSet> set = RequestSet::parse(parser.value(entry.option));
        if (!set)
            return fail(QStringLiteral("--%1: bad request set \"%2\"")
                            .arg(entry.option.names().first(), parser.value(entry.option)));
        entry.set = *set;
    }
    for (const QString &entry : parser.values(answerDataOption)) {
        const qsizetype equals = entry.indexOf(u'=');
        const QByteArray command = entry.left(equals).toLatin1();
        const QByteArray data = entry.mid(equals + 1).toLatin1();
        static const QRegularExpression commandPattern(QStringLiteral("^[0-9A-F]{2}$"));
        static const QRegularExpression dataPattern(QStringLiteral("^[0-9A-F]*$"));
        if (equals < 0 || !commandPattern.match(QString::fromLatin1(command)).hasMatch() ||
            !dataPattern.match(QString::fromLatin1(data)).hasMatch())
            return fail(QStringLiteral("--answer-data needs CMD=HEX, e.g. 11=303030"));
        faults.answerData.insert(command, data);
    }
    faults.noise = parser.isSet(noiseOption);
    int delayMs = 0;
    if (parser.isSet(delayOption)) {
        bool ok = false;
        delayMs = parser.value(delayOption).toInt(&ok);
        if (!ok || delayMs < 0)
            return fail(QStringLiteral("--delay needs milliseconds"));
    }
    if (parser.isSet(hangUpOption)) {
        bool ok = false;
        faults.hangUpAfter = parser.value(hangUpOption).toInt(&ok);
        if (!ok || faults.hangUpAfter < 0)
            return fail(QStringLiteral("--hang-up needs a number of requests"));
    }
    const bool pace = parser.isSet(paceOption);
    FILE *lineLog = nullptr;
    if (parser.isSet(logOption)) {
        lineLog = std::fopen(QFile::encodeName(parser.value(logOption)).constData(), "w");
        if (lineLog == nullptr)
            return fail(QStringLiteral("cannot write %1").arg(parser.value(logOption)));
    }
    if (!parser.isSet(quietOption))
        device.onRequest = [](const QString &line) { printLine(stdout, line); };
    device.onWarning = [](const QString &line) {
        printLine(stderr, QStringLiteral("sr5n-sim: ") + line);
    };

    // The terminal: the master is the device's end of the line, the slave the
    // port the configurator opens. Holding the slave open keeps the master
    // usable while no configurator has the port open.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const char *slaveName = ::ptsname(master);
    if (slaveName == nullptr)
        return fail(QStringLiteral("cannot name the pseudo-terminal"));
    const QByteArray slavePath(slaveName);
    const int slave = ::open(slavePath.constData(), O_RDWR | O_NOCTTY);
    if (slave < 0)
        return fail(QStringLiteral("cannot open %1: %2")
                        .arg(QString::fromLocal8Bit(slavePath),
                             QString::fromLocal8Bit(std::strerror(errno))));
    termios raw{};
    if (::tcgetattr(slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::cfsetispeed(&raw, B115200);
        ::cfsetospeed(&raw, B115200);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    QByteArray linkPath;
    if (parser.isSet(linkOption)) {
        linkPath = QFile::encodeName(parser.value(linkOption));
        struct stat info {
        };
        if (::lstat(linkPath.constData(), &info) == 0) {
            if (!S_ISLNK(info.st_mode))
                return fail(QStringLiteral("%1 exists and is not a symbolic link")
                                .arg(parser.value(linkOption)));
            ::unlink(linkPath.constData());
        }
        if (::symlink(slavePath.constData(), linkPath.constData()) != 0)
            return fail(
                QStringLiteral("cannot link %1: %2")
                    .arg(parser.value(linkOption), QString::fromLocal8Bit(std::strerror(errno))));
    }

    struct sigaction action {
    };
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    // The configurator offers the terminals of the simulators it finds here.
    const sr5n::SimulatorRegistry registry;
    const qint64 pid = QCoreApplication::applicationPid();
    const bool listed =
        !parser.isSet(unlistedOption) && registry.announce(pid, QString::fromLocal8Bit(slavePath));

    printLine(stdout, QString::fromLocal8Bit(slavePath));

    qint64 answeringNs = 0;
    bool lineOpen = true;
    char buffer[4096];
    QElapsedTimer answering;
    while (!g_stop && lineOpen) {
        pollfd in{master, POLLIN, 0};
        const int ready = ::poll(&in, 1, 200);
        if (ready <= 0)
            continue;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            ::usleep(10000);
            continue;
        }
        logBytes(lineLog, '<', QByteArrayView(buffer, n));
        // Time spent answering, without the delays asked for on the command line.
        answering.start();
        const QList<Reply> replies = device.receive(QByteArrayView(buffer, n));
        answeringNs += answering.nsecsElapsed();
        for (const Reply &reply : replies) {
            if (reply.hangUp) {
                printLine(stderr, QStringLiteral("sr5n-sim: hanging up the line"));
                lineOpen = false;
                break;
            }
            logBytes(lineLog, '>', reply.late);
            if (!reply.late.isEmpty() && !writeAll(master, reply.late) && !g_stop)
                printLine(stderr, QStringLiteral("sr5n-sim: writing a late answer failed"));
            if (reply.bytes.isEmpty())
                continue;
            qint64 waitUs = qint64(delayMs) * 1000;
            if (pace) // 10 bits a character: the request came in, the answer goes out
                waitUs += (n + reply.bytes.size()) * 10 * 1000000 / 115200;
            // The program takes the late answer on its own before the next one comes.
            if (!reply.late.isEmpty())
                waitUs = std::max<qint64>(waitUs, LateAnswerGapUs);
            sleepMicroseconds(waitUs);
            answering.start();
            logBytes(lineLog, '>', reply.bytes);
            if (!writeAll(master, reply.bytes) && !g_stop)
                printLine(stderr, QStringLiteral("sr5n-sim: writing the answer failed"));
            answeringNs += answering.nsecsElapsed();
        }
    }

    if (lineLog != nullptr)
        std::fclose(lineLog);
    if (listed)
        registry.withdraw(pid);
    ::close(master);
    ::close(slave);
    if (!linkPath.isEmpty())
        ::unlink(linkPath.constData());

    if (parser.isSet(statsOption))
        printLine(
            stdout,
            QStringLiteral("stats: %1 %2").arg(device.requestCount()).arg(answeringNs / 1000));
    if (parser.isSet(dumpOption)) {
        QSaveFile file(parser.value(dumpOption));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QJsonDocument(device.toJson()).toJson()) < 0 || !file.commit())
            return fail(QStringLiteral("cannot write %1").arg(parser.value(dumpOption)));
    }
    return 0;
}
