#pragma once

// The local test servers (tests/servers/start.sh): Dovecot IMAP 10143 (STARTTLS), IMAPS 10993,
// IMAPS 10994 with an untrusted certificate, Postfix 10025 (STARTTLS and AUTH), all on
// 127.0.0.1 with a throw-away CA in ca.pem. Under CTest, which starts them for the tests
// (LOTWISE_MAIL_REQUIRED), a server that is not there fails the test; run by hand, it skips.

#include "mail/mailaccount.h"
#include "mail/mailsession.h"
#include "platform/settingsstore.h"
#include "support/fakemail.h"
#include "support/testsupport.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTcpSocket>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>
#include <initializer_list>
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

// What of the servers a test needs is not there, "" when all are: the CA and the
// listeners on 10143, 10993, 10025 and `more`.
inline QString missing(std::initializer_list<quint16> more = {})
{
    if (!QFile::exists(dir() + QStringLiteral("/ca.pem")))
        return dir() + QStringLiteral("/ca.pem");
    QStringList down;
    for (const std::initializer_list<quint16> &ports : {{10143, 10993, 10025}, more}) {
        for (const quint16 port : ports) {
            if (!listening(port))
                down << QString::number(port);
        }
    }
    return down.isEmpty() ? QString() : QStringLiteral("no listener on ") + down.join(u' ');
}

inline bool required() { return qEnvironmentVariableIsSet("LOTWISE_MAIL_REQUIRED"); }

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

// The indexes of the messages with `subject` (and, when given, a body containing
// `containing`) in a signed-on session's inbox, waiting up to five seconds for `expected` of
// them to be delivered.
inline QList<int> findMessages(MailSession &session, const QString &subject, int expected,
                               const QString &containing = {})
{
    QList<int> found;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        found.clear();
        session.Fetch();
        for (int i = 0; i < session.MsgCount(); ++i) {
            session.setMsgIndex(i);
            if (session.MsgSubject() == subject && session.MsgNoteText().contains(containing))
                found << i;
        }
        if (found.size() >= expected)
            break;
    }
    return found;
}

// The index of the message with `subject`, the current one then; -1 when it does not come.
inline int findMessage(MailSession &session, const QString &subject)
{
    const QList<int> found = findMessages(session, subject, 1);
    if (found.isEmpty())
        return -1;
    session.setMsgIndex(found[0]);
    return found[0];
}

// A user of the test servers with a session of its own, not signed on yet.
struct MailUser
{
    TestSupport::TempFolder folder;
    SettingsStore settings{folder.file(QStringLiteral("settings.ini"))};
    std::unique_ptr<MailSession> session;

    MailUser(const QString &user, const QString &password,
             const QString &incoming = QStringLiteral("imaps://127.0.0.1:10993"))
    {
        useAccount(settings, user, password, incoming);
        session = createMailSession(settings, folder.path());
    }
    void send(const QString &to, const QString &subject, const QString &body)
    {
        TestSupport::sendThrough(*session, to, subject, body);
    }
    int find(const QString &subject) { return findMessage(*session, subject); }
    // The bodies of the messages with `subject`, once `expected` of them have come.
    QStringList bodies(const QString &subject, int expected, const QString &containing = {})
    {
        QStringList out;
        for (const int i : findMessages(*session, subject, expected, containing)) {
            session->setMsgIndex(i);
            out << session->MsgNoteText();
        }
        return out;
    }
};

} // namespace TestServers

// The test servers a case needs, with the listeners of further ports: skipped without them,
// failed under CTest.
#define REQUIRE_SERVERS(...)                                                                       \
    if (const QString missing_ = TestServers::missing({__VA_ARGS__}); missing_.isEmpty()) {        \
    } else if (TestServers::required())                                                            \
        FAIL() << "the test mail servers are not all running: " << missing_.toStdString();         \
    else                                                                                           \
        GTEST_SKIP() << "the test mail servers are not running (tests/servers/start.sh)"
