#pragma once

// A TCP relay in front of a local server that can be cut: every open connection is dropped
// and the port stops listening, as when the server behind it is stopped.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace TestSupport {

class CutProxy
{
public:
    explicit CutProxy(std::uint16_t target) : m_target(target)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = loopback(0);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_listener, 8);
        socklen_t len = sizeof a;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~CutProxy()
    {
        cut();
        m_thread.join();
    }
    std::uint16_t port() const { return m_port; }
    // Returns once every connection is closed and the port refuses new ones.
    void cut()
    {
        m_cut = true;
        while (!m_closed)
            std::this_thread::yield();
    }

private:
    static sockaddr_in loopback(std::uint16_t port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }
    void run()
    {
        std::vector<std::pair<int, int>> pairs;
        while (!m_cut) {
            std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
            for (auto [a, b] : pairs) {
                fds.push_back({a, POLLIN, 0});
                fds.push_back({b, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                const int client = ::accept(m_listener, nullptr, nullptr);
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in t = loopback(m_target);
                if (::connect(server, reinterpret_cast<sockaddr *>(&t), sizeof t) == 0) {
                    pairs.emplace_back(client, server);
                } else {
                    ::close(client);
                    ::close(server);
                }
            }
            std::vector<bool> ended(pairs.size(), false);
            for (std::size_t i = 1; i < fds.size(); ++i) {
                const std::size_t p = (i - 1) / 2;
                if (ended[p] || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const auto [a, b] = pairs[p];
                const int from = fds[i].fd;
                const int to = from == a ? b : a;
                char buffer[16384];
                const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
                if (n <= 0 || ::send(to, buffer, size_t(n), MSG_NOSIGNAL) != n)
                    ended[p] = true;
            }
            for (std::size_t p = pairs.size(); p-- > 0;) {
                if (ended[p]) {
                    ::close(pairs[p].first);
                    ::close(pairs[p].second);
                    pairs.erase(pairs.begin() + std::ptrdiff_t(p));
                }
            }
        }
        for (auto [a, b] : pairs) {
            ::close(a);
            ::close(b);
        }
        ::close(m_listener);
        m_closed = true;
    }

    std::uint16_t m_target;
    std::uint16_t m_port = 0;
    int m_listener = -1;
    std::atomic<bool> m_cut{false};
    std::atomic<bool> m_closed{false};
    std::thread m_thread;
};

} // namespace TestSupport
