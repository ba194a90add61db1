#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace sr5n {

// Cuts a connection whose statement runs past a limit. A server that stops
// in the middle of a session (its machine frozen, a VPN gone with the
// connection still open) keeps a client waiting for ever: the system still
// acknowledges what is sent, so neither TCP's limits nor keepalives end the
// wait, and the server's own statement limit never runs. Shutting the socket
// down makes the waiting call fail at once, with the connection lost.
class ConnectionWatchdog final
{
public:
    explicit ConnectionWatchdog(std::chrono::milliseconds limit);
    ~ConnectionWatchdog();

    ConnectionWatchdog(const ConnectionWatchdog &) = delete;
    ConnectionWatchdog &operator=(const ConnectionWatchdog &) = delete;

    std::chrono::milliseconds limit() const { return m_limit; }
    // Watches `socket` from now until the matching disarm(); an arm within
    // another (a statement within a read of its rows) starts the time again.
    void arm(int socket);
    void disarm();
    // True when it cut the connection since the last arm().
    bool cut();

private:
    void run();

    const std::chrono::milliseconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_socket = -1;
    int m_depth = 0;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_cut = false;
    bool m_stop = false;
    std::thread m_thread;
};

// Holds a watchdog armed for as long as it lives (nothing when it has none).
class ConnectionWatch final
{
public:
    ConnectionWatch() = default;
    ConnectionWatch(ConnectionWatchdog *watchdog, int socket);
    ConnectionWatch(ConnectionWatch &&other) noexcept;
    ConnectionWatch &operator=(ConnectionWatch &&) = delete;
    ~ConnectionWatch();

private:
    ConnectionWatchdog *m_watchdog = nullptr;
};

} // namespace sr5n
