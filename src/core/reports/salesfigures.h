#pragma once

#include "reports/money.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

class RecordStore;

// Sales by month and the figures that tell how the business runs, worked out from the
// records' Close Date, Auction Total and flags. Reading only: no record is changed and the
// store's position stays where it was.
namespace SalesFigures {

struct Month
{
    QDate month;   // the first day of the month
    int sales = 0; // records closed in the month with a readable total
    Money total;   // their Auction Totals
    Money paid;    // the totals of those marked paid
    int unpaid = 0;
};

struct Period
{
    std::vector<Month> months;
    Month totals; // all months together; its `month` is the first month
    // Records kept out of the sums: a Close Date that is not a date (they belong to no
    // period, so every period counts them), or a date in the period with a total that is
    // not an amount.
    int leftOut = 0;
    // Records of the period, whether or not their total could be read.
    int records = 0;
    // Of those, the ones reported as unpaid items (CK NPB = 1).
    int neverPaid = 0;
    // Median whole days from Close Date to Payment Made Date over the paid records of the
    // period, and from Payment Made Date to Item Sent Date over the shipped ones; nothing
    // when no record has both dates.
    std::optional<double> medianDaysToPayment;
    std::optional<double> medianDaysToShipping;

    std::optional<double> neverPaidShare() const
    {
        return records > 0 ? std::optional<double>(double(neverPaid) / records) : std::nullopt;
    }
};

// `count` months starting with the month of `first`.
Period compute(const RecordStore &store, QDate first, int count);
// The twelve months of a calendar year.
inline Period year(const RecordStore &store, int y) { return compute(store, QDate(y, 1, 1), 12); }
// The twelve months up to and including today's.
Period lastTwelveMonths(const RecordStore &store, QDate today);

// "N records left out: no date or no amount"; empty when none is.
QString leftOutLine(int leftOut);
// Days as a seller reads them: "3", "2.5", or "-" when there is no figure.
QString daysText(const std::optional<double> &days);
// The never-paid share as a percentage: "12.5%", or "-".
QString shareText(const std::optional<double> &share);

} // namespace SalesFigures
