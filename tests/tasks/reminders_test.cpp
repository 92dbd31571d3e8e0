#include "support/testsupport.h"
#include "tasks/onexitreport.h"
#include "tasks/reminders.h"

#include "platform/appfolder.h"
#include "platform/dates.h"

#include <gtest/gtest.h>

using TestSupport::addRecord;
using TestSupport::daysAgo;

namespace {

const QDate kToday(2026, 3, 15);

class RemindersTest : public TestSupport::StoreTest
{
protected:
    OptionFiles::Reminders only(OptionFiles::Reminders::Which which, const QString &days)
    {
        OptionFiles::Reminders r;
        r.items[which] = {true, days};
        return r;
    }
    QStringList lines(const OptionFiles::Reminders &r)
    {
        return StartupReminders::lines(store, r, kToday);
    }
};

} // namespace

TEST_F(RemindersTest, ThresholdsCountFromTheCloseDateAtTheirEdges)
{
    OptionFiles::Reminders all;
    for (auto &item : all.items)
        item = {true, "0"};
    EXPECT_TRUE(lines(all).isEmpty()); // an empty store: no line and no failure

    addRecord(store, {{Field::CloseDate, daysAgo(kToday, 3)}});
    addRecord(store, {{Field::CloseDate, daysAgo(kToday, 2)}});
    addRecord(store, {{Field::CloseDate, daysAgo(kToday, -4)}}); // closes in four days
    addRecord(store, {{Field::CloseDate, "next week"}});
    // A day count that is no number is 0: everything closed today or before, never the future.
    // A decimal count is taken as it stands, not as 0: 2.5 days passes the 3-day-old record
    // only, and so does a count with words after it.
    const std::pair<const char *, int> cases[] = {
        {"3", 1}, {"2", 2}, {"soon", 2}, {"4", 0}, {"2.5", 1}, {" 2.5 days", 1}, {"3.5", 0}};
    for (const auto &[days, count] : cases) {
        const QString line =
            QStringLiteral("REMINDER - You Have %1 - Invoices to Send.").arg(count);
        EXPECT_EQ(lines(only(OptionFiles::Reminders::Invoice, days)),
                  count ? QStringList{line} : QStringList())
            << days;
    }
    // All off: nothing, whatever is overdue.
    EXPECT_TRUE(lines(OptionFiles::Reminders{}).isEmpty());
}

TEST_F(RemindersTest, EachKindTestsItsFlagsAndTheLinesKeepTheOptionOrder)
{
    const QString old = daysAgo(kToday, 30);
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"}, {Field::CloseDate, old}});
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"}, {Field::ItemSent, "1"},
                      {Field::CloseDate, old}});
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"}, {Field::ItemSent, "1"},
                      {Field::FeedBackGiven, "1"}, {Field::CloseDate, old}});
    // Unpaid with the fee credit still to claim counts; one already claimed is closed out.
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CloseDate, old}});
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CloseDate, old}});
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CriedtFiled, "1"}, {Field::CloseDate, old}});
    OptionFiles::Reminders all;
    for (auto &item : all.items)
        item = {true, "7"};
    EXPECT_EQ(lines(all), (QStringList{"REMINDER - You Have 1 - Items to Ship.",
                                       "REMINDER - You Have 1 - Feed Back to Leave.",
                                       "REMINDER - You Have 2 - Unpaid Items."}));
}

namespace {

// The on-exit report over a scripted mail system.
class OnExitTest : public RemindersTest
{
protected:
    void SetUp() override
    {
        RemindersTest::SetUp();
        AppFolder::seed(folder.path());
    }
    OnExitReport::Tally run()
    {
        OnExitReport::Mailing m;
        m.merge = [this](const QString &path) {
            merged << path;
            return !failMerge.contains(store.get(Field::UserName));
        };
        m.send = [this](const QString &to, const QString &subject) {
            sent << to + u'|' + subject;
            if (sendHook)
                sendHook();
            return !refuse.contains(to);
        };
        m.sendErrorLog = [this] { ++errorLogs; };
        return OnExitReport::run(store, choices, folder.path(), kToday, m);
    }
    void choose(OptionFiles::OnExit::Which which, const QString &file)
    {
        choices.emails[which].on = true;
        choices.emails[which].templateFile = file;
    }
    QString field(int record, Field f) { return store.recordAt(record)[f]; }
    // Buyer `name`, mailed at name@example.com.
    void addBuyer(const QString &name, TestSupport::Values more = {})
    {
        more.insert(more.begin(),
                    {{Field::UserName, name}, {Field::EmailAddress, name + "@example.com"}});
        addRecord(store, more);
    }

    OptionFiles::OnExit choices;
    QStringList merged, sent, failMerge, refuse;
    int errorLogs = 0;
    std::function<void()> sendHook;
};

} // namespace

TEST_F(OnExitTest, InvoicesGoOncePerBuyerAndOnlyAcceptedOnesAreMarked)
{
    for (const char *name : {"ann", "bob", "cy"})
        addBuyer(name);
    addBuyer("dee", {{Field::InvoiceSent, "1"}});
    // Nothing chosen: nothing sent, nothing changed.
    const auto none = run();
    EXPECT_EQ(none.sent + none.failed, 0);
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(errorLogs, 0);
    EXPECT_NE(field(0, Field::InvoiceSent), "1");

    choose(OptionFiles::OnExit::Invoice, "Auction Invoice.elm");
    choices.emails[0].subject = "Your invoice";
    refuse = {"bob@example.com"};
    failMerge = {"cy"};
    const auto t = run();
    EXPECT_EQ(t.sent, 1);
    EXPECT_EQ(t.failed, 2);
    // A failed merge sends nothing for its buyer.
    EXPECT_EQ(sent, (QStringList{"ann@example.com|Your invoice", "bob@example.com|Your invoice"}));
    EXPECT_TRUE(merged.value(0).endsWith("/Email Templates/Auction Invoice.elm")) << merged.value(0).toStdString();
    EXPECT_EQ(field(0, Field::InvoiceSent), "1");
    EXPECT_EQ(field(0, Field::InvoiceSentDate), Dates::shortDateText(kToday));
    EXPECT_NE(field(1, Field::InvoiceSent), "1");
    EXPECT_NE(field(2, Field::InvoiceSent), "1");

    // The next close offers only the two that did not go.
    sent.clear();
    refuse.clear();
    failMerge.clear();
    EXPECT_EQ(run().sent, 2);
    EXPECT_EQ(sent.size(), 2);
    sent.clear();
    EXPECT_EQ(run().sent, 0);
    EXPECT_TRUE(sent.isEmpty());
}

TEST_F(OnExitTest, NoticesTestTheirOwnFlagsAndAMissingTemplateSkipsTheChoice)
{
    addBuyer("paid", {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"}});
    addBuyer("told", {{Field::InvoiceSent, "1"},
                      {Field::PaymentMade, "1"},
                      {Field::NoticePaymentReceived, "1"},
                      {Field::FeedBackGiven, "1"},
                      {Field::NoticeFeedBackGiven, "1"}});
    addBuyer("rated", {{Field::FeedBackGiven, "1"}});
    choose(OptionFiles::OnExit::Payment, "Payment Made.elm");
    choose(OptionFiles::OnExit::FeedBack, "Feed Back Given.elm");
    choices.emails[OptionFiles::OnExit::Invoice].on = true; // no template chosen
    choices.sendErrorLog = true;
    auto tally = run();
    EXPECT_EQ(sent, (QStringList{"paid@example.com|Payment Received",
                                 "rated@example.com|Feed Back Given"}));
    EXPECT_EQ(field(0, Field::NoticePaymentReceived), "1");
    EXPECT_EQ(field(2, Field::NoticeFeedBackGiven), "1");
    EXPECT_NE(field(2, Field::InvoiceSent), "1");
    EXPECT_EQ(errorLogs, 1);
    ASSERT_EQ(tally.skipped.size(), 1);
    EXPECT_TRUE(tally.skipped[0].startsWith("No invoices sent on closing: no template is chosen"));

    // A chosen template that has gone from the folder is skipped too, never replaced.
    sent.clear();
    merged.clear();
    choose(OptionFiles::OnExit::Invoice, "Deleted Invoice.elm");
    tally = run();
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_TRUE(merged.isEmpty());
    EXPECT_NE(field(2, Field::InvoiceSent), "1");
    ASSERT_EQ(tally.skipped.size(), 1);
    EXPECT_TRUE(tally.skipped[0].contains("\"Deleted Invoice.elm\" is no longer"));
}

namespace {

class OnExitStoreFaultTest : public OnExitTest,
                             public ::testing::WithParamInterface<TestSupport::StoreFault::Kind>
{
};

} // namespace

TEST_P(OnExitStoreFaultTest, AStoreThatCannotBeWrittenEndsTheReportAndNamesTheBuyerMailed)
{
    using TestSupport::StoreFault;
    const StoreFault::Kind kind = GetParam();
    for (const char *user : {"ann", "bob", "cy"})
        addBuyer(user, {{Field::AuctionName, QString("lot of ") + user}});
    choose(OptionFiles::OnExit::Invoice, "Auction Invoice.elm");
    choices.sendErrorLog = true;
    std::unique_ptr<StoreFault> fault;
    if (kind == StoreFault::ReadOnly) {
        store.close();
        fault = std::make_unique<StoreFault>(kind, folder.dbPath());
        if (!fault->made())
            GTEST_SKIP() << "this file system has no read-only files for root";
        store.open(folder.dbPath());
    } else {
        // The store fails after the first invoice has been marked.
        sendHook = [&] {
            if (sent.size() == 2)
                fault = std::make_unique<StoreFault>(kind, folder.dbPath());
        };
    }
    const auto tally = run();
    ASSERT_TRUE(tally.error);
    const QString mailed = kind == StoreFault::ReadOnly ? "ann" : "bob";
    EXPECT_EQ(tally.mailedUnmarked, mailed + " (lot of " + mailed + ")");
    EXPECT_EQ(sent.last(), mailed + "@example.com|Auction Invoice");
    EXPECT_FALSE(sent.join(u' ').contains("cy@"));
    EXPECT_EQ(errorLogs, 0); // the report ended there
    try {
        std::rethrow_exception(tally.error);
    } catch (const LotwiseError &e) {
        EXPECT_TRUE(e.detail().contains("The mail to " + mailed)) << e.detail().toStdString();
    }

    fault.reset();
    RecordStore after;
    store.close();
    after.open(folder.dbPath());
    EXPECT_EQ(after.recordAt(0)[Field::InvoiceSent] == "1", kind != StoreFault::ReadOnly);
    EXPECT_NE(after.recordAt(1)[Field::InvoiceSent], "1");
    EXPECT_NE(after.recordAt(2)[Field::InvoiceSent], "1");
}

INSTANTIATE_STORE_FAULTS(OnExitStoreFaultTest);
