#include "logonform.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

LogonForm::LogonForm(QWidget *parent) : QWidget(parent)
{
    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    const auto field = [&](const QString &label, const QString &name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setAccessibleName(QString(label).remove(u':'));
        form->addRow(label, edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (edit->isModified()) {
                edit->setModified(false);
                emit edited();
            }
        });
        return edit;
    };
    m_local = new QCheckBox(QStringLiteral("Use the local mail folders"), this);
    m_local->setObjectName(QStringLiteral("chkLocalFolders"));
    form->addRow(m_local);
    m_incoming = field(QStringLiteral("Incoming mail server:"), QStringLiteral("txtIncoming"));
    m_incoming->setPlaceholderText(QStringLiteral("imaps://mail.example.com:993"));
    m_outgoing = field(QStringLiteral("Outgoing mail server:"), QStringLiteral("txtOutgoing"));
    m_outgoing->setPlaceholderText(QStringLiteral("smtps://mail.example.com:465"));
    m_user = field(QStringLiteral("User name:"), QStringLiteral("txtUser"));
    m_password = field(QStringLiteral("Password:"), QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_sender = field(QStringLiteral("Your email address:"), QStringLiteral("txtSender"));
    m_senderName = field(QStringLiteral("Your name:"), QStringLiteral("txtSenderName"));
    connect(m_local, &QCheckBox::toggled, this, &LogonForm::enableServer);
    connect(m_local, &QCheckBox::clicked, this, &LogonForm::edited);
    enableServer(false);
}

void LogonForm::setDetails(const LogonDetails &d)
{
    const QSignalBlocker block(m_local);
    m_local->setChecked(d.useLocalFolders);
    m_incoming->setText(d.incoming);
    m_outgoing->setText(d.outgoing);
    m_user->setText(d.user);
    m_password->setText(d.password);
    m_sender->setText(d.sender);
    m_senderName->setText(d.senderName);
    enableServer(d.useLocalFolders);
}

LogonDetails LogonForm::details() const
{
    LogonDetails d;
    d.useLocalFolders = m_local->isChecked();
    d.incoming = m_incoming->text().trimmed();
    d.outgoing = m_outgoing->text().trimmed();
    d.user = m_user->text().trimmed();
    d.password = m_password->text();
    d.sender = m_sender->text().trimmed();
    d.senderName = m_senderName->text().trimmed();
    return d;
}

void LogonForm::enableServer(bool useLocal)
{
    for (QLineEdit *e : {m_incoming, m_outgoing, m_user, m_password})
        e->setEnabled(!useLocal);
}
