// The notes window fed by the start-up reminder and the task summary, and the options window
// as the main window opens it.

#include "windows/frmnotes.h"
#include "mail/mailsession.h"
#include "options/frmoptions.h"
#include "options/optionfiles.h"
#include "support/fakemail.h"
#include "support/windowtest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using TestSupport::daysAgo;
using TestSupport::storedField;

namespace {

const QDate kToday = TestSupport::kWindowToday;

class NotesWindowTest : public TestSupport::FilledWindowTest
{
protected:
    void remindInvoicesAfter(const QString &days)
    {
        OptionFiles::Reminders r;
        r.items[OptionFiles::Reminders::Invoice] = {true, days};
        r.write(folder.file("Reminders.txt"));
    }
    void trigger(const char *action) { win->findChild<QAction *>(action)->trigger(); }
    QTimer *timer() { return win->findChild<QTimer *>("Timer1"); }
};

} // namespace

TEST_F(NotesWindowTest, StartUpRemindersFillTheNotesAndBlinkAndTheTaskLinesFollowThem)
{
    // With nothing overdue, nothing blinks.
    remindInvoicesAfter("9");
    loadWith({{{Field::UserName, "ann"}, {Field::CloseDate, daysAgo(kToday, 5)}},
              {{Field::UserName, "bob"}, {Field::CloseDate, daysAgo(kToday, 1)}}});
    EXPECT_EQ(win->notes()->lineCount(), 0);
    EXPECT_FALSE(timer()->isActive());

    win.reset();
    remindInvoicesAfter("3");
    load();
    FrmNotes *notes = win->notes();
    EXPECT_EQ(notes->lines(), QStringList{"REMINDER - You Have 1 - Invoices to Send."});
    EXPECT_TRUE(timer()->isActive());

    trigger("munTasks");
    EXPECT_EQ(notes->lines(), (QStringList{"REMINDER - You Have 1 - Invoices to Send.",
                                           "You have 2 - invoice to send."}));
    EXPECT_TRUE(notes->isVisible());
    // "Reminders" starts afresh: the old lines go, the reminder comes again, and the first
    // record is current. They count as looked at once the window is closed, not before.
    store.moveTo(1);
    trigger("munReminders");
    EXPECT_EQ(notes->lines(), QStringList{"REMINDER - You Have 1 - Invoices to Send."});
    EXPECT_EQ(store.position(), 0);
    win->Timer1_Timer();
    EXPECT_TRUE(timer()->isActive());

    notes->findChild<QPushButton *>("cmdOK")->click();
    EXPECT_EQ(notes->lineCount(), 0);
    EXPECT_FALSE(notes->isVisible());
    win->Timer1_Timer();
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(NotesWindowTest, TheOptionsWindowReadsTheFilesAfreshCarriesTheMailAccountAndApplyRestarts)
{
    load();
    win->setMailSessionFactory([this] { return createMailSession(settings, folder.path()); });
    trigger("mnuViewOptions");
    FrmOptions *options = win->options();
    EXPECT_TRUE(options->isModal());
    options->chooseList(OptionFiles::List::QuickLinks);
    options->findChild<QPushButton *>("cmdOK")->click();
    ASSERT_FALSE(options->isVisible());

    // Changed behind its back while it was closed.
    OptionFiles::Reminders r;
    r.items[OptionFiles::Reminders::Shipped] = {true, "12"};
    r.write(folder.file("Reminders.txt"));
    ASSERT_TRUE(QFile::copy(folder.file("Email Templates/Auction Invoice.elm"),
                            folder.file("Email Templates/Zebra.elm")));

    trigger("mnuViewOptions");
    ASSERT_TRUE(options->isVisible());
    EXPECT_EQ(options->reminders().items[OptionFiles::Reminders::Shipped].days, "12");
    EXPECT_TRUE(options->reminders().items[OptionFiles::Reminders::Shipped].on);
    EXPECT_EQ(options->chosenList(), OptionFiles::List::EmailSubjects);
    auto *templates = options->findChild<QListWidget *>("lstInvoiceTemplates");
    EXPECT_FALSE(templates->findItems("Zebra.elm", Qt::MatchExactly).isEmpty());

    // With no server set up, the test signs on to the local folders.
    scripted.clear();
    options->findChild<QPushButton *>("cmdTestSignOn")->click();
    EXPECT_EQ(TestSupport::askedOf(scripted),
              QStringList{"Mail Account: The local mail folders are ready."});
    QSignalSpy restart(win.get(), &FrmMain::restartRequested);
    options->findChild<QPushButton *>("cmdApply")->click();
    EXPECT_EQ(restart.count(), 1);
}

TEST_F(NotesWindowTest, ClosingSkipsAnOnExitMailWhoseTemplateIsGoneAndSaysWhich)
{
    OptionFiles::OnExit choices;
    choices.emails[OptionFiles::OnExit::Payment] = {true, "Gone.elm", "Payment Received"};
    choices.emails[OptionFiles::OnExit::FeedBack] = {true, "Feed Back Given.elm", "Feed Back Given"};
    choices.write(folder.file("OnExit.txt"));
    loadWith({{{Field::UserName, "paid"},
               {Field::EmailAddress, "p@example.com"},
               {Field::InvoiceSent, "1"},
               {Field::PaymentMade, "1"}},
              {{Field::UserName, "rated"},
               {Field::EmailAddress, "r@example.com"},
               {Field::InvoiceSent, "1"},
               {Field::FeedBackGiven, "1"}}});
    win->setMailSessionFactory([this] { return createMailSession(settings, folder.path()); });
    win->close();

    // Only the feedback notice went, with its own template; the paid buyer got nothing.
    const QStringList sent = QDir(folder.file("Mail/Outbox/new")).entryList(QDir::Files);
    ASSERT_EQ(sent.size(), 1);
    QFile mail(QDir(folder.file("Mail/Outbox/new")).filePath(sent[0]));
    ASSERT_TRUE(mail.open(QIODevice::ReadOnly));
    EXPECT_TRUE(mail.readAll().contains("To: r@example.com"));
    EXPECT_NE(storedField(folder.dbPath(), 0, Field::NoticePaymentReceived), "1");
    EXPECT_EQ(storedField(folder.dbPath(), 1, Field::NoticeFeedBackGiven), "1");
    const QString status = TestSupport::statusOf(win.get());
    EXPECT_TRUE(status.contains("No payment received emails sent on closing")) << status.toStdString();
}

TEST_F(NotesWindowTest, EveryStatusBarPanelClickShowsTheNotesFirst)
{
    load();
    FrmNotes *notes = win->notes();
    for (const char *name : {"sbStatusBar_Online", "sbStatusBar_Status", "sbStatusBar_Reminder",
                             "sbStatusBar_ReminderCaption", "sbStatusBar_Time"}) {
        notes->hide();
        auto *part = win->findChild<QWidget *>(name);
        ASSERT_NE(part, nullptr) << name;
        QTest::mouseClick(part, Qt::LeftButton, {}, QPoint(3, 3));
        EXPECT_TRUE(notes->isVisible()) << name;
        EXPECT_FALSE(notes->isModal()) << name;
    }
    // The Reminder panel's click, on its caption too, counts as looking at the reminders.
    win->startReminderBlink();
    QTest::mouseClick(win->findChild<QWidget *>("sbStatusBar_ReminderCaption"), Qt::LeftButton);
    win->Timer1_Timer();
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(NotesWindowTest, ASignOnRefusedOnClosingIsReportedAsTheSendThatFailed)
{
    OptionFiles::OnExit choices;
    choices.emails[OptionFiles::OnExit::Invoice] = {true, "Auction Invoice.elm", "Auction Invoice"};
    choices.write(folder.file("OnExit.txt"));
    loadWith({{{Field::UserName, "ann"}, {Field::EmailAddress, "ann@example.com"}}});
    auto mail = std::make_shared<TestSupport::MailLog>();
    mail->refuseSignOn = true;
    win->setMailSessionFactory([mail] { return std::make_unique<TestSupport::FakeMailSession>(mail); });
    scripted.clear();
    win->close();
    const QStringList errors = TestSupport::errorBoxes(scripted);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("Error Found In: Sub_SendEmail")) << errors[0].toStdString();
    EXPECT_TRUE(mail->sent.isEmpty());
    EXPECT_NE(storedField(folder.dbPath(), 0, Field::InvoiceSent), "1");
}
