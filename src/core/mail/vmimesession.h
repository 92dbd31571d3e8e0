#pragma once

#include "mail/mailaccount.h"
#include "mail/mailbackend.h"
#include "mail/mailsession.h"
#include "mail/mimetext.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

// The session on the account kept in the settings. Each sign-on reads the account afresh
// and opens what it names, the local folders or the servers (asking the logon dialog when
// the servers refuse); the fetched set, its current message and the message being composed
// are kept here, whichever it is.
class VmimeSession : public MailSession
{
public:
    VmimeSession(SettingsStore &settings, const QString &appFolder);
    ~VmimeSession() override;

    void SignOn(bool downloadMail, bool logonUI) override;
    void SignOff() override;
    bool isSignedOn() const override { return m_backend != nullptr; }

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
    void requireSignedOn() const;
    const MailContent &current() const;
    OutgoingMail outgoing() const;

    SettingsStore &m_settings;
    QString m_appFolder;
    MailAccount m_account;
    std::unique_ptr<MailBackend> m_backend;
    // A message is read and decoded when it is first asked for.
    mutable QList<std::optional<MailContent>> m_messages;
    int m_index = -1;

    bool m_composing = false;
    QString m_recipient;
    QString m_subject;
    QString m_body;
};
