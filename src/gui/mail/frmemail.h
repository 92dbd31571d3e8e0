#pragma once

#include <QDialog>
#include <functional>

class Mailer;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class RecordStore;

// "Quick Email": one message to the current record's buyer, typed or started from a
// template; its placeholders are filled from the record when it is sent.
class FrmEmail : public QDialog
{
    Q_OBJECT
public:
    // `checkOnline` runs the main window's online check and tells its result.
    FrmEmail(Mailer &mailer, const RecordStore &store, QString appFolder,
             std::function<bool()> checkOnline, QWidget *parent = nullptr);

    void setAddress(const QString &address);
    // Loads a template of "Email Templates" into the message box.
    void openTemplate(const QString &fileName);
    // Send: closes the window only when the mail system took the message.
    void sendClicked();
    // Merges the message text with the record and sends it; false when nothing left.
    bool SendEmail();

private:
    void notFound(const QString &path);

    Mailer &m_mailer;
    const RecordStore &m_store;
    QString m_appFolder;
    std::function<bool()> m_checkOnline;
    QLineEdit *m_to = nullptr;
    QComboBox *m_subject = nullptr;
    QPlainTextEdit *m_message = nullptr;
    QListWidget *m_templates = nullptr;
    QPushButton *m_send = nullptr;
};
