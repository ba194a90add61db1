#pragma once

// What the start-up probes share: tells the benchmark on standard output the
// moment a window has first painted, then ends the program.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace sr5n {

class FirstPaint final : public QObject
{
public:
    // `clock` runs from the start of main; `marks` are printed with it.
    FirstPaint(QWidget &window, const QElapsedTimer &clock)
        : QObject(&window), m_window(window), m_clock(clock)
    {
        window.installEventFilter(this);
    }

    // A step of start-up ended now, or `nsecs` after the start.
    void mark(const char *what) { mark(what, m_clock.nsecsElapsed()); }
    void mark(const char *what, qint64 nsecs)
    {
        m_marks.append(
            QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(double(nsecs) / 1e6, 0, 'f', 1));
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // Reported once the painting has been handed to the display.
            QTimer::singleShot(0, this, [this] {
                mark("painted");
                std::printf("painted %s\n", qPrintable(m_marks.join(QStringLiteral(", "))));
                std::fflush(stdout);
                if (qEnvironmentVariableIsEmpty("SR5N_PROBE_STAY"))
                    QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget &m_window;
    const QElapsedTimer &m_clock;
    QStringList m_marks;
    bool m_painted = false;
};

} // namespace sr5n
