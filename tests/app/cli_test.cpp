#include "platform/instancelock.h"
#include "records/csvio.h"
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

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The Auctions table's fields, in stored order.
const QStringList kFields =
    QString("Close Date,Auction Name,Auction URL,Auction Total,User Name,Email Address,Address,"
            "Notes,Invoice Sent Date,Payment Made Date,Item Sent Date,Auction Site,"
            "CK Invoice Sent,CK Payment Made,CK PayPal,CK Money Order,CK Check,CK Cash,"
            "CK Item Sent,CK FeedBack Given,CK Remainder 10,CK Remainder 20,CK Remainder 30,"
            "CK Remainder 40,CK NPB,CK Criedt Filed,Tracking Number,Notuse Payment Recived,"
            "Notuse Item Shipped,Notuse FeedBack Given")
        .split(',');

// Three unpaid, invoiced sales; with today 3/20/2024 ann is 13 days old, bob 14, cy 13 but
// already sent the 7-day reminder. The header is in no particular order.
const QByteArray kSales =
    "User Name,CK Remainder 10,Auction Name,Close Date,Address,Email Address,"
    "CK Invoice Sent,CK Payment Made,CK Item Sent,CK Criedt Filed\r\n"
    "ann,0,\"Lamp, brass\",3/7/2024,\"12 Elm St\r\nSpringfield\",ann@example.com,1,0,0,0\r\n"
    "bob,0,\"The \"\"Big\"\" Clock\",3/6/2024,Box 4,bob@example.com,1,0,0,0\r\n"
    "cy,1,Vase,3/7/2024,,cy@example.com,1,0,0,0\r\n";

class Cli : public ::testing::Test
{
protected:
    void importSales()
    {
        writeBytes(folder.file("sales.csv"), kSales);
        const CliRun r = cli(folder.path(), {"import", folder.file("sales.csv")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    // The records as exported, each as field name -> value.
    std::vector<QHash<QString, QString>> exported(QByteArray *bytes = nullptr)
    {
        const QString path = folder.file("out.csv");
        const CliRun r = cli(folder.path(), {"export", path});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QByteArray data = readBytes(path);
        if (bytes)
            *bytes = data;
        std::vector<QStringList> rows;
        Csv::ParseError e;
        EXPECT_TRUE(Csv::parse(data, &rows, &e)) << e.message.toStdString();
        std::vector<QHash<QString, QString>> records;
        if (rows.empty()) {
            ADD_FAILURE() << "the export has no header row";
            return records;
        }
        EXPECT_EQ(rows.front(), kFields);
        for (size_t i = 1; i < rows.size(); ++i) {
            QHash<QString, QString> rec;
            for (qsizetype c = 0; c < rows[i].size(); ++c)
                rec.insert(rows.front().value(c), rows[i][c]);
            records.push_back(rec);
        }
        return records;
    }

    TestSupport::TempFolder folder;
};

} // namespace

TEST_F(Cli, ImportedRecordsExportFieldForField)
{
    importSales();
    QByteArray first;
    const auto records = exported(&first);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].value("Auction Name"), "Lamp, brass");
    EXPECT_EQ(records[0].value("Address"), "12 Elm St\r\nSpringfield");
    EXPECT_EQ(records[1].value("Auction Name"), "The \"Big\" Clock");
    EXPECT_EQ(records[1].value("Close Date"), "3/6/2024");
    EXPECT_EQ(records[2].value("User Name"), "cy");
    EXPECT_EQ(records[2].value("CK Remainder 10"), "1");
    // Fields the file does not name stay empty.
    for (const auto &rec : records) {
        EXPECT_EQ(rec.value("Notes", "absent"), "");
        EXPECT_EQ(rec.value("CK NPB", "absent"), "");
    }

    // What one folder exports, another imports and exports byte for byte.
    TestSupport::TempFolder other;
    ASSERT_EQ(cli(other.path(), {"import", folder.file("out.csv")}).exitCode, 0);
    const CliRun r = cli(other.path(), {"export", other.file("again.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(readBytes(other.file("again.csv")), first);
}

TEST_F(Cli, MalformedFileNamesItsLineAndImportsNothing)
{
    importSales();
    struct Case
    {
        const char *what;
        QByteArray csv;
        const char *line;
    } cases[] = {
        {"too many fields", "User Name,Auction Name\r\nann,Lamp\r\nbob,Clock,extra\r\n", "line 3"},
        // The quoted address spans lines 2 and 3, so the bad row is on line 4.
        {"after a quoted line break", "User Name,Address\r\nann,\"1 Elm\r\nTown\"\r\nbob\r\n",
         "line 4"},
        {"unclosed quote", "User Name,Auction Name\r\nann,Lamp\r\nbob,\"Clock\r\ncy,Vase\r\n",
         "line 3"},
        {"unknown field", "User Name,Colour\r\nann,red\r\n", "line 1"},
    };
    for (const Case &c : cases) {
        writeBytes(folder.file("bad.csv"), c.csv);
        const CliRun r = cli(folder.path(), {"import", folder.file("bad.csv")});
        EXPECT_NE(r.exitCode, 0) << c.what;
        EXPECT_TRUE(r.err.contains(c.line)) << c.what << ": " << r.err.toStdString();
    }
    EXPECT_EQ(exported().size(), 3u);
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
    writeBytes(folder.file("orders.csv"), orders);
    CliRun r = cli(folder.path(), {"import-orders", folder.file("orders.csv"), "--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Format: eBay Seller Hub Orders report\nAdded 2, updated 0, unchanged 0.\n"
                     "Dry run: nothing was written.\n");
    EXPECT_EQ(exported().size(), 3u);

    r = cli(folder.path(), {"import-orders", folder.file("orders.csv")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Format: eBay Seller Hub Orders report\nAdded 2, updated 0, unchanged 0.\n");
    r = cli(folder.path(), {"import-orders", folder.file("orders.csv")});
    EXPECT_EQ(r.out.split('\n').value(1), "Added 0, updated 0, unchanged 2.");
    const auto records = exported();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[3]["User Name"], "dan");
    EXPECT_EQ(records[3]["Payment Made Date"], "3/11/2024");
    // eve has not paid: she is on the invoice list.
    r = cli(folder.path(), {"queue", "IS", "--today", "2024-03-20"});
    EXPECT_TRUE(r.out.startsWith("eve\teve@members.ebay.com\tVase\t3/10/2024\t10 Days\n"))
        << r.out.toStdString();

    // Refused: exit 1, the file and line on standard error, nothing written.
    QByteArray bad = orders;
    bad.replace("Mar-10-24,Mar-11-24", "Mar-10-24,Mar-41-24");
    writeBytes(folder.file("bad.csv"), bad);
    r = cli(folder.path(), {"import-orders", folder.file("bad.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(folder.file("bad.csv") + ", line 3: \"Mar-41-24\" in Paid On Date is not a date"))
        << r.err.toStdString();
    r = cli(folder.path(), {"import-orders", folder.file("none.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(exported().size(), 5u);

    for (const QStringList &args : {QStringList{"import-orders"},
                                    QStringList{"import-orders", "a.csv", "--dry"},
                                    QStringList{"import-orders", "a.csv", "--dry-run", "x"}})
        EXPECT_EQ(cli(folder.path(), args).exitCode, 2) << args.join(' ').toStdString();
}

TEST_F(Cli, QueuePrintsTheRowsCaptionAndTitleForTheGivenDay)
{
    importSales();
    CliRun r = cli(folder.path(), {"queue", "AR1", "--today", "2024-03-20"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "ann\tann@example.com\tLamp, brass\t3/7/2024\t13 Days\n"
                     "You Have 1 Auction Reminders to Send..\n"
                     "Lotwise - Working with 7 Day Reminders..\n");

    // Fourteen days is the 14-day list's first day, not the 7-day list's last.
    r = cli(folder.path(), {"queue", "AR2", "--today", "2024-03-20"});
    EXPECT_EQ(r.out.split('\n').value(0),
              "bob\tbob@example.com\tThe \"Big\" Clock\t3/6/2024\t14 Days");
    EXPECT_TRUE(r.out.contains("You Have 1 Auction Reminders to Send..\n"));

    // "Send To All" ignores age and the reminder flags.
    r = cli(folder.path(), {"queue", "AR7", "--today", "2024-03-20"});
    EXPECT_TRUE(r.out.contains("You Have 3 Auction Reminders to Send..\n"));
    EXPECT_TRUE(r.out.endsWith("Lotwise - Working with All Reminders..\n"));

    r = cli(folder.path(), {"queue", "IS", "--today", "2024-03-20"});
    EXPECT_EQ(r.out, "You Have 0 Invoices to Send..\nLotwise - Working with Invoices to Send..\n");
}

TEST_F(Cli, HelpAndVersionOnStandardOutputAndWrongUsageOnStandardErrorWithStatusTwo)
{
    for (const QStringList &args : {QStringList{"--help"}, QStringList{"-h"}, QStringList{"help"}}) {
        const CliRun r = cli(folder.path(), args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.startsWith("Usage: lotwise-cli")) << r.out.toStdString();
        // Every command is listed.
        for (const char *command : {"import ", "import-orders ", "export ", "queue ", "copy-store ",
                                    "backup", "check", "restore ", "report ", "print "})
            EXPECT_TRUE(r.out.contains(QString("lotwise-cli ") + command)) << command;
        EXPECT_TRUE(r.err.isEmpty());
    }
    CliRun r = cli(folder.path(), {"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "lotwise-cli 3.0.0\n");
    // One command described, asked either way.
    for (const QStringList &args : {QStringList{"help", "queue"}, QStringList{"queue", "--help"}}) {
        r = cli(folder.path(), args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.startsWith("Usage: lotwise-cli queue KEY [--today YYYY-MM-DD]"))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("--today YYYY-MM-DD"));
        EXPECT_FALSE(r.out.contains("import-orders"));
    }
    // A wrong command or option: the short usage on standard error, nothing on standard
    // output, and the folder untouched.
    for (const QStringList &args :
         {QStringList{}, QStringList{"frob"}, QStringList{"--frob"}, QStringList{"help", "frob"},
          QStringList{"export", "a.csv", "--frob"}, QStringList{"export"}, QStringList{"backup", "x"}}) {
        r = cli(folder.path(), args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("Usage: lotwise-cli")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder.dbPath()));
}

TEST_F(Cli, YearEndReportAsCsvAndTextWithExactSums)
{
    writeBytes(folder.file("year.csv"),
               "User Name,Close Date,Auction Total,CK Payment Made\r\n"
               "ann,1/1/2024,0.10,1\r\n"
               "bob,1/31/2024,0.20,0\r\n"
               "cy,12/31/2024,$19.99,1\r\n"
               "di,12/31/2023,5,1\r\n"
               "ed,1/1/2025,5,1\r\n"
               "fay,6/6/2024,five,0\r\n"
               "gus,,1,0\r\n");
    ASSERT_EQ(cli(folder.path(), {"import", folder.file("year.csv")}).exitCode, 0);
    CliRun r = cli(folder.path(), {"report", "--year", "2024", "--format", "csv"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split("\r\n");
    ASSERT_EQ(lines.size(), 15) << r.out.toStdString();
    EXPECT_EQ(lines[0], "Month,Sales,Total,Paid,Unpaid");
    EXPECT_EQ(lines[1], "2024-01,2,0.30,0.10,1");
    EXPECT_EQ(lines[6], "2024-06,0,0.00,0.00,0");
    EXPECT_EQ(lines[12], "2024-12,1,19.99,19.99,0");
    EXPECT_EQ(lines[13], "Total,3,20.29,20.09,1");
    EXPECT_EQ(r.err, "2 records left out: no date or no amount\n");

    r = cli(folder.path(), {"report", "--year", "2024"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("Year-end report 2024\n"));
    EXPECT_TRUE(r.out.contains(QRegularExpression("\nDecember +1 +19\\.99 +19\\.99 +0\n")));
    EXPECT_TRUE(r.out.contains("2 records left out: no date or no amount"));

    for (const QStringList &bad : {QStringList{"report"}, QStringList{"report", "--year", "24x"},
                                   QStringList{"report", "--year", "2024", "--format", "pdf"},
                                   QStringList{"report", "--format", "csv"}}) {
        r = cli(folder.path(), bad);
        EXPECT_EQ(r.exitCode, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(Cli, PrintWritesAPdfPageForEachBuyerOfTheList)
{
    importSales();
    const QString pdf = folder.file("reminders.pdf");
    CliRun r = cli(folder.path(), {"print", "invoices", "--list", "AR7", "--out", pdf,
                                   "--today", "2024-03-20"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Printed 3 invoices (3 items)")) << r.out.toStdString();
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split('\f');
    ASSERT_EQ(pages.size(), 4); // three pages and what follows the last
    EXPECT_TRUE(pages[0].contains("Lamp, brass") && pages[0].contains("12 Elm St"));
    EXPECT_TRUE(pages[1].contains("The \"Big\" Clock") && !pages[1].contains("Lamp"));

    r = cli(folder.path(), {"print", "packing-slips", "--list", "S", "--out", pdf});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "The list S is empty; nothing was printed.\n");

    r = cli(folder.path(), {"print", "labels", "--list", "S"});
    EXPECT_EQ(r.exitCode, 2);
    r = cli(folder.path(), {"print", "invoices", "--list", "AR"});
    EXPECT_EQ(r.exitCode, 2);
    r = cli(folder.path(), {"print", "invoices", "--list", "AR7", "--out", folder.file("no/such/x.pdf")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("x.pdf"));
}

TEST_F(Cli, KeyThatNamesNoListExitsTwoWithoutTouchingTheFolder)
{
    for (const char *key : {"XX", "AR", "FVF5"}) {
        const CliRun r = cli(folder.path(), {"queue", key});
        EXPECT_EQ(r.exitCode, 2) << key;
        EXPECT_TRUE(r.out.isEmpty()) << key;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.dbPath()));
}

TEST_F(Cli, FolderHeldByAnotherProcessIsRefused)
{
    writeBytes(folder.file("sales.csv"), kSales);
    {
        InstanceLock held(folder.path());
        ASSERT_TRUE(held.tryLock());
        const CliRun r = cli(folder.path(), {"import", folder.file("sales.csv")});
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains("in use")) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder.dbPath()));
    }
    // Released, the same import goes through.
    EXPECT_EQ(cli(folder.path(), {"import", folder.file("sales.csv")}).exitCode, 0);
    EXPECT_EQ(exported().size(), 3u);
}

namespace {

CliRun copyStore(const QString &home, const QStringList &more)
{
    qputenv("PGPASSWORD", "lotwisetest");
    qputenv("XDG_CONFIG_HOME", (home + "/config").toUtf8());
    const CliRun r = cli(home, QStringList{"copy-store"} + more +
                                   QStringList{"--host", "127.0.0.1", "--port", "15432",
                                               "--database", "lotwise_copy", "--user",
                                               "lotwise"});
    qunsetenv("PGPASSWORD");
    qunsetenv("XDG_CONFIG_HOME");
    return r;
}

} // namespace

TEST(CliCopyStore, MovesEveryRecordToTheServerAndBackCheckingTheCounts)
{
    if (!TestSupport::testServerUp()) {
        if (qEnvironmentVariableIsSet("LOTWISE_PG_REQUIRED"))
            FAIL() << "the test PostgreSQL server is not running";
        GTEST_SKIP() << "no test PostgreSQL server";
    }
    TestSupport::TempFolder seller, helper;
    {
        RecordStore store;
        store.open(seller.dbPath());
        TestSupport::addRecord(store, {{Field::UserName, "ann"}, {Field::Address, "1 Main St\r\nX"}});
        TestSupport::addRecord(store, {{Field::UserName, QString::fromUtf8("zoë")},
                                       {Field::CriedtFiled, "1"}});
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
    ASSERT_EQ(copy.recordCount(), 3);
    EXPECT_EQ(copy.recordAt(0)[Field::Address], QStringLiteral("1 Main St\r\nX"));
    EXPECT_EQ(copy.recordAt(1)[Field::UserName], QString::fromUtf8("zoë"));
    EXPECT_EQ(copy.recordAt(1)[Field::CriedtFiled], QStringLiteral("1"));
    EXPECT_EQ(copy.recordAt(2)[Field::UserName], QStringLiteral("cy"));
    copy.close();

    r = copyStore(seller.path(), {"to-sideways"});
    EXPECT_EQ(r.exitCode, 2);
}

namespace {

// backup, check and restore on a folder of their own, with settings of their own.
class CliStoreFile : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", folder.file("config").toUtf8()); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    CliRun run(const QStringList &args) { return cli(folder.path(), args); }
    TestSupport::TempFolder folder;
};

} // namespace

TEST_F(CliStoreFile, BackupPrintsItsPathAndCheckTellsASoundStoreFromADamagedOne)
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
    EXPECT_TRUE(damaged.err.contains(folder.dbPath() + "\" cannot be read: database disk image is malformed"))
        << damaged.err.toStdString();
    // A damaged store is never copied over a sound backup.
    EXPECT_EQ(run({"backup"}).exitCode, 1);
    EXPECT_EQ(StoreBackups::list(folder.file("Backups")).size(), 1u);
}

TEST_F(CliStoreFile, RestoreTakesTheNewestSoundBackupOrTheOneNamedAndKeepsTheFileAside)
{
    TestSupport::makeStore(folder.dbPath(), 5);
    StoreBackups::write(folder.dbPath(), folder.file("Backups"), QDateTime(QDate(2026, 1, 2), QTime(8, 0)));
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

    const CliRun r = run({"restore"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(RecordStore::checkFile(folder.dbPath()).records, 7);
    const QString aside = folder.dbPath() + ".before-restore-" + QDate::currentDate().toString(Qt::ISODate);
    EXPECT_EQ(TestSupport::readBytes(aside), damaged);
    EXPECT_TRUE(r.out.contains(aside)) << r.out.toStdString();

    EXPECT_EQ(run({"restore", "Auctions-2026-01-02-0800.db"}).exitCode, 0);
    EXPECT_EQ(RecordStore::checkFile(folder.dbPath()).records, 5);
    QFile::remove(newer);
    const CliRun missing = run({"restore", "Auctions-2026-01-03-0800.db"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(RecordStore::checkFile(folder.dbPath()).records, 5);
}
