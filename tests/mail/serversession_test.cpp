// The session against the local test servers (Dovecot and Postfix on 127.0.0.1). Each test
// skips when the servers are not running, and fails when CTest started them and one is gone.

#include "mail/mailaccount.h"
#include "mail/mailsession.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "support/testservers.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

using TestServers::uniqueSubject;

// A user of the test servers whose logon dialog answers from a script.
struct ServerMail : TestServers::MailUser
{
    using MailUser::MailUser;
    TestSupport::InstalledPrompts scripted;
};

using TestSupport::errorNumberOf;

} // namespace

TEST(ServerMailSession, SentThroughSmtpAndReadBackOverImapsThenDeletedOverImap)
{
    REQUIRE_SERVERS();
    const QString subject = uniqueSubject("Invoice for Lamp – €12");
    const QString body = QString::fromUtf8("Dear Jürgen,\r\nplease pay € 12.50.\r\n");
    {
        ServerMail seller("seller@lotwise.test", "sellerpass");
        seller.session->SignOn(false, true);
        seller.send("buyer@lotwise.test", subject, body);
    }
    {
        ServerMail buyer("buyer@lotwise.test", "buyerpass");
        buyer.session->SignOn(true, false);
        const int i = buyer.find(subject);
        ASSERT_GE(i, 0);
        EXPECT_EQ(buyer.session->MsgNoteText(), body);
    }
    {
        ServerMail buyer("buyer@lotwise.test", "buyerpass", "imap://127.0.0.1:10143");
        buyer.session->SignOn(true, false);
        const int i = buyer.find(subject);
        ASSERT_GE(i, 0);
        const int before = buyer.session->MsgCount();
        buyer.session->Delete();
        EXPECT_EQ(buyer.session->MsgCount(), before - 1);
        buyer.session->Fetch();
        EXPECT_EQ(buyer.session->MsgCount(), before - 1);
        EXPECT_EQ(errorNumberOf([&] { buyer.session->setMsgIndex(before - 1); }),
                  ErrorCode::InvalidPropertyValue);
    }
}

TEST(ServerMailSession, AWrongPasswordAsksTheLogonDialogAndTheAnswerIsUsed)
{
    REQUIRE_SERVERS();
    ServerMail seller("seller@lotwise.test", "not-the-password");
    LogonDetails fixed;
    fixed.incoming = "imaps://127.0.0.1:10993";
    fixed.outgoing = "smtp://127.0.0.1:10025";
    fixed.user = "seller@lotwise.test";
    fixed.password = "sellerpass";
    fixed.sender = "seller@lotwise.test";
    seller.scripted.answerLogon(fixed);
    seller.session->SignOn(false, true);
    EXPECT_TRUE(seller.session->isSignedOn());
    ASSERT_EQ(seller.scripted.logonsAsked().size(), 1);
    EXPECT_EQ(seller.scripted.logonsAsked()[0].user, "seller@lotwise.test");

    // Cancelled, the sign-on fails with the cancel number.
    ServerMail other("buyer2@lotwise.test", "wrong");
    other.scripted.answerLogonCancel();
    EXPECT_EQ(errorNumberOf([&] { other.session->SignOn(false, true); }),
              ErrorCode::MailSignOnCancelled);
    EXPECT_EQ(errorNumberOf([&] { other.session->SignOn(false, false); }),
              ErrorCode::MailSignOnRefused);
}

TEST(ServerMailSession, AnUntrustedCertificateIsRefusedNamingTheHost)
{
    REQUIRE_SERVERS(10994);
    ServerMail seller("seller@lotwise.test", "sellerpass", "imaps://127.0.0.1:10994");
    try {
        seller.session->SignOn(false, false);
        FAIL() << "an untrusted certificate must be refused";
    } catch (const LotwiseError &e) {
        EXPECT_EQ(e.number(), ErrorCode::MailCertificateUntrusted);
        EXPECT_TRUE(e.description().contains("127.0.0.1")) << e.what();
    }
    EXPECT_TRUE(seller.scripted.logonsAsked().isEmpty());
}

TEST(ServerMailSession, AnUnknownRecipientIsRefusedAndTheSessionCarriesOn)
{
    REQUIRE_SERVERS();
    ServerMail seller("seller@lotwise.test", "sellerpass");
    seller.session->SignOn(false, true);
    EXPECT_EQ(errorNumberOf([&] { seller.send("nobody@lotwise.test", "Hello", "x"); }),
              ErrorCode::MailRecipientRefused);
    EXPECT_EQ(errorNumberOf([&] { seller.send("buyer2@lotwise.test", uniqueSubject("after"), "x"); }), 0);
}
