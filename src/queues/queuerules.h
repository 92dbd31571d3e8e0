#pragma once

#include "records/fields.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

class RecordStore;
struct AuctionRecord;

struct FlagTest
{
    Field field;
    int value; // the flag's leading number must equal this exactly
};

// The membership rule of one follow-up list, named by its task-tree node key.
struct QueueRule
{
    QString key;
    std::vector<FlagTest> flags; // applied in order; the first failing one ends the test
    Field basis;                 // the date the age is counted from
    std::optional<int> minAge;   // inclusive
    std::optional<int> maxAge;   // exclusive
    std::optional<FlagTest> further;
    QString noun;  // count caption after "You Have N"; empty when the list has none
    QString title; // window title while the list shows

    bool hasAgeWindow() const { return minAge.has_value() || maxAge.has_value(); }
};

struct QueueRow
{
    QString userName;
    QString emailAddress;
    QString auctionName;
    QString basisDate; // the stored text of the basis date
    QString days;      // "12 Days"; empty when the basis date is not a date
};

struct QueueResult
{
    QString key;
    std::vector<QueueRow> rows;
    QString caption; // "You Have 3 Invoices to Send.."; empty for the ship list
    QString title;
};

namespace Queues {

// All 24 rules, in task-tree order.
const std::vector<QueueRule> &rules();
// The rule of a node key, or nullptr for an unknown or grouping key.
const QueueRule *rule(QStringView key);
// The rule of the list whose window title this is: the batch buttons go by the title.
const QueueRule *ruleByTitle(QStringView title);
// The family of a key: "FB", "AR", "UPI", "FVF", or the key itself for IS, S and VA.
QString family(QStringView key);

// Whether every flag test holds for the record; no dates are looked at.
bool hasFlags(const AuctionRecord &record, const std::vector<FlagTest> &flags);

// Whether a record belongs to the list, with its age in days when the basis date is a date.
bool isMember(const AuctionRecord &record, const QueueRule &rule, QDate today,
              std::optional<qint64> *age = nullptr);

// One scan of the whole store in stored order. Leaves the first record current (when
// there is one) and never fails on a record: a basis date that is not a date keeps the
// record out of the dated lists and gives an empty day cell in the others.
QueueResult compute(RecordStore &store, const QueueRule &rule, QDate today);

QString countCaption(const QueueRule &rule, qsizetype count);

// How many rows each rule's list would have now, by one scan that leaves the store's
// position alone: the same membership test as compute(), so the counts always equal the
// lists.
std::vector<int> countMembers(const RecordStore &store, const std::vector<const QueueRule *> &rules,
                              QDate today);

} // namespace Queues
