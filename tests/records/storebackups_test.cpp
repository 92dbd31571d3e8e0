#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/settingsstore.h"
#include "records/storebackups.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using TestSupport::Damage;
using TestSupport::errorNumberOf;
using TestSupport::TempFolder;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(9, 30));

QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

StoreBackups::Backup takenAt(const QString &when)
{
    const QDateTime t = QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd HH:mm"));
    return {StoreBackups::fileName(t), t};
}

QStringList names(const std::vector<StoreBackups::Backup> &backups)
{
    QStringList n;
    for (const auto &b : backups)
        n << b.path;
    n.sort();
    return n;
}

// A folder of its own, where the store's backups go.
class Backups : public ::testing::Test
{
protected:
    QString backUp(const QDateTime &when)
    {
        return StoreBackups::write(dir.dbPath(), backups, when);
    }
    TempFolder dir;
    const QString backups = StoreBackups::folderOf(dir.path());
};

} // namespace

TEST_F(Backups, CopyOfAnOpenStoreHoldsEveryWrittenRecordAndADamagedOneIsNotCopied)
{
    TestSupport::makeStore(dir.dbPath(), 30);
    RecordStore store;
    store.open(dir.dbPath());
    // Written, but still in the write-ahead log beside the file.
    TestSupport::addRecord(store, {{Field::UserName, "late"}});
    ASSERT_TRUE(QFileInfo::exists(dir.dbPath() + "-wal"));

    const QString path = backUp(kNow);
    EXPECT_EQ(QFileInfo(path).fileName(), "Auctions-2026-12-07-0930.db");
    // Nothing but the finished copy: no temporary, and no log of its own.
    EXPECT_EQ(namesIn(backups), QStringList{"Auctions-2026-12-07-0930.db"});
    const StoreFileCheck check = RecordStore::checkFile(path, RecordStore::Integrity::Full);
    EXPECT_TRUE(check.sound()) << check.problem.toStdString();
    EXPECT_EQ(check.records, 31);
    EXPECT_EQ(namesIn(backups), QStringList{"Auctions-2026-12-07-0930.db"});

    // A copy left half written by a crash is cleared away by the next backup.
    TestSupport::writeBytes(backups + "/Auctions-2026-12-06-1800.db.part", "SQLite");
    backUp(kNow.addSecs(60));
    const QStringList both{"Auctions-2026-12-07-0930.db", "Auctions-2026-12-07-0931.db"};
    EXPECT_EQ(namesIn(backups), both);

    // A damaged or missing store gives no backup and leaves the others.
    store.close();
    TestSupport::damageStore(dir.dbPath(), Damage::ZeroedPage);
    EXPECT_EQ(errorNumberOf([&] { backUp(kNow.addDays(1)); }), ErrorCode::BackupFailed);
    EXPECT_EQ(errorNumberOf([&] { StoreBackups::write(dir.file("none.db"), backups, kNow); }),
              ErrorCode::BackupFailed);
    EXPECT_EQ(namesIn(backups), both);
}

TEST_F(Backups, ListTakesOnlyBackupNamesNewestFirst)
{
    for (const char *name : {"Auctions-2026-01-02-0800.db", "Auctions-2026-11-30-2359.db",
                             "Auctions-2026-11-30-0700.db", "Auctions-2026-13-01-0000.db",
                             "Auctions-2026-11-30-0700.db.part", "notes.txt",
                             "Auctions-2026-1-3-0800.db"})
        TestSupport::writeBytes(backups + '/' + name, "x");
    QStringList listed;
    for (const auto &b : StoreBackups::list(backups))
        listed << QFileInfo(b.path).fileName();
    EXPECT_EQ(listed, (QStringList{"Auctions-2026-11-30-2359.db", "Auctions-2026-11-30-0700.db",
                                   "Auctions-2026-01-02-0800.db"}));
}

TEST(StoreBackups, RetentionKeepsTheLastCopyOfRecentDaysAndOfEachOfTwelveMonths)
{
    const QDate today(2026, 12, 7);
    std::vector<StoreBackups::Backup> all;
    // Two copies a day (start and close) for the last 20 days.
    for (int d = 0; d < 20; ++d) {
        const QString day = today.addDays(-d).toString(Qt::ISODate);
        all.push_back(takenAt(day + " 08:00"));
        all.push_back(takenAt(day + " 18:00"));
    }
    // One early and one late copy in each month of the two years before.
    for (int m = 1; m <= 24; ++m) {
        const QDate first = QDate(2026, 11, 1).addMonths(-m + 1);
        all.push_back(takenAt(first.addDays(2).toString(Qt::ISODate) + " 10:00"));
        all.push_back(takenAt(first.addDays(20).toString(Qt::ISODate) + " 10:00"));
    }
    const auto beyond = StoreBackups::beyondRetention(all, 3, today);
    QStringList kept;
    for (const auto &b : all) {
        if (!names(beyond).contains(b.path))
            kept << b.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    kept.sort();
    // The last copy of the last three days with copies (today among them), and the last copy
    // of each month from January 2026 to December 2026.
    QStringList expected{"2026-12-05 18:00", "2026-12-06 18:00", "2026-12-07 18:00"};
    for (int m = 1; m <= 11; ++m)
        expected << QDate(2026, m, 21).toString(Qt::ISODate) + " 10:00";
    // November's last copy is in the daily run of the last 20 days, not the 21st.
    expected.removeAll("2026-11-21 10:00");
    expected << "2026-11-30 18:00";
    expected.sort();
    EXPECT_EQ(kept, expected);

    // Fewer copies than the limit: nothing goes.
    EXPECT_TRUE(StoreBackups::beyondRetention({takenAt("2026-12-01 08:00")}, 14, today).empty());
}

TEST_F(Backups, PruneDeletesOnlyWhatRetentionLetsGoAndTheSettingFallsBackToFourteen)
{
    TestSupport::makeStore(dir.dbPath(), 3);
    for (int d = 0; d < 8; ++d)
        backUp(kNow.addDays(-d));
    TestSupport::writeBytes(backups + "/keep-me.txt", "x");
    EXPECT_TRUE(StoreBackups::prune(backups, 2, kNow.date()).isEmpty());
    // Today, yesterday, and the last of November.
    EXPECT_EQ(namesIn(backups),
              (QStringList{"Auctions-2026-11-30-0930.db", "Auctions-2026-12-06-0930.db",
                           "Auctions-2026-12-07-0930.db", "keep-me.txt"}));

    // How many daily copies to keep: the setting, or fourteen.
    SettingsStore settings(dir.file("settings.ini"));
    EXPECT_EQ(StoreBackups::keepDaily(settings), 14);
    for (const auto &[text, n] : std::vector<std::pair<QString, int>>{
             {"3", 3}, {" 30 ", 30}, {"0", 14}, {"-2", 14}, {"many", 14}, {"", 14}}) {
        settings.save("Store", "KeepBackups", text);
        EXPECT_EQ(StoreBackups::keepDaily(settings), n) << text.toStdString();
    }
}

TEST_F(Backups, RestoreKeepsTheCurrentFileAsideWithItsLogAndRefusesABadBackup)
{
    TestSupport::makeStore(dir.dbPath(), 10);
    const QString backup = backUp(kNow);
    {
        // A store cut off with changes still in its log.
        RecordStore store;
        store.open(dir.dbPath());
        TestSupport::addRecord(store, {{Field::UserName, "after"}});
        QFile::copy(dir.dbPath(), dir.file("copy.db"));
        QFile::copy(dir.dbPath() + "-wal", dir.file("copy.db-wal"));
    }
    QFile::remove(dir.dbPath());
    QFile::rename(dir.file("copy.db"), dir.dbPath());
    QFile::rename(dir.file("copy.db-wal"), dir.dbPath() + "-wal");
    const QByteArray mainBytes = TestSupport::readBytes(dir.dbPath());
    const QByteArray walBytes = TestSupport::readBytes(dir.dbPath() + "-wal");

    const auto restore = [&] {
        return StoreBackups::restore(dir.dbPath(), backup, "before-restore", kNow.date());
    };
    const QString aside = restore();
    EXPECT_EQ(aside, dir.dbPath() + ".before-restore-2026-12-07");
    EXPECT_EQ(TestSupport::readBytes(aside), mainBytes);
    EXPECT_EQ(TestSupport::readBytes(aside + "-wal"), walBytes);
    EXPECT_FALSE(QFileInfo::exists(dir.dbPath() + "-wal"));
    EXPECT_EQ(RecordStore::checkFile(dir.dbPath()).records, 10);
    // The file kept aside still opens with its log: nothing of it is lost.
    EXPECT_EQ(RecordStore::checkFile(aside).records, 11);

    // A second restore the same day does not overwrite the first file kept aside.
    EXPECT_EQ(restore(), aside + "-2");

    TestSupport::damageStore(backup, Damage::Truncated);
    const QByteArray before = TestSupport::readBytes(dir.dbPath());
    EXPECT_EQ(errorNumberOf([&] { restore(); }), ErrorCode::DatabaseDamaged);
    EXPECT_EQ(TestSupport::readBytes(dir.dbPath()), before);
    EXPECT_FALSE(QFileInfo::exists(aside + "-3"));
}

TEST_F(Backups, CheckFileNamesWhatIsWrongAndNewestSoundSkipsDamagedBackups)
{
    EXPECT_EQ(RecordStore::checkFile(dir.dbPath()).error, ErrorCode::FileNotFound);
    TestSupport::makeStore(dir.dbPath(), 4);
    backUp(kNow.addDays(-1));
    TestSupport::makeStore(dir.dbPath(), 296); // adds to the four
    const QString newer = backUp(kNow);
    auto best = StoreBackups::newestSound(backups);
    ASSERT_TRUE(best);
    EXPECT_EQ(best->records, 300);
    TestSupport::damageStore(newer, Damage::ZeroedPage);
    best = StoreBackups::newestSound(backups);
    ASSERT_TRUE(best);
    EXPECT_EQ(best->records, 4);
    EXPECT_EQ(best->backup.taken, kNow.addDays(-1));
    EXPECT_FALSE(StoreBackups::newestSound(dir.file("Nowhere")));

    for (const Damage how : {Damage::Truncated, Damage::ZeroedPage, Damage::Foreign}) {
        const QString path = dir.file(QStringLiteral("damaged-%1.db").arg(int(how)));
        QFile::copy(dir.dbPath(), path);
        TestSupport::damageStore(path, how);
        const StoreFileCheck check = RecordStore::checkFile(path);
        EXPECT_EQ(check.error, how == Damage::Foreign ? ErrorCode::NotALotwiseDatabase
                                                      : ErrorCode::DatabaseDamaged)
            << int(how) << check.problem.toStdString();
        EXPECT_TRUE(check.problem.contains(path)) << check.problem.toStdString();
        // Open refuses it the same way and leaves it as it was.
        const QByteArray bytes = TestSupport::readBytes(path);
        RecordStore store;
        EXPECT_EQ(errorNumberOf([&] { store.open(path); }), check.error);
        EXPECT_EQ(TestSupport::readBytes(path), bytes);
    }
}
