// The notes window fed by the start-up reminder and the task summary, and the options window
// as the main window opens it.

#include "aux/frmnotes.h"
#include "mail/mailsession.h"
#include "options/frmoptions.h"
#include "options/optionfiles.h"
#include "support/windowtest.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

using TestSupport::addRecord;
using TestSupport::daysAgo;

namespace {

class NotesWindowTest : public TestSupport::WindowTest
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
    remindInvoicesAfter("3");
    store.open(folder.dbPath());
    addRecord(store, {{Field::UserName, "ann"}, {Field::CloseDate, daysAgo(TestSupport::kWindowToday, 5)}});
    addRecord(store, {{Field::UserName, "bob"}, {Field::CloseDate, daysAgo(TestSupport::kWindowToday, 1)}});
    store.close();
    load();
    FrmNotes *notes = win->notes();
    EXPECT_EQ(notes->lines(), QStringList{"REMINDER - You Have 1 - Invoices to Send."});
    EXPECT_TRUE(timer()->isActive());

    trigger("munTasks");
    EXPECT_EQ(notes->lines(), (QStringList{"REMINDER - You Have 1 - Invoices to Send.",
                                           "You have 2 - invoice to send."}));
    EXPECT_TRUE(notes->isVisible());
    // "Reminders" starts afresh: the old lines go, the reminder comes again, looked at.
    trigger("munReminders");
    EXPECT_EQ(notes->lines(), QStringList{"REMINDER - You Have 1 - Invoices to Send."});
    win->Timer1_Timer();
    EXPECT_FALSE(timer()->isActive());

    notes->findChild<QPushButton *>("cmdOK")->click();
    EXPECT_EQ(notes->lineCount(), 0);
    EXPECT_FALSE(notes->isVisible());
}

TEST_F(NotesWindowTest, WithoutTheRemindersFileOrAnythingOverdueNothingBlinks)
{
    store.open(folder.dbPath());
    addRecord(store, {{Field::UserName, "ann"}, {Field::CloseDate, daysAgo(TestSupport::kWindowToday, 5)}});
    store.close();
    load();
    EXPECT_EQ(win->notes()->lineCount(), 0);
    EXPECT_FALSE(timer()->isActive());
    win.reset();

    remindInvoicesAfter("9");
    load();
    EXPECT_EQ(win->notes()->lineCount(), 0);
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(NotesWindowTest, TheOptionsWindowCarriesTheMailAccountAndApplyRestarts)
{
    load();
    win->setMailSessionFactory([this] { return createMailSession(settings, folder.path()); });
    trigger("mnuViewOptions");
    FrmOptions *options = win->options();
    ASSERT_TRUE(options->isVisible());
    EXPECT_TRUE(options->isModal());
    auto *tabs = options->findChild<QTabWidget *>("tabOptions");
    ASSERT_EQ(tabs->count(), 7);
    EXPECT_EQ(tabs->tabText(5), "Mail Account");
    EXPECT_EQ(tabs->tabText(6), "Record Store");

    // With no server set up, the test signs on to the local folders.
    scripted.clear();
    options->findChild<QPushButton *>("cmdTestSignOn")->click();
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].text, "The local mail folders are ready.");
    EXPECT_EQ(scripted.asked()[0].title, "Mail Account");

    QSignalSpy restart(win.get(), &FrmMain::restartRequested);
    options->findChild<QPushButton *>("cmdApply")->click();
    EXPECT_EQ(restart.count(), 1);
}
