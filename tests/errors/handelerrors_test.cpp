#include "errors/handelerrors.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/textfile.h"
#include "support/testsupport.h"

#include <QFile>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class ErrorHandlerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        reporting.keepLog = [this] { return keepLog; };
        reporting.sendReport = [this] { return sendReport; };
        reporting.logPath = folder.file("errorlog.log");
        reporting.mailReport = [this](const QString &body) {
            if (mailFails)
                throw LotwiseError(32014, "errors@example.com");
            reports << body;
        };
        reporting.status = [this](const QString &t) { statuses << t; };
        setErrorReporting(&reporting);
    }
    void TearDown() override { setErrorReporting(nullptr); }
    QStringList log() const { return TextFile::readLines(reporting.logPath); }

    TestSupport::TempFolder folder;
    TestSupport::InstalledPrompts scripted;
    ErrorReporting reporting;
    bool keepLog = false, sendReport = false, mailFails = false;
    QStringList reports, statuses;
};

} // namespace

TEST_F(ErrorHandlerTest, BothSwitchesOffShowsTheBoxOnlyAndAKeptLogGetsFiveLinesAnError)
{
    HandelErrors("Sub_LogOn", 53, "Mail/Inbox");
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].title, "Error Information");
    EXPECT_EQ(scripted.asked()[0].icon, Prompts::Icon::Information);
    EXPECT_EQ(scripted.asked()[0].buttons, int(Prompts::Ok));
    EXPECT_EQ(scripted.asked()[0].text,
              "Lotwise generated an error!\r\n\r\nError Found In: Sub_LogOn\r\n"
              "Error Number: 53\r\nError Description: File not found. Mail/Inbox");
    EXPECT_FALSE(QFile::exists(reporting.logPath));
    EXPECT_TRUE(reports.isEmpty());

    // A kept log gets a five-line block per error, oldest first.
    keepLog = true;
    HandelErrors("Sub_LogOn", 53);
    // A server's reply of several lines keeps to one line of the block.
    HandelErrors("Sub_SendEmail", 32014, "550 5.1.1 unknown\r\n550 no such user\nbye\r");
    HandelErrors("Add Record", 3021);
    const QStringList lines = log();
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[1], "Error Found In: Sub_LogOn");
    EXPECT_EQ(lines[7], "Error Number: 32014");
    EXPECT_TRUE(lines[8].endsWith("550 5.1.1 unknown 550 no such user bye "))
        << lines[8].toStdString();
    EXPECT_EQ(lines[13], "Error Description: No current record.");
    for (int block = 0; block < 3; ++block) {
        EXPECT_EQ(lines[block * 5 + 4], "");
        EXPECT_TRUE(lines[block * 5].contains(' ')) << lines[block * 5].toStdString();
    }
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(ErrorHandlerTest, ReportsMailTheWholeLogAndOnlyWhenThereIsOne)
{
    sendReport = true;
    HandelErrors("Sub_LogOn", 53); // no log yet, none kept: nothing to send
    EXPECT_TRUE(reports.isEmpty());

    keepLog = true;
    HandelErrors("Sub_LogOn", 53);
    HandelErrors("Sub_CheckOnline", 35750);
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[1], log().join("\r\n") + "\r\n");
    EXPECT_TRUE(reports[1].contains("Error Found In: Sub_CheckOnline"));

    // With the log off, the report holds the errors logged before, not this one.
    keepLog = false;
    HandelErrors("Add Record", 3021);
    ASSERT_EQ(reports.size(), 3);
    EXPECT_FALSE(reports[2].contains("Add Record"));
}

TEST_F(ErrorHandlerTest, FailingToLogOrReportNeverRaisesASecondError)
{
    keepLog = true;
    sendReport = true;
    reporting.logPath = folder.file("no such folder/errorlog.log");
    HandelErrors("Sub_LogOn", 53);
    EXPECT_EQ(scripted.asked().size(), 1);
    ASSERT_EQ(statuses.size(), 1);
    EXPECT_TRUE(statuses[0].startsWith("The error log could not be written"));

    reporting.logPath = folder.file("errorlog.log");
    mailFails = true;
    HandelErrors("Sub_LogOn", 53);
    EXPECT_EQ(scripted.asked().size(), 2);
    EXPECT_TRUE(statuses.last().startsWith("The error report could not be sent"));
    EXPECT_EQ(log().size(), 5);
}

TEST(HandelErrors, TrapStopsTheBodyAtTheFirstErrorAndReportsItForeignOnesNumbered)
{
    TestSupport::InstalledPrompts scripted;
    int reached = 0;
    const bool ok = trapErrors("modMain.Import", [&] {
        ++reached;
        throw LotwiseError(ErrorCode::FileNotFound, "/data/list.csv");
        ++reached;
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_TRUE(scripted.asked()[0].text.contains("Error Number: 53"));
    EXPECT_TRUE(scripted.asked()[0].text.contains("/data/list.csv"));

    EXPECT_TRUE(trapErrors("x", [] {}));
    EXPECT_EQ(scripted.asked().size(), 1);
    trapErrors("a", [] { throw std::bad_alloc(); });
    trapErrors("b", [] { throw std::runtime_error("boom"); });
    ASSERT_EQ(scripted.asked().size(), 3);
    EXPECT_TRUE(scripted.asked()[1].text.contains("Error Number: 7\r\n"));
    EXPECT_TRUE(scripted.asked()[2].text.contains("Error Number: 51\r\n"));
    EXPECT_TRUE(scripted.asked()[2].text.contains("boom"));
}

TEST(ErrorCatalogue, UnknownNumbersAreNamedAndAnErrorsDetailFollowsItsDescription)
{
    EXPECT_TRUE(errorDescription(123456).contains("123456"));
    EXPECT_TRUE(LotwiseError(53, "a.txt").description().startsWith(errorDescription(53)));
    EXPECT_TRUE(LotwiseError(53, "a.txt").description().contains("a.txt"));
}

// Where nobody can answer, nothing is agreed to and nothing is chosen.
TEST(NonInteractivePrompts, AreTheDefaultAndGiveEveryQuestionItsMostCautiousAnswer)
{
    // With nothing installed the question gets No, where the tests' own fallback would agree.
    Prompts *fallback = setFallbackPrompts(nullptr);
    EXPECT_EQ(prompts().message("Restore the backup?", "Lotwise", Prompts::Yes | Prompts::No,
                                Prompts::Icon::Question),
              Prompts::No);
    setFallbackPrompts(fallback);

    NonInteractivePrompts nobody;
    const struct
    {
        int buttons;
        Prompts::Button answer;
    } cases[] = {{Prompts::Ok, Prompts::Ok},
                 {Prompts::Yes | Prompts::No, Prompts::No},
                 {Prompts::Ok | Prompts::Cancel, Prompts::Cancel},
                 {Prompts::Yes | Prompts::No | Prompts::Cancel, Prompts::Cancel},
                 {Prompts::Yes, Prompts::Yes}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.buttons);
        EXPECT_EQ(nobody.message("Restore the backup?", "Lotwise", c.buttons, Prompts::Icon::Question),
                  c.answer);
    }
    EXPECT_EQ(nobody.input("Shipping cost?", "Shipping Cost", "4.00"), std::nullopt);
    EXPECT_EQ(nobody.openFileName("Open", "/tmp", "*.csv"), QString());
    EXPECT_EQ(nobody.saveFileName("Save", "/tmp", "*.csv"), QString());
    LogonDetails details;
    details.user = "seller@example.com";
    EXPECT_FALSE(nobody.logon(details));
    EXPECT_EQ(details.user, "seller@example.com");
}
