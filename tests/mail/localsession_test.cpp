#include "mail/mailaccount.h"
#include "mail/vmimesession.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "support/fakemail.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using TestSupport::errorNumberOf;

QByteArray mail(const QByteArray &headers, const QByteArray &body)
{
    return "From: eBay <ebay@ebay.test>\r\nTo: seller@lotwise.test\r\n" + headers + "\r\n\r\n" +
           body;
}

// A fresh application folder with the local account and its session.
struct LocalMail
{
    TestSupport::TempFolder folder;
    SettingsStore settings{folder.file(QStringLiteral("settings.ini"))};
    std::unique_ptr<MailSession> session = createMailSession(settings, folder.path());

    QString inbox(const char *sub) const
    {
        return folder.file(QStringLiteral("Mail/Inbox/") + QLatin1String(sub));
    }
    void deliver(const char *sub, const QString &name, const QByteArray &raw) const
    {
        ASSERT_TRUE(TestSupport::writeBytes(inbox(sub) + u'/' + name, raw));
    }
    QStringList outboxFiles() const
    {
        return QDir(folder.file(QStringLiteral("Mail/Outbox/new")))
            .entryList(QDir::Files, QDir::Name);
    }
    QByteArray outboxFile(const QString &name) const
    {
        return TestSupport::readBytes(folder.file(QStringLiteral("Mail/Outbox/new/")) + name);
    }
    void send(const QString &to, const QString &subject, const QString &body)
    {
        TestSupport::sendThrough(*session, to, subject, body);
    }
};

} // namespace

TEST(LocalMailSession, SignOnMakesTheFoldersComposeTakesTheCurrentMessageAndSignOffEnds)
{
    LocalMail m;
    EXPECT_EQ(errorNumberOf([&] { m.session->Fetch(); }), ErrorCode::MailNotSignedOn);
    m.session->SignOn(false, true);
    EXPECT_TRUE(m.session->isSignedOn());
    for (const char *p : {"Mail/Inbox/new", "Mail/Inbox/cur", "Mail/Outbox/new", "Mail/Outbox/tmp"})
        EXPECT_TRUE(QDir(m.folder.file(QLatin1String(p))).exists()) << p;
    m.session->Fetch();
    EXPECT_EQ(m.session->MsgCount(), 0);
    EXPECT_EQ(m.session->msgIndex(), -1);
    EXPECT_EQ(errorNumberOf([&] { m.session->setMsgIndex(0); }), ErrorCode::InvalidPropertyValue);

    m.deliver("new", "1700000001.M1P1.host", mail("Subject: incoming", "x"));
    m.session->Fetch();
    m.session->Compose();
    m.session->setMsgSubject("outgoing");
    EXPECT_EQ(m.session->MsgSubject(), "outgoing");
    m.session->setMsgIndex(0);
    EXPECT_EQ(m.session->MsgSubject(), "incoming");
    m.session->SignOff();
    EXPECT_FALSE(m.session->isSignedOn());
    EXPECT_EQ(m.session->MsgCount(), 0);
    EXPECT_EQ(errorNumberOf([&] { m.session->Compose(); }), ErrorCode::MailNotSignedOn);
}

TEST(LocalMailSession, FetchReadsInDeliveryOrderIndexPastTheEndIs380AndDeleteRemovesTheFile)
{
    LocalMail m;
    // cur/ holds messages already read; names start with the delivery time.
    m.deliver("cur", "1700000300.M1P1.host:2,S", mail("Subject: third", "c"));
    m.deliver("new", "1700000100.M5P1.host", mail("Subject: first", "a"));
    m.deliver("new", "1700000100.M40P1.host", mail("Subject: second", "b"));
    m.deliver("new", "1700000400.M1P1.host", mail("Subject: fourth", "d"));
    m.session->SignOn(true, true);
    m.session->Fetch();
    ASSERT_EQ(m.session->MsgCount(), 4);
    EXPECT_EQ(m.session->msgIndex(), 0);
    QStringList subjects;
    for (int i = 0; i < 4; ++i) {
        m.session->setMsgIndex(i);
        subjects << m.session->MsgSubject();
    }
    EXPECT_EQ(subjects, QStringList({"first", "second", "third", "fourth"}));
    EXPECT_EQ(errorNumberOf([&] { m.session->setMsgIndex(4); }), ErrorCode::InvalidPropertyValue);
    EXPECT_EQ(errorNumberOf([&] { m.session->setMsgIndex(-1); }), ErrorCode::InvalidPropertyValue);
    EXPECT_EQ(m.session->msgIndex(), 3);

    // Delete removes the file and the message from the set.
    m.session->setMsgIndex(1);
    m.session->Delete();
    EXPECT_FALSE(QFile::exists(m.inbox("new") + "/1700000100.M40P1.host"));
    ASSERT_EQ(m.session->MsgCount(), 3);
    EXPECT_EQ(m.session->MsgSubject(), "third"); // the next one moves up
    m.session->setMsgIndex(2);
    m.session->Delete();
    EXPECT_EQ(m.session->msgIndex(), 1);
    EXPECT_EQ(m.session->MsgSubject(), "third");
    // A second fetch sees the folder as it now is.
    m.session->Fetch();
    EXPECT_EQ(m.session->MsgCount(), 2);
    m.session->Delete();
    m.session->Delete();
    EXPECT_EQ(m.session->MsgCount(), 0);
    EXPECT_EQ(errorNumberOf([&] { m.session->Delete(); }), ErrorCode::InvalidPropertyValue);
}

TEST(LocalMailSession, BodiesAreDecodedFromTheirEncodingsAndCharsetsAndABrokenOneIsPassed)
{
    LocalMail m;
    int n = 0;
    const auto add = [&](const QByteArray &raw) {
        m.deliver("new", QStringLiteral("17000000%1.M1P1.host").arg(10 + n++), raw);
    };
    // A broken file first: it does not stop the others.
    add(QByteArray("\x00\xff garbage\r\n\r\n\x01", 15));
    add(mail(
        "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\nMIME-Version: 1.0\r\n"
        "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable",
        "Item: Caf=C3=A9 lamp=\r\n set\nTotal: =E2=82=AC 5.00\n"));
    add(mail("Subject: b64\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
             "Content-Transfer-Encoding: base64",
             QByteArray("Buyer: J\xc3\xbcrgen\r\nPaid\r\n").toBase64()));
    add(mail("Subject: cp1252\r\nMIME-Version: 1.0\r\n"
             "Content-Type: text/plain; charset=windows-1252\r\nContent-Transfer-Encoding: 8bit",
             "Price \x80 12 \x93quoted\x94\n"));
    add(mail("Subject: latin1\r\nMIME-Version: 1.0\r\n"
             "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: 8bit",
             "Stra\xdf"
             "e\r\n"));
    add(mail(
        "Subject: alternative\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/alternative; boundary=\"XX\"",
        "--XX\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nPlain wins\r\n"
        "--XX\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>Html loses</p>\r\n--XX--\r\n"));
    add(mail(
        "Subject: html only\r\nMIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8",
        "<html><body><p>Item sold:&nbsp;<b>Lamp</b></p><p>Buyer &amp; bidder</p></body></html>"));
    add(mail("Subject: mixed\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"B\"",
             "--B\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nSee the picture\r\n"
             "--B\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: "
             "base64\r\n\r\niVBORw0K\r\n--B--\r\n"));
    add("Subject: no mime at all\nFrom: a@b.test\n\nline one\nline two\n");
    add(mail("Subject: b64 cp1252\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; "
             "charset=windows-1252\r\nContent-Transfer-Encoding: base64",
             QByteArray("Item name: Caf\xe9 cups\nBuyer: zo\xeb\n").toBase64()));

    m.session->SignOn(true, false);
    m.session->Fetch();
    ASSERT_EQ(m.session->MsgCount(), n);
    const auto textOf = [&](int i) {
        m.session->setMsgIndex(i);
        return m.session->MsgNoteText();
    };
    EXPECT_NO_THROW((void)textOf(0));
    m.session->setMsgIndex(1);
    EXPECT_EQ(m.session->MsgSubject(), QString::fromUtf8("Grüße"));
    EXPECT_EQ(textOf(1), QString::fromUtf8("Item: Café lamp set\r\nTotal: € 5.00\r\n"));
    EXPECT_EQ(textOf(2), QString::fromUtf8("Buyer: Jürgen\r\nPaid\r\n"));
    EXPECT_EQ(textOf(3), QString::fromUtf8("Price € 12 “quoted”\r\n"));
    EXPECT_EQ(textOf(4), QString::fromUtf8("Straße\r\n"));
    EXPECT_EQ(textOf(5).trimmed(), "Plain wins");
    const QString html = textOf(6);
    EXPECT_TRUE(html.contains("Item sold: Lamp")) << html.toStdString();
    EXPECT_TRUE(html.contains("\r\nBuyer & bidder")) << html.toStdString();
    EXPECT_FALSE(html.contains('<'));
    EXPECT_EQ(textOf(7).trimmed(), "See the picture");
    EXPECT_EQ(textOf(8), "line one\r\nline two\r\n");
    EXPECT_EQ(m.session->MsgSubject(), "no mime at all");
    EXPECT_EQ(textOf(9), QString::fromUtf8("Item name: Café cups\r\nBuyer: zoë\r\n"));
}

TEST(LocalMailSession, SentMessagesLandInTheOutboxAsCompleteMimeAndBadHeadersAreRefused)
{
    LocalMail m;
    m.settings.save("Mail", "Sender", "seller@lotwise.test");
    m.settings.save("Mail", "SenderName", QString::fromUtf8("Zoë's Attic"));
    m.session->SignOn(false, true);
    const QString body = QString::fromUtf8("Dear buyer,\r\nyour total is € 12.50.\r\n"
                                           "A line ending in spaces   \r\n.\r\nThanks");
    m.send("buyer@lotwise.test", QString::fromUtf8("Payment reminder – Lamp"), body);
    m.send("buyer2@lotwise.test", "Plain subject", "ascii only\r\n");

    const QStringList files = m.outboxFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(QDir(m.folder.file("Mail/Outbox/tmp")).entryList(QDir::Files).isEmpty());
    const QByteArray first = m.outboxFile(files[0]);
    // Header names compare without case, as mail readers do.
    const QByteArray head = first.left(first.indexOf("\r\n\r\n")).toLower();
    for (const char *h :
         {"\r\nto: buyer@lotwise.test", "\r\ndate: ", "\r\nmessage-id: <", "\r\nmime-version: 1.0",
          "\r\nfrom: ", "\r\ncontent-type: text/plain; charset=utf-8",
          "\r\ncontent-transfer-encoding: quoted-printable"}) {
        EXPECT_TRUE(("\r\n" + head).contains(h)) << h << "\n" << head.toStdString();
    }
    EXPECT_TRUE(head.contains("<seller@lotwise.test>"));
    const qsizetype subject = head.indexOf("\r\nsubject: ");
    ASSERT_GE(subject, 0);
    EXPECT_TRUE(head.mid(subject, head.indexOf("\r\n", subject + 2) - subject).contains("=?utf-8?"))
        << "a non-ASCII subject goes in encoded words";
    for (char c : first)
        ASSERT_LT((unsigned char)c, 0x80) << "the wire form is 7-bit";

    // Read back through the same decoder the inbox uses.
    const MailContent back = readMailContent(first);
    EXPECT_EQ(back.subject, QString::fromUtf8("Payment reminder – Lamp"));
    EXPECT_EQ(back.text, body);

    const QByteArray second = m.outboxFile(files[1]);
    EXPECT_TRUE(second.contains("Subject: Plain subject\r\n"));
    EXPECT_EQ(readMailContent(second).text, "ascii only\r\n");

    // Line breaks in headers and invalid addresses are refused before sending.
    const auto sendError = [&](const QString &to, const QString &subject) {
        return errorNumberOf([&] { m.send(to, subject, "body"); });
    };
    EXPECT_EQ(sendError("buyer@lotwise.test\r\nBcc: all@evil.test", "Hi"),
              ErrorCode::MailLineBreakInHeader);
    EXPECT_EQ(sendError("buyer@lotwise.test", "Hi\nBcc: all@evil.test"),
              ErrorCode::MailLineBreakInHeader);
    EXPECT_EQ(sendError("buyer@lotwise.test", "Hi\rthere"), ErrorCode::MailLineBreakInHeader);
    for (const char *bad : {"", "buyer", "buyer@", "@lotwise.test", "two words@lotwise.test",
                            "a@b@c.test", "Buyer <buyer@lotwise.test>", "buyer@-bad.test",
                            "buyer@lotwise..test", "b\xc3\xbc@lotwise.test"})
        EXPECT_EQ(sendError(QString::fromUtf8(bad), "Hi"), ErrorCode::MailInvalidAddress) << bad;
    EXPECT_EQ(m.outboxFiles().size(), 2);
    EXPECT_EQ(sendError("first.last+tag@mail.lotwise.test", "Hi"), 0);
    EXPECT_EQ(m.outboxFiles().size(), 3);
}

TEST(MailContentReader, APartOfAnUnreadableTextTypeGivesTheBodyInsteadOfAFailure)
{
    // VMime has no reader for these text types; the mail must still read.
    for (const char *type : {"text/calendar", "text/htm\xff\xff"}) {
        SCOPED_TRACE(type);
        const QByteArray raw =
            QByteArray("Subject: =?UTF-8?Q?Item_Sold_J=C3=BCrgen?=\r\nContent-Type: ") + type +
            "; charset=utf-8\r\n\r\nItem number: 99\r\nBuyer: G\xc3\xbcnter\r\n";
        MailContent c;
        ASSERT_NO_THROW(c = readMailContent(raw));
        EXPECT_EQ(c.subject, QString::fromUtf8("Item Sold J\xc3\xbcrgen"));
        EXPECT_EQ(c.text, QString::fromUtf8("Item number: 99\r\nBuyer: G\xc3\xbcnter\r\n"));
    }
    // An unknown transfer encoding leaves the text as it came.
    const MailContent odd = readMailContent("Subject: Item Sold\r\nContent-Type: text/plain\r\n"
                                            "Content-Transfer-Encoding: qu=ted-printable\r\n\r\n"
                                            "Item number: 7=3D\r\n");
    EXPECT_EQ(odd.text, "Item number: 7=3D\r\n");
}
