#include "frmemail.h"

#include "errors/handelerrors.h"
#include "mail/mailer.h"
#include "mail/templates.h"
#include "platform/appfolder.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/textfile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

FrmEmail::FrmEmail(Mailer &mailer, const RecordStore &store, QString appFolder,
                   std::function<bool()> checkOnline, QWidget *parent)
    : QDialog(parent), m_mailer(mailer), m_store(store), m_appFolder(std::move(appFolder)),
      m_checkOnline(std::move(checkOnline))
{
    setObjectName(QStringLiteral("frmEmail"));
    setWindowTitle(QStringLiteral("Quick Email"));
    m_to = new QLineEdit;
    m_to->setObjectName(QStringLiteral("Text1"));
    m_subject = new QComboBox;
    m_subject->setObjectName(QStringLiteral("Combo1"));
    m_subject->setEditable(true);
    m_subject->setInsertPolicy(QComboBox::NoInsert);
    m_message = new QPlainTextEdit;
    m_message->setObjectName(QStringLiteral("Text2"));
    m_message->setTabChangesFocus(true);
    m_templates = new QListWidget;
    m_templates->setObjectName(QStringLiteral("File1"));
    m_templates->setAccessibleName(QStringLiteral("Email Templates"));
    m_send = new QPushButton(QStringLiteral("Send"));
    m_send->setObjectName(QStringLiteral("Command2"));
    m_send->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("Command1"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("To:"), m_to);
    form->addRow(QStringLiteral("Subject"), m_subject);
    form->addRow(QStringLiteral("Message"), m_message);
    for (int r = 0; r < form->rowCount(); ++r) {
        auto *label = qobject_cast<QLabel *>(form->itemAt(r, QFormLayout::LabelRole)->widget());
        QWidget *field = form->itemAt(r, QFormLayout::FieldRole)->widget();
        label->setBuddy(field);
        field->setAccessibleName(label->text());
    }
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(m_send, QDialogButtonBox::AcceptRole);
    buttons->addButton(close, QDialogButtonBox::RejectRole);
    auto *side = new QVBoxLayout;
    side->addWidget(m_templates, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(form, 3);
    body->addLayout(side, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(body, 1);
    outer->addWidget(buttons);
    connect(m_send, &QPushButton::clicked, this, &FrmEmail::sendClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_templates, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { openTemplate(item->text()); });
    connect(m_templates, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { openTemplate(item->text()); });

    const QString folder = Templates::templatesFolder(m_appFolder);
    m_templates->addItems(Templates::templateFiles(folder));
    m_subject->addItems({QStringLiteral("Auction Invoice"), QStringLiteral("Payment Recived"),
                         QStringLiteral("Item Shipped"), QStringLiteral("Feed Back Given"),
                         QStringLiteral("Auction Payment Remainder"),
                         QStringLiteral("Non-Paying Bidder Alert")});
    const QString subjects = AppFolder::fileIn(m_appFolder, QStringLiteral("Subjects/emailsub.sub"));
    bool exists = false;
    const QStringList lines = TextFile::readLines(subjects, TextFile::Empty::Skip, &exists);
    m_subject->addItems(lines);
    m_subject->setEditText(QStringLiteral("Auction Invoice"));

    resize(640, 420);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
    if (!exists)
        notFound(subjects);
}

void FrmEmail::notFound(const QString &path)
{
    prompts().message(QStringLiteral("The file %1 was not found.").arg(QDir::toNativeSeparators(path)),
                      QStringLiteral("Quick Email"), Prompts::Ok, Prompts::Icon::Critical);
}

void FrmEmail::setAddress(const QString &address) { m_to->setText(address); }

void FrmEmail::openTemplate(const QString &fileName)
{
    const QString path = Templates::templatePath(m_appFolder, fileName);
    bool exists = false;
    const QStringList lines = TextFile::readLines(path, TextFile::Empty::Keep, &exists);
    if (!exists) {
        notFound(path);
        return;
    }
    m_message->setPlainText(TextFile::joinLines(lines));
}

void FrmEmail::sendClicked()
{
    if (m_to->text().trimmed().isEmpty())
        return;
    m_send->setEnabled(false);
    if (!m_checkOnline()) {
        Mailer::sayNotOnline();
        m_send->setEnabled(true);
        return;
    }
    const bool sent = SendEmail();
    m_send->setEnabled(true);
    // A message that did not leave stays here with its address, to be corrected or kept.
    if (sent)
        accept();
}

bool FrmEmail::SendEmail()
{
    const QString temp = AppFolder::fileIn(m_appFolder, QStringLiteral("temp.txt"));
    const QString merged = Templates::emailPath(m_appFolder);
    const auto cleanUp = [&] {
        QFile::remove(temp);
        QFile::remove(merged);
    };
    const bool ready = trapErrors(QStringLiteral("frmEmail-Sub_SendEmail"), [&] {
        QString error;
        // The text goes through the same merge as a template, line by line.
        QString text = m_message->toPlainText();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (!TextFile::writeLines(temp, text.split(u'\n'), &error))
            throw LotwiseError(ErrorCode::FileAccess, error);
    });
    if (!ready || !ReplaceEmail(m_store, m_appFolder, temp, QStringLiteral("frmEmail-Sub_ReplaceEmail"))) {
        cleanUp();
        return false;
    }
    const QString body = TextFile::joinLines(TextFile::readLines(merged));
    cleanUp();
    try {
        m_mailer.sendBody(m_to->text(), m_subject->currentText(), body);
        return true;
    } catch (const LotwiseError &e) {
        if (e.number() == 32014 || e.number() == 32025) {
            prompts().message(QStringLiteral("This is not a vaild email address."),
                              QStringLiteral("Invaild Email Address"), Prompts::Ok,
                              Prompts::Icon::Information);
        } else {
            HandelErrors(QStringLiteral("frmEmail-Sub_SendEmail"), e.number(), e.detail());
        }
    } catch (...) {
        handleCaught(QStringLiteral("frmEmail-Sub_SendEmail"), std::current_exception());
    }
    return false;
}
