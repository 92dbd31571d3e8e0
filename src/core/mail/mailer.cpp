#include "mailer.h"

#include "errors/handelerrors.h"
#include "mail/templates.h"
#include "platform/endpoints.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/textfile.h"
#include "platform/webfetch.h"

Mailer::Mailer(SettingsStore &settings, QString appFolder)
    : m_settings(settings), m_appFolder(std::move(appFolder))
{
}

Mailer::~Mailer()
{
    if (m_session && m_newSession) {
        try {
            m_session->SignOff();
        } catch (...) {
            // Closing down: a session that cannot sign off cleanly is dropped all the same.
        }
    }
}

void Mailer::signOn(bool downloadMail)
{
    if (!m_session) {
        if (!m_factory)
            throw LotwiseError(ErrorCode::MailNotSetUp);
        m_session = m_factory();
    }
    m_session->SignOn(downloadMail, true);
    m_newSession = true;
}

bool Mailer::LogOn()
{
    if (m_newSession)
        return true;
    return trapErrors(QStringLiteral("Sub_LogOn"), [&] { signOn(false); });
}

bool Mailer::FetchNewMail()
{
    return trapErrors(QStringLiteral("Sub_FetchNewMail"), [&] {
        if (m_newSession) {
            m_newSession = false;
            m_session->SignOff();
        }
        signOn(true);
        m_session->Fetch();
    });
}

void Mailer::SignOff()
{
    if (!m_session || !m_newSession)
        return;
    m_newSession = false;
    trapErrors(QStringLiteral("mnuFileClose_Click"), [&] { m_session->SignOff(); });
}

void Mailer::sayNotOnline()
{
    prompts().message(QStringLiteral("You are not currently online.\r\n"
                                         "You will not be able to send email.\r\n\r\n"
                                         "Please Logon to the internet!"),
                          QStringLiteral("Not Online."), Prompts::Ok, Prompts::Icon::Warning);
}

QString Mailer::footer(const SettingsStore &settings)
{
    return QStringLiteral("\r\nThis Meassage was sent using Lotwise Version 3.0\r\n"
                          "don't let your auctions manage you. Save time and money with\r\n"
                          "Lotwise, No monthly fees ever!\r\n") +
           Endpoints::productPage(settings);
}

void Mailer::sendBody(const QString &address, const QString &subject, const QString &body,
                      bool withFooter)
{
    if (!m_newSession)
        signOn(false);
    m_session->Compose();
    m_session->setRecipAddress(address);
    m_session->setMsgSubject(subject);
    m_session->setMsgNoteText(withFooter ? body + footer(m_settings) : body);
    m_session->Send();
}

bool Mailer::SendEmail(const QString &address, const QString &subject)
{
    return trapErrors(QStringLiteral("Sub_SendEmail"), [&] {
        bool exists = false;
        const QStringList lines = TextFile::readLines(
            Templates::emailPath(m_appFolder), TextFile::Empty::Keep,
            &exists);
        if (!exists)
            throw LotwiseError(ErrorCode::FileNotFound, QStringLiteral("Email.txt"));
        sendBody(address, subject, TextFile::joinLines(lines));
    });
}

bool Mailer::CheckOnline()
{
    m_pageText.clear();
    return trapErrors(QStringLiteral("Sub_CheckOnline"), [&] {
        const WebFetch::Result page = WebFetch::get(Endpoints::homePage(m_settings), m_timeoutMs);
        if (!page.answered())
            throw LotwiseError(ErrorCode::PageNotFetched, page.error);
        // The site changes its pages as it likes: any successful answer means it can be
        // reached, and an error answer means it cannot take anything from us now.
        m_pageText = page.text;
        m_online = page.ok;
        m_offlineReason = page.error;
    });
}
