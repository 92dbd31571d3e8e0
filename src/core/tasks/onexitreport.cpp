#include "onexitreport.h"

#include "mail/templates.h"
#include "queues/batchactions.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <QFileInfo>
#include <vector>

namespace OnExitReport {

namespace {

struct Kind
{
    const char *what; // as the status bar names the mailing
    std::vector<FlagTest> flags;
    Mark mark;
};

// In the order of the choices: invoices, payment received, feedback given.
const Kind kKinds[] = {
    {"invoices", {{Field::InvoiceSent, 0}}, Marks::invoiceSent},
    {"payment received emails",
     {{Field::InvoiceSent, 1}, {Field::PaymentMade, 1}, {Field::NoticePaymentReceived, 0}},
     Mark{Field::NoticePaymentReceived, std::nullopt}},
    {"feed back given emails",
     {{Field::FeedBackGiven, 1}, {Field::NoticeFeedBackGiven, 0}},
     Marks::feedbackNoticeSent},
};

void runOne(RecordStore &store, const Kind &kind, const OptionFiles::OnExit::Email &email,
            const QString &appFolder, QDate today, const Mailing &mailing, Tally &tally)
{
    if (!email.on)
        return;
    const QString what = QLatin1String(kind.what);
    if (email.templateFile.trimmed().isEmpty()) {
        tally.skipped << QStringLiteral("No %1 sent on closing: no template is chosen for them "
                                        "under Options, On Program Exit.")
                             .arg(what);
        return;
    }
    const QString path = Templates::templatePath(appFolder, email.templateFile);
    if (!QFileInfo(path).isFile()) {
        tally.skipped << QStringLiteral("No %1 sent on closing: the template \"%2\" is no longer "
                                        "in the Email Templates folder.")
                             .arg(what, email.templateFile);
        return;
    }
    for (int i = 0; i < store.recordCount(); ++i) {
        if (!Queues::hasFlags(store.recordAt(i), kind.flags))
            continue;
        store.moveTo(i);
        if (mailing.merge(path) && mailing.send(store.get(Field::EmailAddress), email.subject)) {
            Marks::applyMailed(store, kind.mark, today, tally.mailedUnmarked);
            ++tally.sent;
        } else {
            ++tally.failed;
        }
    }
}

} // namespace

Tally run(RecordStore &store, const OptionFiles::OnExit &choices, const QString &appFolder,
          QDate today, const Mailing &mailing)
{
    Tally tally;
    try {
        for (int which = 0; which < 3; ++which)
            runOne(store, kKinds[which], choices.emails[size_t(which)], appFolder, today,
                   mailing, tally);
    } catch (...) {
        tally.error = std::current_exception();
        return tally;
    }
    if (choices.sendErrorLog && mailing.sendErrorLog)
        mailing.sendErrorLog();
    return tally;
}

} // namespace OnExitReport
