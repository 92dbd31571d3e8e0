#include "addrecord.h"

#include "recordstore.h"

namespace Records {

void addRecord(RecordStore &store, bool quickCopy)
{
    QString closeDate, auctionName, auctionTotal;
    if (store.hasCurrent()) {
        closeDate = store.get(Field::CloseDate);
        auctionName = store.get(Field::AuctionName);
        auctionTotal = store.get(Field::AuctionTotal);
    }
    // An empty store has no last record to move to; the new one is simply the first.
    if (store.recordCount() > 0)
        store.moveLast();
    store.addNew();
    for (Field f : {Field::CloseDate, Field::AuctionName, Field::AuctionUrl, Field::AuctionTotal,
                    Field::UserName, Field::EmailAddress, Field::Address, Field::Notes,
                    Field::InvoiceSentDate, Field::PaymentMadeDate, Field::ItemSentDate,
                    Field::TrackingNumber})
        store.set(f, QString(""));
    for (Field f : {Field::InvoiceSent, Field::PaymentMade, Field::PayPal, Field::MoneyOrder,
                    Field::Check, Field::Cash, Field::ItemSent, Field::FeedBackGiven,
                    Field::Remainder10, Field::Remainder20, Field::Remainder30, Field::Remainder40})
        store.set(f, QStringLiteral("0"));
    if (quickCopy) {
        store.set(Field::CloseDate, closeDate);
        store.set(Field::AuctionName, auctionName);
        store.set(Field::AuctionTotal, auctionTotal);
    }
}

} // namespace Records
