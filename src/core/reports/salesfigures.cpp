#include "salesfigures.h"

#include "platform/dates.h"
#include "records/recordstore.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace SalesFigures {

namespace {

// Reads each distinct date text once: a table holds a few dates per selling day.
class CachedDates
{
public:
    std::optional<QDate> read(const QString &text)
    {
        auto it = m_seen.constFind(text);
        if (it == m_seen.constEnd())
            it = m_seen.insert(text, m_reader.read(text));
        return *it;
    }

private:
    Dates::DateReader m_reader;
    QHash<QString, std::optional<QDate>> m_seen;
};

std::optional<double> median(std::vector<qint64> &values)
{
    if (values.empty())
        return std::nullopt;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + qsizetype(mid), values.end());
    const double upper = double(values[mid]);
    if (values.size() % 2 == 1)
        return upper;
    const double lower = double(*std::max_element(values.begin(), values.begin() + qsizetype(mid)));
    return (lower + upper) / 2;
}

bool isSet(const FlagCodes &codes, Field f) { return codes[size_t(Fields::index(f))] == 1; }

} // namespace

Period compute(const RecordStore &store, QDate first, int count)
{
    Period p;
    first = QDate(first.year(), first.month(), 1);
    for (int i = 0; i < count; ++i)
        p.months.push_back(Month{first.addMonths(i), 0, {}, {}, 0});
    p.totals.month = first;
    const QDate end = first.addMonths(count); // exclusive
    CachedDates dates;
    std::vector<qint64> toPayment;
    std::vector<qint64> toShipping;
    for (int i = 0; i < store.recordCount(); ++i) {
        const AuctionRecord &r = store.recordAt(i);
        const FlagCodes &codes = store.flagCodesAt(i);
        const std::optional<QDate> closed = dates.read(r[Field::CloseDate]);
        if (!closed) {
            ++p.leftOut;
            continue;
        }
        if (*closed < first || *closed >= end)
            continue;
        ++p.records;
        if (isSet(codes, Field::Npb))
            ++p.neverPaid;
        const std::optional<QDate> paidOn =
            isSet(codes, Field::PaymentMade) ? dates.read(r[Field::PaymentMadeDate]) : std::nullopt;
        if (paidOn)
            toPayment.push_back(closed->daysTo(*paidOn));
        if (paidOn && isSet(codes, Field::ItemSent)) {
            if (const auto sentOn = dates.read(r[Field::ItemSentDate]))
                toShipping.push_back(paidOn->daysTo(*sentOn));
        }
        const std::optional<Money> amount = Money::parse(r[Field::AuctionTotal]);
        if (!amount) {
            ++p.leftOut;
            continue;
        }
        Month &m = p.months[size_t((closed->year() - first.year()) * 12 + closed->month() -
                                   first.month())];
        for (Month *into : {&m, &p.totals}) {
            ++into->sales;
            into->total += *amount;
            if (isSet(codes, Field::PaymentMade))
                into->paid += *amount;
            else
                ++into->unpaid;
        }
    }
    p.medianDaysToPayment = median(toPayment);
    p.medianDaysToShipping = median(toShipping);
    return p;
}

Period lastTwelveMonths(const RecordStore &store, QDate today)
{
    return compute(store, QDate(today.year(), today.month(), 1).addMonths(-11), 12);
}

QString leftOutLine(int leftOut)
{
    if (leftOut == 0)
        return {};
    return QStringLiteral("%1 records left out: no date or no amount").arg(leftOut);
}

QString daysText(const std::optional<double> &days)
{
    return days ? QString::number(*days, 'f', *days == std::floor(*days) ? 0 : 1)
                : QStringLiteral("-");
}

QString shareText(const std::optional<double> &share)
{
    if (!share)
        return QStringLiteral("-");
    return QString::number(*share * 100, 'f', 1) + u'%';
}

} // namespace SalesFigures
