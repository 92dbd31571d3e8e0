#include "mailaccount.h"

#include "platform/prompts.h"
#include "platform/keyring.h"
#include "platform/settingsstore.h"

#include <QUrl>

namespace {

const QString kGroup = QStringLiteral("Mail");

QString yesNo(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

// The keyring entry names the user and the server, so two accounts never share one.
QString keyFor(const MailAccount &account)
{
    return account.user.trimmed() + u'@' + account.incoming.trimmed();
}

} // namespace

std::optional<MailServerAddress> MailServerAddress::parse(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return std::nullopt;
    if (!url.path().isEmpty() && url.path() != u"/")
        return std::nullopt;
    MailServerAddress a;
    int defaultPort = 0;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"imap") {
        a.scheme = Imap;
        defaultPort = 143;
    } else if (scheme == u"imaps") {
        a.scheme = Imaps;
        defaultPort = 993;
    } else if (scheme == u"pop3s") {
        a.scheme = Pop3s;
        defaultPort = 995;
    } else if (scheme == u"smtp") {
        a.scheme = Smtp;
        defaultPort = 587;
    } else if (scheme == u"smtps") {
        a.scheme = Smtps;
        defaultPort = 465;
    } else {
        return std::nullopt;
    }
    a.host = url.host();
    a.port = url.port(defaultPort);
    if (a.port <= 0 || a.port > 65535)
        return std::nullopt;
    return a;
}

bool MailAccount::untrustedAllowedFor(const QString &host) const
{
    return allowUntrusted && host == u"127.0.0.1";
}

MailAccount MailAccount::read(const SettingsStore &settings)
{
    MailAccount a;
    const auto get = [&](const char *key) {
        return settings.read(kGroup, QString::fromLatin1(key), QString()).trimmed();
    };
    a.incoming = get("Incoming");
    a.outgoing = get("Outgoing");
    a.user = get("User");
    a.sender = get("Sender");
    a.senderName = get("SenderName");
    a.extraCaFile = get("ExtraCaFile");
    a.allowUntrusted = get("AllowUntrusted") == u"1";
    return a;
}

void MailAccount::save(SettingsStore &settings) const
{
    settings.save(kGroup, QStringLiteral("Incoming"), incoming.trimmed());
    settings.save(kGroup, QStringLiteral("Outgoing"), outgoing.trimmed());
    settings.save(kGroup, QStringLiteral("User"), user.trimmed());
    settings.save(kGroup, QStringLiteral("Sender"), sender.trimmed());
    settings.save(kGroup, QStringLiteral("SenderName"), senderName.trimmed());
    settings.save(kGroup, QStringLiteral("ExtraCaFile"), extraCaFile.trimmed());
    settings.save(kGroup, QStringLiteral("AllowUntrusted"), yesNo(allowUntrusted));
    settings.sync();
}

namespace MailPasswords {

std::optional<QString> read(const MailAccount &account) { return Keyring::read(keyFor(account)); }

void save(const MailAccount &account, const QString &password)
{
    Keyring::save(keyFor(account), password);
}

void forget(const MailAccount &account) { Keyring::forget(keyFor(account)); }

void setKeyringEnabled(bool enabled) { Keyring::setEnabled(enabled); }

} // namespace MailPasswords

LogonDetails MailAccount::toLogonDetails() const
{
    LogonDetails d;
    d.useLocalFolders = isLocal();
    d.incoming = incoming;
    d.outgoing = outgoing;
    d.user = user;
    d.sender = sender;
    d.senderName = senderName;
    return d;
}

void MailAccount::takeLogonDetails(const LogonDetails &d)
{
    if (d.useLocalFolders) {
        incoming.clear();
        outgoing.clear();
    } else {
        incoming = d.incoming.trimmed();
        outgoing = d.outgoing.trimmed();
        user = d.user.trimmed();
    }
    sender = d.sender.trimmed();
    senderName = d.senderName.trimmed();
}
