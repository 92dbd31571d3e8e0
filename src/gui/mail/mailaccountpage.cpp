#include "mailaccountpage.h"

#include "mail/mailaccount.h"
#include "platform/busycursor.h"
#include "platform/logonform.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

MailAccountPage::MailAccountPage(SettingsStore &settings, SessionFactory factory, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_factory(std::move(factory))
{
    setObjectName(QStringLiteral("MailAccount"));
    auto *v = new QVBoxLayout(this);
    auto *hint = new QLabel(
        QStringLiteral("Leave the incoming server empty, or tick the local mail folders, to keep "
                       "mail in the Mail folder of the application folder."),
        this);
    hint->setWordWrap(true);
    v->addWidget(hint);
    m_form = new LogonForm(this);
    m_form->passwordBox()->setPlaceholderText(QStringLiteral("kept in the keyring"));
    v->addWidget(m_form);
    auto *test = new QPushButton(QStringLiteral("&Test Sign-On"), this);
    test->setObjectName(QStringLiteral("cmdTestSignOn"));
    auto *row = new QHBoxLayout;
    row->addWidget(test);
    row->addStretch();
    v->addLayout(row);
    v->addStretch();
    connect(m_form, &LogonForm::edited, this, &MailAccountPage::save);
    connect(test, &QPushButton::clicked, this, &MailAccountPage::testSignOn);
    load();
}

void MailAccountPage::load() { m_form->setDetails(MailAccount::read(m_settings).toLogonDetails()); }

void MailAccountPage::save()
{
    const LogonDetails d = m_form->details();
    MailAccount account = MailAccount::read(m_settings);
    account.takeLogonDetails(d);
    account.save(m_settings);
    // The box is emptied once the password is kept, so it is never shown again.
    if (!account.isLocal() && !d.password.isEmpty()) {
        MailPasswords::save(account, d.password);
        m_form->passwordBox()->clear();
    }
    m_changed = true;
}

void MailAccountPage::testSignOn()
{
    save();
    const MailAccount account = MailAccount::read(m_settings);
    QString text;
    Prompts::Icon icon = Prompts::Icon::Information;
    try {
        BusyCursor busy;
        std::unique_ptr<MailSession> session = m_factory();
        session->SignOn(false, true);
        session->SignOff();
        text = account.isLocal() ? QStringLiteral("The local mail folders are ready.")
                                 : QStringLiteral("Signed on to %1.").arg(account.incoming);
    } catch (const LotwiseError &e) {
        text = QStringLiteral("The sign-on failed.\r\n\r\n") + e.description();
        icon = Prompts::Icon::Warning;
    }
    // The logon dialog of the sign-on may have changed the account.
    load();
    prompts().message(text, QStringLiteral("Mail Account"), Prompts::Ok, icon);
}
