#pragma once

#include "mail/mailaccount.h"
#include "mail/mailbackend.h"
#include "mail/mimetext.h"

#include <memory>

// The account's servers on VMime: IMAP/IMAPS or POP3S to read, SMTP/SMTPS to send, over one
// sending connection for the whole session.
class ServerMailSession : public MailBackend
{
public:
    // Signs on to the incoming server; a refused password fails with MailSignOnRefused.
    ServerMailSession(const MailAccount &account, const QString &password);
    ~ServerMailSession() override;

    int fetch() override;
    QByteArray raw(int index) const override;
    void remove(int index) override;
    void send(const OutgoingMail &mail) override;

private:
    struct Server;
    MailAccount m_account;
    std::unique_ptr<Server> m_server;
};
