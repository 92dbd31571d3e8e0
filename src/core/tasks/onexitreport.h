#pragma once

#include "options/optionfiles.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class RecordStore;

// The day's routine mail on closing: invoices not yet sent, payment-received and
// feedback-given notices not yet sent, and the error log.
namespace OnExitReport {

struct Mailing
{
    // Merges a template with the current record into Email.txt; false when it failed.
    std::function<bool(const QString &templatePath)> merge;
    // Sends Email.txt; true only when the mail system accepted it.
    std::function<bool(const QString &recipient, const QString &subject)> send;
    std::function<void()> sendErrorLog;
};

struct Tally
{
    int sent = 0;
    int failed = 0; // merged or sent without success; the record stays unmarked
    // One line for each ticked mailing that could not run, saying why.
    QStringList skipped;
    // The failure that ended the report (a store that cannot be written, say); the records
    // mailed and marked before it keep their marks.
    std::exception_ptr error;
    // The buyer whose mail went out but whose mark could not be written.
    QString mailedUnmarked;
};

// Walks the store once per chosen mailing. A record is marked only when its mail was
// accepted, so a failed one is offered again on the next close. A mailing whose template is
// not chosen, or is gone from the folder, is skipped: nothing sent, nothing marked. It
// never throws: the first failure ends it and comes back in the tally.
Tally run(RecordStore &store, const OptionFiles::OnExit &choices, const QString &appFolder,
          QDate today, const Mailing &mailing);

} // namespace OnExitReport
