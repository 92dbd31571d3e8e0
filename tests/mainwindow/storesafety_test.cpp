// The records file kept safe around the main window: backups at start and close, the offer
// to restore a damaged file, and "Restore from Backup...".

#include "mainwindow/restoredialog.h"
#include "platform/textfile.h"
#include "records/storebackups.h"
#include "support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using TestSupport::Damage;

namespace {

const QDateTime kTaken(QDate(2020, 3, 14), QTime(18, 5));

class StoreSafetyTest : public TestSupport::WindowTest
{
protected:
    QString backups() const { return StoreBackups::folderOf(folder.path()); }
    std::vector<StoreBackups::Backup> listed() const { return StoreBackups::list(backups()); }
};

} // namespace

TEST_F(StoreSafetyTest, StartBacksUpOnceADayAndClosingBacksUpWhatWasWritten)
{
    TestSupport::makeStore(folder.dbPath(), 3);
    // A backup from earlier today: the start makes no second one.
    const QDateTime early(TestSupport::kWindowToday, QTime(0, 0));
    StoreBackups::write(folder.dbPath(), backups(), early);
    load();
    ASSERT_EQ(listed().size(), 1u);

    win.reset();
    QFile::remove(listed().front().path);
    load();
    ASSERT_EQ(listed().size(), 1u);
    EXPECT_EQ(listed().front().taken.date(), TestSupport::kWindowToday);
    EXPECT_EQ(RecordStore::checkFile(listed().front().path).records, 3);

    TestSupport::addRecord(store, {{Field::UserName, "ann"}});
    win->close();
    ASSERT_FALSE(listed().empty());
    EXPECT_EQ(RecordStore::checkFile(listed().front().path).records, 4);
}

TEST_F(StoreSafetyTest, BackupThatFailsIsSaidAndLoggedAndTheProgramGoesOn)
{
    TestSupport::makeStore(folder.dbPath(), 3);
    // A file where the folder should be.
    TestSupport::writeBytes(backups(), "not a folder");
    load();
    EXPECT_TRUE(win->isLoaded());
    EXPECT_EQ(store.recordCount(), 3);
    const QStringList log = TextFile::readLines(folder.file("errorlog.log"));
    EXPECT_TRUE(log.contains("Error Found In: Sub_BackupStore")) << log.join('|').toStdString();
    EXPECT_TRUE(log.join('|').contains(backups())) << log.join('|').toStdString();
    // Nobody was stopped by a message about it.
    for (const auto &a : scripted.asked())
        EXPECT_FALSE(a.text.contains("backup")) << a.text.toStdString();
}

TEST_F(StoreSafetyTest, DamagedStoreIsPutAsideAndTheNewestSoundBackupTakesItsPlace)
{
    TestSupport::makeStore(folder.dbPath(), 200);
    StoreBackups::write(folder.dbPath(), backups(), kTaken);
    TestSupport::damageStore(folder.dbPath(), Damage::ZeroedPage);
    const QByteArray damaged = TestSupport::readBytes(folder.dbPath());

    // No: the program ends and the file stays as it is.
    scripted.answerButton(Prompts::No);
    win = std::make_unique<FrmMain>(store, settings, folder.path());
    win->setTodayProvider([] { return TestSupport::kWindowToday; });
    EXPECT_FALSE(win->Form_Load());
    ASSERT_EQ(scripted.asked().size(), 1);
    const QString question = scripted.asked()[0].text;
    // SQLite's own reason, without the folder: "database disk image is malformed".
    EXPECT_TRUE(question.startsWith("Auctions.db is damaged: ")) << question.toStdString();
    EXPECT_TRUE(question.contains("malformed")) << question.toStdString();
    EXPECT_FALSE(question.contains(folder.path())) << question.toStdString();
    EXPECT_TRUE(question.endsWith(". Restore the backup of 3/14/2020 6:05 PM (200 records)?"))
        << question.toStdString();
    EXPECT_EQ(scripted.asked()[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_EQ(TestSupport::readBytes(folder.dbPath()), damaged);
    win.reset();
    scripted.clear();

    // Yes: back to the backup's records, the damaged file kept byte for byte.
    scripted.answerButton(Prompts::Yes);
    load();
    EXPECT_EQ(store.recordCount(), 200);
    EXPECT_EQ(TestSupport::readBytes(folder.dbPath() + ".damaged-2026-03-15"), damaged);
}

TEST_F(StoreSafetyTest, DamagedStoreWithNoBackupSaysSoAndIsLeftAlone)
{
    TestSupport::makeStore(folder.dbPath(), 200);
    TestSupport::damageStore(folder.dbPath(), Damage::Truncated);
    const QByteArray truncated = TestSupport::readBytes(folder.dbPath());
    for (const QByteArray &bytes :
         {truncated, QByteArray("Close Date,Auction Name\r\nthis is not a database\r\n")}) {
        SCOPED_TRACE(bytes.left(20).toStdString());
        TestSupport::writeBytes(folder.dbPath(), bytes);
        scripted.clear();
        win = std::make_unique<FrmMain>(store, settings, folder.path());
        EXPECT_FALSE(win->Form_Load());
        EXPECT_FALSE(win->isLoaded());
        ASSERT_EQ(scripted.asked().size(), 1);
        EXPECT_EQ(scripted.asked()[0].icon, Prompts::Icon::Critical);
        EXPECT_TRUE(scripted.asked()[0].text.startsWith("Auctions.db is damaged: "));
        EXPECT_TRUE(scripted.asked()[0].text.endsWith(". There is no backup to restore it from."))
            << scripted.asked()[0].text.toStdString();
        win.reset();
        EXPECT_EQ(TestSupport::readBytes(folder.dbPath()), bytes);
    }
}

TEST_F(StoreSafetyTest, RestoreFromBackupListsTheBackupsAndPutsTheChosenOneBack)
{
    TestSupport::makeStore(folder.dbPath(), 2);
    StoreBackups::write(folder.dbPath(), backups(), kTaken);
    TestSupport::writeBytes(backups() + "/Auctions-2020-03-13-0900.db", "garbage");
    load();
    TestSupport::addRecord(store, {{Field::UserName, "typed since"}});
    const int before = store.recordCount();

    QStringList rows;
    bool damagedChoosable = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<RestoreDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto *list = dialog->findChild<QTreeWidget *>("lvBackups");
        auto *restore = dialog->findChild<QPushButton *>("cmdRestore");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0) + " / " + list->topLevelItem(i)->text(1);
        list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
        damagedChoosable = restore->isEnabled();
        list->setCurrentItem(list->topLevelItem(1));
        restore->click();
    });
    win->findChild<QAction *>("mnuRestoreBackup")->trigger();

    // Newest first: the backup the start made, then the one of 2020, then the damaged one.
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1], "3/14/2020 6:05 PM / 2");
    EXPECT_EQ(rows[2], "3/13/2020 9:00 AM / damaged");
    EXPECT_FALSE(damagedChoosable);
    EXPECT_EQ(store.recordCount(), 2);
    EXPECT_EQ(win->visiblePanel(), FrmMain::Panel::Record);
    const QString aside = folder.dbPath() + ".before-restore-2026-03-15";
    EXPECT_EQ(RecordStore::checkFile(aside).records, before);
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].text,
              "The records are back as they were on 3/14/2020 6:05 PM: 2 records.\r\n\r\n"
              "The file you had is kept as " + aside + ".");
}
