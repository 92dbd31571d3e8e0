#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "queues/queuelistmodel.h"
#include "queues/queuerules.h"
#include "records/addrecord.h"
#include "records/recordcommands.h"
#include "records/recordstore.h"
#include "support/storebackend.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using TestSupport::TempFolder;

using StoreOnBothBackEnds = TestSupport::StoreBackendTest;
using StoreFile = TestSupport::StoreTest;

namespace {

using TestSupport::errorNumberOf;

void addBuyers(RecordStore &store, const QStringList &names)
{
    for (const QString &n : names)
        TestSupport::addRecord(store, {{Field::UserName, n}});
}

} // namespace

TEST_P(StoreOnBothBackEnds, AMissingTableIsMadeEmptyTheWalkGoesPastEitherEndAndDeleteMovesOn)
{
    RecordStore store;
    openStore(store);
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_TRUE(store.eof());
    EXPECT_TRUE(store.bof());
    EXPECT_FALSE(store.hasCurrent());
    EXPECT_EQ(errorNumberOf([&] { store.get(Field::UserName); }), ErrorCode::NoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { store.moveFirst(); }), ErrorCode::NoCurrentRecord);
    EXPECT_TRUE(column("CK Criedt Filed").isEmpty());

    addBuyers(store, {"ann", "bob", "cy"});
    store.moveLast();
    ASSERT_EQ(store.recordCount(), 3);
    store.moveFirst();
    QStringList seen;
    for (int i = 0; i < store.recordCount(); ++i) {
        seen << store.get(Field::UserName);
        store.moveNext();
    }
    EXPECT_EQ(seen, (QStringList{"ann", "bob", "cy"}));
    EXPECT_TRUE(store.eof());
    EXPECT_FALSE(store.bof());
    EXPECT_EQ(errorNumberOf([&] { store.moveNext(); }), ErrorCode::NoCurrentRecord);
    store.movePrevious();
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("cy"));

    store.moveFirst();
    store.movePrevious();
    EXPECT_TRUE(store.bof());
    EXPECT_FALSE(store.hasCurrent());
    EXPECT_EQ(errorNumberOf([&] { store.movePrevious(); }), ErrorCode::NoCurrentRecord);
    store.moveNext();
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("ann"));

    // Delete leaves no current record, drops the unwritten change, and moving on lands on the
    // record after.
    store.moveFirst();
    store.moveNext();
    store.set(Field::Notes, "never written");
    store.deleteCurrent();
    EXPECT_FALSE(store.hasCurrent());
    EXPECT_EQ(errorNumberOf([&] { store.get(Field::UserName); }), ErrorCode::NoCurrentRecord);
    EXPECT_EQ(errorNumberOf([&] { store.deleteCurrent(); }), ErrorCode::NoCurrentRecord);
    store.moveNext();
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("cy"));
    EXPECT_EQ(store.recordCount(), 2);
    store.close();
    EXPECT_EQ(column("User Name"), (QStringList{"ann", "cy"}));
    EXPECT_EQ(column("Notes"), (QStringList{"", ""}));
}

TEST_P(StoreOnBothBackEnds, ChangeIsWrittenOnRepositionAndOnCloseNotBefore)
{
    RecordStore store;
    openStore(store);
    addBuyers(store, {"ann", "bob"});
    store.moveFirst();
    store.set(Field::Notes, "wants blue");
    EXPECT_EQ(store.get(Field::Notes), QStringLiteral("wants blue"));
    EXPECT_EQ(column("Notes"), (QStringList{"", ""}));

    store.moveNext();
    EXPECT_EQ(column("Notes"), (QStringList{"wants blue", ""}));

    // Fields are addressed by their exact names, misspelt ones included.
    store.set(u"Tracking Number", "1Z999");
    store.set(u"CK Criedt Filed", "1");
    store.set(u"Notuse Payment Recived", "1");
    EXPECT_EQ(store.get(Field::NoticePaymentReceived), QStringLiteral("1"));
    EXPECT_EQ(errorNumberOf([&] { store.set(u"CK Credit Filed", "1"); }), ErrorCode::ItemNotFound);
    EXPECT_EQ(errorNumberOf([&] { store.get(u"Nonsense"); }), ErrorCode::ItemNotFound);
    store.close();
    EXPECT_EQ(column("Tracking Number"), (QStringList{"", "1Z999"}));
    EXPECT_EQ(column("CK Criedt Filed"), (QStringList{"", "1"}));
    store.close(); // twice is harmless
}

TEST_P(StoreOnBothBackEnds, AddClearsTheNewRecordAndQuickCopyCarriesTheSaleOver)
{
    RecordStore store;
    openStore(store);
    Records::addRecord(store, true); // nothing current yet: nothing to copy, and no error
    EXPECT_EQ(store.get(Field::CloseDate), QString());
    TestSupport::addRecord(store, {{Field::CloseDate, "3/1/2026"},
                                   {Field::AuctionName, "Brass lamp"},
                                   {Field::AuctionTotal, "24.50"},
                                   {Field::UserName, "ann"}});
    TestSupport::addRecord(store, {{Field::CloseDate, "3/2/2026"}, {Field::UserName, "bob"}});

    // The copy comes from the current record, not from the last one the new record follows.
    store.moveTo(1);
    Records::addRecord(store, true);
    EXPECT_EQ(store.position(), 3);
    EXPECT_EQ(store.get(Field::CloseDate), QStringLiteral("3/1/2026"));
    EXPECT_EQ(store.get(Field::AuctionName), QStringLiteral("Brass lamp"));
    EXPECT_EQ(store.get(Field::AuctionTotal), QStringLiteral("24.50"));
    EXPECT_EQ(store.get(Field::UserName), QString());

    store.moveTo(1);
    Records::addRecord(store, false);
    EXPECT_EQ(store.position(), 4);
    for (Field f : {Field::UserName, Field::CloseDate, Field::AuctionName, Field::AuctionSite})
        EXPECT_TRUE(store.get(f).isEmpty());
    // The store's own add moves once, to an empty record at the end.
    QSignalSpy moved(&store, &RecordStore::repositioned);
    store.addNew();
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(store.position(), 5);
    EXPECT_TRUE(store.get(Field::Npb).isEmpty());

    // Left unchanged, the new records are still written, the added ones with every follow-up
    // flag "0"; nothing in the file is NULL, so other tools reading it see text.
    store.moveFirst();
    store.close();
    EXPECT_EQ(column("User Name"), (QStringList{"", "ann", "bob", "", "", ""}));
    EXPECT_EQ(column("CK Remainder 40"), (QStringList{"0", "", "", "0", "0", ""}));
    EXPECT_EQ(column("CK Criedt Filed"), (QStringList{"", "", "", "", "", ""}));
}

TEST_P(StoreOnBothBackEnds, ReopenAndRefreshSeeWhatWasWritten)
{
    {
        RecordStore store;
        openStore(store);
        TestSupport::addRecord(store, {{Field::UserName, QString::fromUtf8("zoë")},
                                       {Field::Address, "1 Main St\r\nSpringfield"}});
    }
    RecordStore store;
    openStore(store);
    ASSERT_EQ(store.recordCount(), 1);
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(store.get(Field::UserName), QString::fromUtf8("zoë"));
    EXPECT_EQ(store.get(Field::Address), QStringLiteral("1 Main St\r\nSpringfield"));

    // An import appends in one write and leaves the cursor where it was.
    FieldValues row{};
    row[Fields::index(Field::UserName)] = "bob";
    store.appendRecords({row, row});
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(column("User Name"), (QStringList{QString::fromUtf8("zoë"), "bob", "bob"}));
    store.set(Field::Notes, "kept over refresh");
    store.refresh();
    EXPECT_EQ(store.recordCount(), 3);
    EXPECT_EQ(store.get(Field::Notes), QStringLiteral("kept over refresh"));
}

TEST_P(StoreOnBothBackEnds, PackedFlagsFollowEveryChange)
{
    RecordStore store;
    openStore(store);
    const auto inStep = [&] {
        for (int i = 0; i < store.recordCount(); ++i)
            for (int f = 0; f < kFieldCount; ++f)
                ASSERT_EQ(store.flagCodesAt(i)[size_t(f)],
                          Fields::flagCode(store.recordAt(i).values[size_t(f)]))
                    << "record " << i << " field " << f;
    };
    TestSupport::addRecord(store, {{Field::PayPal, "1"}, {Field::Cash, "2"}});
    TestSupport::addRecord(store, {{Field::PayPal, " 1.0"}, {Field::Cash, "0"}});
    FieldValues row{};
    row[Fields::index(Field::Check)] = "1";
    store.appendRecords({row});
    inStep();
    store.moveFirst();
    store.deleteCurrent();
    store.moveNext();
    store.set(Field::Cash, "yes");
    inStep();
    store.close();
    openStore(store);
    inStep();
    EXPECT_EQ(store.flagCodesAt(0)[size_t(Fields::index(Field::PayPal))], 1);
    EXPECT_EQ(store.flagCodesAt(0)[size_t(Fields::index(Field::Cash))], 0);
    EXPECT_EQ(store.flagCodesAt(1)[size_t(Fields::index(Field::Check))], 1);
}

// The index of item numbers answers as a walk over every record would, whatever changed.
TEST_P(StoreOnBothBackEnds, RecordsOfAnItemNumberAreFoundAsAWalkWouldFindThem)
{
    RecordStore store;
    openStore(store);
    TestSupport::appendAll(store, {{{Field::AuctionUrl, "10"}}, {{Field::AuctionUrl, " 10 "}},
                                   {{Field::AuctionUrl, "100"}}, {{Field::AuctionUrl, ""}}});
    const auto walk = [&](const QString &item) {
        std::vector<int> found;
        for (int i = 0; i < store.recordCount(); ++i)
            if (!item.trimmed().isEmpty() && store.recordAt(i)[Field::AuctionUrl].trimmed() == item.trimmed())
                found.push_back(i);
        return found;
    };
    const auto same = [&](const char *step) {
        SCOPED_TRACE(step);
        for (const QString item : {"10", " 100", "1", "", "42"})
            EXPECT_EQ(store.recordsWithItem(item), walk(item)) << item.toStdString();
    };
    same("as stored");
    EXPECT_EQ(store.recordsWithItem("10"), (std::vector<int>{0, 1}));
    store.moveTo(3);
    store.set(Field::AuctionUrl, "42");
    same("a number typed in");
    store.moveFirst();
    store.deleteCurrent();
    same("a record deleted");
    TestSupport::appendAll(store, {{{Field::AuctionUrl, "10"}}});
    same("a record appended");
    EXPECT_EQ(store.recordsWithItem("10").size(), 2u);
}

// A record's texts are kept packed in one block: each kind of text comes back exactly, its
// neighbours untouched, its flag and day numbers in step, as set and as read again.
TEST_P(StoreOnBothBackEnds, EveryKindOfTextComesBackExactlyBesideItsNeighbours)
{
    struct Case
    {
        const char *what;
        Field field;
        QString value;
    };
    const Case cases[] = {
        {"non-Latin-1 text", Field::UserName, QString::fromUtf8("Łódź 東京 🙂")},
        {"a 1,000-character note", Field::Notes, QString(1000, u'n')},
        {"the note shrunk back", Field::Notes, QStringLiteral("x")},
        {"tabs, line ends and backslashes", Field::Notes,
         QStringLiteral("a\tb\r\nc \\N \\ \b\f\v \\t")},
        {"a backslash and N alone", Field::TrackingNumber, QStringLiteral("\\N")},
        {"255 bytes", Field::Address, QString(255, u'a')},
        {"256 bytes, two to a letter", Field::Address, QString(128, QChar(0xe9))},
        {"the first field", Field::CloseDate, QStringLiteral("12/6/2026")},
        {"the last field", Field::NoticeFeedBackGiven, QStringLiteral("1")},
        {"a date", Field::PaymentMadeDate, QStringLiteral("12/1/2026")},
        {"a date field set to a non-date", Field::PaymentMadeDate, QStringLiteral("soon")},
        {"a flag set to text", Field::Cash, QStringLiteral("yes")},
        {"an empty text", Field::AuctionName, QStringLiteral("")},
    };
    RecordStore store;
    openStore(store);
    TestSupport::addRecord(store, {{Field::UserName, "ann"},
                                   {Field::AuctionName, "lamp"},
                                   {Field::Notes, "first"},
                                   {Field::Cash, "1"}});
    addBuyers(store, {"bob"});
    FieldValues expected = store.recordAt(0).values;
    for (const Case &c : cases) {
        store.moveFirst();
        store.set(c.field, c.value);
        expected[size_t(Fields::index(c.field))] = c.value;
        for (bool reread : {false, true}) {
            if (reread) {
                store.close();
                openStore(store);
            }
            const char *when = reread ? "as read again" : "as set";
            const AuctionRecord &r = store.recordAt(0);
            for (int f = 0; f < kFieldCount; ++f)
                EXPECT_EQ(r[Field(f)], expected[size_t(f)])
                    << c.what << ", " << when << ": " << Fields::name(Field(f)).toStdString();
            EXPECT_EQ(store.flagCodesAt(0), flagCodesOf(expected)) << c.what << ", " << when;
            const auto day = Dates::DateReader(store.dayLocale())
                                 .read(expected[size_t(Fields::index(Field::PaymentMadeDate))]);
            EXPECT_EQ(store.dayAt(0, Field::PaymentMadeDate),
                      day ? qint32(day->toJulianDay()) : RecordStore::kNoDay)
                << c.what << ", " << when;
            EXPECT_EQ(store.recordAt(1)[Field::UserName], QStringLiteral("bob")) << c.what;
            EXPECT_TRUE(store.recordAt(1)[Field::Notes].isNull()) << c.what;
        }
    }
    // A field another tool left NULL reads as empty, and an empty text set on it is written.
    execute(QStringLiteral("UPDATE \"Auctions\" SET \"Notes\" = NULL"));
    store.refresh();
    EXPECT_TRUE(store.get(Field::Notes).isNull());
    store.set(Field::Notes, QStringLiteral(""));
    EXPECT_FALSE(store.get(Field::Notes).isNull());
    store.flush();
    EXPECT_EQ(column("Notes"), (QStringList{"", "<null>"}));
}

TEST(RecordValues, CopiesAndFillsFieldByFieldKeepEveryText)
{
    const QString wide(70000, u'w');
    for (size_t at : {size_t(0), size_t(13), size_t(kFieldCount - 1)}) {
        for (const QString &text : {QStringLiteral("1"), QString(300, u'm'), wide}) {
            RecordValues v;
            v[at] = text;
            v[kFieldCount - 1 - at] = QStringLiteral("other");
            const RecordValues copy = v;
            RecordValues moved = RecordValues(v);
            FieldValues seen;
            size_t i = 0;
            for (const QString &t : moved)
                seen[i++] = t;
            EXPECT_EQ(seen, copy.toFieldValues()) << at << " " << text.size();
            EXPECT_EQ(copy[at], text) << at << " " << text.size();
            EXPECT_EQ(QString(moved[kFieldCount - 1 - at]), QStringLiteral("other"));
            EXPECT_EQ(RecordValues(copy.toFieldValues()).toFieldValues(), seen);
        }
    }
}

// A large table is read in parts on two connections at once: every record comes back once,
// in stored order and with its flags, the rows on either side of each part's edge included.
TEST_F(StoreFile, ALargeTableComesBackWholeAndInOrder)
{
    constexpr int kRows = 30001;
    std::vector<FieldValues> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        rows[size_t(i)][size_t(Fields::index(Field::UserName))] = QString::number(i);
        rows[size_t(i)][size_t(Fields::index(Field::PayPal))] = i % 3 ? "0" : "1";
    }
    store.appendRecords(rows);
    store.close();
    store.open(folder.dbPath());
    ASSERT_EQ(store.recordCount(), kRows);
    for (int i = 0; i < kRows; ++i) {
        ASSERT_EQ(store.recordAt(i)[Field::UserName], QString::number(i)) << "record " << i;
        ASSERT_EQ(store.flagCodesAt(i)[size_t(Fields::index(Field::PayPal))], i % 3 ? 0 : 1)
            << "record " << i;
    }
}

// The list's link to its record compares the record's trimmed names from their bytes; names
// that start or end in other than ASCII letters take the long way, with the same answer.
TEST_F(StoreFile, ListRowsFindTheirRecordsWhateverLettersTheNamesEndIn)
{
    const QString nbsp(QChar(0x00a0));
    const QStringList stored = {" ann ", "\tzoë", nbsp + "cy" + nbsp, "東京", "", "bob"};
    for (const QString &name : stored)
        TestSupport::addRecord(store, {{Field::UserName, name}, {Field::AuctionName, " lamp"}});
    for (int i = 0; i < int(stored.size()); ++i) {
        const QString asked = stored[i].trimmed() + QStringLiteral("  ");
        EXPECT_EQ(RecordCommands::firstListRecord(store, asked, QStringLiteral("lamp")), i)
            << stored[i].toStdString();
        EXPECT_EQ(RecordCommands::listRecords(store, asked, QStringLiteral("lamp ")),
                  std::vector<int>{i});
    }
    EXPECT_EQ(RecordCommands::firstListRecord(store, QStringLiteral("ann"), QStringLiteral("lam")),
              -1);
}

// A list read from the store sorts its date column by the ages it counted from the store's
// day numbers, not by reading the texts again: the calendar's order, non-dates lowest.
TEST_F(StoreFile, ListsReadFromTheStoreSortTheirDatesAsTheCalendarDoes)
{
    const QStringList dates = {"1/2/2006", "12/31/2005", "soon", "2/29/2004", ""};
    for (int i = 0; i < int(dates.size()); ++i)
        TestSupport::addRecord(
            store, {{Field::UserName, QString(QChar(u'a' + i))}, {Field::CloseDate, dates[i]}});
    store.flush();
    QueueListModel m({"User Name", "Email Address", "Auction Name", "Auction Close", "Days"});
    m.setQueue(Queues::compute(store, *Queues::rule(u"IS"), QDate(2026, 12, 6)));
    const auto shown = [&](int c) {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, c), Qt::DisplayRole).toString();
        return out;
    };
    m.sortByColumn(3, QueueListModel::SortType::Date);
    EXPECT_EQ(shown(3), (QStringList{"1/2/2006", "12/31/2005", "2/29/2004", "soon", ""}));
    m.sortByColumn(3, QueueListModel::SortType::Date);
    EXPECT_EQ(shown(3), (QStringList{"soon", "", "2/29/2004", "12/31/2005", "1/2/2006"}));
    EXPECT_EQ(shown(0), (QStringList{"c", "e", "d", "b", "a"}));
}

TEST(RecordStore, FilesThatAreNotLotwiseStoresAreRefusedAndLeftUntouched)
{
    TempFolder dir;
    // A text file, some other program's database, and a table missing a field.
    TestSupport::writeBytes(dir.file("0.db"), "Close Date,User Name\r\n1/1/2026,ann\r\n");
    const std::pair<const char *, const char *> tables[] = {
        {"1.db", "Customers (name TEXT)"}, {"2.db", "Auctions (\"User Name\" TEXT)"}};
    for (const auto &[name, table] : tables) {
        QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "other");
        c.setDatabaseName(dir.file(name));
        c.open();
        QSqlQuery(c).exec(QStringLiteral("CREATE TABLE ") + table);
        c.close();
    }
    QSqlDatabase::removeDatabase("other");
    for (const char *name : {"0.db", "1.db", "2.db"}) {
        SCOPED_TRACE(name);
        const QString path = dir.file(name);
        const QByteArray before = TestSupport::readBytes(path);
        RecordStore store;
        try {
            store.open(path);
            ADD_FAILURE() << "opened";
        } catch (const LotwiseError &e) {
            EXPECT_EQ(e.number(), ErrorCode::NotALotwiseDatabase);
            EXPECT_TRUE(e.description().contains(path));
        }
        EXPECT_FALSE(store.isOpen());
        EXPECT_EQ(TestSupport::readBytes(path), before);
    }
    RecordStore store;
    EXPECT_EQ(errorNumberOf([&] { store.open(dir.path()); }), ErrorCode::CannotOpenDatabase);
}

INSTANTIATE_TEST_SUITE_P(RecordStore, StoreOnBothBackEnds, ::testing::Bool(),
                         TestSupport::backendName);
