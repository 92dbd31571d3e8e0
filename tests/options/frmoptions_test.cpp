#include "options/frmoptions.h"
#include "platform/appfolder.h"
#include "platform/clicklabel.h"
#include "platform/prompts.h"
#include "support/testsupport.h"
#include "support/windowtest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class OptionsWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppFolder::seed(folder.path());
        setPrompts(&scripted);
    }
    void TearDown() override
    {
        window.reset();
        setPrompts(nullptr);
    }
    FrmOptions &open()
    {
        window = std::make_unique<FrmOptions>(folder.path());
        window->show();
        return *window;
    }
    template <typename T> T *find(const char *name)
    {
        T *w = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QCheckBox *check(const char *name) { return find<QCheckBox>(name); }
    void click(const char *button) { find<QPushButton>(button)->click(); }
    void clickLabel(const char *label)
    {
        QTest::mouseClick(find<ClickLabel>(label), Qt::LeftButton);
    }
    void put(const QString &relative, const QByteArray &bytes)
    {
        ASSERT_TRUE(TestSupport::writeBytes(folder.file(relative), bytes));
    }
    QByteArray bytesOf(const QString &relative)
    {
        return TestSupport::readBytes(folder.file(relative));
    }
    QStringList items()
    {
        QStringList out;
        auto *list = find<QListWidget>("lstItems");
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }
    void addText(const QString &text)
    {
        find<QLineEdit>("txtItemToAdd")->setText(text);
        click("cmdAdd");
    }

    TestSupport::TempFolder folder;
    ScriptedPrompts scripted;
    std::unique_ptr<FrmOptions> window;
};

} // namespace

TEST_F(OptionsWindowTest, ReadingOptionFilesNeverWritesThemBack)
{
    // Forms no writer produces: keys out of order, blank lines, lines past the last.
    const QByteArray reminders = "Payment=1,5\r\n\r\nShipped=0,ten\r\nX=1,2\r\nY=0,3\r\nZ=1,1\r\n";
    const QByteArray onExit = "Invoice=1,Payment Made.elm,Your invoice, thank you\r\n\r\n"
                              "Payment=0,Nowhere.elm,Paid\r\nFeedBack=1,,Thanks\r\nError=1\r\n";
    const QByteArray logFile = "Day=0\r\n\r\nWeek=1\r\nMonth=1\r\nLogFile=0\r\n";
    const QByteArray errors = "SendError=1\r\nKeepLog=1\r\nMore=0\r\n";
    put("Reminders.txt", reminders);
    put("OnExit.txt", onExit);
    put("OptionLogFile.txt", logFile);
    put("OptionErrorChecking.txt", errors);

    open();
    auto *tabs = find<QTabWidget>("tabOptions");
    for (int i = 4; i >= 0; --i)
        tabs->setCurrentIndex(i);
    EXPECT_EQ(bytesOf("Reminders.txt"), reminders);
    EXPECT_EQ(bytesOf("OnExit.txt"), onExit);
    EXPECT_EQ(bytesOf("OptionLogFile.txt"), logFile);
    EXPECT_EQ(bytesOf("OptionErrorChecking.txt"), errors);

    // What was read by position is what the controls show.
    const auto r = window->reminders();
    EXPECT_TRUE(r.items[0].on);
    EXPECT_EQ(r.items[0].days, "5");
    EXPECT_EQ(r.items[1].days, "ten");
    EXPECT_EQ(find<QLineEdit>("txtShippedDays")->text(), "ten");
    EXPECT_EQ(window->onExit(0).templateFile, "Payment Made.elm");
    EXPECT_EQ(window->onExit(0).subject, "Your invoice, thank you");
    // A template that is not in the folder selects nothing, and nothing stands in for it:
    // closing must not mail a buyer with whichever file comes first.
    EXPECT_TRUE(find<QListWidget>("lstPaymentTemplates")->selectedItems().isEmpty());
    EXPECT_EQ(window->onExit(1).templateFile, "");
    EXPECT_TRUE(window->onExit(2).on);
    EXPECT_TRUE(window->sendErrorLog());
    EXPECT_FALSE(check("chkKeepLogFile")->isChecked());
    EXPECT_TRUE(check("chkEveryWeek")->isChecked());
    EXPECT_TRUE(window->keepLog());
    EXPECT_TRUE(window->sendErrorReport());
}

TEST_F(OptionsWindowTest, OpensOnTheDefaultsAndEveryChangeWritesItsFileAtOnce)
{
    open();
    // Nothing on disk yet: the defaults, and the seeded subjects in the list editor.
    EXPECT_TRUE(find<QRadioButton>("optEmailSubjects")->isChecked());
    EXPECT_EQ(items().value(0), "Question About Your Auction");
    EXPECT_EQ(window->onExit(0).subject, "Auction Invoice");
    EXPECT_FALSE(window->keepLog());
    EXPECT_FALSE(window->sendErrorReport());

    check("chkPaymentReminder")->setChecked(true);
    EXPECT_EQ(bytesOf("Reminders.txt"),
              "Invoice=0,1\r\nShipped=0,1\r\nFeedBack=0,1\r\nPayment=1,1\r\n");
    find<QLineEdit>("txtInvoiceDays")->setText("7 days");
    EXPECT_EQ(bytesOf("Reminders.txt"),
              "Invoice=0,7 days\r\nShipped=0,1\r\nFeedBack=0,1\r\nPayment=1,1\r\n");

    find<QListWidget>("lstFeedBackTemplates")->setCurrentRow(1);
    find<QComboBox>("cboFeedBackSubject")->setEditText("Thanks, see you");
    check("chkSendErrorLog")->setChecked(true);
    EXPECT_EQ(bytesOf("OnExit.txt"), "Invoice=0,,Auction Invoice\r\n"
                                     "Payment=0,,Payment Received\r\n"
                                     "FeedBack=0,Feed Back Given.elm,Thanks, see you\r\n"
                                     "Error=1\r\n");

    check("chkSendError")->setChecked(true);
    EXPECT_EQ(bytesOf("OptionErrorChecking.txt"), "KeepLog=0\r\nSendError=1\r\n");
    EXPECT_FALSE(QFile::exists(folder.file("OptionLogFile.txt")));

    // Selecting a tab shows what is on disk now, not what the controls held.
    put("Reminders.txt", "Invoice=1,14\r\n");
    find<QTabWidget>("tabOptions")->setCurrentIndex(1);
    EXPECT_TRUE(check("chkInvoiceReminder")->isChecked());
    EXPECT_EQ(find<QLineEdit>("txtInvoiceDays")->text(), "14");
    EXPECT_TRUE(check("chkPaymentReminder")->isChecked());
    click("cmdOK");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(OptionsWindowTest, ClickingALabelTogglesItsBoxOrPicksItsListAndNoLogFileUnticksTheRest)
{
    open();
    find<QTabWidget>("tabOptions")->setCurrentIndex(3);
    clickLabel("lblKeepLogFile");
    EXPECT_TRUE(check("chkKeepLogFile")->isChecked());
    EXPECT_EQ(bytesOf("OptionLogFile.txt"), "LogFile=1\r\nDay=0\r\nWeek=0\r\nMonth=0\r\n");
    // Unticking the log file unticks the other three first.
    check("chkEveryWeek")->setChecked(true);
    clickLabel("lblKeepLogFile");
    for (const char *name : {"chkKeepLogFile", "chkEveryDay", "chkEveryWeek", "chkEveryMonth"})
        EXPECT_FALSE(check(name)->isChecked()) << name;
    EXPECT_EQ(bytesOf("OptionLogFile.txt"), "LogFile=0\r\nDay=0\r\nWeek=0\r\nMonth=0\r\n");

    find<QTabWidget>("tabOptions")->setCurrentIndex(4);
    clickLabel("lblKeepLog");
    EXPECT_EQ(bytesOf("OptionErrorChecking.txt"), "KeepLog=1\r\nSendError=0\r\n");
    // The reports link is white, black under the pointer, and opens the page.
    int reports = 0;
    window->setErrorReportsOpener([&] { ++reports; });
    auto *link = find<ClickLabel>("lblErrorReportsLinks");
    const auto colour = [&] { return link->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour(), QColor(Qt::white));
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(link, &enter);
    EXPECT_EQ(colour(), QColor(Qt::black));
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(colour(), QColor(Qt::white));
    clickLabel("lblErrorReportsLinks");
    EXPECT_EQ(reports, 1);

    find<QTabWidget>("tabOptions")->setCurrentIndex(0);
    // A list whose file is missing leaves the list as it was.
    const QStringList subjects = items();
    ASSERT_TRUE(QFile::remove(folder.file("Subjects/quicklinks.sub")));
    find<QLineEdit>("txtItemToAdd")->setText("half typed");
    clickLabel("lblQuickInternetLinks");
    EXPECT_TRUE(find<QRadioButton>("optQuickInternetLinks")->isChecked());
    EXPECT_EQ(window->chosenList(), OptionFiles::List::QuickLinks);
    EXPECT_EQ(find<QLineEdit>("txtItemToAdd")->text(), "");
    EXPECT_EQ(items(), subjects);
}

TEST_F(OptionsWindowTest, FeedBackNotesHoldEightyCharactersAtMost)
{
    open();
    window->chooseList(OptionFiles::List::FeedBackNotes);
    const QStringList before = items();

    const QString eighty(80, u'a');
    addText(eighty);
    EXPECT_EQ(items().last(), eighty);
    EXPECT_TRUE(bytesOf("Subjects/feedbacksub.sub").endsWith(eighty.toLatin1() + "\r\n"));
    EXPECT_TRUE(scripted.asked().isEmpty());

    const QString eightyOne(81, u'b');
    addText(eightyOne);
    EXPECT_EQ(TestSupport::askedOf(scripted),
              QStringList{"Note To Long.: Feed Back Note to long, only 80 characters can be used."
                          "\r\nCurrent Note 81 Long."});
    EXPECT_EQ(scripted.asked().value(0).icon, Prompts::Icon::Information);
    EXPECT_EQ(find<QLineEdit>("txtItemToAdd")->text(), eightyOne);
    EXPECT_EQ(items().size(), before.size() + 1);

    // Trailing blanks do not count: 79 characters and six blanks go in as 79.
    addText(QString(79, u'c') + QString(6, u' '));
    EXPECT_EQ(items().last(), QString(79, u'c'));
    EXPECT_EQ(find<QLineEdit>("txtItemToAdd")->text(), "");
    EXPECT_EQ(scripted.asked().size(), 1);

    // Only blanks: nothing added, nothing written, the box emptied.
    const QByteArray file = bytesOf("Subjects/feedbacksub.sub");
    addText("    ");
    EXPECT_EQ(find<QLineEdit>("txtItemToAdd")->text(), "");
    EXPECT_EQ(bytesOf("Subjects/feedbacksub.sub"), file);

    // The limit is for feedback notes only.
    window->chooseList(OptionFiles::List::EmailSubjects);
    addText(eightyOne);
    EXPECT_EQ(items().last(), eightyOne);
    EXPECT_EQ(scripted.asked().size(), 1);
}

TEST_F(OptionsWindowTest, DeleteRemovesOnlyASelectedItem)
{
    put("Subjects/emailinputsub.sub", "\r\nFirst\r\n\r\nSecond\r\nThird\r\n\r\n");
    open();
    window->chooseList(OptionFiles::List::EmailInputs);
    EXPECT_EQ(items(), QStringList({"First", "Second", "Third"}));

    click("cmdDelete");
    EXPECT_EQ(items(), QStringList({"First", "Second", "Third"}));
    EXPECT_EQ(bytesOf("Subjects/emailinputsub.sub"), "\r\nFirst\r\n\r\nSecond\r\nThird\r\n\r\n");

    auto *list = find<QListWidget>("lstItems");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(find<QLineEdit>("txtItemToAdd")->text(), "Second");
    click("cmdDelete");
    EXPECT_EQ(items(), QStringList({"First", "Third"}));
    // Written back without the empty lines.
    EXPECT_EQ(bytesOf("Subjects/emailinputsub.sub"), "First\r\nThird\r\n");
}

TEST_F(OptionsWindowTest, FillingTheSubjectListsKeepsTheSubjectAndWritesNothing)
{
    put("OnExit.txt", "Invoice=1,,Your invoice\r\n");
    open();
    window->setOnExitSubjects(0, {"Question About Your Auction", "", "Shipping Update"});
    auto *box = find<QComboBox>("cboInvoiceSubject");
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "Auction Invoice");
    EXPECT_EQ(box->itemText(2), "Shipping Update");
    EXPECT_EQ(box->currentText(), "Your invoice");
    EXPECT_EQ(bytesOf("OnExit.txt"), "Invoice=1,,Your invoice\r\n");

    // Picking from the list is a change like typing.
    box->setCurrentIndex(2);
    EXPECT_EQ(window->onExit(0).subject, "Shipping Update");
    EXPECT_TRUE(bytesOf("OnExit.txt").startsWith("Invoice=1,,Shipping Update\r\n"));
}

TEST_F(OptionsWindowTest, FailuresAreReportedWithTheProcedureAndLeaveTheWindowWorking)
{
    // A folder where OnExit.txt should be: it can be neither read nor written.
    ASSERT_TRUE(QDir(folder.path()).mkdir("OnExit.txt"));
    open();
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_TRUE(scripted.asked()[0].text.contains("Error Found In: frmOptions-Sub_OpenOnExit"));

    check("chkSendInvoice")->setChecked(true);
    ASSERT_EQ(scripted.asked().size(), 2);
    EXPECT_TRUE(scripted.asked()[1].text.contains("Error Found In: frmOptions-Sub_SaveOnExit"));

    // The failed read lowered the loading flag again: other changes still write.
    check("chkInvoiceReminder")->setChecked(true);
    EXPECT_TRUE(bytesOf("Reminders.txt").startsWith("Invoice=1,1\r\n"));
    EXPECT_EQ(scripted.asked().size(), 2);
}

TEST_F(OptionsWindowTest, ViewErrorLogOpensTheLogOrSaysThereIsNone)
{
    open();
    QList<QUrl> opened;
    window->setFileOpener([&](const QUrl &url) {
        opened << url;
        return true;
    });
    click("cmdViewErrorLog");
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(TestSupport::askedOf(scripted),
              QStringList{"No Error Log File...: No errors reported or found."});

    scripted.clear();
    put("errorlog.log", "Lotwise generated an error!\r\n");
    click("cmdViewErrorLog");
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0],
              QUrl::fromLocalFile(QFileInfo(folder.file("errorlog.log")).absoluteFilePath()));
    EXPECT_TRUE(scripted.asked().isEmpty());

    // No editor to start is said, not passed over.
    window->setFileOpener([](const QUrl &) { return false; });
    click("cmdViewErrorLog");
    EXPECT_EQ(scripted.asked().size(), 1);
}
