#pragma once

// What the benchmarks share: a notifier that prints errors, the simulator
// process and the process's CPU time.

#include "common/Notifier.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <sys/resource.h>

namespace sr5n {

class PrintingNotifier final : public Notifier
{
public:
    void flash() override {}
    void showError(const QString &message) override
    {
        std::fprintf(stderr, "error: %s\n", qPrintable(message));
        ++errors;
    }
    void showInformation(const QString &) override {}
    bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
    int errors = 0;
};

class Simulator
{
public:
    explicit Simulator(const QStringList &arguments)
    {
        m_process.setProgram(QCoreApplication::applicationDirPath() + "/sr5n-sim");
        m_process.setArguments(QStringList{"--exit-with-parent", "--quiet", "--stats"} + arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        QDeadlineTimer deadline(5000);
        while (!m_process.canReadLine() && !deadline.hasExpired() &&
               m_process.state() != QProcess::NotRunning)
            m_process.waitForReadyRead(100);
        if (m_process.canReadLine())
            path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() { finish(); }

    // Ends the simulator; returns its microseconds spent answering per request.
    double finish()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_perRequestUs;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        const QStringList lines = QString::fromLocal8Bit(m_process.readAllStandardOutput())
                                      .split('\n', Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            const QStringList parts = line.split(' ');
            if (parts.size() == 3 && parts[0] == "stats:" && parts[1].toInt() > 0)
                m_perRequestUs = parts[2].toDouble() / parts[1].toDouble();
        }
        return m_perRequestUs;
    }

    QString path;

private:
    QProcess m_process;
    double m_perRequestUs = 0;
};

inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace sr5n
