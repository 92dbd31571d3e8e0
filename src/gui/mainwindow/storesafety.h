#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

class QWidget;
class RecordStore;
class SettingsStore;

// Keeps the records file safe over the main window's life: opens the store with the offer
// to put the newest sound backup in place of a damaged file, takes the backups at start
// (once a day) and at close, and restores a backup on request. A store on a database
// server is the server's business: none of this touches it.
class StoreSafety
{
public:
    StoreSafety(RecordStore &store, SettingsStore &settings, const QString &appFolder);

    QString dbPath() const;
    QString backupFolder() const;

    // Opens the store. A damaged file, or one that is not a Lotwise store, brings the offer
    // to restore; false when the program should end (the user has been told why).
    bool open(QDate today);

    // A backup when none was taken today yet, and one after the store has closed. A
    // failure is said on the status line and in the error log, and goes no further.
    void backupAtOpen(const QDateTime &now);
    void backupAtClose(const QDateTime &now);

    // "Restore from Backup...": the list of backups, then restore() on the one chosen.
    void restoreFromBackup(QWidget *parent, QDate today);
    // Closes the store, puts the backup in its place (the present file kept aside as
    // Auctions.db.before-restore-<date>) and opens it again; returns where the present file
    // went ("" when there was none). Nothing when it failed: the failure has gone to the
    // error handler and the store is open on what it had.
    std::optional<QString> restore(const QString &backupPath, QDate today);

private:
    void backup(const QDateTime &now);

    RecordStore &m_store;
    SettingsStore &m_settings;
    QString m_appFolder;
};
