#pragma once

#include <QString>
#include <optional>

class SettingsStore;

// Where the records live, as kept in the settings group "Store": the Auctions.db file of the
// application folder (the default), or a PostgreSQL database that several seats share. The
// password is never part of it: see StorePasswords.
struct StoreAddress
{
    enum Kind { File, Server };
    Kind kind = File;
    QString host = QStringLiteral("localhost");
    int port = 5432;
    QString database = QStringLiteral("lotwise");
    QString user;

    bool isServer() const { return kind == Server; }
    // "user@host:port/database", for messages; never holds a password.
    QString describe() const;
    // Why the address cannot be used, or "" when it can.
    QString problem() const;

    static StoreAddress read(const SettingsStore &settings);
    void save(SettingsStore &settings) const;
};

// The server password: in the keyring beside the mail password, under its own key.
namespace StorePasswords {
std::optional<QString> read(const StoreAddress &address);
void save(const StoreAddress &address, const QString &password);
void forget(const StoreAddress &address);
} // namespace StorePasswords
