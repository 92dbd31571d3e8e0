#include "options/optionfiles.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace OptionFiles;

using TestSupport::readBytes;
using TestSupport::writeBytes;

TEST(OptionFiles, RemindersAreReadByPositionAndAMissingOrShortFileKeepsWhatItDoesNotName)
{
    TestSupport::TempFolder folder;
    const QString path = folder.file("Reminders.txt");
    // Keys out of order, blank lines between, a line past the last, a lone CR as line end.
    writeBytes(path, "\r\nPayment=1,5\r\n\r\n\r\nInvoice=0,two weeks\rFeedBack=1\r\n"
                     "Shipped=1,30\r\nExtra=1,99\r\n");
    Reminders r;
    ASSERT_TRUE(r.read(path));
    EXPECT_TRUE(r.items[Reminders::Invoice].on);
    EXPECT_EQ(r.items[Reminders::Invoice].days, "5");
    EXPECT_FALSE(r.items[Reminders::Shipped].on);
    EXPECT_EQ(r.items[Reminders::Shipped].days, "two weeks");
    EXPECT_TRUE(r.items[Reminders::FeedBack].on);
    EXPECT_EQ(r.items[Reminders::FeedBack].days, "");
    EXPECT_TRUE(r.items[Reminders::Payment].on);
    EXPECT_EQ(r.items[Reminders::Payment].days, "30");

    // Only a leading "1" is on; a line without "=" has an empty value.
    writeBytes(path, "Invoice=x,7\r\nShipped=2,7\r\nFeedBack 1,7\r\nPayment= 1,7\r\n");
    ASSERT_TRUE(r.read(path));
    for (const auto &item : r.items)
        EXPECT_FALSE(item.on);
    EXPECT_EQ(r.items[Reminders::Invoice].days, "7");
    EXPECT_EQ(r.items[Reminders::FeedBack].days, "");
    Reminders missing;
    missing.items[Reminders::Payment] = {true, "12"};
    EXPECT_FALSE(missing.read(folder.file("none.txt")));
    EXPECT_EQ(missing.items[Reminders::Invoice].days, "1");
    EXPECT_TRUE(missing.items[Reminders::Payment].on);

    LogFile l{true, true, true, true};
    EXPECT_FALSE(l.read(folder.file("OptionLogFile.txt")));
    EXPECT_TRUE(l.everyMonth);
    writeBytes(folder.file("OptionLogFile.txt"), "LogFile=0\r\nDay=0\r\n");
    ASSERT_TRUE(l.read(folder.file("OptionLogFile.txt")));
    EXPECT_FALSE(l.keepLogFile);
    EXPECT_FALSE(l.everyDay);
    EXPECT_TRUE(l.everyWeek);
    EXPECT_TRUE(l.everyMonth);
}

TEST(OptionFiles, OnExitSubjectIsEverythingAfterTheSecondCommaAndListsLoseOnlyEmptyLines)
{
    TestSupport::TempFolder folder;
    const QString path = folder.file("OnExit.txt");
    writeBytes(path, "Invoice=1,Invoice.elm,Your invoice, thank you\r\n"
                     "Payment=0,,Paid = thanks\r\n"
                     "FeedBack=1,Feed Back Given.elm\r\n"
                     "Error=1\r\n");
    OnExit o;
    ASSERT_TRUE(o.read(path));
    EXPECT_TRUE(o.emails[OnExit::Invoice].on);
    EXPECT_EQ(o.emails[OnExit::Invoice].templateFile, "Invoice.elm");
    EXPECT_EQ(o.emails[OnExit::Invoice].subject, "Your invoice, thank you");
    EXPECT_FALSE(o.emails[OnExit::Payment].on);
    EXPECT_EQ(o.emails[OnExit::Payment].templateFile, "");
    EXPECT_EQ(o.emails[OnExit::Payment].subject, "Paid = thanks");
    EXPECT_EQ(o.emails[OnExit::FeedBack].templateFile, "Feed Back Given.elm");
    EXPECT_EQ(o.emails[OnExit::FeedBack].subject, "");
    EXPECT_TRUE(o.sendErrorLog);
    const QString list = folder.file(listFile(List::FeedBackNotes));
    EXPECT_EQ(list, folder.file("Subjects/feedbacksub.sub"));

    bool exists = true;
    EXPECT_TRUE(readList(list, &exists).isEmpty());
    EXPECT_FALSE(exists);

    // The Subjects folder does not exist yet: writing makes it.
    writeList(list, {"Great buyer", "", "  spaced  ", "Fast payment, thanks"});
    EXPECT_EQ(readBytes(list), "Great buyer\r\n  spaced  \r\nFast payment, thanks\r\n");

    writeBytes(list, "\r\nA\r\n\r\n\r\nB\r\n\r\n");
    EXPECT_EQ(readList(list, &exists), QStringList({"A", "B"}));
    EXPECT_TRUE(exists);
    writeList(list, readList(list));
    EXPECT_EQ(readBytes(list), "A\r\nB\r\n");
}

TEST(OptionFiles, OnExitTemplateNameEndsAtItsElmEvenWithACommaInIt)
{
    TestSupport::TempFolder folder;
    const QString path = folder.file("OnExit.txt");
    const struct
    {
        QString templateFile, subject;
    } cases[] = {
        {"Hi, there.elm", "Auction Invoice"},
        {"Hi, there.elm", "Your invoice, thank you"},
        {"Invoice.elm", "see Other.elm, please"},
        {"Old.ELM", "Auction Invoice"},
        {"", "Auction, Invoice"},
        {"", ""},
        {"a,b,c.elm", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.templateFile.toStdString() + " | " + c.subject.toStdString());
        OnExit written;
        written.emails[OnExit::Invoice] = {true, c.templateFile, c.subject};
        written.write(path);
        OnExit back;
        ASSERT_TRUE(back.read(path));
        EXPECT_TRUE(back.emails[OnExit::Invoice].on);
        EXPECT_EQ(back.emails[OnExit::Invoice].templateFile, c.templateFile);
        EXPECT_EQ(back.emails[OnExit::Invoice].subject, c.subject);
        // Read back and written again, the line stays as it was.
        const QByteArray first = readBytes(path);
        back.write(path);
        EXPECT_EQ(readBytes(path), first);
    }
}

TEST(OptionFiles, CorruptFilesGiveSoundValuesAndNeverFail)
{
    TestSupport::TempFolder folder;
    const QString path = folder.file("Reminders.txt");

    // Binary junk: NULs and bytes that are no text; read without a failure.
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 37 + 11) % 256));
    writeBytes(path, junk);
    Reminders r;
    EXPECT_NO_THROW(r.read(path));

    // Ten megabytes in one line, then a sound second line: the second is still option 2.
    QByteArray huge = "Invoice=1," + QByteArray(10 * 1024 * 1024, '7') + "\r\nShipped=1,4\r\n";
    writeBytes(path, huge);
    Reminders big;
    EXPECT_NO_THROW(big.read(path));
    EXPECT_TRUE(big.items[0].on);
    EXPECT_TRUE(big.items[1].on);
    EXPECT_EQ(big.items[1].days, "4");

    const QString onExit = folder.file("OnExit.txt");
    writeBytes(onExit, junk);
    OnExit e;
    EXPECT_NO_THROW(e.read(onExit));
}
