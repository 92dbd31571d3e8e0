#include "storeaddress.h"

#include "platform/keyring.h"
#include "platform/settingsstore.h"

namespace {

const QString kGroup = QStringLiteral("Store");

// One entry per user and database, apart from the mail account's entries.
QString keyFor(const StoreAddress &a)
{
    return QStringLiteral("store:") + a.describe();
}

} // namespace

QString StoreAddress::describe() const
{
    return QStringLiteral("%1@%2:%3/%4").arg(user.trimmed(), host.trimmed()).arg(port).arg(
        database.trimmed());
}

QString StoreAddress::problem() const
{
    if (!isServer())
        return {};
    if (host.trimmed().isEmpty())
        return QStringLiteral("The database server has no host name.");
    if (port <= 0 || port > 65535)
        return QStringLiteral("The port %1 is not a port number (1 to 65535).").arg(port);
    if (database.trimmed().isEmpty())
        return QStringLiteral("The database has no name.");
    if (user.trimmed().isEmpty())
        return QStringLiteral("The database user has no name.");
    return {};
}

StoreAddress StoreAddress::read(const SettingsStore &settings)
{
    StoreAddress a;
    const auto get = [&](const char *key, const QString &fallback) {
        return settings.read(kGroup, QString::fromLatin1(key), fallback).trimmed();
    };
    a.kind = get("Kind", QStringLiteral("SQLite")).compare(u"PostgreSQL", Qt::CaseInsensitive) == 0
                 ? Server
                 : File;
    a.host = get("Host", a.host);
    bool ok = false;
    const int port = get("Port", QString::number(a.port)).toInt(&ok);
    // A port the user mistyped in the file falls back to the usual one rather than failing.
    a.port = ok && port > 0 && port <= 65535 ? port : 5432;
    a.database = get("Database", a.database);
    a.user = get("User", QString());
    return a;
}

void StoreAddress::save(SettingsStore &settings) const
{
    settings.save(kGroup, QStringLiteral("Kind"),
                  isServer() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"));
    settings.save(kGroup, QStringLiteral("Host"), host.trimmed());
    settings.save(kGroup, QStringLiteral("Port"), QString::number(port));
    settings.save(kGroup, QStringLiteral("Database"), database.trimmed());
    settings.save(kGroup, QStringLiteral("User"), user.trimmed());
    settings.sync();
}

namespace StorePasswords {

std::optional<QString> read(const StoreAddress &address) { return Keyring::read(keyFor(address)); }

void save(const StoreAddress &address, const QString &password)
{
    Keyring::save(keyFor(address), password);
}

void forget(const StoreAddress &address) { Keyring::forget(keyFor(address)); }

} // namespace StorePasswords
