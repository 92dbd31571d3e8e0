#include "reminders.h"

#include "platform/numbers.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

namespace StartupReminders {

namespace {

struct Rule
{
    std::vector<FlagTest> flags;
    const char *text;
};

// In the order of the options. Unpaid items are those whose fee credit is still to claim:
// once the credit is filed the sale is closed out and there is nothing left to remind of.
const Rule kRules[] = {
    {{{Field::InvoiceSent, 0}}, " - Invoices to Send."},
    {{{Field::InvoiceSent, 1}, {Field::PaymentMade, 1}, {Field::ItemSent, 0}}, " - Items to Ship."},
    {{{Field::InvoiceSent, 1}, {Field::PaymentMade, 1}, {Field::ItemSent, 1}, {Field::FeedBackGiven, 0}},
     " - Feed Back to Leave."},
    {{{Field::InvoiceSent, 1}, {Field::PaymentMade, 0}, {Field::ItemSent, 0}, {Field::CriedtFiled, 0}},
     " - Unpaid Items."},
};

} // namespace

QStringList lines(const RecordStore &store, const OptionFiles::Reminders &reminders, QDate today)
{
    QStringList out;
    for (int which = 0; which < int(reminders.items.size()); ++which) {
        const OptionFiles::Reminders::Reminder &r = reminders.items[size_t(which)];
        if (!r.on)
            continue;
        QueueRule rule;
        rule.flags = kRules[which].flags;
        rule.basis = Field::CloseDate;
        // "7.5" means seven and a half days, text that is not a number 0; a record counts
        // once its age reaches the count.
        const double days = Numbers::leadingNumber(r.days);
        int count = 0;
        for (int i = 0; i < store.recordCount(); ++i) {
            std::optional<qint64> age;
            if (Queues::isMember(store.recordAt(i), rule, today, &age) && age && double(*age) >= days)
                ++count;
        }
        if (count > 0)
            out << QStringLiteral("REMINDER - You Have %1").arg(count) + QLatin1String(kRules[which].text);
    }
    return out;
}

} // namespace StartupReminders
