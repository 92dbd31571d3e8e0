#include "mail/noticeintake.h"
#include "mail/noticereaders.h"
#include "platform/appfolder.h"
#include "platform/prompts.h"
#include "support/fakemail.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 3, 15);

QStringList lines(const char *text) { return QString::fromUtf8(text).split(u'\n'); }

// Item name, item number, buyer, the buyer's address and the price, in that order.
QStringList fieldsOf(const Notices::Fields &f)
{
    return {f.itemName, f.itemNumber, f.buyer, f.buyerEmail, f.price};
}

TestSupport::SentMail sale(const QString &item, const QString &number, const QString &buyer,
                           const QString &price)
{
    return {{}, "eBay Item Sold: " + item,
            "Hello seller,\r\n\r\nItem name: " + item + "\r\nDetails for item number: " + number +
                "\r\nBuyer: " + buyer + "\r\nSale price: " + price + "\r\n"};
}

class IntakeTest : public TestSupport::StoreTest
{
protected:
    void SetUp() override
    {
        AppFolder::seed(folder.path());
        StoreTest::SetUp();
    }
    NoticeIntake::Tally run()
    {
        TestSupport::FakeMailSession session(mail);
        session.SignOn(true, true);
        session.Fetch();
        NoticeIntake intake(session, store, folder.path(), kToday);
        intake.setAddressPage(QUrl("https://auctions.example/show/myaucs"),
                              [this](const QUrl &u) { opened << u.toString(); });
        intake.eBayCheckForItems();
        intake.YahooCheckForItems();
        return intake.tally();
    }
    QString field(int r, Field f) const { return store.recordAt(r)[f]; }

    TestSupport::InstalledPrompts scripted;
    std::shared_ptr<TestSupport::MailLog> mail = std::make_shared<TestSupport::MailLog>();
    QStringList opened;
};

class IntakeStoreFaultTest : public IntakeTest,
                             public ::testing::WithParamInterface<TestSupport::StoreFault::Kind>
{
};

} // namespace

TEST(NoticeSubjects, SaleAndWinnerTextAfterTheFirstCharacterAndNoReplies)
{
    // A buyer answering the notice is not a sale; "re:" inside a word of the title is no reply.
    const std::pair<const char *, bool> sales[] = {{"eBay Item Sold: Brass lamp", true},
                                                   {"Fwd: eBay Item Sold: Brass lamp", true},
                                                   {"Bay Item Sold: Brass lamp", false},
                                                   {"eBay Item Listed: Brass lamp", false},
                                                   {"Re: eBay Item Sold: Brass lamp", false},
                                                   {"  RE:eBay Item Sold: Brass lamp", false},
                                                   {"Fwd: Re: eBay Item Sold: Brass lamp", false},
                                                   {"eBay Item Sold: Antique Store: lamp", true},
                                                   {"Fwd: RE: eBay Item Sold: x", false},
                                                   {"FW: fwd:re: eBay Item Sold: x", false},
                                                   {"fwd: FW: eBay Item Sold: x", true},
                                                   {"Fwd: re[2]: eBay Item Sold: x", false},
                                                   {"AW: eBay Item Sold: x", false},
                                                   {"eBay Item Sold: RE: lamp", true}};
    for (const auto &[subject, isSale] : sales)
        EXPECT_EQ(Notices::isSaleNotice(QString::fromLatin1(subject)), isSale) << subject;
    EXPECT_TRUE(Notices::isWinnerNotice(u"Yahoo! Auctions: Auction Winner: tea set"));
    EXPECT_FALSE(Notices::isWinnerNotice(u"uction Winner: tea set"));
    EXPECT_FALSE(Notices::isWinnerNotice(u"re: Yahoo! Auction Winner: tea set"));
    EXPECT_FALSE(Notices::isWinnerNotice(u"Fwd: RE: Yahoo! Auction Winner: tea set"));
}

TEST(NoticeReaders, AWinnerTitleLosesOnlyTheClosingFullStop)
{
    const std::pair<const char *, const char *> titles[] = {
        {"Vintage lamp (1960s)", "Vintage lamp (1960s)"},
        {"Vintage lamp (1960s).", "Vintage lamp (1960s)"},
        {"Tea set!", "Tea set!"},
        {"Tea set \"Rose\"", "Tea set \"Rose\""},
        {"Tea set...", "Tea set.."},
        {".", ""}};
    for (const auto &[written, title] : titles) {
        SCOPED_TRACE(written);
        EXPECT_EQ(Notices::readWinner(QStringList{QString("Auction Title: ") + written}).itemName,
                  QString::fromUtf8(title));
    }
}

TEST(NoticeReaders, SaleAndWinnerFieldsFromTheirMarkerLinesAndTheFirstAmount)
{
    auto f = Notices::readSale(lines("Item name:  Brass lamp \n"
                                     "Details for item number: 1234\n"
                                     "Buyer: lampfan (ann@example.com)\n"
                                     "Sale price: $12.50"));
    EXPECT_EQ(fieldsOf(f),
              (QStringList{"Brass lamp", "1234", "lampfan", "ann@example.com", "12.50"}));

    // No space after the marker, or a "#" before the number: the digits are kept whole.
    EXPECT_EQ(Notices::readSale(lines("Details for item number:1234")).itemNumber, "1234");
    EXPECT_EQ(Notices::readSale(lines("Details for item number: #1234")).itemNumber, "1234");
    // A buyer line without an address leaves the address empty, never another buyer's.
    EXPECT_EQ(fieldsOf(Notices::readSale(lines("Buyer: sam the seller"))),
              (QStringList{"", "", "sam the seller", "", ""}));
    // The marker with another first letter is found but nothing is cut; tabs are kept.
    EXPECT_EQ(Notices::readSale(lines("buyer: sam")).buyer, "buyer: sam");
    EXPECT_EQ(Notices::readSale(lines("Item name:\tlamp")).itemName, "\tlamp");
    // The last of several lines wins; a line with two markers feeds both.
    f = Notices::readSale(lines("Item name: one\nItem name: two Sale price: 3"));
    EXPECT_EQ(f.itemName, "two Sale price: 3");
    EXPECT_EQ(f.price, "Item name: two  3");

    // The amount is the first number, with thousands separators.
    const std::pair<const char *, double> amounts[] = {{"12.50", 12.5}, {"US $1,250.00", 1250},
                                                       {"12,50", 12},   {"GBP .75", 0.75},
                                                       {"free", 0},     {"", 0}};
    for (const auto &[text, amount] : amounts)
        EXPECT_DOUBLE_EQ(Notices::amount(QString::fromLatin1(text)), amount) << text;

    // A winner notice: title, id, bid and the line after the winner marker.
    f = Notices::readWinner(lines("Auction Title: Tea set for six.\nAuction ID: 1122334455\n"
                                  "Winning Bid Range: $20.00 - $25.00\nThe new winner to "
                                  "your auction is:\n\n\n #teatime \nThanks"));
    EXPECT_EQ(fieldsOf(f).first(4), (QStringList{"Tea set for six", "1122334455", "teatime", ""}));
    EXPECT_DOUBLE_EQ(Notices::amount(f.price), 20.0);
    // A title without a closing mark and a winner without a leading mark lose nothing.
    f = Notices::readWinner(lines("Auction Title: Tea set\nThe new winner to your auction is:\nteatime"));
    EXPECT_EQ(f.itemName, "Tea set");
    EXPECT_EQ(f.buyer, "teatime");
    // Nothing to drop from an empty remainder.
    EXPECT_EQ(Notices::readWinner(lines("Auction Title:\nThe new winner to your auction is:\n   ")).itemName, "");
}

TEST_F(IntakeTest, FieldsNeverCarryOverAndACancelledShippingCostIsNothing)
{
    mail->inbox = {sale("lamp", "1", "ann (ann@example.com)", "$10.00"),
                   {{}, "eBay Item Sold: vase", "Item name: vase\r\nDetails for item number: 2\r\nBuyer: ann\r\n"},
                   sale("bell", "3", "ann (ann@example.com)", "US $1,250.00")};
    scripted.answerText("2.5");
    scripted.answerButton(Prompts::No);
    scripted.answerCancel();
    scripted.answerButton(Prompts::No);
    scripted.answerText("0");
    scripted.answerButton(Prompts::No);
    EXPECT_EQ(run().added, 3);
    EXPECT_EQ(field(0, Field::AuctionTotal), "12.5");
    EXPECT_EQ(field(1, Field::EmailAddress), "");
    EXPECT_EQ(field(1, Field::AuctionTotal), "0");
    // Two notices of one buyer are two records.
    EXPECT_EQ(field(2, Field::UserName), "ann");
    EXPECT_EQ(field(2, Field::AuctionTotal), "1250");
}

TEST_F(IntakeTest, WinnerNoticesAfterSaleNoticesAndTheAddressPage)
{
    mail->inbox = {{{}, "Yahoo! Auctions: Auction Winner: tea set",
                    "Auction Title: Tea set.\r\nAuction ID: 77\r\nWinning Bid Range: $20.00\r\n"
                    "The new winner to your auction is:\r\n teatime\r\n"},
                   sale("lamp", "1", "ann (ann@example.com)", "$10.00"),
                   {{}, "Re: Yahoo! Auctions: Auction Winner: tea set", "Auction ID: 78"}};
    scripted.answerText("4.00");          // lamp shipping
    scripted.answerButton(Prompts::No);   // keep lamp
    scripted.answerText("3");             // tea set shipping
    scripted.answerButton(Prompts::Yes);  // look up the address
    scripted.answerButton(Prompts::Yes);  // delete
    const auto tally = run();
    EXPECT_EQ(tally.added, 2);
    TestSupport::expectFields(store.recordAt(1).values,
                              {{Field::AuctionName, "Tea set"}, {Field::AuctionUrl, "77"},
                               {Field::UserName, "teatime"}, {Field::EmailAddress, ""},
                               {Field::AuctionTotal, "23"}, {Field::AuctionSite, "Yahoo"}});
    EXPECT_EQ(field(0, Field::AuctionSite), "");
    EXPECT_EQ(opened, QStringList{"https://auctions.example/show/myaucs"});
    EXPECT_EQ(scripted.asked()[3].text, "This is a Yahoo Auction would you like to get there email address Now?");
    EXPECT_EQ(mail->inbox.size(), 2);
}

TEST_F(IntakeTest, AnUnreadableMessageIsReportedOnceAndTheRestIsTakenIn)
{
    const auto winner = [](const char *title, const char *id) {
        return TestSupport::SentMail{{}, QString("Yahoo! Auctions: Auction Winner: ") + title,
                                     QString("Auction Title: %1\r\nAuction ID: %2\r\n"
                                             "The new winner to your auction is:\r\n teatime\r\n")
                                         .arg(title, id)};
    };
    mail->inbox = {winner("tea set", "77"), sale("lamp", "1", "ann (ann@example.com)", "$10.00"),
                   sale("gone", "2", "bob (bob@example.com)", "$5.00"), winner("jug", "78")};
    mail->unreadable = {"eBay Item Sold: gone"};
    scripted.answerText("1");            // lamp
    scripted.answerButton(Prompts::No);
    scripted.answerButton(Prompts::Ok);  // the one error box
    scripted.answerText("1");            // tea set
    scripted.answerButton(Prompts::No);  // no address page
    scripted.answerButton(Prompts::Yes); // delete it: the messages after it move up a place
    scripted.answerText("1");            // jug, now where the unreadable one was
    scripted.answerButton(Prompts::No);
    scripted.answerButton(Prompts::No);
    EXPECT_EQ(run().added, 3);
    ASSERT_EQ(store.recordCount(), 3);
    EXPECT_EQ(field(0, Field::AuctionName), "lamp");
    EXPECT_EQ(field(1, Field::AuctionName), "tea set");
    EXPECT_EQ(field(2, Field::AuctionName), "jug");
    const QStringList errors = TestSupport::errorBoxes(scripted);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("Error Found In: Sub_DisplayMessage")) << errors[0].toStdString();
}

TEST_P(IntakeStoreFaultTest, AStoreThatCannotBeWrittenEndsTheIntakeWithItsErrorAndAddsNothing)
{
    using TestSupport::StoreFault;
    TestSupport::addRecord(store, {{Field::UserName, "kept"}});
    store.close();
    StoreFault fault(GetParam(), folder.dbPath());
    if (!fault.made())
        GTEST_SKIP() << "this file system has no read-only files for root";
    store.open(folder.dbPath());
    mail->inbox = {sale("lamp", "1", "ann (ann@example.com)", "$10.00"),
                   sale("cups", "2", "bob (bob@example.com)", "$5.00")};
    EXPECT_EQ(run().added, 0);
    const QStringList errors = TestSupport::errorBoxes(scripted);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("Error Found In: Sub_eBayCheckForItems")) << errors[0].toStdString();
    EXPECT_EQ(store.storedCount(), 1);
}

INSTANTIATE_STORE_FAULTS(IntakeStoreFaultTest);
