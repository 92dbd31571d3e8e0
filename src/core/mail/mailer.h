#pragma once

#include "mail/mailsession.h"

#include <QString>
#include <functional>
#include <memory>

class SettingsStore;

// The program's one mail session and what it does with it: opening it at start-up, signing
// on afresh with the inbox fetched, sending one message with the footer, and the online
// check the senders ask before sending. Each operation traps its own failures, hands them to
// the error handler under its location text and reports false.
class Mailer
{
public:
    using SessionFactory = std::function<std::unique_ptr<MailSession>()>;

    Mailer(SettingsStore &settings, QString appFolder);
    ~Mailer();

    // Where sessions come from; without one, signing on fails with a clear reason.
    void setSessionFactory(SessionFactory factory) { m_factory = std::move(factory); }

    // Opens the session unless one is open.
    bool LogOn();
    // Signs off and on again with the inbox brought up to date, and fetches every message.
    bool FetchNewMail();
    void SignOff();
    // The session while one is open, else nullptr.
    MailSession *session() const { return m_newSession ? m_session.get() : nullptr; }

    // Sends Email.txt of the application folder with the footer. True only when the mail
    // system accepted the message.
    bool SendEmail(const QString &address, const QString &subject);
    // Sends a body, with the footer unless told otherwise. Failures are thrown to the
    // caller, so that it can tell a refused address from other failures.
    void sendBody(const QString &address, const QString &subject, const QString &body,
                  bool withFooter = true);

    // Fetches the auction site's home page; online when it comes with a successful answer
    // (2xx, redirects followed), offline when the site answers with an error. When no answer
    // comes at all the check has failed: the error handler is told and the flag stays as it
    // was.
    bool CheckOnline();
    bool online() const { return m_online; }
    // Why the last answer meant offline ("" when it did not).
    const QString &offlineReason() const { return m_offlineReason; }
    // The text of the last page fetched ("" when the fetch failed).
    const QString &pageText() const { return m_pageText; }
    void setFetchTimeout(int ms) { m_timeoutMs = ms; }

    // Tells the user that nothing can be sent while offline.
    static void sayNotOnline();

    // The lines every message ends with.
    static QString footer(const SettingsStore &settings);

private:
    void signOn(bool downloadMail);

    SettingsStore &m_settings;
    QString m_appFolder;
    SessionFactory m_factory;
    std::unique_ptr<MailSession> m_session;
    bool m_newSession = false;
    bool m_online = false;
    QString m_pageText;
    QString m_offlineReason;
    int m_timeoutMs = 10000;
};
