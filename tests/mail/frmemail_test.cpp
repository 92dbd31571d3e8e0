#include "mail/frmemail.h"
#include "mail/mailer.h"
#include "platform/appfolder.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "platform/textfile.h"
#include "support/fakemail.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

class QuickEmailTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppFolder::seed(folder.path());
        mailer.setSessionFactory(
            [log = mail] { return std::make_unique<TestSupport::FakeMailSession>(log); });
        store.open(folder.dbPath());
        TestSupport::addRecord(store, {{Field::UserName, "ann"}, {Field::AuctionName, "clock"}});
    }
    FrmEmail &open()
    {
        window = std::make_unique<FrmEmail>(mailer, store, folder.path(), [this] {
            ++onlineChecks;
            return online;
        });
        window->show();
        return *window;
    }
    template <typename T>
    T *find(const char *name)
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    void type(const QString &to, const QString &text)
    {
        find<QLineEdit>("Text1")->setText(to);
        find<QPlainTextEdit>("Text2")->setPlainText(text);
    }

    TestSupport::TempFolder folder;
    SettingsStore settings{folder.file("settings.ini")};
    Mailer mailer{settings, folder.path()};
    std::shared_ptr<TestSupport::MailLog> mail = std::make_shared<TestSupport::MailLog>();
    RecordStore store;
    TestSupport::InstalledPrompts scripted;
    std::unique_ptr<FrmEmail> window;
    bool online = true;
    int onlineChecks = 0;
};

} // namespace

TEST_F(QuickEmailTest, SendsTheMergedTextWithTheFooterAndLeavesNoScratchFiles)
{
    open();
    EXPECT_EQ(find<QComboBox>("Combo1")->currentText(), "Auction Invoice");
    EXPECT_EQ(find<QComboBox>("Combo1")->itemText(1), "Payment Recived");
    type("  ann@example.com", "Hello *User_Name*,\nyour *Auction_Name* is on its way.");
    find<QComboBox>("Combo1")->setEditText("Shipped");
    find<QPushButton>("Command2")->click();
    ASSERT_EQ(mail->sent.size(), 1);
    EXPECT_EQ(mail->sent[0].to, "  ann@example.com"); // as typed
    EXPECT_EQ(mail->sent[0].subject, "Shipped");
    EXPECT_TRUE(mail->sent[0].body.startsWith(
        "Hello ann,\r\nyour clock is on its way.\r\n\r\nThis Meassage was sent using Lotwise"))
        << mail->sent[0].body.toStdString();
    EXPECT_FALSE(QFile::exists(folder.file("temp.txt")));
    EXPECT_FALSE(QFile::exists(folder.file("Email.txt")));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(QuickEmailTest, BlankAddressDoesNothingAndOfflineOrARefusedAddressKeepsTheMessage)
{
    open();
    type("   ", "text");
    find<QPushButton>("Command2")->click();
    EXPECT_EQ(onlineChecks, 0);
    EXPECT_TRUE(scripted.asked().isEmpty());

    online = false;
    type("ann@example.com", "keep me");
    find<QPushButton>("Command2")->click();
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].title, "Not Online.");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(find<QPushButton>("Command2")->isEnabled());
    EXPECT_EQ(find<QPlainTextEdit>("Text2")->toPlainText(), "keep me");
    EXPECT_TRUE(mail->sent.isEmpty());

    // A refused address is said and the message kept.
    online = true;
    for (int error : {32014, 32025}) {
        SCOPED_TRACE(error);
        scripted.clear();
        mail->refuse = {"nobody"};
        mail->refuseError = error;
        open();
        type("nobody", "my long message");
        find<QPushButton>("Command2")->click();
        ASSERT_EQ(scripted.asked().size(), 1);
        EXPECT_EQ(scripted.asked()[0].title, "Invaild Email Address");
        EXPECT_EQ(scripted.asked()[0].text, "This is not a vaild email address.");
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(find<QPlainTextEdit>("Text2")->toPlainText(), "my long message");
    }
    // Any other failure goes to the error handler under the window's own name.
    scripted.clear();
    mail->refuseError = 32050;
    find<QPushButton>("Command2")->click();
    EXPECT_TRUE(scripted.asked().value(0).text.contains("frmEmail-Sub_SendEmail"));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(QuickEmailTest, TemplatesLoadAndMissingFilesAreSaid)
{
    TextFile::writeLines(folder.file("Email Templates/Short.elm"), {"Dear *User_Name*", "", "Bye"});
    QFile::remove(folder.file("Subjects/emailsub.sub"));
    open();
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_TRUE(scripted.asked()[0].text.startsWith("The file "));
    EXPECT_TRUE(scripted.asked()[0].text.endsWith("emailsub.sub was not found."));
    EXPECT_EQ(find<QComboBox>("Combo1")->count(), 6);

    auto *list = find<QListWidget>("File1");
    ASSERT_FALSE(list->findItems("Short.elm", Qt::MatchExactly).isEmpty());
    window->openTemplate("Short.elm");
    EXPECT_EQ(find<QPlainTextEdit>("Text2")->toPlainText(), "Dear *User_Name*\n\nBye\n");
    QFile::remove(folder.file("Email Templates/Short.elm"));
    window->openTemplate("Short.elm");
    EXPECT_EQ(scripted.asked().size(), 2);
    EXPECT_EQ(find<QPlainTextEdit>("Text2")->toPlainText(), "Dear *User_Name*\n\nBye\n");
}
