#pragma once

#include "reports/printdocuments.h"

#include <QObject>

class FrmMain;
class QueuePanel;

// The list panels' "Print..." buttons: invoices for the checked rows of the email wizard's
// list, packing slips for those of "Items To Ship", shown in the print preview.
class PrintButtons : public QObject
{
    Q_OBJECT
public:
    explicit PrintButtons(FrmMain &window);

    void printChecked(const QueuePanel &panel, PrintDocuments::Kind kind);

private:
    FrmMain &m_win;
};
