#pragma once

#include "platform/logondetails.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;

// The fields of a mail account: the local-folders choice, the two server addresses, the user
// and password, the sender. Shared by the logon dialog and the options window.
class LogonForm : public QWidget
{
    Q_OBJECT
public:
    explicit LogonForm(QWidget *parent = nullptr);
    void setDetails(const LogonDetails &details);
    // Addresses and names trimmed; the password as typed.
    LogonDetails details() const;
    QLineEdit *passwordBox() const { return m_password; }

signals:
    // A field was left after a change, or the local-folders choice flipped.
    void edited();

private:
    void enableServer(bool useLocal);

    QCheckBox *m_local = nullptr;
    QLineEdit *m_incoming = nullptr;
    QLineEdit *m_outgoing = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_sender = nullptr;
    QLineEdit *m_senderName = nullptr;
};
