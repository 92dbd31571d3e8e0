#include "storesafety.h"

#include "errors/handelerrors.h"
#include "mainwindow/restoredialog.h"
#include "platform/appfolder.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "records/recordstore.h"
#include "records/storebackups.h"

#include <QFileInfo>

namespace {

const QString kTitle = QStringLiteral("Lotwise");

// Why the file was refused, worded to follow "Auctions.db is damaged: ".
QString damageReason(const LotwiseError &e, const QString &path)
{
    QString reason = e.detail().isEmpty() ? e.description() : e.detail();
    const QString named = u'"' + path + QStringLiteral("\" ");
    if (reason.startsWith(named))
        reason = reason.mid(named.size());
    while (reason.endsWith(u'.'))
        reason.chop(1);
    return reason;
}

bool isDamage(int error)
{
    return error == ErrorCode::DatabaseDamaged || error == ErrorCode::NotALotwiseDatabase;
}

} // namespace

StoreSafety::StoreSafety(RecordStore &store, SettingsStore &settings, const QString &appFolder)
    : m_store(store), m_settings(settings), m_appFolder(appFolder)
{
}

QString StoreSafety::dbPath() const
{
    return AppFolder::fileIn(m_appFolder, QStringLiteral("Auctions.db"));
}

QString StoreSafety::backupFolder() const { return StoreBackups::folderOf(m_appFolder); }

bool StoreSafety::open(QDate today)
{
    const auto cannotOpen = [](const LotwiseError &e) {
        prompts().message(QStringLiteral("Lotwise cannot open its record store.\r\n\r\n%1")
                              .arg(e.detail().isEmpty() ? e.description() : e.detail()),
                          kTitle, Prompts::Ok, Prompts::Icon::Critical);
        return false;
    };
    std::optional<StoreBackups::Sound> best;
    try {
        m_store.open(dbPath());
        return true;
    } catch (const LotwiseError &e) {
        if (m_store.opensServer() || !isDamage(e.number()))
            return cannotOpen(e);
        const QString damaged = QFileInfo(dbPath()).fileName() +
                                QStringLiteral(" is damaged: ") + damageReason(e, dbPath());
        best = StoreBackups::newestSound(backupFolder());
        if (!best) {
            prompts().message(damaged + QStringLiteral(". There is no backup to restore it from."),
                              kTitle, Prompts::Ok, Prompts::Icon::Critical);
            return false;
        }
        const QString question = damaged + QStringLiteral(". Restore the backup of %1 (%2 records)?")
                                               .arg(backupTimeText(best->backup.taken))
                                               .arg(best->records);
        if (prompts().message(question, kTitle, Prompts::Yes | Prompts::No,
                              Prompts::Icon::Warning) != Prompts::Yes)
            return false;
    }
    try {
        StoreBackups::restore(dbPath(), best->backup.path, QStringLiteral("damaged"), today);
        m_store.open(dbPath());
        return true;
    } catch (const LotwiseError &e) {
        return cannotOpen(e);
    }
}

void StoreSafety::backup(const QDateTime &now)
{
    try {
        StoreBackups::write(dbPath(), backupFolder(), now);
        const QStringList stuck =
            StoreBackups::prune(backupFolder(), StoreBackups::keepDaily(m_settings), now.date());
        if (!stuck.isEmpty())
            throw LotwiseError(ErrorCode::FileAccess,
                               QStringLiteral("An old backup could not be deleted: \"%1\".")
                                   .arg(stuck.first()));
    } catch (const LotwiseError &e) {
        ReportQuietly(QStringLiteral("Sub_BackupStore"), e.number(), e.detail());
    }
}

void StoreSafety::backupAtOpen(const QDateTime &now)
{
    if (m_store.isServer() || !m_store.isOpen())
        return;
    for (const StoreBackups::Backup &b : StoreBackups::list(backupFolder())) {
        if (b.taken.date() == now.date())
            return;
    }
    backup(now);
}

void StoreSafety::backupAtClose(const QDateTime &now)
{
    if (m_store.isServer() || !QFileInfo::exists(dbPath()))
        return;
    backup(now);
}

void StoreSafety::restoreFromBackup(QWidget *parent, QDate today)
{
    if (m_store.isServer()) {
        prompts().message(QStringLiteral("The records are kept on a database server, which keeps "
                                         "its own backups (pg_dump and pg_restore)."),
                          kTitle, Prompts::Ok, Prompts::Icon::Information);
        return;
    }
    RestoreDialog dialog(RestoreDialog::survey(backupFolder()), parent);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return;
    const std::optional<QString> aside = restore(dialog.chosen(), today);
    if (!aside)
        return;
    QString done = QStringLiteral("The records are back as they were on %1: %2 records.")
                       .arg(backupTimeText(dialog.chosenTime()))
                       .arg(m_store.recordCount());
    if (!aside->isEmpty())
        done += QStringLiteral("\r\n\r\nThe file you had is kept as %1.").arg(*aside);
    prompts().message(done, kTitle, Prompts::Ok, Prompts::Icon::Information);
}

std::optional<QString> StoreSafety::restore(const QString &backupPath, QDate today)
{
    // What was typed into the current record is written before the file is put aside.
    if (!trapErrors(QStringLiteral("Sub_RestoreBackup"), [this] { m_store.close(); }))
        return std::nullopt;
    QString aside;
    const bool restored = trapErrors(QStringLiteral("Sub_RestoreBackup"), [&] {
        aside = StoreBackups::restore(dbPath(), backupPath, QStringLiteral("before-restore"), today);
    });
    trapErrors(QStringLiteral("Sub_RestoreBackup"), [this] { m_store.open(dbPath()); });
    if (!restored || !m_store.isOpen())
        return std::nullopt;
    return aside;
}
