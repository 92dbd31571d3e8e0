#include "emailwizardpanel.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
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
    side()->addRow(QStringLiteral("Subject"), m_subject);
    side()->addRow(QStringLiteral("Email Templete"), m_templates);
    side()->addRow(m_mark.row);
    side()->addRow(m_hint);
    m_print = new QPushButton(QStringLiteral("Print..."));
    m_print->setObjectName(QStringLiteral("cmdPrintInvoices"));
    buttons()->insertWidget(2, m_print);
}

void EmailWizardPanel::fillTemplates(const QString &folder)
{
    const QString selected = selectedTemplate();
    m_templates->clear();
    m_templates->addItems(
        QDir(folder).entryList({QStringLiteral("*.elm")}, QDir::Files, QDir::Name));
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

void EmailWizardPanel::setMarkControlsVisible(bool visible)
{
    m_hint->setVisible(visible);
    m_mark.picture->setVisible(visible);
    m_mark.label->setVisible(visible);
}

bool EmailWizardPanel::markControlsVisible() const { return !m_mark.picture->isHidden(); }
