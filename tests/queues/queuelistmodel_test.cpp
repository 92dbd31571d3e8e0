#include "queues/queuelistmodel.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

using SortType = QueueListModel::SortType;

const QStringList kHeaders{"User Name", "Email Address", "Auction Name", "Auction Close",
                           "Since Auction Close"};

QueueRow row(const QString &user, const QString &date = {}, const QString &days = {},
             const QString &auction = {})
{
    return {user, user + "@example.com", auction.isEmpty() ? "lot of " + user : auction, date,
            days};
}

QueueResult result(const QString &key, std::vector<QueueRow> rows)
{
    QueueResult r;
    r.key = key;
    r.rows = std::move(rows);
    return r;
}

QStringList column(const QueueListModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r, c), Qt::DisplayRole).toString();
    return out;
}

QStringList users(const QueueListModel &m)
{
    return column(m, 0);
}

} // namespace

TEST(QueueListSort, DatesSortByCalendarNotByTextAndNonDatesLowest)
{
    QueueListModel m(kHeaders);
    m.setQueue(result("IS", {row("a", "1/2/2006"), row("b", "12/31/2005"), row("c", "soon"),
                             row("d", "2/29/2004"), row("e", "")}));
    // The list starts ascending, so the first click sorts descending.
    m.sortByColumn(3, SortType::Date);
    EXPECT_EQ(m.order(), QueueListModel::Order::Descending);
    EXPECT_EQ(column(m, 3), (QStringList{"1/2/2006", "12/31/2005", "2/29/2004", "soon", ""}));
    m.sortByColumn(3, SortType::Date);
    // Non-dates keep their order among themselves, below every date.
    EXPECT_EQ(column(m, 3), (QStringList{"soon", "", "2/29/2004", "12/31/2005", "1/2/2006"}));
    // The texts are the ones the list was given: sorting never rewrites a cell.
    EXPECT_EQ(users(m), (QStringList{"c", "e", "d", "b", "a"}));
}

TEST(QueueListSort, EveryClickFlipsTheOrderWhicheverColumnWasClickedBefore)
{
    QueueListModel m(kHeaders);
    m.setQueue(result("IS", {row("bob"), row("Cy"), row("ann")}));
    m.sortByColumn(0, SortType::Text);
    EXPECT_EQ(users(m), (QStringList{"Cy", "bob", "ann"})); // letter case does not matter
    m.sortByColumn(0, SortType::Text);
    EXPECT_EQ(users(m), (QStringList{"ann", "bob", "Cy"}));
    // Another column continues the alternation: this click sorts descending.
    m.sortByColumn(2, SortType::Text);
    EXPECT_EQ(column(m, 2), (QStringList{"lot of Cy", "lot of bob", "lot of ann"}));
    // A fresh list keeps the order state: the next click sorts ascending.
    m.setQueue(result("IS", {row("z"), row("y")}));
    m.sortByColumn(0, SortType::Text);
    EXPECT_EQ(users(m), (QStringList{"y", "z"}));
}

TEST(QueueListSort, DayColumnByItsLeadingNumber)
{
    QueueListModel m(kHeaders);
    m.setQueue(
        result("IS", {row("a", {}, "12 Days"), row("b", {}, "3 Days"), row("c", {}, "100 Days"),
                      row("d", {}, ""), row("e", {}, "-2 Days"), row("f", {}, "0 Days")}));
    m.sortByColumn(4, SortType::Number);
    m.sortByColumn(4, SortType::Number);
    EXPECT_EQ(column(m, 4),
              (QStringList{"", "-2 Days", "0 Days", "3 Days", "12 Days", "100 Days"}));
    // As text "100 Days" would come before "12 Days"; the text sort shows the difference.
    m.sortByColumn(4, SortType::Text);
    m.sortByColumn(4, SortType::Text);
    EXPECT_EQ(column(m, 4),
              (QStringList{"", "-2 Days", "0 Days", "100 Days", "12 Days", "3 Days"}));
    EXPECT_EQ(QueueListModel::sortTypeOf("number"), SortType::Number);
    EXPECT_EQ(QueueListModel::sortTypeOf("Date"), SortType::Date);
    EXPECT_EQ(QueueListModel::sortTypeOf(""), SortType::Text);
}

TEST(QueueListSort, ChecksIconsAndTheHighlightTravelWithTheirRows)
{
    QueueListModel m(kHeaders);
    m.setQueue(result("S", {row("bob"), row("ann"), row("bob", {}, {}, "second lot"), row("cy")}));
    m.setChecked(1, true); // ann
    m.setHighlightRow(3);  // cy
    m.sortByColumn(0, SortType::Text);
    m.sortByColumn(0, SortType::Text);
    EXPECT_EQ(users(m), (QStringList{"ann", "bob", "bob", "cy"}));
    EXPECT_TRUE(m.isChecked(0));
    EXPECT_FALSE(m.isChecked(1) || m.isChecked(2) || m.isChecked(3));
    EXPECT_EQ(m.iconAt(0), 2);
    EXPECT_EQ(m.iconAt(1), Queues::kSeveralItemsIcon);
    EXPECT_EQ(m.iconAt(2), Queues::kSeveralItemsIcon);
    EXPECT_EQ(m.highlightRow(), 3);
    // Equal keys keep the order they had: bob's first lot stays before the second.
    EXPECT_EQ(m.row(1).auctionName, "lot of bob");
}

TEST(QueueListRows, IconsByListAndSeveralItemsOnlyOnTheShipList)
{
    struct Case
    {
        const char *key;
        int icon;
    } cases[] = {{"IS", 1},  {"S", 2},   {"VA", 6},   {"AR1", 6},
                 {"AR7", 6}, {"FB3", 6}, {"UPI2", 5}, {"FVF4", 5}};
    for (const Case &c : cases) {
        QueueListModel m(kHeaders);
        m.setQueue(result(c.key, {row("solo"), row("twice"), row("twice", {}, {}, "b")}));
        EXPECT_EQ(m.iconAt(0), c.icon) << c.key;
        // Only the ship list marks a buyer with several rows.
        EXPECT_EQ(m.iconAt(1), QString(c.key) == "S" ? Queues::kSeveralItemsIcon : c.icon) << c.key;
    }
}

TEST(QueueListRows, CheckBoxesStartClearAndFollowTheView)
{
    QueueListModel m(kHeaders);
    m.setQueue(result("IS", {row("a"), row("b"), row("c")}));
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(m.data(m.index(r, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(m.flags(m.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(m.flags(m.index(0, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(m.setData(m.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(m.isChecked(2));
    m.setAllChecked(true);
    EXPECT_TRUE(m.isChecked(0) && m.isChecked(1) && m.isChecked(2));
    // A recomputed list starts unchecked again.
    m.setQueue(result("IS", {row("a")}));
    EXPECT_FALSE(m.isChecked(0));
}

// A list computed from the store makes its texts from the records, and keeps showing them as
// they were computed when the records change or go afterwards.
TEST(QueueListRows, AComputedListShowsTheRecordsAsTheyWereWhenItWasComputed)
{
    const QDate today(2026, 3, 1);
    TestSupport::TempFolder dir;
    RecordStore store;
    store.open(dir.dbPath());
    const int ages[] = {9, 30, 2};
    for (int i = 0; i < 3; ++i)
        TestSupport::addRecord(store, {{Field::UserName, QString("buyer%1").arg(i)},
                                       {Field::AuctionName, QString("lot %1").arg(i)},
                                       {Field::InvoiceSent, "0"},
                                       {Field::CloseDate, TestSupport::daysAgo(today, ages[i])}});
    QueueListModel m(kHeaders);
    m.setQueue(Queues::compute(store, *Queues::rule(u"IS"), today));
    m.sortByColumn(4, SortType::Number); // descending: 30, 9, 2 days
    const QStringList shown = {"buyer1", "buyer0", "buyer2"};
    ASSERT_EQ(users(m), shown);
    EXPECT_EQ(column(m, 4), (QStringList{"30 Days", "9 Days", "2 Days"}));
    EXPECT_EQ(m.row(0).auctionName, "lot 1");

    store.moveTo(0);
    store.set(Field::UserName, "renamed");
    store.flush();
    store.moveTo(1);
    store.deleteCurrent();
    EXPECT_EQ(users(m), shown);
    EXPECT_EQ(m.row(0).auctionName, "lot 1");
    EXPECT_EQ(m.row(1).userName, "buyer0");
    // Sorting goes on by the texts as shown.
    m.sortByColumn(3, SortType::Date); // ascending: oldest close date first
    EXPECT_EQ(users(m), shown);
    m.sortByColumn(0, SortType::Text);
    EXPECT_EQ(users(m), (QStringList{"buyer2", "buyer1", "buyer0"}));
    store.close();
    EXPECT_EQ(column(m, 2), (QStringList{"lot 2", "lot 1", "lot 0"}));
}
