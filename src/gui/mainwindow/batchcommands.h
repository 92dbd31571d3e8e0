#pragma once

#include "queues/batchactions.h"

#include <QObject>

class FrmMain;

// The list panels' action buttons: "Send" on the email wizard, "Mark" on the feedback and
// unpaid items panels, "Mark Checked As Sent" on the ship panel; and the mark switch and the
// dispute link that go with them.
class BatchCommands : public QObject
{
    Q_OBJECT
public:
    explicit BatchCommands(FrmMain &window);

    void Send();
    void markFeedBack();
    void markUnpaid();
    void markShipped();
    // The mark switch's picture may change, except while the all-reminders list shows; then
    // the user is told why.
    bool markSwitchMayFlip();
    void openDisputePage();

private:
    // Asks before a batch of more than one mail; true when it may go.
    static bool confirmSend(int mails, const QString &templateFile, const QString &subject);
    // Merges a template into Email.txt for the current record and mails it to the buyer.
    bool mergeAndSend(const QString &templatePath);
    // Hands a failure that stopped the batch to the error handler under the button's
    // location text, then says in the status bar what was done.
    void report(const Batch::Outcome &outcome, bool mailed, const QString &location);

    FrmMain &m_win;
};
