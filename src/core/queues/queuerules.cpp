#include "queuerules.h"

#include "platform/dates.h"
#include "records/recordstore.h"

#include <QHash>

namespace Queues {

namespace {

using F = Field;

QueueRule make(const char *key, std::vector<FlagTest> flags, Field basis, std::optional<int> lo,
               std::optional<int> hi, std::optional<FlagTest> further, const char *noun,
               const char *title)
{
    return QueueRule{QString::fromLatin1(key),     std::move(flags),
                     basis,                        lo,
                     hi,                           further,
                     QString::fromLatin1(noun),    QString::fromLatin1(title)};
}

std::vector<QueueRule> buildRules()
{
    const std::vector<FlagTest> fb = {
        {F::InvoiceSent, 1}, {F::PaymentMade, 1}, {F::ItemSent, 1}, {F::FeedBackGiven, 0}};
    const std::vector<FlagTest> ar = {
        {F::InvoiceSent, 1}, {F::PaymentMade, 0}, {F::ItemSent, 0}, {F::CriedtFiled, 0}};
    const std::vector<FlagTest> upi = {
        {F::InvoiceSent, 1}, {F::PaymentMade, 0}, {F::ItemSent, 0}, {F::Npb, 0}};
    const std::vector<FlagTest> fvf = {{F::InvoiceSent, 1},
                                       {F::PaymentMade, 0},
                                       {F::ItemSent, 0},
                                       {F::Npb, 1},
                                       {F::CriedtFiled, 0}};
    const char *fbNoun = " Feed Back to leave..";
    const char *arNoun = " Auction Reminders to Send..";
    const char *upiNoun = " Unpaid Item Disputes to Open..";
    const char *fvfNoun = " Final Value Fee credits to claim..";
    const auto none = std::nullopt;
    return {
        make("IS", {{F::InvoiceSent, 0}}, F::CloseDate, none, none, none, " Invoices to Send..",
             "Lotwise - Working with Invoices to Send.."),
        make("S", {{F::InvoiceSent, 1}, {F::PaymentMade, 1}, {F::ItemSent, 0}},
             F::PaymentMadeDate, none, none, none, "", "Lotwise - Items Need to be Shipped.."),
        make("FB1", fb, F::ItemSentDate, 7, 14, none, fbNoun,
             "Lotwise - Working with 7 Day Feed Back.."),
        make("FB2", fb, F::ItemSentDate, 14, 21, none, fbNoun,
             "Lotwise - Working with 14 Day Feed Back.."),
        make("FB3", fb, F::ItemSentDate, 21, 28, none, fbNoun,
             "Lotwise - Working with 21 Day Feed Back.."),
        make("FB4", fb, F::ItemSentDate, 28, 35, none, fbNoun,
             "Lotwise - Working with 28 Day Feed Back.."),
        make("FB5", fb, F::ItemSentDate, 35, none, none, fbNoun,
             "Lotwise - Working with 35 Day Feed Back.."),
        make("FB6", fb, F::ItemSentDate, none, none, none, fbNoun,
             "Lotwise - Working with All Feed Back.."),
        make("AR1", ar, F::CloseDate, 7, 14, FlagTest{F::Remainder10, 0}, arNoun,
             "Lotwise - Working with 7 Day Reminders.."),
        make("AR2", ar, F::CloseDate, 14, 21, FlagTest{F::Remainder20, 0}, arNoun,
             "Lotwise - Working with 14 Day Reminders.."),
        make("AR3", ar, F::CloseDate, 21, 28, FlagTest{F::Remainder30, 0}, arNoun,
             "Lotwise - Working with 21 Day Reminders.."),
        // There are four reminder flags for six dated reminder lists: the last three share
        // the 28-day flag.
        make("AR4", ar, F::CloseDate, 28, 35, FlagTest{F::Remainder40, 0}, arNoun,
             "Lotwise - Working with 28 Day Reminders.."),
        make("AR5", ar, F::CloseDate, 35, 42, FlagTest{F::Remainder40, 0}, arNoun,
             "Lotwise - Working with 35 Day Reminders.."),
        make("AR6", ar, F::CloseDate, 42, none, FlagTest{F::Remainder40, 0}, arNoun,
             "Lotwise - Working with 42 Day Reminders.."),
        make("AR7", ar, F::CloseDate, none, none, none, arNoun,
             "Lotwise - Working with All Reminders.."),
        make("UPI1", upi, F::CloseDate, 21, 28, none, upiNoun,
             "Lotwise - Working with 21 Unpaid Item Disputes.."),
        make("UPI2", upi, F::CloseDate, 28, 35, none, upiNoun,
             "Lotwise - Working with 28 Unpaid Item Disputes.."),
        make("UPI3", upi, F::CloseDate, 35, none, none, upiNoun,
             "Lotwise - Working with 35 Unpaid Item Disputes.."),
        make("UPI4", upi, F::CloseDate, none, none, none, upiNoun,
             "Lotwise - Working with All Unpaid Item Disputes.."),
        make("FVF1", fvf, F::CloseDate, 42, 49, none, fvfNoun,
             "Lotwise - Working with 42 Final Value Fee credits.."),
        make("FVF2", fvf, F::CloseDate, 49, 56, none, fvfNoun,
             "Lotwise - Working with 49 Final Value Fee credits.."),
        make("FVF3", fvf, F::CloseDate, 56, none, none, fvfNoun,
             "Lotwise - Working with 56 Final Value Fee credits.."),
        make("FVF4", fvf, F::CloseDate, none, none, none, fvfNoun,
             "Lotwise - Working with All Final Value Fee credits.."),
        make("VA", {{F::InvoiceSent, 1}, {F::PaymentMade, 1}, {F::ItemSent, 1}}, F::CloseDate,
             none, none, none, " Auction that have Paid..",
             "Lotwise - Working with Paid Auctions.."),
    };
}

bool passes(const FlagCodes &codes, const FlagTest &t)
{
    return codes[size_t(Fields::index(t.field))] == t.value;
}

std::optional<qint64> ageFrom(const Dates::DateReader &reader, const QString &text, QDate today)
{
    if (const auto date = reader.read(text))
        return Dates::dayDiff(*date, today);
    return std::nullopt;
}

// `ageOf()` gives the age in days of the record's basis date, or nothing when it is not a date.
template <typename AgeOf>
bool isMemberWith(const FlagCodes &codes, const QueueRule &rule,
                  AgeOf &&ageOf, std::optional<qint64> *ageOut)
{
    for (const FlagTest &t : rule.flags) {
        if (!passes(codes, t))
            return false;
    }
    const std::optional<qint64> age = ageOf();
    if (rule.hasAgeWindow()) {
        if (!age)
            return false;
        if (rule.minAge && *age < *rule.minAge)
            return false;
        if (rule.maxAge && *age >= *rule.maxAge)
            return false;
    }
    if (rule.further && !passes(codes, *rule.further))
        return false;
    if (ageOut)
        *ageOut = age;
    return true;
}

} // namespace

const std::vector<QueueRule> &rules()
{
    static const std::vector<QueueRule> all = buildRules();
    return all;
}

const QueueRule *rule(QStringView key)
{
    for (const QueueRule &r : rules()) {
        if (r.key == key)
            return &r;
    }
    return nullptr;
}

const QueueRule *ruleByTitle(QStringView title)
{
    for (const QueueRule &r : rules()) {
        if (r.title == title)
            return &r;
    }
    return nullptr;
}

QString family(QStringView key)
{
    for (const char *f : {"FVF", "UPI", "FB", "AR"}) {
        if (key.startsWith(QLatin1String(f)))
            return QString::fromLatin1(f);
    }
    return key.toString();
}

bool hasFlags(const AuctionRecord &record, const std::vector<FlagTest> &flags)
{
    for (const FlagTest &t : flags) {
        if (flagCodeOf(record.values.utf8(size_t(Fields::index(t.field)))) != t.value)
            return false;
    }
    return true;
}

bool isMember(const AuctionRecord &record, const QueueRule &rule, QDate today,
              std::optional<qint64> *age)
{
    const Dates::DateReader reader;
    const auto ageOf = [&] { return ageFrom(reader, record[rule.basis], today); };
    return isMemberWith(flagCodesOf(record.values), rule, ageOf, age);
}

QString countCaption(const QueueRule &rule, qsizetype count)
{
    if (rule.noun.isEmpty())
        return {};
    return QStringLiteral("You Have ") + QString::number(count) + rule.noun;
}

// The age of a record's date. The store has read its dates as day numbers; a scan in another
// locale than the one they were read in reads the texts instead, each distinct one once (a
// table holds one date text per selling day at most).
class RecordAges
{
public:
    RecordAges(const RecordStore &store, QDate today)
        : m_store(store), m_today(today), m_todayDay(today.toJulianDay()),
          m_byDayNumber(store.dayLocale() == QLocale())
    {
    }
    std::optional<qint64> operator()(int index, Field basis)
    {
        if (m_byDayNumber) {
            const qint32 day = m_store.dayAt(index, basis);
            if (day == RecordStore::kNoDay)
                return std::nullopt;
            return m_todayDay - day;
        }
        const QString &text = m_store.recordAt(index)[basis];
        auto it = m_ages.constFind(text);
        if (it == m_ages.constEnd())
            it = m_ages.insert(text, ageFrom(m_reader, text, m_today));
        return *it;
    }

private:
    const RecordStore &m_store;
    QDate m_today;
    qint64 m_todayDay;
    bool m_byDayNumber;
    Dates::DateReader m_reader;
    QHash<QString, std::optional<qint64>> m_ages;
};

std::vector<int> countMembers(const RecordStore &store, const std::vector<const QueueRule *> &rules,
                              QDate today)
{
    std::vector<int> counts(rules.size(), 0);
    RecordAges ages(store, today);
    for (int i = 0; i < store.recordCount(); ++i) {
        for (size_t k = 0; k < rules.size(); ++k) {
            const auto ageOf = [&] { return ages(i, rules[k]->basis); };
            if (isMemberWith(store.flagCodesAt(i), *rules[k], ageOf, nullptr))
                ++counts[k];
        }
    }
    return counts;
}

QueueResult compute(RecordStore &store, const QueueRule &rule, QDate today)
{
    QueueResult result;
    result.key = rule.key;
    result.title = rule.title;
    RecordAges ages(store, today);
    std::vector<QueueMember> members;
    const int n = store.recordCount();
    for (int i = 0; i < n; ++i) {
        const auto ageOf = [&] { return ages(i, rule.basis); };
        std::optional<qint64> age;
        if (isMemberWith(store.flagCodesAt(i), rule, ageOf, &age))
            members.push_back({i, age ? qint32(*age) : QueueMember::kNoAge});
    }
    if (n > 0)
        store.moveFirst();
    result.caption = countCaption(rule, qsizetype(members.size()));
    result.rows = QueueRows(&store, rule.basis, std::move(members));
    return result;
}

} // namespace Queues

QueueRow QueueRows::operator[](size_t i) const
{
    if (!m_store)
        return m_texts[i];
    return {cell(i, 0), cell(i, 1), cell(i, 2), cell(i, 3), cell(i, 4)};
}

QString QueueRows::cell(size_t i, int column) const
{
    if (!m_store) {
        const QueueRow &q = m_texts[i];
        switch (column) {
        case 0: return q.userName;
        case 1: return q.emailAddress;
        case 2: return q.auctionName;
        case 3: return q.basisDate;
        default: return q.days;
        }
    }
    const QueueMember &m = m_members[i];
    const AuctionRecord &r = m_store->recordAt(m.index);
    switch (column) {
    case 0: return r[Field::UserName];
    case 1: return r[Field::EmailAddress];
    case 2: return r[Field::AuctionName];
    case 3: return r[m_basis];
    default:
        return m.age == QueueMember::kNoAge ? QString()
                                            : QString::number(m.age) + QStringLiteral(" Days");
    }
}

qint32 QueueRows::age(size_t i) const
{
    if (m_store)
        return m_members[i].age;
    // A day text reads "12 Days"; anything not starting with a whole number has no age.
    const QString &days = m_texts[i].days;
    const qsizetype space = days.indexOf(u' ');
    bool ok = false;
    const int v = QStringView(days).left(space < 0 ? days.size() : space).toInt(&ok);
    return ok ? v : QueueMember::kNoAge;
}

void QueueRows::freeze()
{
    if (!m_store)
        return;
    std::vector<QueueRow> texts;
    texts.reserve(m_members.size());
    for (size_t i = 0; i < m_members.size(); ++i)
        texts.push_back((*this)[i]);
    m_texts = std::move(texts);
    m_members = {};
    m_store = nullptr;
}
