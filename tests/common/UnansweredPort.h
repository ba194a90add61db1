#pragma once

#include <QtGlobal>

#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sr5n::test {

// A loopback port whose connections are never answered: its listen queue is
// kept full, so the system drops every further connection request unanswered
// and the caller waits as for a server that is switched off.
class UnansweredPort
{
public:
    UnansweredPort()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), size) ||
            ::listen(m_listener, 0) ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size))
            return;
        m_port = ntohs(address.sin_port);
        for (int i = 0; i < 2; ++i) {
            const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
            ::fcntl(filler, F_SETFL, O_NONBLOCK);
            ::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
            m_fillers.push_back(filler);
        }
        ::usleep(100000); // the first filler's handshake fills the queue
    }
    ~UnansweredPort()
    {
        for (const int filler : m_fillers)
            ::close(filler);
        if (m_listener >= 0)
            ::close(m_listener);
    }
    UnansweredPort(const UnansweredPort &) = delete;
    UnansweredPort &operator=(const UnansweredPort &) = delete;

    quint16 port() const { return m_port; }

private:
    int m_listener = -1;
    quint16 m_port = 0;
    std::vector<int> m_fillers;
};

} // namespace sr5n::test
