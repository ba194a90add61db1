#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace sr5n {

// SIGINT and SIGTERM turned into calls on the event loop (also inside the
// nested loops in which the link waits), so that the work in hand stops in
// order: ports closed, files not half replaced. While an object lives, each
// signal calls `onSignal` with how many came so far; the handlers of the
// system return when it is destroyed.
class InterruptSignals final
{
public:
    explicit InterruptSignals(std::function<void(int count)> onSignal);
    ~InterruptSignals();

    InterruptSignals(const InterruptSignals &) = delete;
    InterruptSignals &operator=(const InterruptSignals &) = delete;

    // Whether a signal came since the program started.
    static bool received();

private:
    void take();

    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_count = 0;
};

} // namespace sr5n
