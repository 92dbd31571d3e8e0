#include "mail/templates.h"
#include "platform/appfolder.h"
#include "platform/prompts.h"
#include "platform/textfile.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

QString merge(const char *line, std::map<Field, QString> values)
{
    return Templates::mergeLine(QString::fromUtf8(line),
                                [&](Field f) { return values.count(f) ? values[f] : QString(); });
}

} // namespace

TEST(MergeLine, ReplacesPlaceholdersExactlyInTableOrder)
{
    const std::map<Field, QString> v{
        {Field::AuctionUrl, "123"},    {Field::AuctionTotal, " 12.50 "},
        {Field::UserName, "bob"},      {Field::EmailAddress, "b@x.org"},
        {Field::Address, "1 Main St"}, {Field::Notes, "secret"}};
    EXPECT_EQ(merge("Hi *User_Name*, item *Auction_Number* for *User_Name*.", v),
              "Hi bob, item 123 for bob.");
    EXPECT_EQ(merge("Total:*Auction_Total*.", v), "Total: 12.50 ."); // as stored
    EXPECT_EQ(merge("*Email_Address* *Address*", v), "b@x.org 1 Main St");
    EXPECT_EQ(merge("*user_name* *USER_NAME* User_Name* *Notes*", v),
              "*user_name* *USER_NAME* User_Name* *Notes*");
    EXPECT_EQ(merge("a*Tracking_Number*b", v), "ab"); // an empty field removes it

    // The user name comes after the auction name, so it is found inside it, not vice versa.
    EXPECT_EQ(merge("*Auction_Name*",
                    {{Field::AuctionName, "Lamp for *User_Name*"}, {Field::UserName, "bob"}}),
              "Lamp for bob");
    EXPECT_EQ(
        merge("*User_Name*", {{Field::AuctionName, "Lamp"}, {Field::UserName, "*Auction_Name*"}}),
        "*Auction_Name*");
    // A value is not searched again by its own placeholder.
    EXPECT_EQ(merge("[*User_Name*]", {{Field::UserName, "*User_Name*!"}}), "[*User_Name*!]");
}

TEST(TemplateTables, EveryFixedTemplateIsSeededAndUsesKnownPlaceholders)
{
    TestSupport::TempFolder folder;
    AppFolder::seed(folder.path());
    const QRegularExpression token(QStringLiteral("\\*[A-Za-z_]+\\*"));
    for (const Templates::FixedTemplate &t : Templates::fixedTemplates()) {
        EXPECT_TRUE(QFileInfo::exists(Templates::backupPath(folder.path(), t.fileName)));
        QStringList lines;
        QString error;
        ASSERT_TRUE(Templates::readLines(Templates::templatePath(folder.path(), t.fileName), &lines,
                                         &error))
            << error.toStdString();
        for (const QString &line : lines)
            EXPECT_FALSE(Templates::mergeLine(line, [](Field) { return "x"; }).contains(token))
                << t.fileName.toStdString() << ": " << line.toStdString();
    }
}

class ReplaceEmailTest : public TestSupport::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        TestSupport::addRecord(store, {{Field::UserName, "bob"}, {Field::AuctionName, "Lamp"}});
    }
    QString tmpl(const QString &name) const { return folder.file("Email Templates/" + name); }
    QByteArray email() const { return readBytes(folder.file("Email.txt")); }
    // Merges, expecting failure with the error number; an earlier message must not survive.
    void expectFailure(const QString &appFolder, const QString &path, int number)
    {
        ASSERT_TRUE(writeBytes(folder.file("Email.txt"), "an older message"));
        scripted.clear();
        EXPECT_FALSE(ReplaceEmail(store, appFolder, path));
        ASSERT_EQ(scripted.asked().size(), 1);
        EXPECT_TRUE(scripted.asked()[0].text.contains("Error Found In: Sub_ReplaceEmail"));
        EXPECT_TRUE(scripted.asked()[0].text.contains(QString("Error Number: %1\r").arg(number)))
            << scripted.asked()[0].text.toStdString();
        if (appFolder == folder.path()) {
            EXPECT_EQ(email(), QByteArray());
        }
    }

    TestSupport::InstalledPrompts scripted;
};

TEST_F(ReplaceEmailTest, WritesOneMergedLineWithCrLfPerTemplateLineAsTheMergeInMemoryHas)
{
    ASSERT_TRUE(
        writeBytes(folder.file("Email.txt"), "an older, much longer message that must go\r\n"));
    const struct
    {
        QByteArray in, out;
    } cases[] = {
        {"", ""},
        {"Hi *User_Name*,\r\n\r\n\r\nBye\r\n", "Hi bob,\r\n\r\n\r\nBye\r\n"},
        {"Hi *User_Name*\r\nBye", "Hi bob\r\nBye\r\n"},               // last line gets its end
        {"a *User_Name*\nb *Auction_Name*\n", "a bob\nb Lamp\n\r\n"}, // LF does not end a line
        {"*User_Name*\r*Auction_Name*", "bob\r\nLamp\r\n"},
        {"Gr\xfc\xdf! *User_Name* \x80\r\n", "Gr\xfc\xdf! bob \x80\r\n"}, // Windows-1252
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(writeBytes(tmpl("t.elm"), c.in));
        EXPECT_TRUE(ReplaceEmail(store, folder.path(), tmpl("t.elm"))) << c.in.toStdString();
        EXPECT_EQ(email(), c.out);
    }
    // The merge in memory has the lines the senders read back from Email.txt.
    ASSERT_TRUE(writeBytes(tmpl("m.elm"), "To *User_Name*:\r\n*Address*\r\nitem *Auction_Name*"));
    QStringList templateLines;
    QString why;
    ASSERT_TRUE(Templates::readLines(tmpl("m.elm"), &templateLines, &why));
    // Addresses come typed on Windows, pasted from a web page or from an old Mac.
    for (const char *address : {"1 Main St\r\nSpringfield", "1 Main St\nSpringfield",
                                "1 Main St\rSpringfield", "", "ends in a break\r\n"}) {
        SCOPED_TRACE(address);
        store.set(Field::Address, address);
        ASSERT_TRUE(ReplaceEmail(store, folder.path(), tmpl("m.elm")));
        const QStringList inMemory =
            Templates::mergeLines(templateLines, [this](Field f) { return store.get(f); });
        EXPECT_EQ(inMemory, TextFile::readLines(folder.file("Email.txt")));
        EXPECT_EQ(inMemory.first(), "To bob:");
        EXPECT_EQ(inMemory.last(), "item Lamp");
    }
    // A name outside the code page turns the message into UTF-8, losing nothing.
    store.set(Field::UserName, QString::fromUtf8("\u0141ukasz"));
    ASSERT_TRUE(ReplaceEmail(store, folder.path(), tmpl("t.elm")));
    EXPECT_EQ(email(), QString::fromUtf8("Gr\u00fc\u00df! \u0141ukasz \u20ac\r\n").toUtf8());
    EXPECT_TRUE(scripted.asked().isEmpty());
}

TEST_F(ReplaceEmailTest, FailuresAreReportedAndLeaveNoOlderMessageBehind)
{
    ASSERT_TRUE(writeBytes(tmpl("ok.elm"), "Hi *User_Name*\r\n"));
    QDir().mkpath(tmpl("folder.elm"));
    expectFailure(folder.path(), tmpl("missing.elm"), 53);
    expectFailure(folder.path(), tmpl("folder.elm"), 75); // cannot be read
    expectFailure(folder.file("gone"), tmpl("ok.elm"), 76);
    store.moveLast();
    store.moveNext();
    expectFailure(folder.path(), tmpl("ok.elm"), 3021);

    // An Email.txt that cannot be replaced (a folder with something in it) is left alone.
    store.moveFirst();
    QFile::remove(folder.file("Email.txt"));
    QDir().mkpath(folder.file("Email.txt/inside"));
    scripted.clear();
    EXPECT_FALSE(ReplaceEmail(store, folder.path(), tmpl("ok.elm")));
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_TRUE(scripted.asked()[0].text.contains("Error Number: 75\r"));
    EXPECT_TRUE(QFileInfo::exists(folder.file("Email.txt/inside")));
}

TEST(RestoreFromBackup, WritesTheNonEmptyLinesThenOneMoreLineEnd)
{
    TestSupport::TempFolder folder;
    const QString name = QStringLiteral("Reminder 7 days.elm");
    const QString target = Templates::templatePath(folder.path(), name);
    QString error;
    bool backupMissing = false;
    EXPECT_FALSE(Templates::restoreFromBackup(folder.path(), name, &error, &backupMissing));
    EXPECT_TRUE(backupMissing);
    EXPECT_TRUE(error.contains(name)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));

    // The template folder is missing as well; restoring recreates it.
    ASSERT_TRUE(writeBytes(Templates::backupPath(folder.path(), name),
                           "\r\nDear *User_Name*,\r\n\r\n\r\n  \r\nPlease pay.\r\rThanks"));
    ASSERT_TRUE(Templates::restoreFromBackup(folder.path(), name, &error, &backupMissing));
    EXPECT_FALSE(backupMissing);
    EXPECT_EQ(readBytes(target),
              QByteArray("Dear *User_Name*,\r\n  \r\nPlease pay.\r\nThanks\r\n\r\n"));
}

TEST(TemplateFiles, AreListedByNameWhateverTheirLetterCase)
{
    const struct
    {
        QStringList files, listed;
    } cases[] = {
        {{"Zebra.elm", "auction.elm"}, {"auction.elm", "Zebra.elm"}},
        {{"b.elm", "A.elm", "c.elm", "B2.elm"}, {"A.elm", "b.elm", "B2.elm", "c.elm"}},
        {{"notes.txt", "Only.elm"}, {"Only.elm"}},
        {{}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.files.join(", ").toStdString());
        TestSupport::TempFolder folder;
        for (const QString &name : c.files)
            ASSERT_TRUE(writeBytes(folder.file(name), "x\r\n"));
        EXPECT_EQ(Templates::templateFiles(folder.path()), c.listed);
    }
}
