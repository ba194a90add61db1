#include "common/FifoTrap.h"

#include <QFile>

#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sr5n::test {

FifoTrap::FifoTrap(const QString &path) : m_path(path)
{
    m_created = ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (m_created)
        m_watcher = std::thread([this] { watch(); });
}

FifoTrap::~FifoTrap()
{
    m_stop = true;
    if (m_watcher.joinable())
        m_watcher.join();
}

void FifoTrap::watch()
{
    const QByteArray name = QFile::encodeName(m_path);
    while (!m_stop) {
        // Opening the writing end without blocking succeeds only while a reader has the pipe open.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            m_readerWaited = true;
            ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace sr5n::test
