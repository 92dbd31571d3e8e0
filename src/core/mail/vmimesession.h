#pragma once

#include "mail/mailaccount.h"
#include "mail/mailsession.h"
#include "mail/mimetext.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// The session on VMime: Maildir folders for the local account, IMAP/IMAPS or POP3S plus
// SMTP/SMTPS for a server account.
class VmimeSession : public MailSession
{
public:
    VmimeSession(SettingsStore &settings, const QString &appFolder);
    ~VmimeSession() override;

    void SignOn(bool downloadMail, bool logonUI) override;
    void SignOff() override;
    bool isSignedOn() const override { return m_signedOn; }

    void Fetch() override;
    int MsgCount() const override { return int(m_messages.size()); }
    void setMsgIndex(int index) override;
    int msgIndex() const override { return m_index; }
    QString MsgSubject() const override;
    QString MsgNoteText() const override;
    void Delete() override;

    void Compose() override;
    void setRecipAddress(const QString &address) override;
    void setMsgSubject(const QString &subject) override;
    void setMsgNoteText(const QString &body) override;
    void Send() override;

private:
    struct Server;
    struct Entry
    {
        QString path;          // local: the message file
        std::size_t item = 0;  // server: position in the server's fetched list
        mutable std::optional<MailContent> content;
    };

    void requireSignedOn() const;
    void openLocal();
    void openServer(const QString &password);
    const MailContent &current() const;
    void sendLocal(const QByteArray &raw);
    void sendServer(const OutgoingMail &mail);
    OutgoingMail outgoing() const;

    SettingsStore &m_settings;
    QString m_appFolder;
    MailAccount m_account;
    std::unique_ptr<Server> m_server;
    bool m_signedOn = false;
    QList<Entry> m_messages;
    int m_index = -1;

    bool m_composing = false;
    QString m_recipient;
    QString m_subject;
    QString m_body;
};
