#pragma once

#include "platform/settingsstore.h"

#include "mail/mailsession.h"
#include "platform/lotwiseerror.h"

#include <QList>
#include <functional>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace TestSupport {

struct SentMail
{
    QString to, subject, body;
};

// What a batch hands to the mail system, kept in memory. Addresses in `refuse` fail the
// send with `refuseError`.
struct MailLog
{
    QList<SentMail> inbox; // subject and body; "to" unused
    QList<SentMail> sent;
    QSet<QString> refuse;
    int refuseError = 32014;
    // Subjects of inbox messages whose text cannot be read any more (gone from the server).
    QSet<QString> unreadable;
    // Sign-on is refused (a wrong password, say).
    bool refuseSignOn = false;
    // Runs after each accepted mail, with the number accepted so far.
    std::function<void(int sent)> afterSend;
};

class FakeMailSession : public MailSession
{
public:
    explicit FakeMailSession(std::shared_ptr<MailLog> log) : m_log(std::move(log)) {}
    void SignOn(bool, bool) override
    {
        if (m_log->refuseSignOn)
            throw LotwiseError(32003);
        m_on = true;
    }
    void SignOff() override { m_on = false; }
    bool isSignedOn() const override { return m_on; }
    void Fetch() override
    {
        m_set = m_log->inbox;
        m_index = m_set.isEmpty() ? -1 : 0;
    }
    int MsgCount() const override { return int(m_set.size()); }
    void setMsgIndex(int i) override
    {
        if (i < 0 || i >= m_set.size())
            throw LotwiseError(380);
        m_index = i;
    }
    int msgIndex() const override { return m_index; }
    QString MsgSubject() const override { return m_set.value(m_index).subject; }
    QString MsgNoteText() const override
    {
        if (m_log->unreadable.contains(MsgSubject()))
            throw LotwiseError(32017, MsgSubject());
        return m_set.value(m_index).body;
    }
    void Delete() override
    {
        setMsgIndex(m_index);
        const SentMail gone = m_set.takeAt(m_index);
        for (qsizetype i = 0; i < m_log->inbox.size(); ++i) {
            if (m_log->inbox[i].subject == gone.subject && m_log->inbox[i].body == gone.body) {
                m_log->inbox.removeAt(i);
                break;
            }
        }
    }
    void Compose() override { m_mail = {}; }
    void setRecipAddress(const QString &a) override { m_mail.to = a; }
    void setMsgSubject(const QString &s) override { m_mail.subject = s; }
    void setMsgNoteText(const QString &b) override { m_mail.body = b; }
    void Send() override
    {
        if (m_log->refuse.contains(m_mail.to))
            throw LotwiseError(m_log->refuseError, m_mail.to);
        m_log->sent.append(m_mail);
        if (m_log->afterSend)
            m_log->afterSend(int(m_log->sent.size()));
    }

private:
    std::shared_ptr<MailLog> m_log;
    SentMail m_mail;
    QList<SentMail> m_set;
    int m_index = -1;
    bool m_on = false;
};

// A web server on 127.0.0.1 inside the test process: the online check's page fetch runs a
// local event loop, which serves it.
class LocalWebServer
{
public:
    struct Page
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
    };
    LocalWebServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    Page page; // what "/" answers
    QByteArray location; // where every answer redirects to, with a 3xx status

private:
    void answer(QTcpSocket *s)
    {
        if (!s->canReadLine())
            return;
        s->readAll();
        const Page p = page;
        QTimer::singleShot(p.delayMs, s, [s, p, location = location] {
            s->write("HTTP/1.1 " + QByteArray::number(p.status) +
                     (p.status == 200 ? " OK" : " Error") +
                     (location.isEmpty() ? QByteArray() : "\r\nLocation: " + location) +
                     "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                     QByteArray::number(p.body.size()) + "\r\nConnection: close\r\n\r\n" + p.body);
            s->disconnectFromHost();
        });
    }
    QTcpServer m_server;
};

// Points the online check at `web`, whose home page answers: the window is online.
inline void serveHomePage(LocalWebServer &web, SettingsStore &settings)
{
    settings.save(QStringLiteral("Endpoints"), QStringLiteral("AuctionSite"), web.address());
    web.page.body = "<html><p>Welcome back.</p></html>";
}

// One message through a signed-on session, as the senders of the program compose it.
inline void sendThrough(MailSession &session, const QString &to, const QString &subject,
                        const QString &body)
{
    session.Compose();
    session.setRecipAddress(to);
    session.setMsgSubject(subject);
    session.setMsgNoteText(body);
    session.Send();
}

} // namespace TestSupport
