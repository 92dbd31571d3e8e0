#include "orderimport.h"
#include "orderimport_p.h"

#include <QHash>
#include <algorithm>

// Matching a read order file with the records kept, and writing what it brings.
namespace OrderImport {

namespace {

QString itemKey(const QString &itemNumber, const QString &user)
{
    return itemNumber.trimmed() + u'\x1f' + user.trimmed().toCaseFolded();
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

// Brings a record up to date from a sold item: empty fields are filled in, and a paid,
// shipped or feedback flag the file reports is set, its date filled in when empty. Nothing
// is cleared and nothing filled in is replaced. A whole-order row names no item.
bool merge(FieldValues &record, const FieldValues &item, bool wholeOrder)
{
    bool changed = false;
    const auto fill = [&](Field f) {
        QString &slot = record[size_t(Fields::index(f))];
        const QString &from = at(item, f);
        if (slot.trimmed().isEmpty() && !from.isEmpty()) {
            slot = from;
            changed = true;
        }
    };
    const auto raise = [&](Field flag) {
        QString &slot = record[size_t(Fields::index(flag))];
        if (at(item, flag) == u"1" && Fields::flagCode(slot) == 0) {
            slot = QStringLiteral("1");
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

class Planner
{
public:
    Planner(const RecordStore &store, Plan *plan) : m_store(store), m_plan(plan),
        m_claimsOrders(plan->format == Format::EtsySoldOrderItems)
    {
        for (int i = 0; i < store.recordCount(); ++i) {
            const AuctionRecord &r = store.recordAt(i);
            const QString url = r[Field::AuctionUrl];
            if (!url.trimmed().isEmpty())
                m_items.insert(itemKey(url, r[Field::UserName]), i);
        }
    }

    Plan::Action take(const SoldItem &item)
    {
        const QString user = at(item.values, Field::UserName);
        if (item.wholeOrder) {
            const QList<int> found = orderRecords(item.orderNumber, user);
            if (found.isEmpty())
                return add(item);
            bool changed = false;
            for (int i : found)
                changed = merge(working(i), item.values, true) || changed;
            return changed ? Plan::Action::Update : Plan::Action::Unchanged;
        }
        const QString k = itemKey(at(item.values, Field::AuctionUrl), user);
        if (const auto it = m_items.constFind(k); it != m_items.cend())
            return merge(working(*it), item.values, false) ? Plan::Action::Update
                                                          : Plan::Action::Unchanged;
        // An order read from Etsy's Sold Orders before its items: its first item takes the
        // order's record over.
        for (int i : m_claimsOrders ? orderRecords(item.orderNumber, user) : QList<int>()) {
            FieldValues &r = working(i);
            if (!at(r, Field::AuctionUrl).isEmpty() ||
                !at(r, Field::AuctionName).startsWith(etsyOrderName(item.orderNumber)))
                continue;
            for (Field f : {Field::AuctionName, Field::AuctionTotal})
                r[size_t(Fields::index(f))] = at(item.values, f);
            merge(r, item.values, false);
            m_items.insert(k, i);
            return Plan::Action::Update;
        }
        return add(item);
    }

    // The changes of the records touched, against what the store holds.
    void finish()
    {
        for (auto it = m_working.cbegin(); it != m_working.cend(); ++it) {
            const AuctionRecord &r = m_store.recordAt(it.key());
            RecordChange c{it.key(), r.revision, {}};
            for (int f = 0; f < kFieldCount; ++f)
                if (it.value()[size_t(f)] != r.values[size_t(f)])
                    c.fields.emplace_back(Field(f), it.value()[size_t(f)]);
            if (!c.fields.empty())
                m_plan->changes.push_back(std::move(c));
        }
        std::sort(m_plan->changes.begin(), m_plan->changes.end(),
                  [](const RecordChange &a, const RecordChange &b) { return a.index < b.index; });
    }

private:
    // Records of the store count from 0; those the plan adds follow them.
    FieldValues &working(int index)
    {
        const int stored = m_store.recordCount();
        if (index >= stored)
            return m_plan->additions[size_t(index - stored)];
        auto it = m_working.find(index);
        if (it == m_working.end())
            it = m_working.insert(index, m_store.recordAt(index).values.toFieldValues());
        return *it;
    }

    Plan::Action add(const SoldItem &item)
    {
        const int index = m_store.recordCount() + int(m_plan->additions.size());
        m_plan->additions.push_back(item.values);
        const QString user = at(item.values, Field::UserName);
        if (!at(item.values, Field::AuctionUrl).isEmpty())
            m_items.insert(itemKey(at(item.values, Field::AuctionUrl), user), index);
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
            const int all = m_store.recordCount() + int(m_plan->additions.size());
            for (int i = 0; i < all; ++i) {
                const bool stored = i < m_store.recordCount();
                const auto field = [&](Field f) {
                    return stored ? m_store.recordAt(i)[f]
                                  : at(m_plan->additions[size_t(i - m_store.recordCount())], f);
                };
                for (const QString &o : ordersNamed(field(Field::Notes)))
                    m_orders[itemKey(o, field(Field::UserName))].append(i);
            }
        }
        return m_orders.value(itemKey(order, user));
    }

    const RecordStore &m_store;
    Plan *m_plan;
    QHash<QString, int> m_items;
    QHash<QString, QList<int>> m_orders;
    bool m_ordersIndexed = false;
    bool m_claimsOrders;
    QHash<int, FieldValues> m_working;
};

} // namespace

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
    for (const SoldItem &item : file.items) {
        const Plan::Action a = planner.take(item);
        ++(a == Plan::Action::Add ? p.added : a == Plan::Action::Update ? p.updated : p.unchanged);
        if (p.preview.size() < Plan::kPreviewRows)
            p.preview.push_back({a, item.line, item.values});
    }
    planner.finish();
    return p;
}

void apply(const Plan &plan, RecordStore &store, const Progress &progress)
{
    store.writeChanges(plan.changes, plan.additions, progress);
}

} // namespace OrderImport
