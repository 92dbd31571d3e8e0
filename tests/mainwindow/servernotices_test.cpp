// "Check Email" on notices as the sites send them, in the encodings mail comes in, delivered
// through the test Postfix into Dovecot and read over IMAP.

#include "platform/dates.h"
#include "support/fakemail.h"
#include "support/testservers.h"
#include "support/windowtest.h"

#include <QProcess>
#include <QRandomGenerator>

namespace {

struct Notice
{
    QString tag; // in the subject, to tell deliveries apart
    QByteArray raw;
};

// Three sale notices (quoted-printable UTF-8 in a multipart, base64 Windows-1252 with bare LF
// lines, HTML only), a buyer's reply to one and a mail that is no notice; {a}, {b} and {c} are
// item numbers n, n + 1 and n + 2.
QList<Notice> notices(int n)
{
    const QByteArray b = QByteArray::number(n + 1);
    const QByteArray cups = "Item name: Caf\xe9 cups\nDetails for item number: " + b +
                            "\nBuyer: zo\xeb (zoe@example.com)\nSale price: $5.00\n";
    const QByteArray from = "From: sales@auctions.example\r\nTo: seller@lotwise.test\r\n";
    QList<Notice> out{
        {"one {a}",
         from +
             "Subject: =?UTF-8?Q?eBay_Item_Sold:_Brass_lamp_=E2=82=AC_one_{a}?=\r\n"
             "MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=\"xx\"\r\n\r\n"
             "--xx\r\nContent-Type: text/plain; charset=utf-8\r\n"
             "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
             "Hello seller,\r\n\r\nItem name: Brass lamp =E2=82=AC\r\n"
             "Details for item number: #{a}\r\n"
             "Buyer: j=C3=BCrgen (jurgen@example.com)\r\nSale price: US $1,250.00\r\n"
             "--xx\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>ignored</p>\r\n--xx--\r\n"},
        {"two {b}", from +
                        "Subject: eBay Item Sold: cups two {b}\r\nMIME-Version: 1.0\r\n"
                        "Content-Type: text/plain; charset=windows-1252\r\n"
                        "Content-Transfer-Encoding: base64\r\n\r\n" +
                        cups.toBase64() + "\r\n"},
        {"three {c}",
         from + "Subject: eBay Item Sold: map three {c}\r\nMIME-Version: 1.0\r\n"
                "Content-Type: text/html; charset=utf-8\r\n\r\n"
                "<html><body><p>Item name: Old map<br>Details for item number: {c}"
                "<br>Buyer: cy (cy@example.com)<br>Sale price: $7.00</p></body></html>\r\n"},
        {"reply {a}", "From: jurgen@example.com\r\nTo: seller@lotwise.test\r\n"
                      "Subject: RE: eBay Item Sold: Brass lamp reply {a}\r\n\r\n"
                      "> Item name: Brass lamp\r\n> Details for item number: 9{a}\r\n"
                      "Item name: Brass lamp\r\nDetails for item number: 9{a}\r\nBuyer: me\r\n"},
        {"Lunch {a}",
         "From: friend@example.com\r\nSubject: Lunch {a}\r\n\r\nItem name: not a notice\r\n"},
    };
    for (Notice &m : out) {
        for (int i = 0; i < 3; ++i) {
            const QByteArray mark = QByteArray("{") + char('a' + i) + '}';
            m.tag.replace(QString::fromLatin1(mark), QString::number(n + i));
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
    TestSupport::TempFolder reader;
    SettingsStore readerSettings(reader.file("settings.ini"));
    TestServers::useAccount(readerSettings, "seller@lotwise.test", "sellerpass");
    auto seller = createMailSession(readerSettings, reader.path());
    // Whatever an earlier run left in the inbox goes first.
    seller->SignOn(true, false);
    seller->Fetch();
    while (seller->MsgCount() > 0) {
        seller->setMsgIndex(0);
        seller->Delete();
    }
    for (const Notice &n : notices(number)) {
        ASSERT_TRUE(TestSupport::writeBytes(reader.file("notice.eml"), n.raw));
        ASSERT_EQ(
            QProcess::execute("python3", {QString(LOTWISE_SOURCE_DIR "/tests/servers/deliver.py"),
                                          TestServers::dir(), "seller@lotwise.test", "sellerpass",
                                          "seller@lotwise.test", reader.file("notice.eml")}),
            0);
        bool arrived = false;
        for (int attempt = 0; attempt < 50 && !arrived; ++attempt) {
            seller->SignOff();
            seller->SignOn(true, false);
            seller->Fetch();
            for (int i = 0; i < seller->MsgCount() && !arrived; ++i) {
                seller->setMsgIndex(i);
                arrived = seller->MsgSubject().endsWith(n.tag);
            }
            if (!arrived)
                QThread::msleep(100);
        }
        ASSERT_TRUE(arrived) << n.tag.toStdString();
    }
    const int before = seller->MsgCount();
    seller->SignOff();

    load();
    // Shipping cost then the delete question, per sale notice in inbox order.
    scripted.answerText("4.00");
    scripted.answerButton(Prompts::No);
    scripted.answerCancel(); // no shipping cost: 0
    scripted.answerButton(Prompts::Yes);
    scripted.answerText("1");
    scripted.answerButton(Prompts::No);
    win->toolbarClick("Check Email");
    ASSERT_EQ(store.recordCount(), 3);
    const QString today = Dates::shortDateText(TestSupport::kWindowToday);
    EXPECT_EQ(field(0, Field::AuctionName), QString::fromUtf8("Brass lamp \xe2\x82\xac"));
    EXPECT_EQ(field(0, Field::AuctionUrl), QString::number(number));
    EXPECT_EQ(field(0, Field::UserName), QString::fromUtf8("j\xc3\xbcrgen"));
    EXPECT_EQ(field(0, Field::EmailAddress), "jurgen@example.com");
    EXPECT_EQ(field(0, Field::AuctionTotal), "1254");
    EXPECT_EQ(field(0, Field::CloseDate), today);
    EXPECT_EQ(field(1, Field::AuctionName), QString::fromUtf8("Caf\xc3\xa9 cups"));
    EXPECT_EQ(field(1, Field::UserName), QString::fromUtf8("zo\xc3\xab"));
    EXPECT_EQ(field(1, Field::AuctionUrl), QString::number(number + 1));
    EXPECT_EQ(field(1, Field::AuctionTotal), "5");
    EXPECT_EQ(field(2, Field::AuctionName), "Old map");
    EXPECT_EQ(field(2, Field::EmailAddress), "cy@example.com");
    EXPECT_EQ(field(2, Field::AuctionTotal), "8");
    EXPECT_EQ(field(2, Field::InvoiceSent), "0");
    EXPECT_TRUE(status().startsWith("Check Email: 3 records added")) << status().toStdString();
    // The cups notice was deleted from the server's inbox.
    seller->SignOn(true, false);
    seller->Fetch();
    EXPECT_EQ(seller->MsgCount(), before - 1);
    seller->SignOff();

    // A second "Check Email" over the two kept notices asks nothing and adds nothing.
    scripted.clear();
    win->toolbarClick("Check Email");
    EXPECT_EQ(store.recordCount(), 3);
    EXPECT_TRUE(scripted.asked().isEmpty());
    EXPECT_TRUE(status().startsWith("Check Email: 0 records added, 2 notices passed over"))
        << status().toStdString();
}
