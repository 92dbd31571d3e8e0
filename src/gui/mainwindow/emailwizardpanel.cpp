#include "emailwizardpanel.h"

#include "mail/templates.h"
#include "platform/textfile.h"
#include "records/recordcommands.h"
#include "records/recordstore.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QPushButton>

EmailWizardPanel::EmailWizardPanel(RecordStore &store, std::function<bool()> markPictureFlips,
                                   QWidget *parent)
    : QueuePanel(store,
                 {"EmailWizardPanel", "Email Wizard", "ListView2",
                  {QStringLiteral("User Name"), QStringLiteral("Email Address"),
                   QStringLiteral("Auction Name"), QStringLiteral("Auction Close"),
                   QStringLiteral("Since Paid")},
                  "Command12", "Command10", "Send", "Label54"},
                 parent)
{
    m_subject = new QComboBox;
    m_subject->setObjectName(QStringLiteral("Combo1"));
    m_subject->setEditable(true);
    m_subject->setInsertPolicy(QComboBox::NoInsert);
    m_templates = new QListWidget;
    m_templates->setObjectName(QStringLiteral("File1"));
    // Lists take no name from their form label.
    m_templates->setAccessibleName(QStringLiteral("Email Templete"));
    m_hint = new QLabel(QStringLiteral(
        "Only checked emails will be sent. Click help for more information on this page."));
    m_hint->setObjectName(QStringLiteral("Label14"));
    m_hint->setWordWrap(true);
    // The picture does not flip while the all-reminders list is shown; its caption does.
    m_mark = makeSwitch(QStringLiteral("Image19"), QStringLiteral("Label40"),
                        QStringLiteral("Mark Email As Being Sent"), std::move(markPictureFlips));

    auto *preview = new QGroupBox(QStringLiteral("Mail Preview"));
    preview->setObjectName(QStringLiteral("fraPreview"));
    auto *previewLayout = new QVBoxLayout(preview);
    auto *previewForm = new QFormLayout;
    previewLayout->addLayout(previewForm);
    m_previewTo = new QLineEdit;
    m_previewTo->setObjectName(QStringLiteral("PreviewTo"));
    m_previewTo->setReadOnly(true);
    m_previewSubject = new QLineEdit;
    m_previewSubject->setObjectName(QStringLiteral("PreviewSubject"));
    m_previewSubject->setReadOnly(true);
    m_previewBody = showBox("PreviewBody");
    m_previewBody->setAccessibleName(QStringLiteral("Mail Preview"));
    // Readers move through the mail with the arrow keys, as in any text they cannot change.
    m_previewBody->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                           Qt::TextSelectableByKeyboard);
    previewForm->addRow(QStringLiteral("To:"), m_previewTo);
    previewForm->addRow(QStringLiteral("Subject:"), m_previewSubject);
    previewLayout->addWidget(m_previewBody, 1);

    side()->addRow(QStringLiteral("Subject"), m_subject);
    side()->addRow(QStringLiteral("Email Templete"), m_templates);
    side()->addRow(m_mark.row);
    side()->addRow(m_hint);
    // The mail's lines want more width than the other lists' boxes.
    addSideFill(preview, 2);

    connect(m_subject, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { showFromStart(m_previewSubject, text); });
    connect(m_templates, &QListWidget::itemSelectionChanged, this,
            &EmailWizardPanel::updatePreview);
    connect(list()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &EmailWizardPanel::updatePreview);
    connect(model(), &QAbstractItemModel::modelReset, this, &EmailWizardPanel::updatePreview);
    updatePreview();

    m_print = new QPushButton(QStringLiteral("Print..."));
    m_print->setObjectName(QStringLiteral("cmdPrintInvoices"));
    buttons()->insertWidget(2, m_print);
}

void EmailWizardPanel::fillTemplates(const QString &folder)
{
    m_folder = folder;
    const QString selected = selectedTemplate();
    m_templates->clear();
    m_templates->addItems(Templates::templateFiles(folder));
    selectTemplate(selected);
}

void EmailWizardPanel::selectTemplate(const QString &fileName)
{
    for (int i = 0; i < m_templates->count(); ++i) {
        if (m_templates->item(i)->text() == fileName) {
            m_templates->setCurrentRow(i);
            return;
        }
    }
}

QString EmailWizardPanel::selectedTemplate() const
{
    const QListWidgetItem *item = m_templates->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

QString EmailWizardPanel::selectedTemplatePath() const
{
    const QString name = selectedTemplate();
    return name.isEmpty() ? QString() : QDir(m_folder).filePath(name);
}

void EmailWizardPanel::setMarkControlsVisible(bool visible)
{
    m_hint->setVisible(visible);
    m_mark.picture->setVisible(visible);
    m_mark.label->setVisible(visible);
}

bool EmailWizardPanel::markControlsVisible() const { return !m_mark.picture->isHidden(); }

void EmailWizardPanel::setFooter(const QString &footer)
{
    m_footer = footer;
    updatePreview();
}

void EmailWizardPanel::holdPreview(bool held)
{
    m_previewHeld = held;
    if (!held)
        updatePreview();
}

void EmailWizardPanel::showEvent(QShowEvent *event)
{
    // The record may have been edited on the record panel meanwhile.
    updatePreview();
    QueuePanel::showEvent(event);
}

void EmailWizardPanel::showFromStart(QLineEdit *box, const QString &text)
{
    // A long subject is read from its start, not scrolled to its end.
    box->setText(text);
    box->setCursorPosition(0);
}

void EmailWizardPanel::showPreview(const QString &to, const QString &body, const QString &why)
{
    m_previewText = body;
    showFromStart(m_previewTo, to);
    m_previewBody->setPlainText(body);
    m_previewBody->setPlaceholderText(why);
}

void EmailWizardPanel::updatePreview()
{
    showFromStart(m_previewSubject, m_subject->currentText());
    if (m_previewHeld)
        return;
    const int row = selectedRow();
    if (row == 0)
        return showPreview({}, {}, QStringLiteral("Select a row to see the mail its buyer gets."));
    const QueueRow &r = model()->row(row - 1);
    const int index = RecordCommands::firstListRecord(store(), r.userName, r.auctionName);
    if (index < 0)
        return showPreview({}, {},
                           QStringLiteral("The record of %1, %2 is no longer in the records.")
                               .arg(r.userName.trimmed(), r.auctionName.trimmed()));
    const AuctionRecord &record = store().recordAt(index);
    const QString path = selectedTemplatePath();
    if (path.isEmpty())
        return showPreview(record[Field::EmailAddress], {},
                           QStringLiteral("Select a template to see the mail."));
    QStringList lines;
    QString why;
    if (!Templates::readLines(path, &lines, &why))
        return showPreview(record[Field::EmailAddress], {}, why);
    const QStringList merged =
        Templates::mergeLines(lines, [&record](Field f) { return record[f]; });
    showPreview(record[Field::EmailAddress], TextFile::joinLines(merged) + m_footer, {});
}
