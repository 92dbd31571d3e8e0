#pragma once

#include "recordstore.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

class SettingsStore;

// Copies of Auctions.db in the folder Backups of the application folder, named by the time
// they were taken (Auctions-2026-12-07-0930.db). A copy is made through SQLite's online
// backup, so it is a consistent store even while the store is open, and it appears under
// its name only once it is whole.
namespace StoreBackups {

struct Backup
{
    QString path;
    QDateTime taken; // from the name, to the minute
};

QString folderOf(const QString &appFolder);
// The name a backup taken at `when` gets.
QString fileName(const QDateTime &when);
// The backups of `folder`, newest first; other files are not looked at.
std::vector<Backup> list(const QString &folder);

// Writes a backup of the store file `dbPath` into `folder` (created when missing) and
// returns its path. Throws LotwiseError (BackupFailed) with the reason; nothing half
// written is left behind.
QString write(const QString &dbPath, const QString &folder, const QDateTime &now);

// The backups to delete so that the newest copy of each of the last `keepDaily` days with a
// copy remains, and the newest copy of each of the last 12 calendar months up to `today`.
std::vector<Backup> beyondRetention(const std::vector<Backup> &backups, int keepDaily,
                                    QDate today);
// Deletes them; returns the paths that could not be deleted.
QStringList prune(const QString &folder, int keepDaily, QDate today);

// The number of daily copies kept: settings group "Store", key "KeepBackups" (default 14).
int keepDaily(const SettingsStore &settings);

// The newest backup that passes the check, with its record count.
struct Sound
{
    Backup backup;
    qint64 records = 0;
};
std::optional<Sound> newestSound(const QString &folder);

// The name the store file is kept aside under: "Auctions.db.<why>-2026-12-07", with a
// number added when that name is taken.
QString asideName(const QString &dbPath, const QString &why, QDate day);

// Puts the backup in place of the store file, which must not be open. The current file
// (with its write-ahead log) is kept aside under asideName(dbPath, why, today); its path is
// returned, "" when there was no current file. The backup must pass the full check. Throws
// LotwiseError with the reason; on failure the current file stays where it was.
QString restore(const QString &dbPath, const QString &backupPath, const QString &why,
                QDate today);

} // namespace StoreBackups
