#include "platform/prompts.h"
#include "records/recordcommands.h"
#include "records/recordstatus.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 3, 15);

class RecordCommandsTest : public TestSupport::StoreTest
{
protected:
    void add(TestSupport::FieldList fields) { TestSupport::addRecord(store, fields); }
    void addUsers(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            add({{Field::UserName, name}});
    }

    TestSupport::InstalledPrompts scripted;
};

} // namespace

TEST_F(RecordCommandsTest, ClickActionsFlipFlagsDatesAndPaymentMethodsThatSetTheStateColour)
{
    struct Case
    {
        QString before;
        QString after;
        bool dated;
    };
    // "2" counts as set for a click, so the click clears it.
    for (const Case &c : {Case{"0", "1", true}, Case{"", "1", true}, Case{"1", "0", false},
                          Case{"2", "0", false}}) {
        add({{Field::InvoiceSent, c.before}, {Field::InvoiceSentDate, "1/1/2020"}});
        EXPECT_FALSE(RecordStatus::click(store, Field::InvoiceSent, kToday));
        EXPECT_EQ(store.get(Field::InvoiceSent), c.after) << c.before.toStdString();
        EXPECT_EQ(store.get(Field::InvoiceSentDate),
                  c.dated ? QStringLiteral("3/15/2026") : QString());
    }
    // Clicking twice leaves the flag clear and the date empty, whatever it held before.
    add({{Field::ItemSent, "0"}, {Field::ItemSentDate, "2/2/2022"}});
    EXPECT_TRUE(RecordStatus::click(store, Field::ItemSent, kToday));
    EXPECT_TRUE(RecordStatus::click(store, Field::ItemSent, kToday));
    EXPECT_EQ(store.get(Field::ItemSent), QStringLiteral("0"));
    EXPECT_EQ(store.get(Field::ItemSentDate), QString());
    // The undated flags change only themselves.
    add({{Field::Npb, "0"}});
    EXPECT_FALSE(RecordStatus::click(store, Field::Npb, kToday));
    EXPECT_EQ(store.get(Field::Npb), QStringLiteral("1"));

    // Payment methods exclude each other, but not the payment itself.
    add({{Field::Check, "1"}, {Field::PaymentMade, "0"}});
    EXPECT_TRUE(RecordStatus::click(store, Field::PayPal, kToday));
    EXPECT_EQ(store.get(Field::PayPal), QStringLiteral("1"));
    for (Field f : {Field::Check, Field::MoneyOrder, Field::Cash})
        EXPECT_EQ(store.get(f), QStringLiteral("0"));
    EXPECT_EQ(store.get(Field::PaymentMade), QStringLiteral("0"));

    RecordStatus::click(store, Field::PayPal, kToday);
    for (Field f : {Field::PayPal, Field::Check, Field::MoneyOrder, Field::Cash})
        EXPECT_EQ(store.get(f), QStringLiteral("0"));

    // The state colour needs the payment and a method.
    using RecordStatus::State;
    const auto state = [&] { return RecordStatus::state(store.recordAt(store.position())); };
    add({{Field::PaymentMade, "1"}});
    EXPECT_EQ(state(), State::NotPaid);
    RecordStatus::click(store, Field::PayPal, kToday);
    EXPECT_EQ(state(), State::Paid);
    RecordStatus::click(store, Field::ItemSent, kToday);
    EXPECT_EQ(state(), State::PaidAndShipped);

    add({{Field::ItemSent, "1"}, {Field::Cash, "1"}});
    EXPECT_EQ(state(), State::NotPaid);
    add({{Field::Cash, "1"}, {Field::Check, "1"}});
    EXPECT_EQ(state(), State::Paid);

    EXPECT_TRUE(RecordStatus::isDrawnSet("1"));
    EXPECT_FALSE(RecordStatus::isDrawnSet("2"));
    EXPECT_FALSE(RecordStatus::isDrawnSet(""));
}

TEST_F(RecordCommandsTest, DeleteKeepsANeighbourCurrentAndCanEmptyTheStore)
{
    addUsers({"a", "b", "c", "d"});

    store.moveTo(1); // second: the one before becomes current
    RecordCommands::deleteRecord(store);
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("a"));
    RecordCommands::deleteRecord(store); // first: the one after becomes current
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("c"));
    store.moveLast();
    RecordCommands::deleteRecord(store); // last
    EXPECT_EQ(store.get(Field::UserName), QStringLiteral("c"));
    RecordCommands::deleteRecord(store); // only
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_FALSE(store.hasCurrent());
    EXPECT_TRUE(scripted.asked().isEmpty());
    store.close();
    store.open(folder.dbPath());
    EXPECT_EQ(store.recordCount(), 0);
}

TEST_F(RecordCommandsTest, SearchMatchesAsTheChooserSays)
{
    add({{Field::UserName, "bob2"}, {Field::Address, ""}});
    add({{Field::UserName, "BOB"},
         {Field::EmailAddress, "Ann@Example.com"},
         {Field::Address, "12 Main St, Springfield"}});
    addUsers({"bob", " bob", ""});

    EXPECT_TRUE(RecordCommands::search(store, "User Name", "  bob "));
    EXPECT_EQ(store.position(), 1);
    EXPECT_TRUE(RecordCommands::search(store, "Email Address", "ann@example.COM"));
    EXPECT_EQ(store.position(), 1);
    EXPECT_TRUE(RecordCommands::search(store, "Name/Address", "main st"));
    EXPECT_EQ(store.position(), 1);
    // The empty text: the first non-empty address, or the first empty user name.
    EXPECT_TRUE(RecordCommands::search(store, "Name/Address", ""));
    EXPECT_EQ(store.position(), 1);
    EXPECT_TRUE(RecordCommands::search(store, "User Name", ""));
    EXPECT_EQ(store.position(), 4);

    store.moveTo(2);
    EXPECT_FALSE(RecordCommands::search(store, "User Name", "carol"));
    EXPECT_EQ(store.position(), 2);
    EXPECT_FALSE(RecordCommands::search(store, "Shoe Size", "bob"));
    EXPECT_EQ(store.position(), 2);
}
