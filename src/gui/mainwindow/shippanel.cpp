#include "shippanel.h"

#include "errors/handelerrors.h"
#include "records/recordstore.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

ShipPanel::ShipPanel(RecordStore &store, QWidget *parent)
    : QueuePanel(store,
                 {"ShipPanel", "Items to Ship", "ListView1",
                  {QStringLiteral("User Name"), QStringLiteral("Email Address"),
                   QStringLiteral("Auction Name"), QStringLiteral("Paid Date"),
                   QStringLiteral("Since Paid")},
                  "Command11", "Command9", "Mark Checked As Sent", nullptr},
                 parent)
{
    m_reload = new QPushButton(QStringLiteral("Items to Ship"));
    m_reload->setObjectName(QStringLiteral("Command5"));
    buttons()->insertWidget(2, m_reload);
    m_print = new QPushButton(QStringLiteral("Print..."));
    m_print->setObjectName(QStringLiteral("cmdPrintPackingSlips"));
    buttons()->insertWidget(3, m_print);

    m_tracking = new QLineEdit;
    m_tracking->setObjectName(QStringLiteral("ShipTrackingNumber"));
    connect(m_tracking, &QLineEdit::textEdited, this, &ShipPanel::trackingEdited);
    m_address = showBox("ShipAddress");
    m_notes = showBox("ShipNotes");
    side()->addRow(QStringLiteral("Tracking Number"), m_tracking);
    side()->addRow(QStringLiteral("Address:"), m_address);
    side()->addRow(QStringLiteral("Notes:"), m_notes);
}

void ShipPanel::afterRowClick(bool found)
{
    const bool has = found && store().hasCurrent();
    m_rowId = has ? store().recordAt(store().position()).rowId : 0;
    m_tracking->setText(has ? store().get(Field::TrackingNumber) : QString());
    m_address->setPlainText(has ? store().get(Field::Address) : QString());
    m_notes->setPlainText(has ? store().get(Field::Notes) : QString());
    if (!has)
        return;
    copyToClipboard(store().get(Field::Address));
    emit titleChanged(QStringLiteral("Lotwise - ") + store().get(Field::UserName) +
                      QStringLiteral(" Address Copied to Clipboard.."));
}

void ShipPanel::trackingEdited(const QString &text)
{
    if (m_rowId == 0) {
        emit statusMessage(QStringLiteral("Click a row first: the tracking number goes into "
                                          "that row's record."));
        return;
    }
    // Other lists move the shared position; the number must land in the record shown here.
    trapErrors(QStringLiteral("ShipTrackingNumber_Change"), [&] {
        RecordStore &s = store();
        if (!s.hasCurrent() || s.recordAt(s.position()).rowId != m_rowId) {
            int at = -1;
            for (int i = 0; i < s.recordCount() && at < 0; ++i) {
                if (s.recordAt(i).rowId == m_rowId)
                    at = i;
            }
            if (at < 0) {
                m_rowId = 0;
                emit statusMessage(QStringLiteral("The record of this row is no longer in the "
                                                  "records; the tracking number was not kept."));
                return;
            }
            s.moveTo(at);
        }
        s.set(Field::TrackingNumber, text);
    });
}
