#include "servermailsession.h"

#include "mail/mailsocket.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QFile>

#include <vmime/vmime.hpp>
#include <vmime/net/smtp/SMTPExceptions.hpp>
#include <vmime/security/cert/certificateException.hpp>
#include <vmime/security/cert/defaultCertificateVerifier.hpp>
#include <vmime/security/sasl/defaultSASLAuthenticator.hpp>

#include <ctime>

namespace {

using MimeText::fromUtf8;
using MimeText::utf8;

// One message on a server: the store's object and the key to delete it by.
struct ServerMessage
{
    std::shared_ptr<vmime::net::message> message;
};

// Signs on with the account's user name and password. Derived from the SASL authenticator:
// the plain default one fails against servers that offer PLAIN and LOGIN.
class AccountAuthenticator : public vmime::security::sasl::defaultSASLAuthenticator
{
public:
    AccountAuthenticator(std::string user, std::string password)
        : m_user(std::move(user)), m_password(std::move(password))
    {
    }
    const vmime::string getUsername() const override { return m_user; }
    const vmime::string getPassword() const override { return m_password; }

private:
    std::string m_user;
    std::string m_password;
};

std::vector<std::shared_ptr<vmime::security::cert::X509Certificate>>
certificatesIn(const QString &path)
{
    std::vector<std::shared_ptr<vmime::security::cert::X509Certificate>> certs;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return certs;
    const QByteArray all = f.readAll();
    static const QByteArray begin("-----BEGIN CERTIFICATE-----");
    static const QByteArray end("-----END CERTIFICATE-----");
    qsizetype from = 0;
    for (;;) {
        const qsizetype b = all.indexOf(begin, from);
        if (b < 0)
            break;
        const qsizetype e = all.indexOf(end, b);
        if (e < 0)
            break;
        const QByteArray pem = all.mid(b, e + end.size() - b) + '\n';
        from = e + end.size();
        try {
            auto cert = vmime::security::cert::X509Certificate::import(
                reinterpret_cast<const vmime::byte_t *>(pem.constData()), size_t(pem.size()));
            if (cert)
                certs.push_back(cert);
        } catch (const vmime::exception &) {
            // A broken entry in a bundle does not spoil the others.
        }
    }
    return certs;
}

const std::vector<std::shared_ptr<vmime::security::cert::X509Certificate>> &systemCas()
{
    static const auto cas = [] {
        for (const char *p : {"/etc/ssl/certs/ca-certificates.crt", "/etc/pki/tls/certs/ca-bundle.crt"}) {
            auto certs = certificatesIn(QString::fromLatin1(p));
            if (!certs.empty())
                return certs;
        }
        return std::vector<std::shared_ptr<vmime::security::cert::X509Certificate>>();
    }();
    return cas;
}

// Verifies against the system CAs plus the account's extra CA. An untrusted certificate
// passes only when the account allows it and the server is this machine.
class AccountCertificateVerifier : public vmime::security::cert::certificateVerifier
{
public:
    AccountCertificateVerifier(const MailAccount &account, const QString &host)
        : m_allowUntrusted(account.untrustedAllowedFor(host))
    {
        auto cas = systemCas();
        if (!account.extraCaFile.isEmpty()) {
            const auto extra = certificatesIn(account.extraCaFile);
            cas.insert(cas.end(), extra.begin(), extra.end());
        }
        m_default.setX509RootCAs(cas);
    }

    void verify(std::shared_ptr<vmime::security::cert::certificateChain> chain,
                const vmime::string &hostname) override
    {
        try {
            m_default.verify(chain, hostname);
        } catch (const vmime::security::cert::certificateException &) {
            if (!m_allowUntrusted)
                throw;
        }
    }

private:
    vmime::security::cert::defaultCertificateVerifier m_default;
    bool m_allowUntrusted;
};

template<class T> const T *findInChain(const vmime::exception &e)
{
    for (const vmime::exception *x = &e; x; x = x->other()) {
        if (const auto *hit = dynamic_cast<const T *>(x))
            return hit;
    }
    return nullptr;
}

// The catalogue error for a failure talking to `host`; `fallback` when it is none of the
// connection, certificate or sign-on troubles.
LotwiseError mailError(const vmime::exception &e, const QString &host, int fallback)
{
    const QString what = fromUtf8(e.what());
    if (findInChain<vmime::security::cert::certificateException>(e))
        return LotwiseError(ErrorCode::MailCertificateUntrusted, host);
    if (findInChain<vmime::exceptions::authentication_error>(e))
        return LotwiseError(ErrorCode::MailSignOnRefused, host);
    if (findInChain<vmime::exceptions::connection_error>(e)
        || findInChain<vmime::exceptions::socket_exception>(e)
        || findInChain<vmime::exceptions::operation_timed_out>(e)
        || findInChain<vmime::exceptions::connection_greeting_error>(e)
        || findInChain<vmime::exceptions::tls_exception>(e))
        return LotwiseError(ErrorCode::MailServerUnreachable, host + QStringLiteral(": ") + what);
    return LotwiseError(fallback, host + QStringLiteral(": ") + what);
}

QString vmimeScheme(MailServerAddress::Scheme s)
{
    switch (s) {
    case MailServerAddress::Imap: return QStringLiteral("imap");
    case MailServerAddress::Imaps: return QStringLiteral("imaps");
    case MailServerAddress::Pop3s: return QStringLiteral("pop3s");
    case MailServerAddress::Smtp: return QStringLiteral("smtp");
    case MailServerAddress::Smtps: return QStringLiteral("smtps");
    }
    return {};
}

// Gives up on a server that has not answered for half a minute. (VMime's own factory is
// not exported by the library.)
class PatientTimeoutHandler : public vmime::net::timeoutHandler
{
public:
    bool isTimeOut() override { return std::time(nullptr) - m_start >= 30; }
    void resetTimeOut() override { m_start = std::time(nullptr); }
    bool handleTimeOut() override { return false; }

private:
    std::time_t m_start = std::time(nullptr);
};

class PatientTimeoutFactory : public vmime::net::timeoutHandlerFactory
{
public:
    std::shared_ptr<vmime::net::timeoutHandler> create() override
    {
        return std::make_shared<PatientTimeoutHandler>();
    }
};

void prepareService(vmime::net::service &service, const MailServerAddress &address,
                    const MailAccount &account)
{
    service.setSocketFactory(std::make_shared<MailSocketFactory>());
    service.setTimeoutHandlerFactory(std::make_shared<PatientTimeoutFactory>());
    service.setCertificateVerifier(
        std::make_shared<AccountCertificateVerifier>(account, address.host));
    service.setProperty("options.sasl", true);
    service.setProperty("options.sasl.fallback", true);
    if (address.usesStartTls()) {
        service.setProperty("connection.tls", true);
        service.setProperty("connection.tls.required", true);
    }
}

} // namespace

struct ServerMailSession::Server
{
    std::shared_ptr<vmime::net::session> session;
    std::optional<MailServerAddress> incoming;
    std::optional<MailServerAddress> outgoing;
    std::string user;
    std::string password;
    std::shared_ptr<vmime::net::store> store;
    std::shared_ptr<vmime::net::folder> folder;
    std::shared_ptr<vmime::net::transport> transport;
    std::vector<ServerMessage> fetched;

    void closeTransport()
    {
        if (!transport)
            return;
        try {
            if (transport->isConnected())
                transport->disconnect();
        } catch (const vmime::exception &) {
        }
        transport.reset();
    }

    void close()
    {
        closeTransport();
        try {
            if (folder && folder->isOpen())
                folder->close(incoming && incoming->scheme == MailServerAddress::Pop3s);
        } catch (const vmime::exception &) {
        }
        try {
            if (store && store->isConnected())
                store->disconnect();
        } catch (const vmime::exception &) {
        }
        folder.reset();
        store.reset();
        fetched.clear();
    }
};

ServerMailSession::ServerMailSession(const MailAccount &account, const QString &password)
    : m_account(account)
{
    auto server = std::make_unique<Server>();
    server->incoming = MailServerAddress::parse(m_account.incoming);
    server->outgoing = MailServerAddress::parse(m_account.outgoing);
    server->user = utf8(m_account.user);
    server->password = utf8(password);
    server->session = vmime::net::session::create();
    const MailServerAddress &in = *server->incoming;
    try {
        const vmime::utility::url url(utf8(vmimeScheme(in.scheme)), utf8(in.host),
                                      vmime::port_t(in.port));
        server->store = server->session->getStore(
            url, std::make_shared<AccountAuthenticator>(server->user, server->password));
        prepareService(*server->store, in, m_account);
        server->store->connect();
        server->folder = server->store->getDefaultFolder();
        server->folder->open(vmime::net::folder::MODE_READ_WRITE);
    } catch (const vmime::exception &e) {
        server->close();
        throw mailError(e, in.host, ErrorCode::MailboxNotReadable);
    }
    m_server = std::move(server);
}

ServerMailSession::~ServerMailSession() { m_server->close(); }

int ServerMailSession::fetch()
{
    Server &s = *m_server;
    s.fetched.clear();
    try {
        // Reopened so that mail delivered since the last fetch is seen.
        if (s.folder->isOpen())
            s.folder->close(false);
        s.folder->open(vmime::net::folder::MODE_READ_WRITE);
        const size_t count = s.folder->getMessageCount();
        if (count > 0) {
            auto list = s.folder->getMessages(vmime::net::messageSet::byNumber(1, count));
            s.folder->fetchMessages(list, vmime::net::fetchAttributes::UID);
            for (auto &m : list)
                s.fetched.push_back({m});
        }
    } catch (const vmime::exception &e) {
        throw mailError(e, s.incoming->host, ErrorCode::MailboxNotReadable);
    }
    return int(s.fetched.size());
}

QByteArray ServerMailSession::raw(int index) const
{
    try {
        std::string bytes;
        vmime::utility::outputStreamStringAdapter os(bytes);
        m_server->fetched[size_t(index)].message->extract(os, nullptr, 0, size_t(-1), true);
        return QByteArray::fromStdString(bytes);
    } catch (const vmime::exception &ex) {
        throw mailError(ex, m_server->incoming->host, ErrorCode::MailboxNotReadable);
    }
}

void ServerMailSession::remove(int index)
{
    Server &s = *m_server;
    const auto &message = s.fetched[size_t(index)].message;
    try {
        if (s.incoming->scheme == MailServerAddress::Pop3s) {
            // POP3 removes the message when the session ends.
            s.folder->deleteMessages(vmime::net::messageSet::byNumber(message->getNumber()));
        } else {
            s.folder->deleteMessages(vmime::net::messageSet::byUID(message->getUID()));
            s.folder->expunge();
        }
    } catch (const vmime::exception &ex) {
        throw mailError(ex, s.incoming->host, ErrorCode::MailboxNotReadable);
    }
    s.fetched.erase(s.fetched.begin() + index);
}

void ServerMailSession::send(const OutgoingMail &mail)
{
    Server &s = *m_server;
    if (!s.outgoing)
        throw LotwiseError(ErrorCode::MailServerUnreachable,
                           m_account.outgoing.isEmpty()
                               ? QStringLiteral("No outgoing mail server is set up.")
                               : m_account.outgoing + QStringLiteral(" is not a mail server address."));
    const MailServerAddress &out = *s.outgoing;
    // The bytes go out exactly as built; handing VMime a message object would generate it anew.
    std::string raw = buildMail(mail).toStdString();
    // The transport ends the data with CR LF "." CR LF of its own.
    if (raw.size() >= 2 && raw.compare(raw.size() - 2, 2, "\r\n") == 0)
        raw.resize(raw.size() - 2);
    vmime::mailboxList recipients;
    recipients.appendMailbox(std::make_shared<vmime::mailbox>(vmime::emailAddress(utf8(mail.recipient))));
    const vmime::mailbox expeditor{vmime::emailAddress(utf8(mail.senderAddress))};
    try {
        // One connection for the whole session, so a batch does not sign on per message.
        if (!s.transport || !s.transport->isConnected()) {
            s.closeTransport();
            const vmime::utility::url url(utf8(vmimeScheme(out.scheme)), utf8(out.host),
                                          vmime::port_t(out.port));
            s.transport = s.session->getTransport(
                url, std::make_shared<AccountAuthenticator>(s.user, s.password));
            prepareService(*s.transport, out, m_account);
            s.transport->setProperty("options.need-authentication", true);
            s.transport->connect();
        }
        vmime::utility::inputStreamStringAdapter data(raw);
        s.transport->send(expeditor, recipients, data, raw.size());
    } catch (const vmime::exceptions::command_error &e) {
        // With pipelining a refused command leaves answers unread on the connection; the
        // next message starts on a fresh one.
        s.closeTransport();
        const auto *smtp = dynamic_cast<const vmime::net::smtp::SMTPCommandError *>(&e);
        const QString command = fromUtf8(e.command()).toUpper();
        const QString detail = out.host + QStringLiteral(": ") + fromUtf8(e.response()).trimmed();
        if (command.startsWith(u"RCPT"))
            throw LotwiseError(ErrorCode::MailRecipientRefused, mail.recipient + QStringLiteral(" (")
                                                                    + detail + u')');
        if (smtp && (smtp->statusCode() == 550 || smtp->statusCode() == 553)
            && command.startsWith(u"MAIL"))
            throw LotwiseError(ErrorCode::MailMessageRefused, detail);
        throw mailError(e, out.host, ErrorCode::MailMessageRefused);
    } catch (const vmime::exception &e) {
        // A dropped connection is opened afresh by the next send.
        s.closeTransport();
        throw mailError(e, out.host, ErrorCode::MailMessageRefused);
    }
}
