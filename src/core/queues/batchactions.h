#pragma once

#include "records/fields.h"

#include <QDate>
#include <QString>
#include <exception>
#include <functional>
#include <optional>

class QueueListModel;
class RecordStore;

// The marks the list panels' buttons set: the flag becomes "1" whatever it held, and a
// dated flag's date field gets today.
struct Mark
{
    Field flag;
    std::optional<Field> date;
};

namespace Marks {
inline constexpr Mark invoiceSent{Field::InvoiceSent, Field::InvoiceSentDate};
inline constexpr Mark reminder7{Field::Remainder10, std::nullopt};
inline constexpr Mark reminder14{Field::Remainder20, std::nullopt};
inline constexpr Mark reminder21{Field::Remainder30, std::nullopt};
inline constexpr Mark reminder28{Field::Remainder40, std::nullopt};
inline constexpr Mark itemShipped{Field::ItemSent, Field::ItemSentDate};
inline constexpr Mark feedbackGiven{Field::FeedBackGiven, std::nullopt};
inline constexpr Mark feedbackNoticeSent{Field::NoticeFeedBackGiven, std::nullopt};
inline constexpr Mark disputeReported{Field::Npb, std::nullopt};
inline constexpr Mark feeCreditClaimed{Field::CriedtFiled, std::nullopt};

// Marks the current record, written at once.
void apply(RecordStore &store, const Mark &mark, QDate today);
// Marks the record whose mail has just gone out. A mark that cannot be written names the
// buyer in `mailedUnmarked` and in the error it throws on, since they had the mail all the
// same and the seller must know.
void applyMailed(RecordStore &store, const Mark &mark, QDate today, QString &mailedUnmarked);
} // namespace Marks

namespace Batch {

// What "Send" does on the email wizard list, by the list showing: the mark it sets (none on
// the paid and all-reminders lists) and whether the list is computed again afterwards. The
// 35- and 42-day lists both test the 28-day flag, so sending there sets that flag.
struct SendRule
{
    std::optional<Mark> mark;
    bool recompute = false;
};
std::optional<SendRule> sendRule(QStringView key);

struct Outcome
{
    int sent = 0;    // mails the mail system accepted
    int failed = 0;  // mails that could not be merged or sent
    int marked = 0;  // records marked
    int skipped = 0; // checked rows whose record is no longer there
    // The failure that stopped the batch at its row (a store that cannot be written, say);
    // what was done before it stays done.
    std::exception_ptr error;
    // The buyer and item whose mail went out but whose mark could not be written, so that
    // the seller knows they were mailed; the stopping error names them too.
    QString mailedUnmarked;

    // Whether the list is worth computing again. A batch stopped before it marked anything
    // leaves the list as it stands, ticks and all, to be worked again once the store
    // writes; a store that cannot write would only fail once more there.
    bool recompute() const { return !error || marked > 0; }
};

// Progress of a batch: rows done and rows in all.
using Progress = std::function<void(int done, int total)>;

// Neither batch throws: the first failure ends it and is handed back in the outcome.

// "Send": every row is clicked in turn (which makes its record current, or reports false
// when the record is gone, or throws when the store cannot leave the record it is on and
// so stops the batch as a failed mark does); a checked row's record is mailed by
// `mergeAndSend`, and marked only when the mail was accepted and the switch is on.
Outcome sendChecked(const QueueListModel &rows, RecordStore &store,
                    const std::function<bool(int row)> &rowClick,
                    const std::function<bool()> &mergeAndSend, const std::optional<Mark> &mark,
                    QDate today, const Progress &progress = {});

// The Mark buttons: every record each checked row links to is made current and marked; then
// `afterMark`, when given, runs on it (the feedback notice) and its own mark is set only when
// it reports success.
Outcome markChecked(const QueueListModel &rows, RecordStore &store, const Mark &mark, QDate today,
                    const std::function<bool()> &afterMark = {},
                    const std::optional<Mark> &afterMarkMark = {},
                    const Progress &progress = {});

} // namespace Batch
