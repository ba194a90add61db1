#include "catalog/ConnectionWatchdog.h"

#include <sys/socket.h>

#include <utility>

namespace sr5n {

ConnectionWatchdog::ConnectionWatchdog(std::chrono::milliseconds limit)
    : m_limit(limit), m_thread([this] { run(); })
{
}

ConnectionWatchdog::~ConnectionWatchdog()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ConnectionWatchdog::arm(int socket)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_depth++ == 0)
            m_cut = false;
        if (!m_cut)
            m_socket = socket;
        m_deadline = std::chrono::steady_clock::now() + m_limit;
    }
    m_changed.notify_all();
}

void ConnectionWatchdog::disarm()
{
    const std::lock_guard lock(m_mutex);
    if (m_depth > 0 && --m_depth == 0)
        m_socket = -1;
}

bool ConnectionWatchdog::cut()
{
    const std::lock_guard lock(m_mutex);
    return m_cut;
}

void ConnectionWatchdog::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_socket < 0) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout && m_socket >= 0 &&
            std::chrono::steady_clock::now() >= m_deadline) {
            // Still armed under the lock: the statement is still waiting on
            // this socket, which its connection cannot close meanwhile.
            ::shutdown(m_socket, SHUT_RDWR);
            m_socket = -1;
            m_cut = true;
        }
    }
}

ConnectionWatch::ConnectionWatch(ConnectionWatchdog *watchdog, int socket)
    : m_watchdog(socket >= 0 ? watchdog : nullptr)
{
    if (m_watchdog)
        m_watchdog->arm(socket);
}

ConnectionWatch::ConnectionWatch(ConnectionWatch &&other) noexcept
    : m_watchdog(std::exchange(other.m_watchdog, nullptr))
{
}

ConnectionWatch::~ConnectionWatch()
{
    if (m_watchdog)
        m_watchdog->disarm();
}

} // namespace sr5n
