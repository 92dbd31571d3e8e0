#pragma once

// The local test servers (tests/servers/start.sh): Dovecot IMAP 10143 (STARTTLS), IMAPS 10993,
// Postfix 10025 (STARTTLS and AUTH), all on 127.0.0.1 with a throw-away CA in ca.pem; and the
// web server webserver.py on 10080.

#include "mail/mailaccount.h"
#include "mail/mailsession.h"
#include "platform/settingsstore.h"

#include <QFile>
#include <QTcpSocket>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>
#include <memory>

#ifndef LOTWISE_MAIL_SERVERS_DIR
#define LOTWISE_MAIL_SERVERS_DIR ""
#endif

namespace TestServers {

inline QString dir()
{
    const QByteArray env = qgetenv("LOTWISE_MAIL_SERVERS_DIR");
    return env.isEmpty() ? QStringLiteral(LOTWISE_MAIL_SERVERS_DIR) : QString::fromLocal8Bit(env);
}

inline bool listening(quint16 port)
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    return s.waitForConnected(1000);
}

inline bool running()
{
    return QFile::exists(dir() + QStringLiteral("/ca.pem")) && listening(10143) &&
           listening(10993) && listening(10025) && listening(10080);
}

// The account of `user` on the test servers, written to `settings`, its password kept in
// memory only.
inline MailAccount useAccount(SettingsStore &settings, const QString &user, const QString &password,
                              const QString &incoming = QStringLiteral("imaps://127.0.0.1:10993"),
                              const QString &outgoing = QStringLiteral("smtp://127.0.0.1:10025"))
{
    MailPasswords::setKeyringEnabled(false);
    MailAccount a;
    a.incoming = incoming;
    a.outgoing = outgoing;
    a.user = user;
    a.sender = user;
    a.senderName = QStringLiteral("Test ") + user.section(u'@', 0, 0);
    a.extraCaFile = dir() + QStringLiteral("/ca.pem");
    a.save(settings);
    MailPasswords::save(a, password);
    return a;
}

inline QString uniqueSubject(const char *what)
{
    return QString::fromUtf8(what) + u' ' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// The index of the message with `subject` in a signed-on session's inbox, waiting a little for
// delivery; -1 when it does not come.
inline int findMessage(MailSession &session, const QString &subject)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        session.Fetch();
        for (int i = 0; i < session.MsgCount(); ++i) {
            session.setMsgIndex(i);
            if (session.MsgSubject() == subject)
                return i;
        }
        QThread::msleep(100);
    }
    return -1;
}

} // namespace TestServers

#define REQUIRE_SERVERS()                                                                          \
    if (!TestServers::running())                                                                   \
    GTEST_SKIP() << "the test mail servers are not running (tests/servers/start.sh)"
