#include "mail/mailaccount.h"
#include "mail/mailsession.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

using TestSupport::readBytes;

// Scripted questions, passwords in memory only, and a settings file of its own.
class MailLogon : public ::testing::Test
{
protected:
    void SetUp() override { MailPasswords::setKeyringEnabled(false); }
    // A server account on a port where nothing answers, its password never saved.
    std::unique_ptr<MailSession> serverSession(const char *user)
    {
        settings.save("Mail", "Incoming", "imaps://127.0.0.1:1");
        settings.save("Mail", "User", user);
        return createMailSession(settings, folder.path());
    }
    TestSupport::InstalledPrompts scripted;
    TestSupport::TempFolder folder;
    SettingsStore settings{folder.file("settings.ini")};
};

} // namespace

TEST(MailServerAddress, ParsesTheSupportedSchemesAndRefusesTheRest)
{
    const auto imap = MailServerAddress::parse("imap://127.0.0.1:10143");
    ASSERT_TRUE(imap);
    EXPECT_EQ(imap->scheme, MailServerAddress::Imap);
    EXPECT_EQ(imap->host, "127.0.0.1");
    EXPECT_EQ(imap->port, 10143);
    EXPECT_TRUE(imap->usesStartTls());
    const auto smtps = MailServerAddress::parse(" SMTPS://Mail.Example.com ");
    ASSERT_TRUE(smtps);
    EXPECT_EQ(smtps->port, 465);
    EXPECT_FALSE(smtps->usesStartTls());
    EXPECT_FALSE(smtps->isIncoming());
    EXPECT_EQ(MailServerAddress::parse("pop3s://pop.example.com")->port, 995);
    for (const char *bad : {"", "pop3://pop.example.com", "http://example.com", "imaps://",
                            "imaps://user:pw@host:993", "imaps://host:99999", "imaps://host/INBOX",
                            "mail.example.com"})
        EXPECT_FALSE(MailServerAddress::parse(QString::fromLatin1(bad))) << bad;
}

TEST_F(MailLogon, AnAccountIsSavedAndReadBackWithoutAnyPasswordAndTrustsOnlyThisMachine)
{
    const QString ini = folder.file("settings.ini");
    MailAccount a;
    a.incoming = "imaps://127.0.0.1:10993";
    a.outgoing = "smtp://127.0.0.1:10025";
    a.user = "seller@lotwise.test";
    a.sender = "seller@lotwise.test";
    a.senderName = "The Seller";
    a.extraCaFile = "/tmp/ca.pem";
    a.allowUntrusted = true;
    a.save(settings);
    MailPasswords::save(a, "sellerpass-secret");
    settings.sync();
    MailAccount b = MailAccount::read(SettingsStore(ini));
    EXPECT_EQ(b.incoming, a.incoming);
    EXPECT_EQ(b.outgoing, a.outgoing);
    EXPECT_EQ(b.user, a.user);
    EXPECT_EQ(b.senderName, a.senderName);
    EXPECT_EQ(b.extraCaFile, a.extraCaFile);
    EXPECT_TRUE(b.allowUntrusted);
    EXPECT_FALSE(b.isLocal());
    EXPECT_EQ(MailPasswords::read(b).value_or(QString()), "sellerpass-secret");
    EXPECT_FALSE(readBytes(ini).contains("sellerpass"));
    MailPasswords::forget(b);
    EXPECT_FALSE(MailPasswords::read(b));

    // Untrusted certificates are allowed only for this machine.
    EXPECT_TRUE(b.untrustedAllowedFor("127.0.0.1"));
    EXPECT_FALSE(b.untrustedAllowedFor("mail.example.com"));
    EXPECT_FALSE(b.untrustedAllowedFor("localhost.evil.test"));
    b.allowUntrusted = false;
    EXPECT_FALSE(b.untrustedAllowedFor("127.0.0.1"));
    EXPECT_TRUE(MailAccount().isLocal());
}

TEST_F(MailLogon, AServerAccountWithoutAPasswordAsksAndCancelFailsTheSignOnOrLocalFoldersSignOn)
{
    auto session = serverSession("nobody-known@lotwise.test");
    scripted.answerLogonCancel();
    EXPECT_EQ(TestSupport::errorNumberOf([&] { session->SignOn(false, true); }),
              ErrorCode::MailSignOnCancelled);
    ASSERT_EQ(scripted.logonsAsked().size(), 1);
    EXPECT_EQ(scripted.logonsAsked()[0].incoming, "imaps://127.0.0.1:1");
    EXPECT_TRUE(scripted.logonsAsked()[0].password.isEmpty());
    EXPECT_FALSE(session->isSignedOn());

    // Without the logon dialog nothing is asked.
    scripted.clear();
    EXPECT_THROW(session->SignOn(false, false), LotwiseError);
    EXPECT_TRUE(scripted.logonsAsked().isEmpty());

    // Choosing the local folders in the dialog saves that and signs on.
    LogonDetails answer;
    answer.useLocalFolders = true;
    answer.sender = "me@lotwise.test";
    answer.password = "typed-but-unused";
    scripted.answerLogon(answer);
    session->SignOn(false, true);
    EXPECT_TRUE(session->isSignedOn());
    const MailAccount saved = MailAccount::read(settings);
    EXPECT_TRUE(saved.isLocal());
    EXPECT_EQ(saved.sender, "me@lotwise.test");
    settings.sync();
    EXPECT_FALSE(readBytes(folder.file("settings.ini")).contains("typed-but-unused"));
}

TEST_F(MailLogon, AnUnreachableServerIsReportedWithoutAskingForAPassword)
{
    MailAccount a;
    a.incoming = "imaps://127.0.0.1:9"; // nothing listens on the discard port here
    a.user = "seller@lotwise.test";
    a.save(settings);
    MailPasswords::save(a, "pw");
    auto session = createMailSession(settings, folder.path());
    try {
        session->SignOn(false, true);
        FAIL() << "sign-on should fail";
    } catch (const LotwiseError &e) {
        EXPECT_EQ(e.number(), ErrorCode::MailServerUnreachable);
        EXPECT_TRUE(e.description().contains("127.0.0.1"));
    }
    EXPECT_TRUE(scripted.logonsAsked().isEmpty());
}
