// The main window's mail-out on the real mail system: the local test servers, and the local
// mail folders of an account that has no server.

#include "errors/handelerrors.h"
#include "mail/mimetext.h"
#include "mail/vmimesession.h"
#include "mainwindow/emailwizardpanel.h"
#include "options/optionfiles.h"
#include "platform/textfile.h"
#include "support/cutproxy.h"
#include "support/fakemail.h"
#include "support/testservers.h"
#include "support/windowtest.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>

using TestSupport::addRecord;

namespace {

// The real session; after the first message the mail system accepts, it runs `afterFirst`
// (which stops the server).
class StopAfterFirstSend : public VmimeSession
{
public:
    StopAfterFirstSend(SettingsStore &settings, const QString &folder,
                       std::function<void()> afterFirst)
        : VmimeSession(settings, folder), m_afterFirst(std::move(afterFirst))
    {
    }
    void Send() override
    {
        VmimeSession::Send();
        if (auto stop = std::exchange(m_afterFirst, nullptr))
            stop();
    }

private:
    std::function<void()> m_afterFirst;
};

class ServerMailWindowTest : public TestSupport::FilledWindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        TestSupport::serveHomePage(web, settings);
        ASSERT_TRUE(TextFile::writeLines(folder.file("Email Templates/Reminder 7 days.elm"),
                                         {"Dear *User_Name*,", "item *Auction_Number*"}));
        quietLoad = true;
    }
    void beforeLoad() override
    {
        win->setMailSessionFactory([this] {
            return std::make_unique<StopAfterFirstSend>(settings, folder.path(), afterFirstSend);
        });
    }
    void unpaid(const char *user, const QString &address, int age)
    {
        TestSupport::addUnpaid(store, user, age, {{Field::EmailAddress, address}});
    }
    // Ann and Cy share a mailbox on the test servers; Bob has his own.
    void loadWithThreeUnpaid()
    {
        loadAfter([&] {
            unpaid("ann", "buyer@lotwise.test", 8);
            unpaid("bob", "buyer2@lotwise.test", 9);
            unpaid("cy", "buyer@lotwise.test", 10);
        });
    }
    // The 7-day reminder list with `rows` (from 1) checked, sent with `subject`.
    void sendReminders(std::initializer_list<int> rows, const QString &subject)
    {
        win->tvTreeView_NodeClick("AR1");
        EmailWizardPanel *wizard = win->emailWizardPanel();
        for (int r : rows)
            wizard->model()->setChecked(r - 1, true);
        wizard->subjectBox()->setEditText(subject);
        wizard->actionButton()->click();
    }
    QString reminded(int record) { return store.recordAt(record)[Field::Remainder10]; }
    int errorBoxes() const { return int(TestSupport::errorBoxes(scripted).size()); }

    TestSupport::LocalWebServer web;
    std::function<void()> afterFirstSend;
};

// `user`'s inbox on the test servers, signed on.
struct Mailbox : TestServers::MailUser
{
    Mailbox(const QString &user, const QString &password) : MailUser(user, password)
    {
        session->SignOn(true, false);
    }
};

} // namespace

TEST_F(ServerMailWindowTest, AReminderBatchDeliversTheCheckedRowsAndMarksExactlyThose)
{
    REQUIRE_SERVERS();
    TestServers::useAccount(settings, "seller@lotwise.test", "sellerpass");
    loadWithThreeUnpaid();
    const QString subject = TestServers::uniqueSubject("Please pay");
    sendReminders({1, 3}, subject);
    EXPECT_EQ(errorBoxes(), 0);
    EXPECT_EQ(reminded(0), "1");
    EXPECT_NE(reminded(1), "1");
    EXPECT_EQ(reminded(2), "1");

    Mailbox buyer("buyer@lotwise.test", "buyerpass");
    QStringList got = buyer.bodies(subject, 2);
    ASSERT_EQ(got.size(), 2);
    got.sort();
    EXPECT_TRUE(got[0].startsWith("Dear ann,\r\nitem 98\r\n\r\nThis Meassage was sent using Lotwise"))
        << got[0].toStdString();
    EXPECT_TRUE(got[1].startsWith("Dear cy,\r\nitem 910\r\n")) << got[1].toStdString();
    EXPECT_TRUE(got[1].contains("https://www.lotwise.org/Lotwise.htm"));
    // Nothing for Bob: looked at once a mail sent to him after the batch has come.
    Mailbox buyer2("buyer2@lotwise.test", "buyer2pass");
    const QString after = TestServers::uniqueSubject("After the batch");
    Mailbox("seller@lotwise.test", "sellerpass").send("buyer2@lotwise.test", after, "x");
    ASSERT_EQ(buyer2.bodies(after, 1).size(), 1);
    EXPECT_TRUE(buyer2.bodies(subject, 0).isEmpty());
}

TEST_F(ServerMailWindowTest, TheMailServerStoppingMidBatchLeavesTheRestUnmarkedWithAnErrorEach)
{
    REQUIRE_SERVERS();
    TestSupport::CutProxy smtp(10025);
    TestServers::useAccount(settings, "seller@lotwise.test", "sellerpass",
                            "imaps://127.0.0.1:10993",
                            QString("smtp://127.0.0.1:%1").arg(smtp.port()));
    afterFirstSend = [&smtp] { smtp.cut(); };
    loadWithThreeUnpaid();
    sendReminders({1, 2, 3}, TestServers::uniqueSubject("Cut"));
    EXPECT_EQ(reminded(0), "1");
    EXPECT_NE(reminded(1), "1");
    EXPECT_NE(reminded(2), "1");
    EXPECT_EQ(errorBoxes(), 2);
    // The two unsent rows are offered again.
    EXPECT_EQ(win->emailWizardPanel()->model()->rowCount(), 2);
}

TEST_F(ServerMailWindowTest, WithNoServerTheOutboxGetsTheMailThePreviewShowed)
{
    // No account set up: the local mail folders. An address on several lines and a name
    // outside plain ASCII.
    ASSERT_TRUE(TextFile::writeLines(folder.file("Email Templates/Reminder 7 days.elm"),
                                     {"Dear *User_Name*,", "", "we ship to:", "*Address*",
                                      "once item *Auction_Number* is paid."}));
    loadAfter([&] {
        unpaid("ann", "ann@example.com", 8);
        TestSupport::addUnpaid(store, "zoe", 9,
                               {{Field::UserName, QString::fromUtf8("Zo\u00eb")},
                                {Field::Address, "Zo\u00eb Park\r\n4 Elm Road\r\nDover"}});
    });
    win->tvTreeView_NodeClick("AR1");
    EmailWizardPanel *wizard = win->emailWizardPanel();
    wizard->subjectBox()->setEditText("About your lot");
    wizard->selectRow(2);
    const QString to = wizard->previewTo()->text();
    const QString subject = wizard->previewSubject()->text();
    const QString body = wizard->previewText();
    EXPECT_EQ(to, "zoe@example.com");
    EXPECT_TRUE(body.startsWith(QString::fromUtf8("Dear Zo\u00eb,\r\n\r\nwe ship to:\r\nZo\u00eb "
                                                  "Park\r\n4 Elm Road\r\nDover\r\nonce item 99")))
        << body.toStdString();

    // A single checked row goes without a question.
    wizard->model()->setChecked(1, true);
    wizard->actionButton()->click();
    EXPECT_TRUE(scripted.asked().isEmpty());
    const QDir outbox(folder.file("Mail/Outbox/new"));
    const QStringList sent = outbox.entryList(QDir::Files);
    ASSERT_EQ(sent.size(), 1);
    QFile f(outbox.filePath(sent[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray mime = f.readAll();
    const MailContent mail = readMailContent(mime);
    EXPECT_TRUE(mime.contains("\r\nTo: " + to.toUtf8())) << mime.constData();
    EXPECT_EQ(mail.subject, subject);
    EXPECT_EQ(mail.text, body);
    EXPECT_NE(reminded(0), "1");
    EXPECT_EQ(reminded(1), "1");
}

TEST_F(ServerMailWindowTest, TheOnlineCheckWantsASuccessfulAnswerFromTheSiteWhateverItsPage)
{
    load();
    const auto checkAt = [this](const QString &site) {
        settings.save("Endpoints", "AuctionSite", site);
        scripted.clear();
        win->CheckOnline();
        return win->online();
    };
    TestSupport::LocalWebServer missing, moved, broken, slow;
    missing.page.status = 404;
    moved.page.status = 301;
    moved.location = web.address().toUtf8() + '/';
    broken.page.status = 500;
    slow.page.delayMs = 15000;
    // The home page: no logo or anything else in particular, just a successful answer; the
    // same after a redirect from a site that moved.
    EXPECT_TRUE(checkAt(web.address()));
    EXPECT_FALSE(win->findChild<QPlainTextEdit *>("Text34")->toPlainText().isEmpty());
    EXPECT_FALSE(checkAt(missing.address()));
    EXPECT_TRUE(scripted.asked().isEmpty());
    EXPECT_TRUE(checkAt(moved.address()));
    EXPECT_FALSE(checkAt(broken.address()));
    EXPECT_TRUE(scripted.asked().isEmpty());

    // No answer at all is a failed check: it is reported and the flag stays as it was.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QString("http://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    win->mailer().setFetchTimeout(1000);
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "online before" : "offline before");
        ASSERT_EQ(checkAt(before ? web.address() : missing.address()), before);
        EXPECT_EQ(checkAt(refused), before);
        ASSERT_EQ(scripted.asked().size(), 1);
        EXPECT_TRUE(scripted.asked()[0].text.contains("Error Found In: Sub_CheckOnline"));
        EXPECT_EQ(checkAt(slow.address()), before);
        ASSERT_EQ(scripted.asked().size(), 1);
        EXPECT_TRUE(scripted.asked()[0].text.contains("did not answer within 1 seconds"))
            << scripted.asked()[0].text.toStdString();
    }
}

TEST_F(ServerMailWindowTest, AnErrorIsLoggedAndTheLogMailedToTheReportAddress)
{
    REQUIRE_SERVERS();
    TestServers::useAccount(settings, "seller@lotwise.test", "sellerpass");
    settings.save("Endpoints", "ErrorReports", "buyer2@lotwise.test");
    OptionFiles::ErrorChecking switches;
    switches.keepLog = true;
    switches.sendError = true;
    switches.write(folder.file("OptionErrorChecking.txt"));
    load();
    const QString where = TestServers::uniqueSubject("Test-Place");
    HandelErrors(where, 3265);
    ASSERT_EQ(errorBoxes(), 1);
    EXPECT_TRUE(TextFile::readLines(folder.file("errorlog.log")).contains("Error Found In: " + where));

    // Earlier runs left reports with the same subject in the mailbox: this one names `where`.
    Mailbox maker("buyer2@lotwise.test", "buyer2pass");
    const QStringList reports = maker.bodies("ERROR Reported in Lotwise", 1, where);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains("Error Number: 3265"));
    // The report is the log alone, without the footer of a buyer's mail.
    EXPECT_FALSE(reports[0].contains("Lotwise.htm"));
    EXPECT_FALSE(reports[0].contains("sellerpass"));
}
