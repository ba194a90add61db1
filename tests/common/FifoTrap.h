#pragma once

#include <QString>

#include <atomic>
#include <thread>

namespace sr5n::test {

// A named pipe for code that must never open one. A helper thread notices a
// reader waiting in open() and lets it go by opening the other end, so that
// the fault shows as a failed expectation instead of a hang.
class FifoTrap final
{
public:
    explicit FifoTrap(const QString &path);
    ~FifoTrap();

    FifoTrap(const FifoTrap &) = delete;
    FifoTrap &operator=(const FifoTrap &) = delete;

    bool created() const { return m_created; }
    QString path() const { return m_path; }
    // Whether anything opened the pipe for reading.
    bool readerWaited() const { return m_readerWaited; }

private:
    void watch();

    QString m_path;
    bool m_created = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_readerWaited{false};
    std::thread m_watcher;
};

} // namespace sr5n::test
