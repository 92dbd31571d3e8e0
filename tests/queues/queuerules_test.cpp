#include "queues/queuerules.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using TestSupport::daysAgo;
using TestSupport::Values;

namespace {

// Every date in these tests is counted from this day, never from the clock.
const QDate kToday(2006, 3, 15);

// The flags a record needs to be in a family's lists, with every flag the family tests
// written out so a test can flip any one of them.
Values familyFlags(const QString &family)
{
    using F = Field;
    // clang-format off
    if (family == u"IS")
        return {{F::InvoiceSent, "0"}};
    if (family == u"S")
        return {{F::InvoiceSent, "1"}, {F::PaymentMade, "1"}, {F::ItemSent, "0"}};
    if (family == u"VA")
        return {{F::InvoiceSent, "1"}, {F::PaymentMade, "1"}, {F::ItemSent, "1"}};
    if (family == u"FB")
        return {{F::InvoiceSent, "1"}, {F::PaymentMade, "1"}, {F::ItemSent, "1"},
                {F::FeedBackGiven, "0"}};
    if (family == u"AR")
        return {{F::InvoiceSent, "1"}, {F::PaymentMade, "0"}, {F::ItemSent, "0"},
                {F::CriedtFiled, "0"}};
    if (family == u"UPI")
        return {{F::InvoiceSent, "1"}, {F::PaymentMade, "0"}, {F::ItemSent, "0"}, {F::Npb, "0"}};
    return {{F::InvoiceSent, "1"}, {F::PaymentMade, "0"}, {F::ItemSent, "0"}, {F::Npb, "1"},
            {F::CriedtFiled, "0"}};
    // clang-format on
}

AuctionRecord recordOf(const Values &values)
{
    AuctionRecord r;
    r.values = RecordValues(TestSupport::valuesOf(values));
    return r;
}

// The keys of every list a record belongs to.
QStringList membership(const AuctionRecord &r, QDate today = kToday)
{
    QStringList keys;
    for (const QueueRule &rule : Queues::rules()) {
        if (Queues::isMember(r, rule, today))
            keys << rule.key;
    }
    keys.sort();
    return keys;
}

// A record on the reminder path: invoiced, nothing paid, shipped or claimed, closed `age`
// days ago.
Values unpaid(int age, Values extra = {})
{
    using F = Field;
    // clang-format off
    Values v = {{F::InvoiceSent, "1"}, {F::PaymentMade, "0"}, {F::ItemSent, "0"},
                {F::FeedBackGiven, "0"}, {F::Remainder10, "0"}, {F::Remainder20, "0"},
                {F::Remainder30, "0"}, {F::Remainder40, "0"}, {F::Npb, "0"},
                {F::CriedtFiled, "0"}, {F::CloseDate, daysAgo(kToday, age)}};
    // clang-format on
    v.insert(v.end(), extra.begin(), extra.end());
    return v;
}

// Each list as it is meant to be: basis date, age window, own reminder flag, texts.
struct Window
{
    const char *key;
    Field basis;
    std::optional<int> lo; // inclusive
    std::optional<int> hi; // exclusive
    std::optional<Field> reminder;
    const char *noun; // nullptr: the list has no count caption
    const char *title;
};

const char *const kFb = " Feed Back to leave..";
const char *const kAr = " Auction Reminders to Send..";
const char *const kUpi = " Unpaid Item Disputes to Open..";
const char *const kFvf = " Final Value Fee credits to claim..";
const auto kAny = std::nullopt;
const Field kClose = Field::CloseDate, kSent = Field::ItemSentDate;

// clang-format off
const Window kWindows[] = {
    {"IS", kClose, kAny, kAny, {}, " Invoices to Send..", "Lotwise - Working with Invoices to Send.."},
    {"S", Field::PaymentMadeDate, kAny, kAny, {}, nullptr, "Lotwise - Items Need to be Shipped.."},
    {"VA", kClose, kAny, kAny, {}, " Auction that have Paid..", "Lotwise - Working with Paid Auctions.."},
    {"FB1", kSent, 7, 14, {}, kFb, "Lotwise - Working with 7 Day Feed Back.."},
    {"FB2", kSent, 14, 21, {}, kFb, "Lotwise - Working with 14 Day Feed Back.."},
    {"FB3", kSent, 21, 28, {}, kFb, "Lotwise - Working with 21 Day Feed Back.."},
    {"FB4", kSent, 28, 35, {}, kFb, "Lotwise - Working with 28 Day Feed Back.."},
    {"FB5", kSent, 35, kAny, {}, kFb, "Lotwise - Working with 35 Day Feed Back.."},
    {"FB6", kSent, kAny, kAny, {}, kFb, "Lotwise - Working with All Feed Back.."},
    {"AR1", kClose, 7, 14, Field::Remainder10, kAr, "Lotwise - Working with 7 Day Reminders.."},
    {"AR2", kClose, 14, 21, Field::Remainder20, kAr, "Lotwise - Working with 14 Day Reminders.."},
    {"AR3", kClose, 21, 28, Field::Remainder30, kAr, "Lotwise - Working with 21 Day Reminders.."},
    {"AR4", kClose, 28, 35, Field::Remainder40, kAr, "Lotwise - Working with 28 Day Reminders.."},
    {"AR5", kClose, 35, 42, Field::Remainder40, kAr, "Lotwise - Working with 35 Day Reminders.."},
    {"AR6", kClose, 42, kAny, Field::Remainder40, kAr, "Lotwise - Working with 42 Day Reminders.."},
    {"AR7", kClose, kAny, kAny, {}, kAr, "Lotwise - Working with All Reminders.."},
    {"UPI1", kClose, 21, 28, {}, kUpi, "Lotwise - Working with 21 Unpaid Item Disputes.."},
    {"UPI2", kClose, 28, 35, {}, kUpi, "Lotwise - Working with 28 Unpaid Item Disputes.."},
    {"UPI3", kClose, 35, kAny, {}, kUpi, "Lotwise - Working with 35 Unpaid Item Disputes.."},
    {"UPI4", kClose, kAny, kAny, {}, kUpi, "Lotwise - Working with All Unpaid Item Disputes.."},
    {"FVF1", kClose, 42, 49, {}, kFvf, "Lotwise - Working with 42 Final Value Fee credits.."},
    {"FVF2", kClose, 49, 56, {}, kFvf, "Lotwise - Working with 49 Final Value Fee credits.."},
    {"FVF3", kClose, 56, kAny, {}, kFvf, "Lotwise - Working with 56 Final Value Fee credits.."},
    {"FVF4", kClose, kAny, kAny, {}, kFvf, "Lotwise - Working with All Final Value Fee credits.."},
};
// clang-format on

bool dated(const Window &w)
{
    return w.lo || w.hi;
}

class QueueWindow : public TestSupport::StoreTest, public ::testing::WithParamInterface<Window>
{
protected:
    const QueueRule &rule() const
    {
        const QueueRule *r = Queues::rule(QString::fromLatin1(GetParam().key));
        EXPECT_NE(r, nullptr);
        return *r;
    }
    // A member of the list in everything but its basis date, which is `basis`; the other
    // two dates lie far back so that counting from the wrong one shows.
    Values member(const QString &name, const QString &basis) const
    {
        const Window &w = GetParam();
        Values v = familyFlags(Queues::family(QString::fromLatin1(w.key)));
        for (Field f : {Field::CloseDate, Field::PaymentMadeDate, Field::ItemSentDate})
            v.push_back({f, f == w.basis ? basis : daysAgo(kToday, 700)});
        v.push_back({Field::UserName, name});
        return v;
    }
    int insideAge() const { return GetParam().lo.value_or(5); }
};

TEST_P(QueueWindow, AgeWindowIncludesItsLowerEdgeAndStopsBeforeItsUpperEdgeAndTheCaptionCounts)
{
    const Window &w = GetParam();
    const auto caption = [&](qsizetype n) {
        return w.noun ? "You Have " + QString::number(n) + w.noun : QString();
    };
    QueueResult result = Queues::compute(store, rule(), kToday);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.key, w.key);
    EXPECT_EQ(result.caption, caption(0));
    std::vector<int> ages;
    if (w.lo)
        ages.insert(ages.end(), {*w.lo - 1, *w.lo, *w.lo + 1});
    if (w.hi)
        ages.insert(ages.end(), {*w.hi - 1, *w.hi, *w.hi + 1});
    else
        ages.push_back(400);
    if (!dated(w))
        ages.insert(ages.begin(), {-3, 0, 1});
    // A basis that is not a date never ends the scan; only a list without a window shows it.
    QStringList expectedDays, expectedDates;
    for (const QString text : {"", "soon", "13/45/2005", "2/30/2006", "3/15"}) {
        TestSupport::addRecord(store, member("bad", text));
        if (!dated(w)) {
            expectedDays << QString();
            expectedDates << text;
        }
    }
    for (int age : ages) {
        TestSupport::addRecord(store, member(QString::number(age), daysAgo(kToday, age)));
        if ((!w.lo || age >= *w.lo) && (!w.hi || age < *w.hi)) {
            expectedDays << QString::number(age) + " Days";
            expectedDates << daysAgo(kToday, age);
        }
    }
    TestSupport::addRecord(store, {{Field::InvoiceSent, "2"}}); // in no list
    result = Queues::compute(store, rule(), kToday);
    QStringList days, dates;
    for (const QueueRow &row : result.rows) {
        days << row.days;
        dates << row.basisDate;
    }
    EXPECT_EQ(days, expectedDays);
    EXPECT_EQ(dates, expectedDates);
    EXPECT_EQ(result.caption, caption(expectedDays.size()));
    EXPECT_EQ(result.title, w.title);
}

TEST_P(QueueWindow, EveryFlagTestIsExactAndAnyFailingOneKeepsTheRecordOut)
{
    const Window &w = GetParam();
    const Values base = member("buyer", daysAgo(kToday, insideAge()));
    ASSERT_TRUE(Queues::isMember(recordOf(base), rule(), kToday));
    for (size_t i = 0; i < base.size(); ++i) {
        if (!Fields::isFlag(base[i].first))
            continue;
        const QString set = base[i].second == u"1" ? QStringLiteral("0") : QStringLiteral("1");
        for (const QString &wrong : {set, QStringLiteral("2")}) {
            Values v = base;
            v[i].second = wrong;
            EXPECT_FALSE(Queues::isMember(recordOf(v), rule(), kToday))
                << Fields::name(base[i].first).toStdString() << " = " << wrong.toStdString();
        }
    }
    const Field reminders[] = {Field::Remainder10, Field::Remainder20, Field::Remainder30,
                               Field::Remainder40};
    // A flag the list does not test may hold anything.
    Values untested = base;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = static_cast<Field>(i);
        const auto isF = [f](const auto &v) { return v.first == f; };
        if (Fields::isFlag(f) && std::none_of(base.begin(), base.end(), isF) &&
            std::find(std::begin(reminders), std::end(reminders), f) == std::end(reminders))
            untested.push_back({f, "2"});
    }
    EXPECT_TRUE(Queues::isMember(recordOf(untested), rule(), kToday));
    // Only the dated reminder lists also ask whether their own reminder went out; the other
    // three reminder flags never count against a list.
    for (const char *marked : {"1", "2"}) {
        Values own = base, others = base;
        for (Field r : reminders) {
            const bool isOwn = !w.reminder || r == *w.reminder;
            own.push_back({r, isOwn ? marked : "0"});
            others.push_back({r, isOwn ? "0" : marked});
        }
        EXPECT_EQ(Queues::isMember(recordOf(own), rule(), kToday), !w.reminder) << marked;
        if (w.reminder) {
            EXPECT_TRUE(Queues::isMember(recordOf(others), rule(), kToday)) << marked;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllLists, QueueWindow, ::testing::ValuesIn(kWindows),
                         [](const auto &info) { return std::string(info.param.key); });

// A flag is its leading number, compared exactly with 1 or 0: the ship list wants the
// invoice flag set, the invoice list wants it clear, and a 2 is neither.
TEST(QueueMembership, FlagIsComparedByItsLeadingNumber)
{
    struct Case
    {
        const char *text;
        bool readsAsOne, readsAsZero;
    };
    // clang-format off
    const Case cases[] = {
        {"1", true, false}, {" 1", true, false}, {"1.0", true, false}, {"1 ", true, false},
        {"01", true, false}, {"1abc", true, false},
        {"", false, true}, {"0", false, true}, {" 0", false, true}, {"0.0", false, true},
        {"yes", false, true},
        {"2", false, false}, {"-1", false, false}, {"0.5", false, false}, {"1.5", false, false}};
    // clang-format on
    for (const Case &c : cases) {
        AuctionRecord r = recordOf({{Field::InvoiceSent, c.text},
                                    {Field::PaymentMade, "1"},
                                    {Field::PaymentMadeDate, daysAgo(kToday, 3)},
                                    {Field::CloseDate, daysAgo(kToday, 3)}});
        EXPECT_EQ(Queues::isMember(r, *Queues::rule(u"S"), kToday), c.readsAsOne) << c.text;
        EXPECT_EQ(Queues::isMember(r, *Queues::rule(u"IS"), kToday), c.readsAsZero) << c.text;
    }
}

TEST(QueueMembership, OpenedDisputeStaysInRemindersUntilTheCreditIsClaimed)
{
    EXPECT_EQ(membership(recordOf(unpaid(8, {{Field::Npb, "1"}}))),
              QStringList({"AR1", "AR7", "FVF4"}));
    EXPECT_EQ(membership(recordOf(unpaid(56, {{Field::Npb, "1"}}))),
              QStringList({"AR6", "AR7", "FVF3", "FVF4"}));
    EXPECT_EQ(membership(recordOf(unpaid(56, {{Field::Npb, "1"}, {Field::CriedtFiled, "1"}}))),
              QStringList{});
}

TEST(QueueMembership, TimeOfDayAfterTheBasisDateIsIgnored)
{
    const QString late = daysAgo(kToday, 10) + " 11:59:00 PM";
    const AuctionRecord r = recordOf(unpaid(0, {{Field::CloseDate, late}}));
    std::optional<qint64> age;
    ASSERT_TRUE(Queues::isMember(r, *Queues::rule(u"AR1"), kToday, &age));
    EXPECT_EQ(age, 10);
}

using QueueScan = TestSupport::StoreTest;

TEST_F(QueueScan, RowsFollowStoredOrderAndCarryTheRecordsTexts)
{
    const int ages[] = {30, 2, 90, 10, 45};
    for (int i = 0; i < 5; ++i) {
        const QString n = QString::number(i);
        Values v = unpaid(ages[i], {{Field::UserName, "buyer" + n},
                                    {Field::EmailAddress, "buyer" + n + "@example.com"},
                                    {Field::AuctionName, "Lot " + n}});
        if (i == 1)
            v.push_back({Field::PaymentMade, "1"}); // paid: no longer on the reminder path
        TestSupport::addRecord(store, v);
    }
    const QueueResult result = Queues::compute(store, *Queues::rule(u"AR7"), kToday);
    QStringList got;
    for (const QueueRow &r : result.rows)
        got << r.userName + "|" + r.emailAddress + "|" + r.auctionName + "|" + r.basisDate + "|" +
                   r.days;
    QStringList expected;
    for (int i : {0, 2, 3, 4}) {
        const QString n = QString::number(i);
        expected << "buyer" + n + "|buyer" + n + "@example.com|Lot " + n + "|" +
                        daysAgo(kToday, ages[i]) + "|" + QString::number(ages[i]) + " Days";
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(result.caption, "You Have 4 Auction Reminders to Send..");
}

TEST_F(QueueScan, FirstRecordIsCurrentAfterwardsEvenWhenItIsNotAMember)
{
    TestSupport::addRecord(store, {{Field::UserName, "first"}, {Field::InvoiceSent, "1"}});
    TestSupport::addRecord(store, {{Field::UserName, "second"}, {Field::InvoiceSent, "0"}});
    TestSupport::addRecord(store, {{Field::UserName, "third"}, {Field::InvoiceSent, "0"}});
    store.moveTo(1);
    const QueueResult result = Queues::compute(store, *Queues::rule(u"IS"), kToday);
    EXPECT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(store.get(Field::UserName), "first");
}

// Scans count ages from the day numbers the store keeps beside each record; they must follow
// every way a date changes, and a scan in another locale reads the texts as that locale does.
TEST_F(QueueScan, AgesFollowEveryChangeOfTheBasisDate)
{
    TestSupport::addRecord(store, unpaid(8, {{Field::UserName, "ann"}}));
    TestSupport::addRecord(store, unpaid(30, {{Field::UserName, "bob"}}));
    const auto members = [&](const char *key) {
        QStringList users;
        for (const QueueRow &r : Queues::compute(store, *Queues::rule(QString(key)), kToday).rows)
            users << r.userName;
        return users;
    };
    ASSERT_EQ(members("AR1"), QStringList{"ann"});

    store.moveTo(0);
    store.set(Field::CloseDate, daysAgo(kToday, 15));
    EXPECT_EQ(members("AR1"), QStringList{});
    EXPECT_EQ(members("AR2"), QStringList{"ann"});
    store.set(Field::CloseDate, "soon");
    EXPECT_EQ(members("AR2"), QStringList{});
    EXPECT_EQ(members("AR7"), (QStringList{"ann", "bob"}));

    // A change written in one piece, as an import writes it, and a record appended.
    store.flush();
    store.writeChanges({{0, store.recordAt(0).revision, {{Field::CloseDate, daysAgo(kToday, 9)}}}},
                       {store.recordAt(1).values});
    EXPECT_EQ(members("AR1"), QStringList{"ann"});
    EXPECT_EQ(members("AR4"), (QStringList{"bob", "bob"}));
    store.moveTo(1);
    store.deleteCurrent();
    EXPECT_EQ(members("AR4"), QStringList{"bob"});

    // Read in the United States, scanned in Germany: 2/13/2006 is no date there.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList german = members("AR4");
    QLocale::setDefault(before);
    EXPECT_EQ(german, QStringList{});
    EXPECT_EQ(members("AR4"), QStringList{"bob"});
}

TEST(QueueKeys, NoOtherKeyThanAListsHasARuleAndAFamilyNameIsItsOwnFamily)
{
    for (const char *key :
         {"FB", "AR", "UPI", "FVF", "", "FB0", "FB7", "AR8", "UPI5", "FVF5", "IS1", "SS", "XYZ"})
        EXPECT_EQ(Queues::rule(QString::fromLatin1(key)), nullptr) << key;
    for (const char *key : {"FB", "AR", "UPI", "FVF", "IS", "S", "VA"})
        EXPECT_EQ(Queues::family(QString::fromLatin1(key)), key);
}

} // namespace
