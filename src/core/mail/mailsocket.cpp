#include "mailsocket.h"

#include <vmime/exception.hpp>
#include <vmime/net/timeoutHandler.hpp>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// How long one wait on the socket lasts before the timeout handler is asked again.
constexpr int kSliceMs = 1000;
// A connect that has not completed by then counts as an unreachable server.
constexpr int kConnectMs = 15000;

[[noreturn]] void throwErrno(const char *what, int err)
{
    throw vmime::exceptions::socket_exception(std::string(what) + ": " + std::strerror(err));
}

class MailSocket : public vmime::net::socket
{
public:
    explicit MailSocket(std::shared_ptr<vmime::net::timeoutHandler> th)
        : m_timeoutHandler(std::move(th))
    {
    }
    ~MailSocket() override { disconnect(); }

    void connect(const vmime::string &address, const vmime::port_t port) override
    {
        disconnect();
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *list = nullptr;
        const std::string service = std::to_string(port);
        const int rc = ::getaddrinfo(address.c_str(), service.c_str(), &hints, &list);
        if (rc != 0)
            throw vmime::exceptions::connection_error(std::string("Cannot resolve ") + address
                                                      + ": " + ::gai_strerror(rc));
        int lastError = ECONNREFUSED;
        for (addrinfo *ai = list; ai && m_fd < 0; ai = ai->ai_next) {
            const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                    ai->ai_protocol);
            if (fd < 0) {
                lastError = errno;
                continue;
            }
            if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0 && errno != EINPROGRESS) {
                lastError = errno;
                ::close(fd);
                continue;
            }
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, kConnectMs);
            int soError = 0;
            socklen_t len = sizeof soError;
            if (ready <= 0) {
                lastError = ready == 0 ? ETIMEDOUT : errno;
                ::close(fd);
                continue;
            }
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
            if (soError != 0) {
                lastError = soError;
                ::close(fd);
                continue;
            }
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
            char host[NI_MAXHOST] = {};
            ::getnameinfo(ai->ai_addr, ai->ai_addrlen, host, sizeof host, nullptr, 0,
                          NI_NUMERICHOST);
            m_peerAddress = host;
            m_fd = fd;
        }
        ::freeaddrinfo(list);
        if (m_fd < 0)
            throw vmime::exceptions::connection_error(std::string("Cannot connect to ") + address
                                                      + ": " + std::strerror(lastError));
        m_peerName = address;
        if (m_timeoutHandler)
            m_timeoutHandler->resetTimeOut();
    }

    bool isConnected() const override { return m_fd >= 0; }

    void disconnect() override
    {
        if (m_fd >= 0) {
            ::shutdown(m_fd, SHUT_RDWR);
            ::close(m_fd);
            m_fd = -1;
        }
    }

    bool waitForRead(const int msecs) override { return waitFor(POLLIN, msecs); }
    bool waitForWrite(const int msecs) override { return waitFor(POLLOUT, msecs); }

    void receive(vmime::string &buffer) override
    {
        const size_t n = receiveRaw(m_buffer, sizeof m_buffer);
        buffer.assign(reinterpret_cast<const char *>(m_buffer), n);
    }

    // Waits for data instead of returning "would block" at once: the callers only read
    // when they expect an answer, and a reader that polls would spin or sleep between tries.
    size_t receiveRaw(vmime::byte_t *buffer, const size_t count) override
    {
        m_status &= ~STATUS_WOULDBLOCK;
        for (;;) {
            requireConnected();
            const ssize_t n = ::recv(m_fd, buffer, count, 0);
            if (n > 0) {
                // Acknowledge at once. With pipelined commands the server answers in several
                // small writes, and its own Nagle holds the last one until our ACK, which the
                // kernel would otherwise delay by some 40 ms. Linux drops the flag after use.
                const int on = 1;
                ::setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
                if (m_timeoutHandler)
                    m_timeoutHandler->resetTimeOut();
                return size_t(n);
            }
            if (n == 0) {
                disconnect();
                throwErrno("The server closed the connection", ENOTCONN);
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                throwErrno("Receive failed", errno);
            if (!waitFor(POLLIN, kSliceMs))
                checkTimeOut();
        }
    }

    void send(const vmime::string &buffer) override
    {
        sendRaw(reinterpret_cast<const vmime::byte_t *>(buffer.data()), buffer.size());
    }
    void send(const char *str) override
    {
        sendRaw(reinterpret_cast<const vmime::byte_t *>(str), std::strlen(str));
    }

    void sendRaw(const vmime::byte_t *buffer, const size_t count) override
    {
        m_status &= ~STATUS_WOULDBLOCK;
        size_t done = 0;
        while (done < count) {
            const size_t n = sendSome(buffer + done, count - done);
            if (n > 0) {
                done += n;
                if (m_timeoutHandler)
                    m_timeoutHandler->resetTimeOut();
            } else if (!waitFor(POLLOUT, kSliceMs)) {
                checkTimeOut();
            }
        }
    }

    size_t sendRawNonBlocking(const vmime::byte_t *buffer, const size_t count) override
    {
        m_status &= ~STATUS_WOULDBLOCK;
        const size_t n = sendSome(buffer, count);
        if (n == 0)
            m_status |= STATUS_WOULDBLOCK;
        return n;
    }

    size_t getBlockSize() const override { return 16384; }
    unsigned int getStatus() const override { return m_status; }
    const vmime::string getPeerName() const override { return m_peerName; }
    const vmime::string getPeerAddress() const override { return m_peerAddress; }
    std::shared_ptr<vmime::net::timeoutHandler> getTimeoutHandler() override
    {
        return m_timeoutHandler;
    }
    void setTracer(std::shared_ptr<vmime::net::tracer> tracer) override { m_tracer = tracer; }
    std::shared_ptr<vmime::net::tracer> getTracer() override { return m_tracer; }

private:
    void requireConnected() const
    {
        if (m_fd < 0)
            throwErrno("Not connected", ENOTCONN);
    }

    // Sends what the socket takes now; 0 when it would block.
    size_t sendSome(const vmime::byte_t *buffer, size_t count)
    {
        for (;;) {
            requireConnected();
            const ssize_t n = ::send(m_fd, buffer, count, MSG_NOSIGNAL);
            if (n >= 0)
                return size_t(n);
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return 0;
            throwErrno("Send failed", errno);
        }
    }

    bool waitFor(short events, int msecs)
    {
        requireConnected();
        pollfd p{m_fd, events, 0};
        for (;;) {
            const int r = ::poll(&p, 1, msecs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                throwErrno("Waiting on the connection failed", errno);
            return r > 0;
        }
    }

    void checkTimeOut()
    {
        if (!m_timeoutHandler || !m_timeoutHandler->isTimeOut())
            return;
        if (!m_timeoutHandler->handleTimeOut())
            throw vmime::exceptions::operation_timed_out();
        m_timeoutHandler->resetTimeOut();
    }

    std::shared_ptr<vmime::net::timeoutHandler> m_timeoutHandler;
    std::shared_ptr<vmime::net::tracer> m_tracer;
    int m_fd = -1;
    unsigned int m_status = 0;
    std::string m_peerName;
    std::string m_peerAddress;
    vmime::byte_t m_buffer[16384];
};

} // namespace

std::shared_ptr<vmime::net::socket> MailSocketFactory::create()
{
    return std::make_shared<MailSocket>(nullptr);
}

std::shared_ptr<vmime::net::socket>
MailSocketFactory::create(std::shared_ptr<vmime::net::timeoutHandler> th)
{
    return std::make_shared<MailSocket>(std::move(th));
}
