#include "feedbackpanel.h"

#include "records/recordstore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QPlainTextEdit>
#include <QSignalBlocker>

FeedBackPanel::FeedBackPanel(RecordStore &store, QWidget *parent)
    : QueuePanel(store,
                 {"FeedBackPanel", "Leave Feed Back", "ListView3",
                  {QStringLiteral("User Name"), QStringLiteral("Email Address"),
                   QStringLiteral("Auction Name"), QStringLiteral("Item Sent"),
                   QStringLiteral("Since Sent")},
                  "Command15", "Command16", "Mark", "Label53"},
                 parent)
{
    m_notes = showBox("FeedBackRecordNotes");
    m_note = new QComboBox;
    m_note->setObjectName(QStringLiteral("Combo4"));
    m_note->setEditable(true);
    m_note->setInsertPolicy(QComboBox::NoInsert);
    // Ready to paste into the site's feedback form.
    connect(m_note, &QComboBox::editTextChanged, this, &QueuePanel::copyToClipboard);
    m_notice = makeSwitch(QStringLiteral("Image24"), QStringLiteral("Image24_Caption"),
                          QStringLiteral("Send Notice When Marked"));
    side()->addRow(QStringLiteral("Notes:"), m_notes);
    side()->addRow(QStringLiteral("Feed Back Notes"), m_note);
    side()->addRow(m_notice.row);
}

void FeedBackPanel::fillNotes(const QStringList &notes)
{
    // Filling the box is not the user choosing a note; the clipboard is left alone.
    const QSignalBlocker quiet(m_note);
    m_note->clear();
    m_note->addItem(QStringLiteral("Payment Recived"));
    m_note->addItems(notes);
    m_note->setEditText(QStringLiteral("Thanks For Bidding"));
}

void FeedBackPanel::afterRowClick(bool found)
{
    m_notes->setPlainText(found && store().hasCurrent() ? store().get(Field::Notes) : QString());
}
