#pragma once

#include <QString>
#include <optional>

class SettingsStore;
struct LogonDetails;

// A server address of the mail account as the user writes it: scheme://host:port.
struct MailServerAddress
{
    enum Scheme { Imap, Imaps, Pop3s, Smtp, Smtps };
    Scheme scheme = Imap;
    QString host;
    int port = 0;

    bool isIncoming() const { return scheme == Imap || scheme == Imaps || scheme == Pop3s; }
    // Plain IMAP and SMTP are only ever used with STARTTLS required.
    bool usesStartTls() const { return scheme == Imap || scheme == Smtp; }
    // Parses imap://, imaps://, pop3s://, smtp:// and smtps:// addresses; a missing port
    // takes the scheme's usual one. Nothing for anything else.
    static std::optional<MailServerAddress> parse(const QString &text);
};

// The account in the settings group "Mail". No incoming address means the local mail
// folders. The password is never part of it: see MailPasswords.
struct MailAccount
{
    QString incoming;
    QString outgoing;
    QString user;
    QString sender;
    QString senderName;
    // A CA file trusted beside the system's, for a test or company server.
    QString extraCaFile;
    // Honoured only for a server on 127.0.0.1.
    bool allowUntrusted = false;

    bool isLocal() const { return incoming.trimmed().isEmpty(); }
    bool untrustedAllowedFor(const QString &host) const;

    // The account as the logon form shows it (without the password), and back: with the
    // local folders chosen the server addresses are cleared and the user kept.
    LogonDetails toLogonDetails() const;
    void takeLogonDetails(const LogonDetails &details);

    static MailAccount read(const SettingsStore &settings);
    void save(SettingsStore &settings) const;
};

// The account's password: in the desktop keyring (service "Lotwise") when one answers,
// otherwise only in memory for the rest of the run.
namespace MailPasswords {
std::optional<QString> read(const MailAccount &account);
void save(const MailAccount &account, const QString &password);
void forget(const MailAccount &account);
// Tests and machines without a keyring turn the keyring off; the memory still works.
void setKeyringEnabled(bool enabled);
} // namespace MailPasswords
