#pragma once

#include "mainwindow/queuepanel.h"

class ClickLabel;
class QLineEdit;

// The unpaid item dispute and final value fee credit lists. A row click copies the item
// number to the clipboard for the site's dispute form; the link opens that form.
class UnpaidItemsPanel : public QueuePanel
{
    Q_OBJECT
public:
    static QString disputeCaption() { return QStringLiteral("Report an Unpaid Item Dispute"); }
    static QString feeCreditCaption() { return QStringLiteral("Claim Final Value Fee credit"); }

    explicit UnpaidItemsPanel(RecordStore &store, QWidget *parent = nullptr);

    ClickLabel *link() const { return m_link; }
    void setLinkCaption(const QString &caption);

protected:
    void afterRowClick(bool found) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setLinkColour(Qt::GlobalColor colour);

    ClickLabel *m_link = nullptr;
    QLineEdit *m_itemNumber = nullptr;
    QLineEdit *m_userName = nullptr;
};
