#pragma once

#include "mail/mailsession.h"

#include <QWidget>
#include <functional>
#include <memory>

class LogonForm;
class SettingsStore;

// The options window's "Mail Account" tab: the account of the mail session, written to the
// settings (the password to the keyring) as each field is left, and a sign-on test.
class MailAccountPage : public QWidget
{
    Q_OBJECT
public:
    using SessionFactory = std::function<std::unique_ptr<MailSession>()>;
    MailAccountPage(SettingsStore &settings, SessionFactory factory, QWidget *parent = nullptr);

    // Shows the account as the settings hold it.
    void load();
    // "Test Sign-On": saves, signs on with a session of its own, says how it went.
    void testSignOn();
    // Whether the account was changed since the last call.
    bool takeChanged() { return std::exchange(m_changed, false); }

private:
    void save();

    SettingsStore &m_settings;
    SessionFactory m_factory;
    LogonForm *m_form = nullptr;
    bool m_changed = false;
};
