#include "tasksummary.h"

#include "queues/queuerules.h"
#include "records/recordstore.h"

namespace TaskSummary {

namespace {

struct TaskLine
{
    const char *key;
    const char *text;
};

// The summary's order; FB5 is asked for but has no line.
constexpr TaskLine kLines[] = {
    {"IS", " - invoice to send."},
    {"S", " - Items to Ship."},
    {"FB1", " - 7 day feedback to leave."},
    {"FB2", " - 14 day feedback to leave."},
    {"FB3", " - 21 day feedback to leave."},
    {"FB4", " - 28 day feedback to leave."},
    {"FB5", nullptr},
    {"AR1", " - 7 day Auction Remainders to send."},
    {"AR2", " - 14 day Auction Remainders to send."},
    {"AR3", " - 21 day Auction Remainders to send."},
    {"AR4", " - 28 day Auction Remainders to send."},
    {"AR5", " - 35 day Auction Remainders to send."},
    {"AR6", " - 42 day Auction Remainders to send."},
    {"UPI1", " - 21 day unpaid buyers to file."},
    {"UPI2", " - 28 day unpaid buyers to file."},
    {"UPI3", " - 35 day unpaid buyers to file."},
    {"FVF1", " - 42 day FVF To Claim."},
    {"FVF2", " - 49 day FVF To Claim."},
    {"FVF3", " - 56 day FVF To Claim."},
};

} // namespace

QString CheckTasks(RecordStore &store, const QString &key, QDate today)
{
    for (const TaskLine &line : kLines) {
        if (key != QLatin1String(line.key) || !line.text)
            continue;
        const QueueRule *rule = Queues::rule(key);
        if (!rule)
            return {};
        const auto count = Queues::compute(store, *rule, today).rows.size();
        if (count == 0)
            return {};
        return QStringLiteral("You have %1").arg(count) + QLatin1String(line.text);
    }
    return {};
}

QStringList lines(RecordStore &store, QDate today)
{
    QStringList out;
    for (const TaskLine &line : kLines) {
        const QString text = CheckTasks(store, QString::fromLatin1(line.key), today);
        if (!text.isEmpty())
            out << text;
    }
    return out;
}

} // namespace TaskSummary
