#include "onexitreport.h"

#include "mail/templates.h"
#include "queues/batchactions.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <vector>

namespace OnExitReport {

namespace {

struct Kind
{
    std::vector<FlagTest> flags;
    Mark mark;
};

// In the order of the choices: invoices, payment received, feedback given.
const Kind kKinds[] = {
    {{{Field::InvoiceSent, 0}}, Marks::invoiceSent},
    {{{Field::InvoiceSent, 1}, {Field::PaymentMade, 1}, {Field::NoticePaymentReceived, 0}},
     Mark{Field::NoticePaymentReceived, std::nullopt}},
    {{{Field::FeedBackGiven, 1}, {Field::NoticeFeedBackGiven, 0}}, Marks::feedbackNoticeSent},
};

} // namespace

Tally run(RecordStore &store, const OptionFiles::OnExit &choices, const QString &appFolder,
          QDate today, const Mailing &mailing)
{
    Tally tally;
    for (int which = 0; which < 3; ++which) {
        const OptionFiles::OnExit::Email &email = choices.emails[size_t(which)];
        if (!email.on || email.templateFile.trimmed().isEmpty())
            continue;
        const QString path = Templates::templatePath(appFolder, email.templateFile);
        for (int i = 0; i < store.recordCount(); ++i) {
            if (!Queues::hasFlags(store.recordAt(i), kKinds[which].flags))
                continue;
            store.moveTo(i);
            if (mailing.merge(path) && mailing.send(store.get(Field::EmailAddress), email.subject)) {
                Marks::apply(store, kKinds[which].mark, today);
                store.flush();
                ++tally.sent;
            } else {
                ++tally.failed;
            }
        }
    }
    if (choices.sendErrorLog && mailing.sendErrorLog)
        mailing.sendErrorLog();
    return tally;
}

} // namespace OnExitReport
