#include "batchactions.h"

#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
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

void applyMailed(RecordStore &store, const Mark &mark, QDate today, QString &mailedUnmarked)
{
    try {
        apply(store, mark, today);
    } catch (...) {
        mailedUnmarked = QStringLiteral("%1 (%2)").arg(store.get(Field::UserName).trimmed(),
                                                       store.get(Field::AuctionName).trimmed());
        const QString note =
            QStringLiteral("The mail to %1 was sent, but the record could not be marked.")
                .arg(mailedUnmarked);
        try {
            throw;
        } catch (const LotwiseError &e) {
            throw LotwiseError(e.number(), e.detail().isEmpty() ? note : e.detail() + u' ' + note);
        } catch (const std::exception &e) {
            throw LotwiseError(ErrorCode::InternalError,
                               QString::fromLocal8Bit(e.what()) + u' ' + note);
        }
    }
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
    try {
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
                Marks::applyMailed(store, *mark, today, out.mailedUnmarked);
                ++out.marked;
            }
        }
    } catch (...) {
        out.error = std::current_exception();
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
    try {
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
                        Marks::applyMailed(store, *afterMarkMark, today, out.mailedUnmarked);
                } else {
                    ++out.failed;
                }
            }
        }
    } catch (...) {
        out.error = std::current_exception();
    }
    if (progress)
        progress(total, total);
    return out;
}

} // namespace Batch
