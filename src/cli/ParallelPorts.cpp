#include "cli/ParallelPorts.h"

#include "cli/InterruptSignals.h"
#include "cli/TerminalNotifier.h"
#include "cli/TerminalProgress.h"
#include "link/OperationProgress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>

#include <memory>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace sr5n {

namespace {

const QString ProgressTag = QStringLiteral("@progress ");
const QString ResultTag = QStringLiteral("@result ");
const QString JsonTag = QStringLiteral("@json ");
// How long stopped workers may take to end their exchange before they are killed.
constexpr int StopGraceMs = 3000;

struct Worker {
    PortOutcome outcome;
    std::unique_ptr<QProcess> process;
    QElapsedTimer clock;
    QByteArray pending;
    int position = 0;
    int maximum = 0;
    bool resulted = false;
    bool finished = false;
    QStringList errors;
};

QString resultText(int status)
{
    switch (status) {
    case ExitDone:
        return QStringLiteral("OK");
    case ExitNegative:
        return QStringLiteral("NO");
    case ExitInterrupted:
        return QStringLiteral("INTERRUPTED");
    default:
        break;
    }
    return QStringLiteral("FAILED");
}

// Takes the complete lines of a worker's standard output.
void takeLines(Worker &worker)
{
    worker.pending += worker.process->readAllStandardOutput();
    qsizetype end;
    while ((end = worker.pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(worker.pending.left(end));
        worker.pending.remove(0, end + 1);
        if (line.startsWith(ProgressTag)) {
            const QStringList numbers = line.mid(ProgressTag.size()).split(u' ');
            worker.position = numbers.value(0).toInt();
            worker.maximum = numbers.value(1).toInt();
        } else if (line.startsWith(ResultTag)) {
            const QString rest = line.mid(ResultTag.size());
            const qsizetype blank = rest.indexOf(u' ');
            worker.outcome.status = rest.left(blank).toInt();
            worker.outcome.message = blank < 0
                                         ? QString()
                                         : QJsonDocument::fromJson(rest.mid(blank + 1).toUtf8())
                                               .array()
                                               .at(0)
                                               .toString();
            worker.resulted = true;
        } else if (line.startsWith(JsonTag)) {
            worker.outcome.details =
                QJsonDocument::fromJson(line.mid(JsonTag.size()).toUtf8()).object();
        }
    }
}

// One line per port, redrawn in place on a terminal.
class ProgressLines
{
public:
    explicit ProgressLines(const QList<Worker *> &workers)
        : m_workers(workers), m_enabled(isatty(fileno(stderr)) != 0)
    {
    }

    void draw()
    {
        if (!m_enabled)
            return;
        qsizetype width = 0;
        for (const Worker *worker : m_workers)
            width = qMax(width, worker->outcome.port.size());
        QString text;
        if (m_drawn)
            text += QStringLiteral("\x1b[%1A").arg(m_workers.size());
        for (const Worker *worker : m_workers) {
            QString state;
            const int maximum = qMax(worker->maximum, 1);
            int position = worker->position;
            if (worker->finished) {
                state = resultText(worker->outcome.status);
                // A port that is done is full, also one without steps (the
                // self-test); a failed or stopped one shows how far it came.
                if (worker->outcome.status == ExitDone || worker->outcome.status == ExitNegative)
                    position = maximum;
            }
            text += QStringLiteral("\r\x1b[K%1 %2 %3\n")
                        .arg(worker->outcome.port.leftJustified(width),
                             TerminalProgress::line(QString(), position, maximum).trimmed(), state);
        }
        m_drawn = true;
        PrintText(stderr, text);
    }

private:
    const QList<Worker *> &m_workers;
    bool m_enabled;
    bool m_drawn = false;
};

} // namespace

QString WorkerResultLine(int status, const QString &message)
{
    // One line: the message, line breaks and all, as a JSON string.
    return ResultTag + QString::number(status) + u' ' +
           QString::fromUtf8(QJsonDocument(QJsonArray{message}).toJson(QJsonDocument::Compact)) +
           u'\n';
}

ParallelPorts::ParallelPorts(const CommandLine &line, QString program)
    : m_line(line), m_program(std::move(program))
{
}

QList<PortOutcome> ParallelPorts::run()
{
    std::vector<std::unique_ptr<Worker>> workers;
    QList<Worker *> shown;
    QEventLoop loop;
    int running = 0;
    ProgressLines lines(shown);
    QTimer killing;
    killing.setSingleShot(true);
    const auto stopAll = [&workers](bool hard) {
        for (const auto &worker : workers)
            if (!worker->finished && worker->process->state() != QProcess::NotRunning)
                hard ? worker->process->kill() : worker->process->terminate();
    };
    QObject::connect(&killing, &QTimer::timeout, &loop, [&stopAll] { stopAll(true); });
    // The first signal asks every worker to stop; a second one, or a worker
    // that does not end in time, kills.
    InterruptSignals signalled([this, &stopAll, &killing](int count) {
        m_interrupted = true;
        stopAll(count > 1);
        if (!killing.isActive())
            killing.start(StopGraceMs);
    });
    const qint64 parent = QCoreApplication::applicationPid();
    for (const QString &port : m_line.ports) {
        auto worker = std::make_unique<Worker>();
        Worker *w = worker.get();
        w->outcome.port = port;
        w->process = std::make_unique<QProcess>();
        // A worker must not outlive this process, holding its port.
        w->process->setChildProcessModifier([parent] {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(ExitInterrupted);
        });
        const QString output =
            m_line.output.isEmpty() ? QString() : PortOutputPath(m_line.output, port);
        w->outcome.file = output;
        QObject::connect(w->process.get(), &QProcess::readyReadStandardOutput, &loop, [w, &lines] {
            takeLines(*w);
            lines.draw();
        });
        QObject::connect(w->process.get(), &QProcess::readyReadStandardError, &loop, [w] {
            const QString text = QString::fromUtf8(w->process->readAllStandardError());
            for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
                w->errors << line;
        });
        QObject::connect(w->process.get(), &QProcess::finished, &loop,
                         [this, w, &running, &loop, &lines](int code, QProcess::ExitStatus exit) {
                             takeLines(*w);
                             w->errors << QString::fromUtf8(w->process->readAllStandardError())
                                              .split(u'\n', Qt::SkipEmptyParts);
                             w->outcome.elapsedMs = w->clock.elapsed();
                             if (!w->resulted && m_interrupted) {
                                 w->outcome.status = ExitInterrupted;
                                 w->outcome.message = QStringLiteral("Прервано");
                             } else if (!w->resulted) {
                                 w->outcome.status =
                                     exit == QProcess::NormalExit && code != 0 ? code : ExitFailed;
                                 w->outcome.message =
                                     w->errors.isEmpty()
                                         ? QStringLiteral("Процесс завершился аварийно")
                                         : w->errors.constLast();
                             }
                             w->finished = true;
                             lines.draw();
                             if (--running == 0)
                                 loop.quit();
                         });
        QObject::connect(w->process.get(), &QProcess::errorOccurred, &loop,
                         [w, &running, &loop](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart)
                                 return;
                             w->outcome.status = ExitFailed;
                             w->outcome.message = w->process->errorString();
                             w->finished = true;
                             if (--running == 0)
                                 loop.quit();
                         });
        shown << w;
        workers.push_back(std::move(worker));
        ++running;
        w->clock.start();
        w->process->start(m_program, m_line.workerArguments(port, output));
    }
    lines.draw();
    if (running > 0)
        loop.exec();

    QList<PortOutcome> outcomes;
    for (const auto &worker : workers) {
        // Each port's messages, after the progress lines, under the port's name.
        for (const QString &error : worker->errors)
            PrintText(stderr, worker->outcome.port + QStringLiteral(": ") + error + u'\n');
        outcomes << worker->outcome;
    }
    return outcomes;
}

QString ParallelPorts::summaryTable(const QList<PortOutcome> &outcomes)
{
    const QStringList header{QStringLiteral("PORT"), QStringLiteral("RESULT"),
                             QStringLiteral("TIME"), QStringLiteral("MESSAGE")};
    QList<QStringList> rows{header};
    for (const PortOutcome &outcome : outcomes)
        rows << QStringList{outcome.port, resultText(outcome.status),
                            QStringLiteral("%1 s").arg(outcome.elapsedMs / 1000.0, 0, 'f', 1),
                            outcome.message};
    qsizetype widths[3] = {0, 0, 0};
    for (const QStringList &row : rows)
        for (int c = 0; c < 3; ++c)
            widths[c] = qMax(widths[c], row.at(c).size());
    // A reason of several lines goes on below its first, under the message column.
    const QString indent(widths[0] + widths[1] + widths[2] + 6, u' ');
    QString text;
    for (const QStringList &row : rows) {
        const QStringList lines = row.at(3).trimmed().split(u'\n');
        text += (row.at(0).leftJustified(widths[0]) + QStringLiteral("  ") +
                 row.at(1).leftJustified(widths[1]) + QStringLiteral("  ") +
                 row.at(2).rightJustified(widths[2]) + QStringLiteral("  ") + lines.constFirst())
                    .trimmed() +
                u'\n';
        // Each keeps its own indentation (the items of a check list).
        for (const QString &line : lines.mid(1))
            if (!line.trimmed().isEmpty())
                text += indent + line + u'\n';
    }
    return text;
}

int ParallelPorts::exitStatus(const QList<PortOutcome> &outcomes)
{
    int status = ExitDone;
    for (const PortOutcome &outcome : outcomes)
        if (outcome.status == ExitInterrupted)
            return ExitInterrupted;
    for (const PortOutcome &outcome : outcomes) {
        if (outcome.status != ExitDone && outcome.status != ExitNegative)
            return ExitFailed;
        status = qMax(status, outcome.status);
    }
    return status;
}

} // namespace sr5n
