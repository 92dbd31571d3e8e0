#include "queues/queuerules.h"
#include "support/testsupport.h"
#include "tasks/tasksummary.h"

#include <gtest/gtest.h>

using TestSupport::addRecord;
using TestSupport::daysAgo;

namespace {

const QDate kToday(2026, 3, 15);

using TaskSummaryTest = TestSupport::StoreTest;

} // namespace

TEST_F(TaskSummaryTest, CountsAreTheMembersOfTheListOfTheSameKey)
{
    EXPECT_TRUE(TaskSummary::lines(store, kToday).isEmpty());
    // Closed 10 days ago, sent yesterday: the feedback lists count from the day it was sent.
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"}, {Field::ItemSent, "1"},
                      {Field::CloseDate, daysAgo(kToday, 10)}, {Field::ItemSentDate, daysAgo(kToday, 1)}});
    // 16 days, the 7-day reminder sent and the 14-day one not: a 14-day reminder is due.
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CloseDate, daysAgo(kToday, 16)},
                      {Field::Remainder10, "1"}, {Field::Remainder20, "0"}});
    // Exactly 35 days: the 35-day unpaid list, not the 28-day one; and the 35-day reminder.
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CloseDate, daysAgo(kToday, 35)}});
    // A fee credit already claimed is reminded of no more.
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CloseDate, daysAgo(kToday, 9)},
                      {Field::CriedtFiled, "1"}});
    // A close date that is not a date counts nowhere and stops nothing.
    addRecord(store, {{Field::InvoiceSent, "1"}, {Field::CloseDate, "soon"}});
    addRecord(store, {{Field::CloseDate, daysAgo(kToday, 1)}});
    addRecord(store, {{Field::CloseDate, daysAgo(kToday, 2)}});

    EXPECT_EQ(TaskSummary::lines(store, kToday),
              (QStringList{"You have 2 - invoice to send.", "You have 1 - 14 day Auction Remainders to send.",
                           "You have 1 - 35 day Auction Remainders to send.",
                           "You have 1 - 35 day unpaid buyers to file."}));
    EXPECT_EQ(store.position(), 0);
    for (const char *key : {"IS", "S", "FB1", "AR2", "UPI3", "FVF1"}) {
        const QString line = TaskSummary::CheckTasks(store, key, kToday);
        const auto members = Queues::compute(store, *Queues::rule(QString(key)), kToday).rows.size();
        EXPECT_EQ(line.isEmpty(), members == 0) << key;
        if (members) {
            EXPECT_TRUE(line.startsWith(QStringLiteral("You have %1 - ").arg(members))) << key;
        }
    }
    // Keys without a line add nothing, whatever their lists hold.
    for (const char *key : {"FB5", "FB6", "AR7", "UPI4", "FVF4", "VA", "nonsense"})
        EXPECT_EQ(TaskSummary::CheckTasks(store, key, kToday), "") << key;
}
