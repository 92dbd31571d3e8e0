#pragma once

// The table the list, start-up and store benchmarks run on: a seller's records, most of them
// finished, a tail waiting at each step, closed over the 120 days before `today`.

#include "platform/dates.h"
#include "records/recordstore.h"

#include <QRandomGenerator>
#include <vector>

inline std::vector<FieldValues> sellerTable(int records, QDate today)
{
    QRandomGenerator rng(20261206);
    std::vector<FieldValues> rows;
    rows.reserve(size_t(records));
    const auto flag = [&](int percentSet) {
        return QString::fromLatin1(int(rng.bounded(100)) < percentSet ? "1" : "0");
    };
    for (int i = 0; i < records; ++i) {
        FieldValues v;
        const QDate closed = today.addDays(-qint64(rng.bounded(120)));
        v[Fields::index(Field::CloseDate)] = Dates::shortDateText(closed);
        v[Fields::index(Field::AuctionName)] = QStringLiteral("Vintage brass lamp lot %1").arg(i);
        v[Fields::index(Field::AuctionUrl)] = QString::number(4000000000LL + i);
        v[Fields::index(Field::AuctionTotal)] = QStringLiteral("%1.50").arg(5 + i % 200);
        v[Fields::index(Field::UserName)] = QStringLiteral("buyer%1").arg(i % 40000);
        v[Fields::index(Field::EmailAddress)] = QStringLiteral("buyer%1@example.com").arg(i % 40000);
        v[Fields::index(Field::Address)] = QStringLiteral("%1 Main Street\r\nSpringfield").arg(i);
        const QString inv = flag(90), paid = flag(75), sent = flag(70);
        v[Fields::index(Field::InvoiceSent)] = inv;
        v[Fields::index(Field::PaymentMade)] = paid;
        v[Fields::index(Field::ItemSent)] = sent;
        if (inv == u"1")
            v[Fields::index(Field::InvoiceSentDate)] = Dates::shortDateText(closed.addDays(1));
        if (paid == u"1")
            v[Fields::index(Field::PaymentMadeDate)] = Dates::shortDateText(closed.addDays(3));
        if (sent == u"1")
            v[Fields::index(Field::ItemSentDate)] = Dates::shortDateText(closed.addDays(5));
        for (Field f : {Field::PayPal, Field::MoneyOrder, Field::Check, Field::Cash})
            v[Fields::index(f)] = flag(25);
        for (Field f : {Field::FeedBackGiven, Field::Remainder10, Field::Remainder20,
                        Field::Remainder30, Field::Remainder40, Field::Npb, Field::CriedtFiled})
            v[Fields::index(f)] = flag(30);
        v[Fields::index(Field::AuctionSite)] = QStringLiteral("eBay");
        rows.push_back(std::move(v));
    }
    return rows;
}
