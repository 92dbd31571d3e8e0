// Several seats on one store: the change counter, the conflict on reposition, the batch
// marks written alone, and the same with two real processes.

#include "queues/batchactions.h"
#include "records/recordstore.h"
#include "support/storebackend.h"

#include <QDate>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

class SharedStore : public TestSupport::StoreBackendTest
{
protected:
    // Two seats that both read the table holding ann's and bob's records.
    void openTwoSeats()
    {
        {
            RecordStore first;
            openStore(first);
            TestSupport::addRecord(first, {{Field::UserName, "ann"},
                                           {Field::AuctionName, "Brass lamp"},
                                           {Field::Notes, "as listed"}});
            TestSupport::addRecord(first, {{Field::UserName, "bob"}});
        }
        for (auto [s, seen] : {std::pair{&a, &conflictsA}, std::pair{&b, &conflictsB}}) {
            openStore(*s);
            QObject::connect(s, &RecordStore::changedElsewhere, s,
                             [seen](const StoreConflict &c) { seen->push_back(c); });
        }
    }

    RecordStore a;
    RecordStore b;
    std::vector<StoreConflict> conflictsA;
    std::vector<StoreConflict> conflictsB;
};

} // namespace

TEST_P(SharedStore, TheSecondEditOfARecordIsRefusedAndWhatWasTypedIsHandedBack)
{
    openTwoSeats();
    a.set(Field::Notes, "ships Monday");
    a.moveNext();
    b.set(Field::Notes, "ships Friday");
    b.set(Field::TrackingNumber, "1Z42");
    b.moveNext();

    EXPECT_TRUE(conflictsA.empty());
    ASSERT_EQ(conflictsB.size(), 1u);
    const StoreConflict &c = conflictsB.front();
    EXPECT_FALSE(c.deleted);
    EXPECT_EQ(c.userName, QStringLiteral("ann"));
    ASSERT_EQ(c.changes.size(), 2u);
    EXPECT_EQ(c.changes[0].field, Field::Notes);
    EXPECT_EQ(c.changes[0].mine, QStringLiteral("ships Friday"));
    EXPECT_EQ(c.changes[0].theirs, QStringLiteral("ships Monday"));
    EXPECT_EQ(c.changes[1].mine, QStringLiteral("1Z42"));
    EXPECT_TRUE(c.message().contains(QStringLiteral("ships Friday")));
    EXPECT_TRUE(c.message().contains(QStringLiteral("Brass lamp")));

    // The first write stands, and the refused seat now holds it.
    EXPECT_EQ(column("Notes"), (QStringList{"ships Monday", ""}));
    EXPECT_EQ(column("Tracking Number"), (QStringList{"", ""}));
    EXPECT_EQ(b.recordAt(0)[Field::Notes], QStringLiteral("ships Monday"));

    // Having re-read it, the refused seat can write it again, and then the other cannot.
    b.moveFirst();
    b.set(Field::Notes, "ships Friday");
    b.moveNext();
    EXPECT_EQ(conflictsB.size(), 1u);
    EXPECT_EQ(column("Notes"), (QStringList{"ships Friday", ""}));
    a.moveFirst();
    a.set(Field::Notes, "again");
    a.close();
    EXPECT_EQ(conflictsA.size(), 1u);
    EXPECT_EQ(column("Notes"), (QStringList{"ships Friday", ""}));
}

TEST_P(SharedStore, MarksOfDifferentFlagsFromStaleSeatsAreAllKept)
{
    openTwoSeats();
    const QDate today(2026, 3, 9);
    Marks::apply(a, Marks::invoiceSent, today);
    Marks::apply(b, Marks::feedbackGiven, today);
    b.set(Field::Notes, "typed after the mark");
    b.moveNext();
    Marks::apply(a, Marks::itemShipped, today); // the same record, from a seat behind

    EXPECT_TRUE(conflictsA.empty());
    EXPECT_TRUE(conflictsB.empty());
    EXPECT_EQ(column("CK Invoice Sent"), (QStringList{"1", ""}));
    EXPECT_EQ(column("Invoice Sent Date"), (QStringList{"3/9/2026", ""}));
    EXPECT_EQ(column("CK FeedBack Given"), (QStringList{"1", ""}));
    EXPECT_EQ(column("Notes"), (QStringList{"typed after the mark", ""}));
    EXPECT_EQ(column("CK Item Sent"), (QStringList{"1", ""}));
    // Each mark brings the seat's copy of the record up to date.
    EXPECT_EQ(b.recordAt(0)[Field::InvoiceSent], QStringLiteral("1"));
    EXPECT_EQ(a.recordAt(0)[Field::Notes], QStringLiteral("typed after the mark"));
    EXPECT_EQ(a.flagCodesAt(0)[size_t(Fields::index(Field::FeedBackGiven))], 1);
}

TEST_P(SharedStore, ChangesWorkedOutFromARecordAnotherSeatWroteSinceAreRefusedWhole)
{
    openTwoSeats();
    FieldValues added{};
    added[Fields::index(Field::UserName)] = "cat";
    const RecordChange onAnn{0, a.recordAt(0).revision, {{Field::TrackingNumber, "1Z1"}}};
    const RecordChange onBob{1, a.recordAt(1).revision, {{Field::TrackingNumber, "1Z2"}}};
    b.moveLast();
    b.set(Field::Notes, "written first");
    b.moveFirst();

    EXPECT_NE(TestSupport::errorNumberOf([&] { a.writeChanges({onAnn, onBob}, {added}); }), 0);
    EXPECT_EQ(column("User Name"), (QStringList{"ann", "bob"}));
    EXPECT_EQ(column("Tracking Number"), (QStringList{"", ""}));
    EXPECT_EQ(a.recordCount(), 2);

    // Worked out again from what is stored now, the same write goes through.
    a.refresh();
    a.writeChanges({{0, a.recordAt(0).revision, {{Field::TrackingNumber, "1Z1"}}},
                    {1, a.recordAt(1).revision, {{Field::TrackingNumber, "1Z2"}}}},
                   {added});
    EXPECT_EQ(column("User Name"), (QStringList{"ann", "bob", "cat"}));
    EXPECT_EQ(column("Tracking Number"), (QStringList{"1Z1", "1Z2", ""}));
    EXPECT_EQ(column("Notes"), (QStringList{"as listed", "written first", ""}));
    EXPECT_EQ(a.recordAt(1)[Field::TrackingNumber], QStringLiteral("1Z2"));
}

TEST_P(SharedStore, ARecordDeletedElsewhereIsSaidSoAndOthersSeeTheChangesOnRefresh)
{
    openTwoSeats();
    a.deleteCurrent();
    b.set(Field::Notes, "for a record gone");
    b.moveNext();
    ASSERT_EQ(conflictsB.size(), 1u);
    EXPECT_TRUE(conflictsB.front().deleted);
    EXPECT_TRUE(conflictsB.front().message().contains(QStringLiteral("for a record gone")));
    EXPECT_EQ(column("User Name"), (QStringList{"bob"}));

    a.moveFirst();
    a.set(Field::Notes, "from a");
    a.addNew();
    a.set(Field::UserName, "cy");
    a.moveFirst();
    EXPECT_EQ(b.recordCount(), 2);
    b.refresh();
    ASSERT_EQ(b.recordCount(), 2);
    EXPECT_EQ(b.get(Field::Notes), QStringLiteral("from a"));
    b.moveLast();
    EXPECT_EQ(b.get(Field::UserName), QStringLiteral("cy"));
    EXPECT_EQ(b.storedCount(), 2);
}

TEST_P(SharedStore, TwoProcessesMarkingAndEditingTheSameRecord)
{
    openTwoSeats();
    a.close();
    b.close();
    const auto seat = [&](QProcess &p, const QStringList &action) {
        p.start(LOTWISE_SEAT_HELPER, QStringList{storeSpec(), "0"} + action);
        ASSERT_TRUE(p.waitForStarted());
        ASSERT_TRUE(p.waitForReadyRead(30000));
        ASSERT_EQ(p.readLine().trimmed(), QByteArray("ready")) << p.readAllStandardError().data();
    };
    const auto release = [](QProcess &p) {
        p.write("go\n");
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    {
        QProcess one, two;
        seat(one, {"mark", "CK Payment Made"});
        seat(two, {"mark", "CK Item Sent"});
        EXPECT_FALSE(release(one).contains("conflict"));
        EXPECT_FALSE(release(two).contains("conflict"));
        EXPECT_EQ(column("CK Payment Made"), (QStringList{"1", ""}));
        EXPECT_EQ(column("CK Item Sent"), (QStringList{"1", ""}));
    }
    {
        QProcess one, two;
        seat(one, {"edit", "Notes", "left at the door"});
        seat(two, {"edit", "Notes", "hold at the post office"});
        EXPECT_FALSE(release(one).contains("conflict"));
        const QString second = release(two);
        EXPECT_TRUE(second.contains("conflict"));
        EXPECT_TRUE(second.contains("hold at the post office"));
        EXPECT_EQ(column("Notes"), (QStringList{"left at the door", ""}));
        EXPECT_EQ(column("CK Payment Made"), (QStringList{"1", ""}));
    }
}

TEST(SharedStoreFile, AnOlderFileGainsTheChangeCounterAndKeepsEveryValue)
{
    TestSupport::TempFolder dir;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "old");
        c.setDatabaseName(dir.dbPath());
        ASSERT_TRUE(c.open());
        QStringList cols;
        for (const QString &n : Fields::names())
            cols << '"' + n + "\" TEXT";
        QSqlQuery q(c);
        ASSERT_TRUE(q.exec("CREATE TABLE Auctions (id INTEGER PRIMARY KEY, " + cols.join(", ") + ")"));
        ASSERT_TRUE(q.exec("INSERT INTO Auctions (\"User Name\", \"CK Criedt Filed\", Notes) "
                           "VALUES ('ann', '1', NULL)"));
        c.close();
    }
    QSqlDatabase::removeDatabase("old");
    RecordStore store;
    store.open(dir.dbPath());
    ASSERT_EQ(store.recordCount(), 1);
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("ann"));
    EXPECT_EQ(store.get(Field::CriedtFiled), QStringLiteral("1"));
    store.set(Field::Notes, "first edit");
    store.close();
    store.open(dir.dbPath());
    EXPECT_EQ(store.get(Field::Notes), QStringLiteral("first edit"));
    EXPECT_EQ(store.recordAt(0).revision, 1);
}

INSTANTIATE_TEST_SUITE_P(RecordStore, SharedStore, ::testing::Bool(), TestSupport::backendName);
