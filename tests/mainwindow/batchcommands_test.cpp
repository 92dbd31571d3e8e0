#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/feedbackpanel.h"
#include "mainwindow/shippanel.h"
#include "mainwindow/statuspicture.h"
#include "mainwindow/unpaiditemspanel.h"
#include "platform/dates.h"
#include "platform/textfile.h"
#include "support/fakemail.h"
#include "support/windowtest.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <tuple>

using TestSupport::addRecord;
using TestSupport::addShipped;
using TestSupport::addUnpaid;
using TestSupport::daysAgo;
using TestSupport::FieldList;
using TestSupport::usersOf;

namespace {

const QDate kToday = TestSupport::kWindowToday;

class BatchTest : public TestSupport::FilledWindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        TestSupport::serveHomePage(web, settings);
        writeTemplate("Reminder 7 days.elm", {"Dear *User_Name*,", "item *Auction_Number*"});
        writeTemplate("Feed Back Given.elm", {"Thanks *User_Name*"});
        // Online and with a mail session, the load asks nothing.
        quietLoad = true;
    }
    void beforeLoad() override
    {
        win->setMailSessionFactory(
            [log = mail] { return std::make_unique<TestSupport::FakeMailSession>(log); });
    }
    void writeTemplate(const QString &name, const QStringList &lines)
    {
        ASSERT_TRUE(TextFile::writeLines(folder.file("Email Templates/" + name), lines));
    }
    // Ann, Bob and Cy, 8 to 10 days unpaid, on the 7-day reminder list.
    EmailWizardPanel *showThreeReminders()
    {
        loadAfter([&] {
            addUnpaid(store, "ann", 8);
            addUnpaid(store, "bob", 9);
            addUnpaid(store, "cy", 10);
        });
        win->tvTreeView_NodeClick("AR1");
        return win->emailWizardPanel();
    }
    void check(QueuePanel *panel, std::initializer_list<int> rows)
    {
        for (int r : rows)
            panel->model()->setChecked(r - 1, true);
    }
    QStringList asked() const { return TestSupport::askedOf(scripted); }
    QString field(int record, Field f) { return store.recordAt(record)[f]; }
    QString status() const { return TestSupport::statusOf(win.get()); }
    QLabel *onlinePicture() const { return find<QLabel>("sbStatusBar_Online"); }

    TestSupport::LocalWebServer web;
    std::shared_ptr<TestSupport::MailLog> mail = std::make_shared<TestSupport::MailLog>();
};

class BatchStoreFaultTest : public BatchTest,
                            public ::testing::WithParamInterface<TestSupport::StoreFault::Kind>
{
};

} // namespace

TEST_F(BatchTest, OneTickedMailGoesAtOnceSeveralAreAskedAboutAndOnlyTheSentAreMarked)
{
    EmailWizardPanel *wizard = showThreeReminders();
    EXPECT_TRUE(win->online());
    ASSERT_EQ(usersOf(wizard), (QStringList{"ann", "bob", "cy"}));

    // One mail is what the user just ticked: it goes at once.
    check(wizard, {2});
    wizard->actionButton()->click();
    EXPECT_TRUE(scripted.asked().isEmpty());
    ASSERT_EQ(mail->sent.size(), 1);
    EXPECT_EQ(mail->sent[0].to, "bob@example.com");
    EXPECT_EQ(mail->sent[0].subject, "Auction Payment Remainder 7 Days Past Due");
    // The merged template, one line end after its last line, then the footer after an
    // empty line.
    EXPECT_TRUE(mail->sent[0].body.startsWith("Dear bob,\r\nitem 99\r\n\r\nThis Meassage was sent "
                                              "using Lotwise Version 3.0\r\n"))
        << mail->sent[0].body.toStdString();
    EXPECT_TRUE(mail->sent[0].body.endsWith("Lotwise, No monthly fees ever!\r\n"
                                            "https://www.lotwise.org/Lotwise.htm"));
    EXPECT_NE(field(0, Field::Remainder10), "1");
    EXPECT_EQ(field(1, Field::Remainder10), "1");
    EXPECT_NE(field(2, Field::Remainder10), "1");
    ASSERT_EQ(usersOf(wizard), (QStringList{"ann", "cy"}));

    check(wizard, {1, 2});
    scripted.answerButton(Prompts::No);
    wizard->actionButton()->click();
    EXPECT_EQ(asked(),
              QStringList{"Send Emails: Send 2 emails?\r\n\r\nTemplate: Reminder 7 days.elm"
                          "\r\nSubject: Auction Payment Remainder 7 Days Past Due"});
    EXPECT_EQ(scripted.asked().value(0).buttons, Prompts::Yes | Prompts::No);
    EXPECT_EQ(scripted.asked().value(0).icon, Prompts::Icon::Question);
    EXPECT_EQ(mail->sent.size(), 1);
    EXPECT_NE(field(0, Field::Remainder10), "1");
    EXPECT_NE(field(2, Field::Remainder10), "1");
    // The list stands as it was, ticks and all, ready to be sent after all.
    EXPECT_EQ(usersOf(wizard), (QStringList{"ann", "cy"}));
    EXPECT_TRUE(wizard->model()->isChecked(0) && wizard->model()->isChecked(1));
    EXPECT_TRUE(wizard->actionButton()->isEnabled());

    // The question names the template and subject that will go, chosen by hand or not.
    wizard->selectTemplate("Feed Back Given.elm");
    wizard->subjectBox()->setEditText("Thank you");
    scripted.clear();
    scripted.answerButton(Prompts::Yes);
    wizard->actionButton()->click();
    EXPECT_EQ(asked(), QStringList{"Send Emails: Send 2 emails?\r\n\r\n"
                                   "Template: Feed Back Given.elm\r\nSubject: Thank you"});
    ASSERT_EQ(mail->sent.size(), 3);
    EXPECT_EQ(mail->sent[1].to, "ann@example.com");
    EXPECT_EQ(mail->sent[2].to, "cy@example.com");
    EXPECT_TRUE(mail->sent[2].body.startsWith("Thanks cy\r\n"));
    EXPECT_EQ(mail->sent[2].subject, "Thank you");
    EXPECT_EQ(field(0, Field::Remainder10), "1");
    EXPECT_EQ(field(2, Field::Remainder10), "1");
    EXPECT_TRUE(usersOf(wizard).isEmpty());
    EXPECT_TRUE(wizard->actionButton()->isEnabled());
}

TEST_F(BatchTest, AFailedSendOrMergeLeavesItsRecordUnmarkedAndTheBatchGoesOn)
{
    mail->refuse.insert("bob@example.com");
    EmailWizardPanel *wizard = showThreeReminders();
    check(wizard, {1, 2, 3});
    scripted.answerButton(Prompts::Yes);
    wizard->actionButton()->click();
    EXPECT_EQ(mail->sent.size(), 2);
    EXPECT_NE(field(1, Field::Remainder10), "1");
    EXPECT_EQ(usersOf(wizard), QStringList{"bob"}); // offered again next time
    // After the question, the refusal went to the error handler.
    ASSERT_EQ(scripted.asked().size(), 2);
    EXPECT_TRUE(scripted.asked()[1].text.contains("Sub_SendEmail"));
    EXPECT_TRUE(status().contains("1 not sent"));

    // A template that cannot be read sends nothing, not even a stale Email.txt.
    scripted.clear();
    mail->refuse.clear();
    QFile::remove(folder.file("Email Templates/Reminder 7 days.elm"));
    QFile::copy(folder.file("Email Templates/Payment Made.elm"), folder.file("Email.txt"));
    wizard->fillTemplates(folder.file("Email Templates"));
    wizard->templateList()->addItem("Reminder 7 days.elm"); // shown, then gone from disk
    wizard->selectTemplate("Reminder 7 days.elm");
    check(wizard, {1});
    wizard->actionButton()->click();
    EXPECT_EQ(mail->sent.size(), 2);
    EXPECT_NE(field(1, Field::Remainder10), "1");
    EXPECT_TRUE(scripted.asked().value(0).text.contains("Sub_ReplaceEmail"));
}

TEST_F(BatchTest, SendRefusesOfflineOrWithoutATemplateAndDoesNothingOnAnEmptyList)
{
    loadAfter([&] { addUnpaid(store, "ann", 8); });
    EmailWizardPanel *wizard = win->emailWizardPanel();
    win->tvTreeView_NodeClick("AR2"); // empty
    wizard->actionButton()->click();
    EXPECT_TRUE(scripted.asked().isEmpty());

    win->tvTreeView_NodeClick("AR1");
    check(wizard, {1});
    // The site answers with an error: offline, without an error box of its own.
    web.page = {503, "<html>Down for maintenance</html>", 0};
    wizard->actionButton()->click();
    EXPECT_EQ(asked(), QStringList{"Not Online.: You are not currently online.\r\nYou will not "
                                   "be able to send email.\r\n\r\nPlease Logon to the internet!"});
    EXPECT_TRUE(wizard->actionButton()->isEnabled());
    EXPECT_TRUE(mail->sent.isEmpty());
    EXPECT_EQ(onlinePicture()->accessibleName(), "Offline");
    EXPECT_TRUE(onlinePicture()->toolTip().contains("answered with status 503"));

    // Whatever the page holds, a successful answer is online.
    web.page = {200, "<html>Sign in to see your selling overview</html>", 0};
    scripted.clear();
    win->CheckOnline();
    EXPECT_TRUE(win->online());
    EXPECT_EQ(onlinePicture()->accessibleName(), "Online");

    web.page = {200, "", 0};
    wizard->templateList()->clearSelection();
    wizard->templateList()->setCurrentRow(-1);
    scripted.clear();
    wizard->actionButton()->click();
    EXPECT_EQ(asked(), QStringList{"Select Email Templete.: Not Email Templete Selected."});
    EXPECT_TRUE(mail->sent.isEmpty());
}

TEST_F(BatchTest, LaterReminderListsMarkThe28DayFlagAndTheAllAndPaidListsMarkNothing)
{
    loadAfter([&] {
        addUnpaid(
            store, "old", 36,
            {{Field::Remainder10, "1"}, {Field::Remainder20, "1"}, {Field::Remainder30, "1"}});
        addUnpaid(store, "new", 8);
        addShipped(store, "paid", "a lot", 3);
    });
    EmailWizardPanel *wizard = win->emailWizardPanel();
    win->tvTreeView_NodeClick("AR5");
    ASSERT_EQ(usersOf(wizard), QStringList{"old"});
    check(wizard, {1});
    wizard->actionButton()->click();
    EXPECT_EQ(field(0, Field::Remainder40), "1");
    EXPECT_TRUE(usersOf(wizard).isEmpty());

    win->tvTreeView_NodeClick("AR7");
    ASSERT_EQ(usersOf(wizard), (QStringList{"old", "new"}));
    // The switch does not turn off here; the user is told why.
    wizard->markSwitch()->click();
    EXPECT_TRUE(win->markSwitchOn());
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].title, "Working with All Reminder");
    check(wizard, {2});
    wizard->actionButton()->click();
    EXPECT_EQ(mail->sent.size(), 2);
    EXPECT_NE(field(1, Field::Remainder10), "1");
    EXPECT_EQ(usersOf(wizard), (QStringList{"old", "new"})); // computed again, same rows

    win->tvTreeView_NodeClick("VA");
    check(wizard, {1});
    wizard->actionButton()->click();
    EXPECT_EQ(mail->sent.size(), 3);
    EXPECT_TRUE(wizard->model()->isChecked(0)); // not computed again
}

TEST_F(BatchTest, FeedBackMarkWithAndWithoutTheNotice)
{
    mail->refuse.insert("cy@example.com");
    loadAfter([&] {
        for (const auto &[user, lot, age] : {std::tuple{"ann", "clock", 9},
                                             {"ann", "clock", 9}, // the same row twice
                                             {"bob", "bell", 10},
                                             {"cy", "vase", 10}})
            addShipped(store, user, lot, age);
    });
    FeedBackPanel *panel = win->feedBackPanel();
    win->tvTreeView_NodeClick("FB1");
    ASSERT_EQ(panel->rowCount(), 4);

    panel->noticeSwitch()->click(); // off
    check(panel, {3});
    panel->actionButton()->click();
    EXPECT_EQ(field(2, Field::FeedBackGiven), "1");
    EXPECT_EQ(field(2, Field::NoticeFeedBackGiven), "");
    EXPECT_TRUE(mail->sent.isEmpty());
    EXPECT_EQ(usersOf(panel), (QStringList{"ann", "ann", "cy"}));

    panel->noticeSwitch()->click(); // on again
    check(panel, {1, 3});
    panel->actionButton()->click();
    // One row, both of its records marked, and each sent its notice.
    EXPECT_EQ(field(0, Field::FeedBackGiven), "1");
    EXPECT_EQ(field(1, Field::FeedBackGiven), "1");
    EXPECT_EQ(field(0, Field::NoticeFeedBackGiven), "1");
    EXPECT_EQ(field(1, Field::NoticeFeedBackGiven), "1");
    ASSERT_EQ(mail->sent.size(), 2);
    EXPECT_EQ(mail->sent[0].subject, "Feed Back Given");
    EXPECT_TRUE(mail->sent[0].body.startsWith("Thanks ann\r\n"));
    EXPECT_EQ(win->emailWizardPanel()->subjectBox()->currentText(), "Feed Back Given");
    // A notice that fails leaves only the notice flag unset.
    EXPECT_EQ(field(3, Field::FeedBackGiven), "1");
    EXPECT_EQ(field(3, Field::NoticeFeedBackGiven), "");
    EXPECT_EQ(panel->rowCount(), 0);
}

TEST_F(BatchTest, DuplicatesAreAllMarkedButMailedOnce)
{
    loadAfter([&] {
        addUnpaid(store, "ann", 8);
        addUnpaid(store, "ann", 8);
    });
    win->tvTreeView_NodeClick("AR1");
    EmailWizardPanel *wizard = win->emailWizardPanel();
    check(wizard, {1});
    wizard->actionButton()->click();
    EXPECT_EQ(mail->sent.size(), 1);
    EXPECT_EQ(field(0, Field::Remainder10), "1");
    EXPECT_NE(field(1, Field::Remainder10), "1");

    win->tvTreeView_NodeClick("UPI4");
    UnpaidItemsPanel *unpaidPanel = win->unpaidItemsPanel();
    check(unpaidPanel, {1});
    unpaidPanel->actionButton()->click();
    EXPECT_EQ(field(0, Field::Npb), "1");
    EXPECT_EQ(field(1, Field::Npb), "1");
    EXPECT_EQ(unpaidPanel->rowCount(), 0);
    EXPECT_EQ(mail->sent.size(), 1); // marking sends nothing
}

TEST_F(BatchTest, UnpaidMarkFollowsTheLinkAndShipMarkDatesTheShipment)
{
    loadAfter([&] {
        addUnpaid(store, "fred", 43, {{Field::Npb, "1"}});
        addRecord(store, {{Field::UserName, "pat"},
                          {Field::AuctionName, "lamp"},
                          {Field::InvoiceSent, "1"},
                          {Field::PaymentMade, "1"},
                          {Field::PaymentMadeDate, daysAgo(kToday, 2)}});
    });
    win->tvTreeView_NodeClick("FVF1");
    UnpaidItemsPanel *unpaidPanel = win->unpaidItemsPanel();
    check(unpaidPanel, {1});
    unpaidPanel->actionButton()->click();
    EXPECT_EQ(field(0, Field::CriedtFiled), "1");
    EXPECT_EQ(unpaidPanel->rowCount(), 0);
    EXPECT_EQ(win->windowTitle(), "Lotwise - Working with 42 Final Value Fee credits..");

    QTest::mouseClick(win->findChild<QPushButton *>("Command2"), Qt::LeftButton);
    ShipPanel *ship = win->shipPanel();
    ASSERT_EQ(ship->rowCount(), 1);
    ship->actionButton()->click(); // nothing checked: nothing marked
    EXPECT_NE(field(1, Field::ItemSent), "1");
    check(ship, {1});
    ship->actionButton()->click();
    EXPECT_EQ(field(1, Field::ItemSent), "1");
    EXPECT_EQ(field(1, Field::ItemSentDate), Dates::shortDateText(kToday));
    EXPECT_EQ(ship->rowCount(), 0);
}

TEST_F(BatchTest, ARowWhoseRecordIsGoneIsSkippedAndCounted)
{
    loadAfter([&] {
        addUnpaid(store, "ann", 8);
        addUnpaid(store, "bob", 9);
    });
    win->tvTreeView_NodeClick("AR1");
    EmailWizardPanel *wizard = win->emailWizardPanel();
    check(wizard, {1, 2});
    store.moveTo(0);
    store.deleteCurrent();
    wizard->actionButton()->click();
    ASSERT_EQ(mail->sent.size(), 1);
    EXPECT_EQ(mail->sent[0].to, "bob@example.com");
    EXPECT_TRUE(status().contains("1 skipped")) << status().toStdString();
}

TEST_F(BatchTest, ToolbarEmailOpensTheQuickEmailOnlyOnTheRecordPanel)
{
    loadAfter([&] { addUnpaid(store, "ann", 8); });
    win->tvTreeView_NodeClick("AR1");
    win->toolbarClick("Email");
    EXPECT_EQ(win->findChild<QDialog *>("frmEmail"), nullptr);
    QTest::mouseClick(win->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    win->toolbarClick("Email");
    auto *quick = win->findChild<QDialog *>("frmEmail");
    ASSERT_TRUE(quick);
    EXPECT_TRUE(quick->isVisible());
    EXPECT_TRUE(quick->isModal());
    EXPECT_EQ(quick->findChild<QLineEdit *>("Text1")->text(), "ann@example.com");
    quick->findChild<QPushButton *>("Command2")->click();
    ASSERT_EQ(mail->sent.size(), 1);
    EXPECT_EQ(mail->sent[0].to, "ann@example.com");
}

TEST_P(BatchStoreFaultTest, AStoreThatCannotBeWrittenStopsTheBatchAtTheRowItFailedOn)
{
    using TestSupport::StoreFault;
    const StoreFault::Kind kind = GetParam();
    // With their site set, showing them leaves nothing to write.
    const auto fill = [&] {
        for (const auto &[user, age] : {std::pair{"ann", 8}, {"bob", 9}, {"cy", 10}})
            addUnpaid(store, user, age, {{Field::AuctionSite, "eBay"}});
    };
    // A file made read-only is so from the start; the others strike after the first mail.
    std::unique_ptr<StoreFault> fault;
    if (kind == StoreFault::ReadOnly) {
        fault = std::make_unique<StoreFault>(kind, folder.dbPath());
        if (!fault->made())
            GTEST_SKIP() << "this file system has no read-only files for root";
    } else {
        mail->afterSend = [&](int sent) {
            if (sent == 2)
                fault = std::make_unique<StoreFault>(kind, folder.dbPath());
        };
    }
    loadAfter(fill);
    win->tvTreeView_NodeClick("AR1");
    EmailWizardPanel *wizard = win->emailWizardPanel();
    ASSERT_EQ(usersOf(wizard), (QStringList{"ann", "bob", "cy"}))
        << scripted.asked().value(0).text.toStdString();
    check(wizard, {1, 2, 3});
    wizard->actionButton()->click();
    ASSERT_TRUE(!fault || fault->made());

    // The batch stopped where the mark failed; the buyer mailed there is named.
    const QString mailed = kind == StoreFault::ReadOnly ? "ann" : "bob";
    ASSERT_EQ(mail->sent.size(), kind == StoreFault::ReadOnly ? 1 : 2);
    EXPECT_EQ(mail->sent.last().to, mailed + "@example.com");
    const QStringList errors = TestSupport::errorBoxes(scripted);
    ASSERT_EQ(errors.size(), 1) << errors.join("\n----\n").toStdString();
    EXPECT_TRUE(errors[0].contains("Error Found In: Command10_Click")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains("The mail to " + mailed + " (lot of " + mailed + ") was sent"));
    EXPECT_TRUE(
        status().contains(mailed + " (lot of " + mailed + ") was mailed but could not be marked"))
        << status().toStdString();

    fault.reset();
    win.reset();
    const auto reminded = [&](int r) {
        return TestSupport::storedField(folder.dbPath(), r, Field::Remainder10);
    };
    EXPECT_EQ(reminded(0) == "1", kind != StoreFault::ReadOnly);
    EXPECT_NE(reminded(1), "1");
    EXPECT_NE(reminded(2), "1");
}

INSTANTIATE_STORE_FAULTS(BatchStoreFaultTest);

TEST_F(BatchTest, ARowClickTheStoreRefusesStopsEveryBatchBeforeItWorksOnAnotherRecord)
{
    using TestSupport::StoreFault;
    // What the record being left holds unwritten once the store refuses writes: the site that
    // showing a record without one stores (the row clicked before the ticked one), or a
    // change typed into the record the list left current.
    enum class Pending { ShownSite, TypedNote };
    using PanelOf = std::function<QueuePanel *(FrmMain &)>;
    const struct
    {
        const char *key;
        PanelOf panel;
        const char *location;
        Field flag;
        int ticked; // the record of row 3, the only row ticked
    } batches[] = {
        {"AR1", [](FrmMain &w) -> QueuePanel * { return w.emailWizardPanel(); }, "Command10_Click",
         Field::Remainder10, 2},
        {"FB1", [](FrmMain &w) -> QueuePanel * { return w.feedBackPanel(); }, "Command16_Click",
         Field::FeedBackGiven, 5},
        {"UPI4", [](FrmMain &w) -> QueuePanel * { return w.unpaidItemsPanel(); }, "Command27_Click",
         Field::Npb, 2},
        {"S", [](FrmMain &w) -> QueuePanel * { return w.shipPanel(); }, "Command9_Click",
         Field::ItemSent, 8},
    };
    for (const Pending pending : {Pending::ShownSite, Pending::TypedNote}) {
        for (const auto &b : batches) {
            SCOPED_TRACE(std::string(b.key) + (pending == Pending::ShownSite ? " site" : " note"));
            win.reset();
            store.close();
            ASSERT_TRUE(!QFile::exists(folder.dbPath()) || QFile::remove(folder.dbPath()));
            scripted.clear();
            mail->sent.clear();
            loadAfter([&] {
                for (const auto &[user, age] : {std::pair{"ann", 8}, {"bob", 9}, {"cy", 10}})
                    addUnpaid(store, user, age);
                for (const char *user : {"dan", "eve", "fay"})
                    addShipped(store, user, "lamp", 9);
                for (const char *user : {"gus", "hal", "ivy"})
                    addUnpaid(store, user, 3, {{Field::PaymentMade, "1"}});
                if (pending == Pending::TypedNote) {
                    for (int r = 0; r < store.recordCount(); ++r) {
                        store.moveTo(r);
                        store.set(Field::AuctionSite, "eBay");
                    }
                    store.flush();
                }
            });
            win->tvTreeView_NodeClick(b.key);
            QueuePanel *panel = b.panel(*win);
            ASSERT_EQ(panel->rowCount(), 3);
            ASSERT_EQ(store.position(), 0);
            if (pending == Pending::TypedNote)
                store.set(Field::Notes, "typed here");
            check(panel, {3});
            auto fault = std::make_unique<StoreFault>(StoreFault::WriteRefused, folder.dbPath());
            ASSERT_TRUE(fault->made());
            panel->actionButton()->click();
            const int stoppedOn = store.position();

            // Nobody is mailed, least of all the buyer the store stayed on.
            EXPECT_TRUE(mail->sent.isEmpty()) << mail->sent.value(0).to.toStdString();
            const QStringList errors = TestSupport::errorBoxes(scripted);
            ASSERT_EQ(errors.size(), 1) << errors.join("\n----\n").toStdString();
            EXPECT_TRUE(errors[0].contains(QString("Error Found In: ") + b.location))
                << errors[0].toStdString();
            EXPECT_TRUE(status().contains("0 marked. Stopped by an error."))
                << status().toStdString();
            // Nothing was done, so the list stands, ticks and all, to be worked again.
            EXPECT_EQ(panel->rowCount(), 3);
            EXPECT_TRUE(panel->model()->isChecked(2));

            fault.reset();
            win.reset();
            store.close();
            const std::vector<FieldValues> stored = TestSupport::storedValues(folder.dbPath());
            ASSERT_EQ(stored.size(), 9u);
            EXPECT_NE(stored[size_t(b.ticked)][size_t(Fields::index(b.flag))], "1");
            // What was pending is written once the store writes again.
            ASSERT_GE(stoppedOn, 0);
            ASSERT_LT(stoppedOn, 9);
            TestSupport::expectFields(stored[size_t(stoppedOn)],
                                      pending == Pending::ShownSite
                                          ? FieldList{{Field::AuctionSite, "eBay"}}
                                          : FieldList{{Field::Notes, "typed here"}});
        }
    }
}

TEST_F(BatchTest, CheckEmailAsksItsQuestionsWithoutTheHourglass)
{
    mail->inbox = {{{},
                    "eBay Item Sold: lamp",
                    "Item name: lamp\r\nDetails for item number: 1\r\nBuyer: ann (ann@example.com)"
                    "\r\nSale price: $10.00\r\n"}};
    loadAfter([] {});
    scripted.clear();
    scripted.answerText("2.5");         // the shipping cost
    scripted.answerButton(Prompts::No); // keep the notice
    win->toolbarClick("Check Email");
    ASSERT_GE(scripted.asked().size(), 2) << asked().join("\n").toStdString();
    for (const ScriptedPrompts::Asked &a : scripted.asked())
        EXPECT_FALSE(a.busyPointer) << a.title.toStdString() << ": " << a.text.toStdString();
    EXPECT_EQ(store.recordCount(), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
