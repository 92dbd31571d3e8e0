#include "records/recordstore.h"
#include "reports/money.h"
#include "reports/salesfigures.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

using Row = TestSupport::Values;

// A month's figures on one line: sales, total, paid, unpaid.
QString figures(const SalesFigures::Month &m)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(m.sales)
        .arg(m.total.text(), m.paid.text())
        .arg(m.unpaid);
}

class SalesFiguresTest : public TestSupport::StoreTest
{
protected:
    void add(const std::vector<Row> &rows) { TestSupport::appendAll(store, rows); }
    static Row sale(const char *closed, const char *total, bool paid = false)
    {
        return {{Field::CloseDate, closed},
                {Field::AuctionTotal, total},
                {Field::PaymentMade, paid ? "1" : "0"}};
    }
};

TEST(MoneyTest, ReadsWhatSellersTypeRefusesTheRestAndSumsExactDecimals)
{
    const std::pair<const char *, const char *> read[] = {{"12.5", "12.50"},
                                                          {" $7 ", "7.00"},
                                                          {"-3.25", "-3.25"},
                                                          {".5", "0.50"},
                                                          {"1.2345", "1.2345"}};
    for (const auto &[typed, money] : read)
        EXPECT_EQ(Money::parse(QString::fromLatin1(typed)).value_or(Money()).text(), money)
            << typed;
    for (const char *bad : {"", " ", "$", ".", "abc", "12.50 USD", "1,200.00", "1.2.3", "1.23456",
                            "1234567890123456789"})
        EXPECT_FALSE(Money::parse(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ((*Money::parse(u"0.10") + *Money::parse(u"0.20")).text(), "0.30");
    Money sum;
    for (int i = 0; i < 1000; ++i)
        sum += *Money::parse(u"0.01");
    EXPECT_EQ(sum.text(), "10.00");
    // Past what a 64-bit count of ten-thousandths holds.
    Money big;
    for (int i = 0; i < 10; ++i)
        big += *Money::parse(u"999999999999999999.99");
    EXPECT_EQ(big.text(), "9999999999999999999.90");
}

TEST_F(SalesFiguresTest, MonthsAreCutAtTheirEdgesAndTheYearAtItsEnd)
{
    add({sale("12/31/2024", "1.00", true), // last day of the year before
         sale("1/1/2025", "0.10", true),   // first day of the year
         sale("1/31/2025", "0.20"), sale("2/1/2025", "5.55", true), sale("12/31/2025", "100.01"),
         sale("1/1/2026", "9.00", true)}); // the year after
    store.moveTo(1);
    const SalesFigures::Period y = SalesFigures::year(store, 2025);
    EXPECT_EQ(store.position(), 1); // reading leaves the current record where it was
    ASSERT_EQ(y.months.size(), 12u);
    EXPECT_EQ(y.months[0].month, QDate(2025, 1, 1));
    EXPECT_EQ(figures(y.months[0]), "2 0.30 0.10 1");
    EXPECT_EQ(figures(y.months[1]), "1 5.55 5.55 0");
    EXPECT_EQ(figures(y.months[11]), "1 100.01 0.00 1");
    // 0.10 + 0.20 + 5.55 + 100.01, the paid part 0.10 + 5.55.
    EXPECT_EQ(figures(y.totals), "4 105.86 5.65 2");
    EXPECT_EQ(y.leftOut, 0);
}

TEST_F(SalesFiguresTest, RecordsWithoutADateOrAnAmountAreLeftOutAndCounted)
{
    add({sale("3/5/2025", "10.00"),
         sale("not a date", "4.00"), // belongs to no period: counted in every one
         sale("", "4.00"),
         sale("3/6/2025", "ten dollars"), // in the year, no amount
         sale("3/7/2024", "oops"),        // no amount, but another year
         {{Field::CloseDate, "3/8/2025"},
          {Field::AuctionTotal, "2.5"},
          {Field::PaymentMade, "2"}}});
    const SalesFigures::Period y = SalesFigures::year(store, 2025);
    EXPECT_EQ(y.leftOut, 3);
    EXPECT_EQ(y.records, 3);
    // A payment flag of 2 is not paid.
    EXPECT_EQ(figures(y.months[2]), "2 12.50 0.00 2");
    EXPECT_EQ(SalesFigures::leftOutLine(y.leftOut), "3 records left out: no date or no amount");
    EXPECT_EQ(SalesFigures::leftOutLine(0), "");
}

TEST_F(SalesFiguresTest, AnEmptyStoreGivesZeroesAndNoFigures)
{
    const SalesFigures::Period y = SalesFigures::lastTwelveMonths(store, QDate(2026, 3, 15));
    ASSERT_EQ(y.months.size(), 12u);
    EXPECT_EQ(y.months.front().month, QDate(2025, 4, 1));
    EXPECT_EQ(y.months.back().month, QDate(2026, 3, 1));
    EXPECT_EQ(figures(y.totals), "0 0.00 0.00 0");
    EXPECT_FALSE(y.medianDaysToPayment);
    EXPECT_FALSE(y.neverPaidShare());
    EXPECT_EQ(SalesFigures::daysText(y.medianDaysToPayment), "-");
    EXPECT_EQ(SalesFigures::shareText(y.neverPaidShare()), "-");
}

TEST_F(SalesFiguresTest, MediansAndTheNeverPaidShareComeFromThePeriodsRecords)
{
    const auto paid = [](const char *closed, const char *paidOn, const char *sentOn) {
        return Row{{Field::CloseDate, closed},
                   {Field::AuctionTotal, "1"},
                   {Field::PaymentMade, "1"},
                   {Field::PaymentMadeDate, paidOn},
                   {Field::ItemSent, sentOn[0] ? "1" : "0"},
                   {Field::ItemSentDate, sentOn}};
    };
    add({paid("6/1/2025", "6/2/2025", "6/3/2025"),   // 1 day to pay, 1 to ship
         paid("6/1/2025", "6/5/2025", "6/12/2025"),  // 4 and 7
         paid("6/1/2025", "6/11/2025", ""),          // 10, not shipped
         paid("6/1/2025", "6/4/2025", "6/6/2025"),   // 3 and 2
         paid("6/1/2024", "6/30/2024", "7/30/2024"), // another year
         {{Field::CloseDate, "6/1/2025"}, {Field::Npb, "1"}, {Field::AuctionTotal, "x"}},
         {{Field::CloseDate, "6/2/2025"},
          {Field::PaymentMade, "1"},
          {Field::PaymentMadeDate, "never"}}});
    const SalesFigures::Period y = SalesFigures::year(store, 2025);
    // Days to pay 1, 3, 4, 10: the median lies between 3 and 4.
    EXPECT_EQ(*y.medianDaysToPayment, 3.5);
    // Days to ship 1, 2, 7.
    EXPECT_EQ(*y.medianDaysToShipping, 2.0);
    EXPECT_EQ(SalesFigures::daysText(y.medianDaysToPayment), "3.5");
    EXPECT_EQ(SalesFigures::daysText(y.medianDaysToShipping), "2");
    // One unpaid item among the six records of the year, the one without an amount included.
    EXPECT_EQ(y.records, 6);
    EXPECT_EQ(y.neverPaid, 1);
    EXPECT_EQ(SalesFigures::shareText(y.neverPaidShare()), "16.7%");
}

} // namespace
