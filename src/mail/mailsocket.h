#pragma once

#include <vmime/net/socket.hpp>

// The TCP socket our mail connections run on. It differs from VMime's own in one thing that
// matters: TCP_NODELAY is on. VMime writes a message's data in several small TLS records, and
// with Nagle's rule each message would wait for the server's delayed ACK (about 40 ms), which
// limits a batch to some twenty messages a second.
class MailSocketFactory : public vmime::net::socketFactory
{
public:
    std::shared_ptr<vmime::net::socket> create() override;
    std::shared_ptr<vmime::net::socket>
    create(std::shared_ptr<vmime::net::timeoutHandler> th) override;
};
