#pragma once

#include <QByteArray>

struct OutgoingMail;

// Where a signed-on session reads, deletes and sends: the local Maildir folders
// (LocalMailSession) or the account's servers (ServerMailSession). Opening one signs on;
// destroying it signs off. Every failure throws LotwiseError.
class MailBackend
{
public:
    virtual ~MailBackend() = default;
    // Reads the inbox afresh: the number of its messages, in delivery order.
    virtual int fetch() = 0;
    // The bytes of message `index` of the last fetch, as delivered.
    virtual QByteArray raw(int index) const = 0;
    // Removes message `index` of the last fetch from the mailbox; those after it move up.
    virtual void remove(int index) = 0;
    // Delivers a checked message.
    virtual void send(const OutgoingMail &mail) = 0;
};
