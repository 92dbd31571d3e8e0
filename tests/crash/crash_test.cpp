// What survives a crash and a full disk: processes killed mid-work and a disk that fills up.
// Each case prints its figures. A damaged store file is the start-up's business (StoreSafety).

#include "options/optionfiles.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "platform/textfile.h"
#include "queues/queuerules.h"
#include "records/storebackups.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

using TestSupport::TempFolder;

namespace {

// Starts the helper and waits for its "ready".
void startHelper(QProcess &helper, const QStringList &args)
{
    helper.start(LOTWISE_TEST_HELPER, args);
    ASSERT_TRUE(helper.waitForStarted());
    ASSERT_TRUE(helper.waitForReadyRead(60000));
    ASSERT_EQ(helper.readLine().trimmed(), QByteArray("ready"));
}

void kill(QProcess &helper)
{
    helper.kill();
    helper.waitForFinished();
}

// ---------------------------------------------------------------- the kill test

// What the side log says a record keyed by its Auction URL must hold.
struct Expected
{
    bool exists = true;
    QHash<int, QString> fields;
};
using Model = QHash<QString, Expected>;

struct Change
{
    QChar op;
    QStringList keys;
    int field = -1;
    QString value;
};

Change parseChange(const QString &line)
{
    const QStringList parts = line.split(u'\t');
    Change c;
    c.op = parts[0].at(0);
    c.keys = c.op == u'I' ? parts[1].split(u',') : QStringList{parts[1]};
    if (parts.size() == 4) {
        c.field = parts[2].toInt();
        c.value = parts[3];
    }
    return c;
}

void apply(Model &model, const Change &c)
{
    for (const QString &key : c.keys) {
        Expected &e = model[key];
        switch (c.op.unicode()) {
        case u'A':
            e = {true, {{Fields::index(Field::UserName), key}}};
            break;
        case u'I':
            e = {};
            break;
        case u'D':
            e.exists = false;
            break;
        default:
            e.fields[c.field] = c.value;
        }
    }
}

bool holds(const Expected &e, const AuctionRecord *r)
{
    if (!e.exists || !r)
        return !e.exists && !r;
    for (auto f = e.fields.cbegin(); f != e.fields.cend(); ++f) {
        if (r->values[size_t(f.key())] != f.value())
            return false;
    }
    return true;
}

} // namespace

TEST(CrashSuite, KilledFiftyTimesMidWorkTheStoreKeepsEveryAcknowledgedChange)
{
    TempFolder dir;
    const int kRecords = 10000;
    TestSupport::makeStore(dir.dbPath(), kRecords);
    Model model;
    for (int i = 0; i < kRecords; ++i)
        model.insert(QStringLiteral("item%1").arg(i), {});

    QRandomGenerator rng(20261207);
    int kills = 0, acknowledged = 0, lost = 0, unexpected = 0;
    for (int run = 0; run < 50; ++run) {
        const QString sideLog = dir.file(QStringLiteral("side-%1.log").arg(run));
        QProcess helper;
        startHelper(helper, {"edits", dir.dbPath(), sideLog, QString::number(rng.generate()),
                             QStringLiteral("r%1").arg(run)});
        QThread::msleep(20 + rng.bounded(400));
        kill(helper);
        ++kills;

        std::optional<Change> pending;
        for (const QString &line : TextFile::readLines(sideLog, TextFile::Empty::Skip)) {
            if (line.startsWith(u'?')) {
                pending = parseChange(line.mid(1));
            } else {
                apply(model, parseChange(line));
                ++acknowledged;
                pending.reset();
            }
        }
        // The change in flight may have been written or not; either is sound.
        Model alternative;
        if (pending) {
            for (const QString &key : pending->keys)
                alternative.insert(key, model.value(key, Expected{false, {}}));
            apply(alternative, *pending);
        }

        const StoreFileCheck check =
            RecordStore::checkFile(dir.dbPath(), RecordStore::Integrity::Full);
        ASSERT_TRUE(check.sound()) << "after kill " << kills << ": " << check.problem.toStdString();
        RecordStore store;
        store.open(dir.dbPath());
        QHash<QString, const AuctionRecord *> found;
        for (int i = 0; i < store.recordCount(); ++i) {
            const QString &key = store.recordAt(i)[Field::AuctionUrl];
            if (!key.isEmpty())
                found.insert(key, &store.recordAt(i));
        }
        for (auto e = model.begin(); e != model.end(); ++e) {
            const AuctionRecord *r = found.value(e.key());
            if (holds(e.value(), r))
                continue;
            if (alternative.contains(e.key()) && holds(alternative[e.key()], r)) {
                e.value() = alternative[e.key()];
                continue;
            }
            ++lost;
            ADD_FAILURE() << "after kill " << kills << " record " << e.key().toStdString()
                          << " does not hold what the side log acknowledged";
        }
        for (auto f = found.cbegin(); f != found.cend(); ++f) {
            if (!model.contains(f.key()) && !alternative.contains(f.key()))
                ++unexpected;
        }
        // Pending imports that made it are known from now on.
        for (auto a = alternative.cbegin(); a != alternative.cend(); ++a) {
            if (!model.contains(a.key()) && found.contains(a.key()))
                model.insert(a.key(), a.value());
        }
    }
    std::printf("kill test: %d kills, %d acknowledged changes, %d lost, %d records the side "
                "log does not know\n",
                kills, acknowledged, lost, unexpected);
    // How many changes a run gets through depends on the disk; that some were checked does not.
    EXPECT_EQ(kills, 50);
    EXPECT_GT(acknowledged, 0) << "no change was acknowledged before a kill: nothing was checked";
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(unexpected, 0);
}

// ---------------------------------------------------------------- the batch kill

namespace {

// The recipients of the mails in the local outbox, one entry per mail.
QStringList outboxRecipients(const QString &folder)
{
    static const QRegularExpression to(QStringLiteral("^To: .*?(buyer\\d+@example\\.com)"),
                                       QRegularExpression::MultilineOption);
    QStringList recipients;
    const QDir outbox(folder + QStringLiteral("/Mail/Outbox/new"));
    for (const QString &name : outbox.entryList(QDir::Files)) {
        const auto m = to.match(QString::fromUtf8(TestSupport::readBytes(outbox.filePath(name))));
        recipients << (m.hasMatch() ? m.captured(1) : QStringLiteral("?"));
    }
    return recipients;
}

} // namespace

TEST(CrashSuite, SendKilledPartWayNeverMarksARecordWithoutItsMail)
{
    TempFolder dir;
    AppFolder::seed(dir.path());
    const QDate today(2026, 12, 7);
    {
        RecordStore store;
        store.open(dir.dbPath());
        std::vector<TestSupport::Values> rows;
        for (int i = 0; i < 200; ++i)
            rows.push_back({{Field::UserName, QStringLiteral("buyer%1").arg(i)},
                            {Field::EmailAddress, QStringLiteral("buyer%1@example.com").arg(i)},
                            {Field::AuctionName, QStringLiteral("Lot %1").arg(i)},
                            {Field::CloseDate, Dates::shortDateText(today)},
                            {Field::InvoiceSent, "0"}});
        TestSupport::appendAll(store, rows);
    }
    const QueueRule &invoices = *Queues::rule(QStringLiteral("IS"));

    QRandomGenerator rng(20261208);
    int kills = 0, inFlight = 0;
    bool finished = false;
    for (int round = 0; round < 8 && !finished; ++round) {
        QProcess helper;
        startHelper(helper, {"batch", dir.path(), today.toString(Qt::ISODate)});
        if (round < 5) {
            QThread::msleep(50 + rng.bounded(600));
            finished = helper.state() == QProcess::NotRunning;
            kill(helper);
            kills += finished ? 0 : 1;
        } else {
            finished = helper.waitForFinished(120000);
        }

        RecordStore store;
        store.open(dir.dbPath());
        const QStringList mailed = outboxRecipients(dir.path());
        int unmarkedWithMail = 0;
        for (int i = 0; i < store.recordCount(); ++i) {
            const AuctionRecord &r = store.recordAt(i);
            const bool marked = r[Field::InvoiceSent] == u"1";
            const bool hasMail = mailed.contains(r[Field::EmailAddress]);
            EXPECT_FALSE(marked && !hasMail)
                << r[Field::UserName].toStdString() << " is marked without its mail";
            if (!hasMail || marked)
                continue;
            ++unmarkedWithMail;
            // The mail in flight when the kill came: the list offers its row again.
            bool offered = false;
            for (const QueueRow &row : Queues::compute(store, invoices, today).rows)
                offered = offered || row.userName == r[Field::UserName];
            EXPECT_TRUE(offered) << r[Field::UserName].toStdString();
        }
        EXPECT_LE(unmarkedWithMail, 1) << "after round " << round;
        inFlight += unmarkedWithMail;
    }
    ASSERT_TRUE(finished);
    RecordStore store;
    store.open(dir.dbPath());
    int marked = 0;
    for (int i = 0; i < store.recordCount(); ++i)
        marked += store.recordAt(i)[Field::InvoiceSent] == u"1";
    const QStringList mailed = outboxRecipients(dir.path());
    const int buyers = int(QSet<QString>(mailed.begin(), mailed.end()).size());
    std::printf("batch kill: %d kills, %d mails to %d buyers for 200 records, %d marked; %d "
                "times a mail was in flight at a kill, and was sent again by the next Send\n",
                kills, int(mailed.size()), buyers, marked, inFlight);
    EXPECT_EQ(marked, 200);
    EXPECT_EQ(buyers, 200);
    // Only a mail in flight at a kill goes twice.
    EXPECT_LE(mailed.size() - 200, kills);
}

// ---------------------------------------------------------------- the full disk

namespace {

// A tmpfs of a few hundred KB mounted for the length of a test.
struct SmallDisk
{
    explicit SmallDisk(const QString &at) : at(at)
    {
        QDir().mkpath(at);
        mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=384k", "tmpfs", at}) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            QProcess::execute(QStringLiteral("umount"), {"-l", at});
    }
    QString at;
    bool mounted = false;
};

// Takes whatever room is left on the disk.
void fill(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size()) {
    }
    const QByteArray byte(1, 'x');
    while (f.write(byte) == 1) {
    }
}

} // namespace

TEST(CrashSuite, FullDiskLosesNothingStoredAndLeavesEveryFileWhole)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the full-disk case mounts a small tmpfs, which needs root";
    TempFolder dir;
    SmallDisk disk(dir.file("disk"));
    if (!disk.mounted)
        GTEST_SKIP() << "a tmpfs could not be mounted";
    const QString app = disk.at, db = app + "/Auctions.db", log = app + "/errorlog.log";
    const QString list = app + "/Subjects/emailsub.sub";
    TestSupport::makeStore(db, 100);
    QDir().mkpath(app + "/Subjects");
    OptionFiles::writeList(list, {"Thanks for your order", "Your parcel is on its way"});
    ASSERT_TRUE(TextFile::appendLines(log, {"12/7/2026 9:30:00 AM", "Error Found In: Sub_LogOn",
                                            "Error Number: 32002", "Error Description: x", ""}));
    const QByteArray listBytes = TestSupport::readBytes(list);
    const QByteArray logBytes = TestSupport::readBytes(log);

    RecordStore store;
    store.open(db);
    // An import that fills the disk is refused whole.
    int imported = 0;
    QString importRefused;
    for (int batch = 0; batch < 500 && importRefused.isEmpty(); ++batch) {
        std::vector<FieldValues> rows(40);
        for (FieldValues &v : rows)
            v[Fields::index(Field::Notes)] = QString(1000, u'n');
        try {
            store.appendRecords(rows);
            imported += 40;
        } catch (const LotwiseError &e) {
            importRefused = e.description();
        }
    }
    EXPECT_FALSE(importRefused.isEmpty());
    EXPECT_EQ(store.storedCount(), 100 + imported);

    // The batch marks, with the disk full to the last byte.
    fill(app + "/filler");
    std::vector<int> acknowledged;
    QString markRefused, error;
    for (int i = 0; i < 100 && markRefused.isEmpty(); ++i) {
        store.moveTo(i);
        try {
            store.markCurrent({{Field::InvoiceSent, QStringLiteral("1")}});
            acknowledged.push_back(i);
        } catch (const LotwiseError &e) {
            markRefused = e.description();
        }
    }

    // An option file and the error log: refused, and the old file kept whole.
    QStringList longer;
    for (int i = 0; i < 2000; ++i)
        longer << QStringLiteral("Subject number %1 of a long list").arg(i);
    EXPECT_EQ(TestSupport::errorNumberOf([&] { OptionFiles::writeList(list, longer); }),
              ErrorCode::FileAccess);
    EXPECT_EQ(TestSupport::readBytes(list), listBytes);
    EXPECT_FALSE(TextFile::appendLines(log, longer, &error));
    EXPECT_EQ(TestSupport::readBytes(log), logBytes);
    // A backup: refused, nothing half written left behind.
    EXPECT_EQ(TestSupport::errorNumberOf([&] {
                  StoreBackups::write(db, StoreBackups::folderOf(app),
                                      QDateTime::currentDateTime());
              }),
              ErrorCode::BackupFailed);
    EXPECT_TRUE(QDir(StoreBackups::folderOf(app)).entryList(QDir::Files).isEmpty());
    try {
        store.close();
    } catch (const LotwiseError &) {
    }

    QFile::remove(app + "/filler");
    const StoreFileCheck check = RecordStore::checkFile(db, RecordStore::Integrity::Full);
    ASSERT_TRUE(check.sound()) << check.problem.toStdString();
    EXPECT_EQ(check.records, 100 + imported);
    store.open(db);
    for (int i : acknowledged)
        EXPECT_EQ(store.recordAt(i)[Field::InvoiceSent], QStringLiteral("1")) << i;
    EXPECT_EQ(TestSupport::readBytes(list), listBytes);
    std::printf("full disk: %d records imported before the disk filled (\"%s\"), %zu marks "
                "written on the full disk%s; store sound with %lld records, option file and "
                "error log unchanged, no backup left half written\n",
                imported, qPrintable(importRefused), acknowledged.size(),
                markRefused.isEmpty() ? "" : qPrintable(" before one was refused"), check.records);
}
