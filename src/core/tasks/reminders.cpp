#include "reminders.h"

#include "platform/numbers.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    std::vector<QueueRule> rules;
    std::vector<int> which;
    for (int k = 0; k < int(reminders.items.size()); ++k) {
        const OptionFiles::Reminders::Reminder &r = reminders.items[size_t(k)];
        if (!r.on)
            continue;
        // "7.5" means seven and a half days, text that is not a number 0; a record counts
        // once its age (whole days) reaches the count, that is the count rounded up.
        const double days = std::ceil(Numbers::leadingNumber(r.days));
        if (std::isnan(days))
            continue;
        QueueRule rule;
        rule.flags = kRules[k].flags;
        rule.basis = Field::CloseDate;
        rule.minAge = int(std::clamp(days, double(std::numeric_limits<int>::min()),
                                     double(std::numeric_limits<int>::max())));
        rules.push_back(std::move(rule));
        which.push_back(k);
    }
    // One pass over the packed flags and day numbers for all of them.
    std::vector<const QueueRule *> asked;
    for (const QueueRule &rule : rules)
        asked.push_back(&rule);
    const std::vector<int> counts = Queues::countMembers(store, asked, today);
    QStringList out;
    for (size_t k = 0; k < counts.size(); ++k) {
        if (counts[k] > 0)
            out << QStringLiteral("REMINDER - You Have %1").arg(counts[k]) +
                       QLatin1String(kRules[which[k]].text);
    }
    return out;
}

} // namespace StartupReminders
