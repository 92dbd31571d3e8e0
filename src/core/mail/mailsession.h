#pragma once

#include <QString>
#include <memory>

class SettingsStore;

// The mail session the program reads and sends through: sign on and off, the fetched
// message set of the inbox with a current message, and one outgoing message at a time.
// Every failure throws LotwiseError with a number of the error catalogue.
class MailSession
{
public:
    virtual ~MailSession() = default;

    // Opens the session. With `downloadMail` the inbox is brought up to date first. When
    // the account cannot sign on (not set up, password refused) and `logonUI` is true, the
    // logon dialog is asked through the prompt interface; cancelling it fails the sign-on.
    virtual void SignOn(bool downloadMail, bool logonUI) = 0;
    virtual void SignOff() = 0;
    virtual bool isSignedOn() const = 0;

    // Every message of the inbox, read and unread, in the server's order. Index 0 becomes
    // current when there is one.
    virtual void Fetch() = 0;
    virtual int MsgCount() const = 0;
    // Selects the current message; an index outside 0 .. MsgCount() - 1 fails with 380.
    virtual void setMsgIndex(int index) = 0;
    virtual int msgIndex() const = 0;
    virtual QString MsgSubject() const = 0;
    // The text of the current message with CR LF line ends: its text/plain part decoded,
    // or, when it has only HTML, that HTML turned into plain text.
    virtual QString MsgNoteText() const = 0;
    // Removes the current message from the mailbox and from the set.
    virtual void Delete() = 0;

    // A new outgoing message, then its one recipient, subject and body, then Send. A
    // recipient or subject holding CR or LF is refused. An unknown recipient fails with
    // 32014 (the mail system refused it) or 32025 (not a valid address).
    virtual void Compose() = 0;
    virtual void setRecipAddress(const QString &address) = 0;
    virtual void setMsgSubject(const QString &subject) = 0;
    virtual void setMsgNoteText(const QString &body) = 0;
    virtual void Send() = 0;
};

// The session on the account kept in the settings group "Mail"; with no account set up,
// the local mail folders under `appFolder`: Mail/Inbox is read and Mail/Outbox receives
// every sent message as a MIME file.
std::unique_ptr<MailSession> createMailSession(SettingsStore &settings, const QString &appFolder);
