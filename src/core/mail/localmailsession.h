#pragma once

#include "mail/mailbackend.h"
#include "mail/mimetext.h"

#include <QString>
#include <QStringList>

// The local mail folders under the application folder: Mail/Inbox is read, and Mail/Outbox
// receives every sent message as a MIME file, both Maildir folders.
class LocalMailSession : public MailBackend
{
public:
    // Makes both folders when they are missing.
    explicit LocalMailSession(const QString &appFolder);

    int fetch() override;
    QByteArray raw(int index) const override;
    void remove(int index) override;
    void send(const OutgoingMail &mail) override;

private:
    QString m_mail;
    QStringList m_paths; // the inbox's files, in delivery order
};
