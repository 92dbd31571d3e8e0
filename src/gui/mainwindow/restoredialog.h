#pragma once

#include "records/storebackups.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTreeWidget;

// "Restore from Backup...": the backups with the time each was taken and its record count,
// newest first; a damaged one is shown as such and cannot be chosen.
class RestoreDialog : public QDialog
{
    Q_OBJECT
public:
    struct Entry
    {
        StoreBackups::Backup backup;
        StoreFileCheck check;
    };
    // Every backup of the folder, checked.
    static std::vector<Entry> survey(const QString &backupFolder);

    explicit RestoreDialog(std::vector<Entry> entries, QWidget *parent = nullptr);
    // The backup chosen, and when it was taken; "" when none is.
    QString chosen() const;
    QDateTime chosenTime() const;

private:
    void updateButtons();
    const Entry *chosenEntry() const;

    std::vector<Entry> m_entries;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
};

// The time a backup was taken, as the user reads dates and times.
QString backupTimeText(const QDateTime &taken);
