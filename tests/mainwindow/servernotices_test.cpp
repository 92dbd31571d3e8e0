// "Check Email" on notices as the sites send them, delivered through the test Postfix into
// Dovecot and read over IMAP.

#include "platform/dates.h"
#include "support/fakemail.h"
#include "support/testservers.h"
#include "support/windowtest.h"

#include <QProcess>
#include <QRandomGenerator>

namespace {

struct Notice
{
    QString subject; // as read back, to tell deliveries apart
    QByteArray raw;
};

// Two sale notices (quoted-printable UTF-8 in a multipart, HTML only), a buyer's reply to one
// and a mail that is no notice; {a} and {b} are item numbers n and n + 1. The other encodings
// are read by the same decoder the local folders use, and are tested there.
QList<Notice> notices(int n)
{
    const QByteArray from = "From: sales@auctions.example\r\nTo: seller@lotwise.test\r\n";
    QList<Notice> out{
        {QString::fromUtf8("eBay Item Sold: Brass lamp \u20ac one {a}"),
         from +
             "Subject: =?UTF-8?Q?eBay_Item_Sold:_Brass_lamp_=E2=82=AC_one_{a}?=\r\n"
             "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=\"xx\"\r\n\r\n"
             "--xx\r\nContent-Type: text/plain; charset=utf-8\r\n"
             "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
             "Hello seller,\r\n\r\nItem name: Brass lamp =E2=82=AC\r\n"
             "Details for item number: #{a}\r\n"
             "Buyer: j=C3=BCrgen (jurgen@example.com)\r\nSale price: US $1,250.00\r\n"
             "--xx\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>ignored</p>\r\n--xx--\r\n"},
        {"eBay Item Sold: map two {b}",
         from + "Subject: eBay Item Sold: map two {b}\r\nMIME-Version: 1.0\r\n"
                "Content-Type: text/html; charset=utf-8\r\n\r\n"
                "<html><body><p>Item name: Old map<br>Details for item number: {b}"
                "<br>Buyer: cy (cy@example.com)<br>Sale price: $7.00</p></body></html>\r\n"},
        {"RE: eBay Item Sold: Brass lamp reply {a}",
         "From: jurgen@example.com\r\nTo: seller@lotwise.test\r\n"
         "Subject: RE: eBay Item Sold: Brass lamp reply {a}\r\n\r\n"
         "> Item name: Brass lamp\r\n> Details for item number: 9{a}\r\n"
         "Item name: Brass lamp\r\nDetails for item number: 9{a}\r\nBuyer: me\r\n"},
        {"Lunch {a}", "From: friend@example.com\r\nSubject: Lunch {a}\r\n\r\nItem name: not a notice\r\n"},
    };
    for (Notice &m : out) {
        for (int i = 0; i < 2; ++i) {
            const QByteArray mark = QByteArray("{") + char('a' + i) + '}';
            m.subject.replace(QString::fromLatin1(mark), QString::number(n + i));
            m.raw.replace(mark, QByteArray::number(n + i));
        }
    }
    return out;
}

class NoticeIntakeWindowTest : public TestSupport::WindowTest
{
protected:
    void beforeLoad() override
    {
        win->setMailSessionFactory([this] { return createMailSession(settings, folder.path()); });
    }
    QString field(int r, Field f) const { return store.recordAt(r)[f]; }
    QString status() const { return TestSupport::statusOf(win.get()); }

    TestSupport::LocalWebServer web;
};

} // namespace

TEST_F(NoticeIntakeWindowTest, NoticesThroughTheMailServersBecomeRecordsOnceEach)
{
    REQUIRE_SERVERS();
    TestSupport::serveHomePage(web, settings);
    quietLoad = true;
    const int number = 100000 + int(QRandomGenerator::global()->bounded(800000));
    TestServers::useAccount(settings, "seller@lotwise.test", "sellerpass");
    // One at a time, each in the inbox before the next, so that their order is known.
    TestServers::MailUser seller("seller@lotwise.test", "sellerpass");
    // Whatever an earlier run left in the inbox goes first.
    seller.session->SignOn(true, false);
    seller.session->Fetch();
    while (seller.session->MsgCount() > 0) {
        seller.session->setMsgIndex(0);
        seller.session->Delete();
    }
    for (const Notice &n : notices(number)) {
        ASSERT_TRUE(TestSupport::writeBytes(seller.folder.file("notice.eml"), n.raw));
        ASSERT_EQ(
            QProcess::execute("python3", {QString(LOTWISE_SOURCE_DIR "/tests/servers/deliver.py"),
                                          TestServers::dir(), "seller@lotwise.test", "sellerpass",
                                          "seller@lotwise.test", seller.folder.file("notice.eml")}),
            0);
        ASSERT_GE(seller.find(n.subject), 0) << n.subject.toStdString();
    }
    const int before = seller.session->MsgCount();
    seller.session->SignOff();

    load();
    // Shipping cost then the delete question, per sale notice in inbox order.
    scripted.answerText("4.00");
    scripted.answerButton(Prompts::No);
    scripted.answerText("1");
    scripted.answerButton(Prompts::Yes);
    win->toolbarClick("Check Email");
    ASSERT_EQ(store.recordCount(), 2);
    EXPECT_EQ(field(0, Field::AuctionName), QString::fromUtf8("Brass lamp \xe2\x82\xac"));
    EXPECT_EQ(field(0, Field::AuctionUrl), QString::number(number));
    EXPECT_EQ(field(0, Field::UserName), QString::fromUtf8("j\xc3\xbcrgen"));
    EXPECT_EQ(field(0, Field::EmailAddress), "jurgen@example.com");
    EXPECT_EQ(field(0, Field::AuctionTotal), "1254");
    EXPECT_EQ(field(0, Field::CloseDate), Dates::shortDateText(TestSupport::kWindowToday));
    EXPECT_EQ(field(1, Field::AuctionName), "Old map");
    EXPECT_EQ(field(1, Field::EmailAddress), "cy@example.com");
    EXPECT_EQ(field(1, Field::AuctionTotal), "8");
    EXPECT_EQ(field(1, Field::InvoiceSent), "0");
    EXPECT_TRUE(status().startsWith("Check Email: 2 records added")) << status().toStdString();
    // The map's notice was deleted from the server's inbox.
    seller.session->SignOn(true, false);
    seller.session->Fetch();
    EXPECT_EQ(seller.session->MsgCount(), before - 1);
    seller.session->SignOff();

    // A second "Check Email" over the kept notice asks nothing and adds nothing.
    scripted.clear();
    win->toolbarClick("Check Email");
    EXPECT_EQ(store.recordCount(), 2);
    EXPECT_TRUE(scripted.asked().isEmpty());
    EXPECT_TRUE(status().startsWith("Check Email: 0 records added, 1 notice passed over"))
        << status().toStdString();
}
