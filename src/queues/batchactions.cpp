#include "batchactions.h"

#include "platform/dates.h"
#include "queues/queuelistmodel.h"
#include "records/recordcommands.h"
#include "records/recordstore.h"

namespace Marks {

void apply(RecordStore &store, const Mark &mark, QDate today)
{
    // Written at once and alone: another seat may be marking other flags of the same record.
    std::vector<std::pair<Field, QString>> changes{{mark.flag, QStringLiteral("1")}};
    if (mark.date)
        changes.emplace_back(*mark.date, Dates::shortDateText(today));
    store.markCurrent(changes);
}

} // namespace Marks

namespace Batch {

std::optional<SendRule> sendRule(QStringView key)
{
    if (key == u"IS")
        return SendRule{Marks::invoiceSent, true};
    if (key == u"AR1")
        return SendRule{Marks::reminder7, true};
    if (key == u"AR2")
        return SendRule{Marks::reminder14, true};
    if (key == u"AR3")
        return SendRule{Marks::reminder21, true};
    if (key == u"AR4" || key == u"AR5" || key == u"AR6")
        return SendRule{Marks::reminder28, true};
    if (key == u"AR7")
        return SendRule{std::nullopt, true};
    if (key == u"VA")
        return SendRule{std::nullopt, false};
    return std::nullopt;
}

Outcome sendChecked(const QueueListModel &rows, RecordStore &store,
                    const std::function<bool(int row)> &rowClick,
                    const std::function<bool()> &mergeAndSend, const std::optional<Mark> &mark,
                    QDate today, const Progress &progress)
{
    Outcome out;
    const int total = rows.rowCount();
    for (int r = 0; r < total; ++r) {
        if (progress)
            progress(r, total);
        const bool found = rowClick(r);
        if (!rows.isChecked(r))
            continue;
        // No merge and no mail on no record: Email.txt would still hold the last buyer's.
        if (!found || !store.hasCurrent()) {
            ++out.skipped;
            continue;
        }
        if (!mergeAndSend()) {
            ++out.failed;
            continue;
        }
        ++out.sent;
        if (mark) {
            Marks::apply(store, *mark, today);
            ++out.marked;
        }
    }
    if (progress)
        progress(total, total);
    return out;
}

Outcome markChecked(const QueueListModel &rows, RecordStore &store, const Mark &mark, QDate today,
                    const std::function<bool()> &afterMark,
                    const std::optional<Mark> &afterMarkMark, const Progress &progress)
{
    Outcome out;
    const int total = rows.rowCount();
    for (int r = 0; r < total; ++r) {
        if (progress)
            progress(r, total);
        if (!rows.isChecked(r))
            continue;
        const QueueRow &row = rows.row(r);
        const std::vector<int> records =
            RecordCommands::listRecords(store, row.userName, row.auctionName);
        if (records.empty())
            ++out.skipped;
        for (int index : records) {
            store.moveTo(index);
            Marks::apply(store, mark, today);
            ++out.marked;
            if (!afterMark)
                continue;
            if (afterMark()) {
                ++out.sent;
                if (afterMarkMark)
                    Marks::apply(store, *afterMarkMark, today);
            } else {
                ++out.failed;
            }
        }
    }
    if (progress)
        progress(total, total);
    return out;
}

} // namespace Batch
