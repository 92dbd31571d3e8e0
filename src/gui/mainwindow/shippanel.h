#pragma once

#include "mainwindow/queuepanel.h"

class QLineEdit;
class QPlainTextEdit;

// The items-to-ship list: a row click copies the buyer's address to the clipboard and shows
// the record's tracking number, address and notes; the tracking number typed here goes into
// that record.
class ShipPanel : public QueuePanel
{
    Q_OBJECT
public:
    explicit ShipPanel(RecordStore &store, QWidget *parent = nullptr);

    // "Items to Ship": computes the list again.
    QPushButton *reloadButton() const { return m_reload; }
    QLineEdit *trackingBox() const { return m_tracking; }
    // "Print...": packing slips for the checked rows.
    QPushButton *printButton() const { return m_print; }

protected:
    void afterRowClick(bool found) override;

private:
    void trackingEdited(const QString &text);

    QPushButton *m_reload = nullptr;
    QPushButton *m_print = nullptr;
    QLineEdit *m_tracking = nullptr;
    QPlainTextEdit *m_address = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    qint64 m_rowId = 0; // the record the boxes show; 0 for none
};
