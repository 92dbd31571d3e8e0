#pragma once

#include <vmime/net/socket.hpp>

// The TCP socket our mail connections run on. It differs from VMime's own in what matters for
// a batch: TCP_NODELAY is on, because VMime writes a message's data in several small TLS
// records and Nagle's rule would hold the later ones for the server's delayed ACK; and every
// read is acknowledged at once (TCP_QUICKACK), because the server's answers to pipelined
// commands come in small writes that its own Nagle holds for our ACK. Either wait costs about
// 40 ms a message, which would limit a batch to some twenty messages a second.
class MailSocketFactory : public vmime::net::socketFactory
{
public:
    std::shared_ptr<vmime::net::socket> create() override;
    std::shared_ptr<vmime::net::socket>
    create(std::shared_ptr<vmime::net::timeoutHandler> th) override;
};
