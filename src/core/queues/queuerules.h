#pragma once

#include "records/fields.h"

#include <QDate>
#include <QString>
#include <cstddef>
#include <iterator>
#include <limits>
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

// A member of a computed list: the index of its record in the store and its age in days.
struct QueueMember
{
    static constexpr qint32 kNoAge = std::numeric_limits<qint32>::min(); // not a date

    int index = 0;
    qint32 age = kNoAge;
};

// The rows of a list. A computation keeps only its members' record indexes and ages, and a
// row's texts are made from the store when asked for; rows may also be given as texts.
// Rows made from the store show the records as they stood when the list was computed: the
// owner calls freeze() before the records change (RecordStore::recordsAboutToChange).
class QueueRows
{
public:
    QueueRows() = default;
    QueueRows(std::vector<QueueRow> rows) : m_texts(std::move(rows)) {}
    QueueRows(const RecordStore *store, Field basis, std::vector<QueueMember> members)
        : m_store(store), m_basis(basis), m_members(std::move(members))
    {}

    size_t size() const { return m_store ? m_members.size() : m_texts.size(); }
    bool empty() const { return size() == 0; }
    QueueRow operator[](size_t i) const;
    // One cell of row i, columns as the list shows them: user, email, auction, date, days.
    QString cell(size_t i, int column) const;
    // The age of row i, or QueueMember::kNoAge; for rows given as texts, from the day text.
    qint32 age(size_t i) const;
    // The store the texts are read from, or nullptr once they are held here.
    const RecordStore *store() const { return m_store; }
    // Makes every row's texts now; from then on the rows no longer read the store.
    void freeze();

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = QueueRow;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = QueueRow;

        const_iterator() = default;
        const_iterator(const QueueRows *rows, size_t i) : m_rows(rows), m_i(i) {}
        QueueRow operator*() const { return (*m_rows)[m_i]; }
        const_iterator &operator++()
        {
            ++m_i;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_i;
            return before;
        }
        bool operator==(const const_iterator &o) const { return m_i == o.m_i; }

    private:
        const QueueRows *m_rows = nullptr;
        size_t m_i = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    const RecordStore *m_store = nullptr;
    Field m_basis = Field::CloseDate;
    std::vector<QueueMember> m_members;
    std::vector<QueueRow> m_texts;
};

struct QueueResult
{
    QString key;
    QueueRows rows;
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
