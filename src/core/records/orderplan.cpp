#include "orderimport.h"
#include "orderimport_p.h"

#include <QHash>
#include <algorithm>
#include <optional>

// Matching a read order file with the records kept, and writing what it brings.
namespace OrderImport {

namespace {

QString userKey(const QString &user) { return user.trimmed().toCaseFolded(); }

QString itemKey(const QString &itemNumber, const QString &user)
{
    return itemNumber.trimmed() + u'\x1f' + userKey(user);
}

// The order numbers a record's notes name, one "Order ..." line each.
QStringList ordersNamed(const QString &notes)
{
    QStringList orders;
    if (!notes.contains(QLatin1String("Order ")))
        return orders;
    for (QStringView line : QStringView(notes).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("Order ")))
            orders << line.mid(6).trimmed().toString();
    }
    return orders;
}

bool isBlank(QByteArrayView utf8)
{
    for (const char c : utf8) {
        if (uchar(c) >= 0x80)
            return QString::fromUtf8(utf8).trimmed().isEmpty();
        if (c != ' ' && (c < '\t' || c > '\r'))
            return false;
    }
    return true;
}

// A record as a merge sees it: a record of the store with the fields the plan changes laid
// over it, or one the plan adds. Only what the merge reads is read, so a row that changes
// nothing costs no copy of its record.
class Target
{
public:
    // A stored record; the fields changed are collected in *change.
    Target(const RecordStore &store, int index, RecordChange *change)
        : m_store(&store), m_index(index), m_change(change)
    {
    }
    // A record the plan adds.
    explicit Target(RecordValues *added) : m_added(added) {}

    QString get(Field f) const
    {
        if (m_added)
            return std::as_const(*m_added)[size_t(Fields::index(f))];
        if (const QString *c = changed(f))
            return *c;
        return m_store->recordAt(m_index)[f];
    }
    bool blank(Field f) const
    {
        if (m_added)
            return isBlank(m_added->utf8(size_t(Fields::index(f))));
        if (const QString *c = changed(f))
            return c->trimmed().isEmpty();
        return isBlank(m_store->recordAt(m_index).values.utf8(size_t(Fields::index(f))));
    }
    unsigned char flag(Field f) const
    {
        if (m_added)
            return flagCodeOf(m_added->utf8(size_t(Fields::index(f))));
        if (const QString *c = changed(f))
            return Fields::flagCode(*c);
        return m_store->flagCodesAt(m_index)[size_t(Fields::index(f))];
    }
    void set(Field f, const QString &value)
    {
        if (m_added) {
            m_added->set(size_t(Fields::index(f)), value);
            return;
        }
        if (QString *c = changed(f)) {
            *c = value;
            return;
        }
        m_change->fields.emplace_back(f, value);
    }

private:
    QString *changed(Field f) const
    {
        if (!m_change)
            return nullptr;
        for (auto &[field, value] : m_change->fields)
            if (field == f)
                return &value;
        return nullptr;
    }

    const RecordStore *m_store = nullptr;
    int m_index = -1;
    RecordChange *m_change = nullptr;
    RecordValues *m_added = nullptr;
};

// Brings a record up to date from a sold item: empty fields are filled in, and a paid,
// shipped or feedback flag the file reports is set, its date filled in when empty. Nothing
// is cleared and nothing filled in is replaced. A whole-order row names no item. With
// `dryRun` nothing is set: the answer says whether anything would be.
bool merge(Target &record, const FieldValues &item, bool wholeOrder, bool dryRun = false)
{
    bool changed = false;
    const auto fill = [&](Field f) {
        const QString &from = at(item, f);
        if (!from.isEmpty() && record.blank(f)) {
            if (!dryRun)
                record.set(f, from);
            changed = true;
        }
    };
    const auto raise = [&](Field flag) {
        if (at(item, flag) == u"1" && record.flag(flag) == 0) {
            if (!dryRun)
                record.set(flag, QStringLiteral("1"));
            changed = true;
        }
    };
    for (Field f : {Field::CloseDate, Field::AuctionName, Field::AuctionUrl, Field::AuctionTotal,
                    Field::UserName, Field::EmailAddress, Field::Address, Field::Notes,
                    Field::AuctionSite, Field::TrackingNumber}) {
        if (!wholeOrder || (f != Field::AuctionName && f != Field::AuctionUrl && f != Field::AuctionTotal))
            fill(f);
    }
    for (const auto &[flag, date] : {std::pair{Field::InvoiceSent, Field::InvoiceSentDate},
                                     std::pair{Field::PaymentMade, Field::PaymentMadeDate},
                                     std::pair{Field::ItemSent, Field::ItemSentDate}}) {
        raise(flag);
        if (at(item, flag) == u"1")
            fill(date);
    }
    raise(Field::FeedBackGiven);
    return changed;
}

} // namespace

// Works the plan out one sold item at a time. Records of the store are found through the
// store's index of item numbers and read where they lie; the plan holds only what changes:
// the fields a stored record gets, and the records it adds, in their compact form.
class Planner
{
public:
    Planner(const RecordStore &store, Plan *plan)
        : m_store(store), m_plan(plan), m_stored(store.recordCount()),
          m_claimsOrders(plan->format == Format::EtsySoldOrderItems)
    {
    }

    void take(const SoldItem &item)
    {
        const Plan::Action a = action(item);
        Plan &p = *m_plan;
        ++(a == Plan::Action::Add ? p.added : a == Plan::Action::Update ? p.updated : p.unchanged);
        if (p.preview.size() < Plan::kPreviewRows)
            p.preview.push_back({a, item.line, item.values});
    }

    // The changes of the records touched, in stored order.
    void finish()
    {
        for (auto it = m_changes.begin(); it != m_changes.end(); ++it) {
            RecordChange &c = it.value();
            // A field set back to what the store holds is no change.
            const AuctionRecord &r = m_store.recordAt(c.index);
            std::erase_if(c.fields, [&r](const auto &f) { return r[f.first] == f.second; });
            if (!c.fields.empty())
                m_plan->changes.push_back(std::move(c));
        }
        m_changes.clear();
        std::sort(m_plan->changes.begin(), m_plan->changes.end(),
                  [](const RecordChange &a, const RecordChange &b) { return a.index < b.index; });
    }

private:
    Plan::Action action(const SoldItem &item)
    {
        const QString &user = at(item.values, Field::UserName);
        if (item.wholeOrder) {
            const QList<int> found = orderRecords(item.orderNumber, user);
            if (found.isEmpty())
                return add(item);
            bool changed = false;
            for (int i : found)
                changed = mergeInto(i, item.values, true) || changed;
            return changed ? Plan::Action::Update : Plan::Action::Unchanged;
        }
        const QString &itemNumber = at(item.values, Field::AuctionUrl);
        if (const int i = find(itemNumber, user); i >= 0)
            return mergeInto(i, item.values, false) ? Plan::Action::Update : Plan::Action::Unchanged;
        // An order read from Etsy's Sold Orders before its items: its first item takes the
        // order's record over.
        for (int i : m_claimsOrders ? orderRecords(item.orderNumber, user) : QList<int>()) {
            Target r = target(i);
            if (!r.blank(Field::AuctionUrl) ||
                !r.get(Field::AuctionName).startsWith(etsyOrderName(item.orderNumber)))
                continue;
            for (Field f : {Field::AuctionName, Field::AuctionTotal})
                r.set(f, at(item.values, f));
            merge(r, item.values, false);
            m_claimed.insert(itemKey(itemNumber, user), i);
            return Plan::Action::Update;
        }
        return add(item);
    }

    // The record of this item and buyer: of the store, or one the plan adds; -1 when none.
    int find(const QString &itemNumber, const QString &user) const
    {
        if (itemNumber.trimmed().isEmpty())
            return -1;
        const QString buyer = userKey(user);
        // Of two records of the same sale, the later one, as it was typed last.
        const std::vector<int> stored = m_store.recordsWithItem(itemNumber);
        for (auto i = stored.rbegin(); i != stored.rend(); ++i)
            if (userKey(m_store.recordAt(*i)[Field::UserName]) == buyer)
                return *i;
        const QString k = itemKey(itemNumber, user);
        if (const auto it = m_claimed.constFind(k); it != m_claimed.cend())
            return *it;
        if (const auto it = m_addedItems.constFind(k); it != m_addedItems.cend())
            return *it;
        return -1;
    }

    // Records of the store count from 0; those the plan adds follow them.
    Target target(int index)
    {
        if (index >= m_stored)
            return Target(&m_plan->additions[size_t(index - m_stored)]);
        auto it = m_changes.find(index);
        if (it == m_changes.end())
            it = m_changes.insert(index, RecordChange{index, m_store.recordAt(index).revision, {}});
        return Target(m_store, index, &*it);
    }

    bool mergeInto(int index, const FieldValues &item, bool wholeOrder)
    {
        if (index < m_stored && !m_changes.contains(index)) {
            // Most rows of a download seen before change nothing: look before taking a change.
            Target look(m_store, index, nullptr);
            if (!merge(look, item, wholeOrder, true))
                return false;
        }
        Target t = target(index);
        return merge(t, item, wholeOrder);
    }

    Plan::Action add(const SoldItem &item)
    {
        const int index = m_stored + int(m_plan->additions.size());
        m_plan->additions.emplace_back(item.values);
        const QString &user = at(item.values, Field::UserName);
        if (!at(item.values, Field::AuctionUrl).trimmed().isEmpty())
            m_addedItems.insert(itemKey(at(item.values, Field::AuctionUrl), user), index);
        if (m_ordersIndexed)
            m_orders[itemKey(item.orderNumber, user)].append(index);
        return Plan::Action::Add;
    }

    // The records whose notes name the order, of the same buyer; indexed on first use,
    // since only Etsy files ask.
    QList<int> orderRecords(const QString &order, const QString &user)
    {
        if (order.isEmpty())
            return {};
        if (!m_ordersIndexed) {
            m_ordersIndexed = true;
            const int all = m_stored + int(m_plan->additions.size());
            for (int i = 0; i < all; ++i) {
                const Target r = i < m_stored ? Target(m_store, i, nullptr)
                                              : Target(&m_plan->additions[size_t(i - m_stored)]);
                for (const QString &o : ordersNamed(r.get(Field::Notes)))
                    m_orders[itemKey(o, r.get(Field::UserName))].append(i);
            }
        }
        return m_orders.value(itemKey(order, user));
    }

    const RecordStore &m_store;
    Plan *m_plan;
    const int m_stored;
    // The items of records the plan adds, and of Etsy orders' records their first item
    // took over: the store's index knows neither.
    QHash<QString, int> m_addedItems;
    QHash<QString, int> m_claimed;
    QHash<QString, QList<int>> m_orders;
    bool m_ordersIndexed = false;
    bool m_claimsOrders;
    QHash<int, RecordChange> m_changes;
};

QString Plan::summary() const
{
    return QStringLiteral("Added %1, updated %2, unchanged %3.").arg(added).arg(updated).arg(unchanged);
}

Plan plan(const OrderFile &file, RecordStore &store)
{
    store.flush();
    Plan p;
    p.format = file.format;
    p.totalMismatches = file.totalMismatches;
    p.mismatchCount = file.mismatchCount;
    Planner planner(store, &p);
    for (const SoldItem &item : file.items)
        planner.take(item);
    planner.finish();
    return p;
}

bool plan(QIODevice &file, RecordStore &store, Plan *out, Failure *failure, const Progress &progress)
{
    store.flush();
    Plan p;
    std::optional<Planner> planner;
    const ItemSink sink{[&](Format f) {
                            // Read again from the start: what the first reading planned goes.
                            planner.reset();
                            p = Plan();
                            p.format = f;
                            planner.emplace(store, &p);
                        },
                        [&](SoldItem &&item) { planner->take(item); },
                        [&](std::vector<TotalMismatch> &&m, int count) {
                            p.totalMismatches = std::move(m);
                            p.mismatchCount = count;
                        }};
    if (!readItems(file, sink, failure, progress))
        return false;
    planner->finish();
    *out = std::move(p);
    return true;
}

void apply(const Plan &plan, RecordStore &store, const Progress &progress)
{
    std::vector<RecordValues> additions = plan.additions;
    store.writeChangesTakingRows(plan.changes, std::move(additions), progress);
}

void apply(Plan &&plan, RecordStore &store, const Progress &progress)
{
    store.writeChangesTakingRows(plan.changes, std::move(plan.additions), progress);
}

} // namespace OrderImport
