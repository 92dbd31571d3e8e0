#include "vmimesession.h"

#include "mail/localmailsession.h"
#include "mail/servermailsession.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"

VmimeSession::VmimeSession(SettingsStore &settings, const QString &appFolder)
    : m_settings(settings), m_appFolder(appFolder)
{
    MimeText::initVmime();
}

VmimeSession::~VmimeSession() { SignOff(); }

void VmimeSession::SignOn(bool downloadMail, bool logonUI)
{
    Q_UNUSED(downloadMail); // the inbox is read where it lies; nothing to deliver first
    SignOff();
    bool asked = false;
    for (;;) {
        m_account = MailAccount::read(m_settings);
        if (m_account.isLocal()) {
            m_backend = std::make_unique<LocalMailSession>(m_appFolder);
            return;
        }
        std::optional<LotwiseError> failure;
        const std::optional<QString> password = MailPasswords::read(m_account);
        if (!MailServerAddress::parse(m_account.incoming))
            failure = LotwiseError(ErrorCode::MailServerUnreachable,
                                   m_account.incoming + QStringLiteral(" is not a mail server address."));
        else if (!password || m_account.user.isEmpty())
            failure = LotwiseError(ErrorCode::MailSignOnRefused,
                                   QStringLiteral("No user name or password is known."));
        if (!failure) {
            try {
                m_backend = std::make_unique<ServerMailSession>(m_account, *password);
                return;
            } catch (const LotwiseError &e) {
                if (e.number() != ErrorCode::MailSignOnRefused)
                    throw;
                failure = e;
            }
        }
        if (!logonUI || asked)
            throw *failure;
        LogonDetails details = m_account.toLogonDetails();
        if (!prompts().logon(details))
            throw LotwiseError(ErrorCode::MailSignOnCancelled);
        asked = true;
        m_account.takeLogonDetails(details);
        m_account.save(m_settings);
        if (!m_account.isLocal())
            MailPasswords::save(m_account, details.password);
    }
}

void VmimeSession::SignOff()
{
    m_backend.reset();
    m_messages.clear();
    m_index = -1;
    m_composing = false;
}

void VmimeSession::requireSignedOn() const
{
    if (!m_backend)
        throw LotwiseError(ErrorCode::MailNotSignedOn);
}

void VmimeSession::Fetch()
{
    requireSignedOn();
    m_messages.clear();
    m_index = -1;
    m_composing = false;
    m_messages.resize(m_backend->fetch());
    if (!m_messages.isEmpty())
        m_index = 0;
}

void VmimeSession::setMsgIndex(int index)
{
    if (index < 0 || index >= m_messages.size())
        throw LotwiseError(ErrorCode::InvalidPropertyValue,
                           QStringLiteral("There is no message %1.").arg(index));
    m_index = index;
    m_composing = false;
}

const MailContent &VmimeSession::current() const
{
    if (m_index < 0 || m_index >= m_messages.size())
        throw LotwiseError(ErrorCode::InvalidPropertyValue, QStringLiteral("No message is current."));
    std::optional<MailContent> &content = m_messages[m_index];
    if (!content)
        content = readMailContent(m_backend->raw(m_index));
    return *content;
}

QString VmimeSession::MsgSubject() const
{
    if (m_composing)
        return m_subject;
    return current().subject;
}

QString VmimeSession::MsgNoteText() const
{
    if (m_composing)
        return m_body;
    return current().text;
}

void VmimeSession::Delete()
{
    requireSignedOn();
    if (m_index < 0 || m_index >= m_messages.size())
        throw LotwiseError(ErrorCode::InvalidPropertyValue, QStringLiteral("No message is current."));
    m_backend->remove(m_index);
    m_messages.removeAt(m_index);
    if (m_index >= m_messages.size())
        m_index = int(m_messages.size()) - 1;
}

void VmimeSession::Compose()
{
    requireSignedOn();
    m_composing = true;
    m_recipient.clear();
    m_subject.clear();
    m_body.clear();
}

void VmimeSession::setRecipAddress(const QString &address) { m_recipient = address; }
void VmimeSession::setMsgSubject(const QString &subject) { m_subject = subject; }
void VmimeSession::setMsgNoteText(const QString &body) { m_body = body; }

OutgoingMail VmimeSession::outgoing() const
{
    OutgoingMail mail;
    mail.senderAddress = m_account.sender;
    if (mail.senderAddress.isEmpty() && m_account.user.contains(u'@'))
        mail.senderAddress = m_account.user;
    if (mail.senderAddress.isEmpty())
        mail.senderAddress = QStringLiteral("lotwise@localhost");
    mail.senderName = m_account.senderName;
    mail.recipient = m_recipient.trimmed();
    mail.subject = m_subject;
    mail.body = m_body;
    return mail;
}

void VmimeSession::Send()
{
    requireSignedOn();
    const auto hasBreak = [](const QString &s) { return s.contains(u'\r') || s.contains(u'\n'); };
    if (hasBreak(m_recipient) || hasBreak(m_subject))
        throw LotwiseError(ErrorCode::MailLineBreakInHeader);
    const OutgoingMail mail = outgoing();
    if (!isValidMailAddress(mail.recipient))
        throw LotwiseError(ErrorCode::MailInvalidAddress, mail.recipient);
    m_backend->send(mail);
    m_composing = false;
}

std::unique_ptr<MailSession> createMailSession(SettingsStore &settings, const QString &appFolder)
{
    return std::make_unique<VmimeSession>(settings, appFolder);
}
