#include "cli/InterruptSignals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace sr5n {

namespace {

int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t signalled = 0;

extern "C" void handleSignal(int)
{
    signalled = 1;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace

InterruptSignals::InterruptSignals(std::function<void(int)> onSignal)
    : m_onSignal(std::move(onSignal))
{
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the signals keep their usual effect
    m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { take(); });
    setHandler(handleSignal);
}

InterruptSignals::~InterruptSignals()
{
    if (m_notifier)
        setHandler(SIG_DFL);
}

bool InterruptSignals::received()
{
    return signalled != 0;
}

void InterruptSignals::take()
{
    char bytes[16];
    ssize_t count;
    while ((count = ::read(signalPipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            m_onSignal(++m_count);
    }
}

} // namespace sr5n
