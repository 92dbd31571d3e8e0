// The notes window fed by the start-up reminder and the task summary, and the options window
// as the main window opens it.

#include "windows/frmnotes.h"
#include "mail/mailsession.h"
#include "options/frmoptions.h"
#include "options/optionfiles.h"
#include "support/fakemail.h"
#include "support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
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
    choices.emails[OptionFiles::OnExit::Invoice] = {true, "", "Auction Invoice"};
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
    scripted.clear();
    win->close();

    // Only the feedback notice went, with its own template; the paid buyer got nothing.
    const QStringList sent = QDir(folder.file("Mail/Outbox/new")).entryList(QDir::Files);
    ASSERT_EQ(sent.size(), 1);
    QFile mail(QDir(folder.file("Mail/Outbox/new")).filePath(sent[0]));
    ASSERT_TRUE(mail.open(QIODevice::ReadOnly));
    EXPECT_TRUE(mail.readAll().contains("To: r@example.com"));
    EXPECT_NE(storedField(folder.dbPath(), 0, Field::NoticePaymentReceived), "1");
    EXPECT_EQ(storedField(folder.dbPath(), 1, Field::NoticeFeedBackGiven), "1");
    // Where a closing seller reads it: one box before the window goes, without the
    // hourglass, and a line each in the error log, which is kept for this even when no
    // log is asked for.
    const QString skippedPayment = "No payment received emails sent on closing";
    const QString skippedInvoices = "No invoices sent on closing";
    ASSERT_EQ(scripted.asked().size(), 1)
        << TestSupport::askedOf(scripted).join("\n").toStdString();
    const ScriptedPrompts::Asked &box = scripted.asked()[0];
    EXPECT_EQ(box.kind, ScriptedPrompts::Asked::Message);
    EXPECT_EQ(box.icon, Prompts::Icon::Warning);
    EXPECT_FALSE(box.busyPointer);
    EXPECT_TRUE(box.text.contains(skippedPayment)) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(skippedInvoices)) << box.text.toStdString();
    const QByteArray log = TestSupport::readBytes(folder.file("errorlog.log"));
    EXPECT_TRUE(log.contains(skippedPayment.toLatin1()) && log.contains(skippedInvoices.toLatin1()))
        << log.toStdString();
    const QString status = TestSupport::statusOf(win.get());
    EXPECT_TRUE(status.contains(skippedPayment)) << status.toStdString();
}

TEST_F(NotesWindowTest, TheOptionsWindowWarnsBesideATickedClosingMailWithNoTemplate)
{
    load();
    FrmOptions *options = win->options();
    const char *const names[] = {"Invoice", "Payment", "FeedBack"};
    const auto warned = [&](int i) {
        auto *label = options->findChild<QLabel *>(QString("lbl%1NoTemplate").arg(names[i]));
        EXPECT_NE(label, nullptr) << names[i];
        return label && !label->isHidden();
    };
    const auto list = [&](int i) {
        return options->findChild<QListWidget *>(QString("lst%1Templates").arg(names[i]));
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        auto *tick = options->findChild<QCheckBox *>(QString("chkSend%1").arg(names[i]));
        ASSERT_NE(tick, nullptr);
        ASSERT_NE(list(i), nullptr);
        list(i)->clearSelection();
        tick->setChecked(false);
        EXPECT_FALSE(warned(i));
        tick->setChecked(true);
        EXPECT_TRUE(warned(i));
        ASSERT_GT(list(i)->count(), 0);
        list(i)->setCurrentRow(0);
        EXPECT_FALSE(warned(i));
        list(i)->clearSelection();
        EXPECT_TRUE(warned(i));
        tick->setChecked(false);
        EXPECT_FALSE(warned(i));
    }
    // As the file has it when the window opens.
    OptionFiles::OnExit choices;
    choices.emails[OptionFiles::OnExit::Payment] = {true, "", "Payment Received"};
    choices.emails[OptionFiles::OnExit::FeedBack] = {true, "Feed Back Given.elm",
                                                     "Feed Back Given"};
    choices.write(folder.file("OnExit.txt"));
    trigger("mnuViewOptions");
    EXPECT_FALSE(warned(0));
    EXPECT_TRUE(warned(1));
    EXPECT_FALSE(warned(2));
}

TEST_F(NotesWindowTest, EveryOpeningOfTheOptionsStartsOnTheFirstTabWithNothingLeftTyped)
{
    ASSERT_TRUE(
        TestSupport::writeBytes(folder.file("Subjects/emailsub.sub"), "First\r\nSecond\r\n"));
    load();
    FrmOptions *options = win->options();
    auto *tabs = options->findChild<QTabWidget *>("tabOptions");
    auto *item = options->findChild<QLineEdit *>("txtItemToAdd");
    auto *items = options->findChild<QListWidget *>("lstItems");
    ASSERT_TRUE(tabs && item && items);
    for (int tab = 0; tab < tabs->count(); ++tab) {
        SCOPED_TRACE(tabs->tabText(tab).toStdString());
        trigger("mnuViewOptions");
        ASSERT_TRUE(options->isVisible());
        EXPECT_EQ(tabs->currentIndex(), 0);
        EXPECT_EQ(item->text(), "");
        item->setText("half typed");
        tabs->setCurrentIndex(tab);
        options->findChild<QPushButton *>("cmdOK")->click();
        ASSERT_FALSE(options->isVisible());
    }
    trigger("mnuViewOptions");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(item->text(), "");

    // The focus arriving on the list leaves what is typed; a click or an arrow key copies.
    options->activateWindow();
    item->setFocus();
    item->setText("my own");
    items->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(item->text(), "my own");
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                      items->visualItemRect(items->item(1)).center());
    EXPECT_EQ(item->text(), "Second");
    item->setText("again");
    QTest::keyClick(items, Qt::Key_Up);
    EXPECT_EQ(item->text(), "First");
    options->findChild<QPushButton *>("cmdOK")->click();
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
