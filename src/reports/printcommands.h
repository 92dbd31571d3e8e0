#pragma once

#include "reports/printdocuments.h"

#include <QObject>
#include <functional>

class FrmMain;
class QPrinter;
class QueuePanel;
class QWidget;

// The list panels' "Print..." buttons: invoices for the checked rows of the email wizard's
// list, packing slips for those of "Items To Ship", shown in the print preview, from which
// the seller prints or saves a PDF.
class PrintCommands : public QObject
{
    Q_OBJECT
public:
    // Shows the pages and lets the user print them; `paint` paints them on the printer
    // chosen. The print preview dialog unless tests replace it.
    using Runner = std::function<void(QWidget *parent, const std::function<void(QPrinter *)> &paint)>;
    static void setRunner(Runner runner);
    static void showPreview(QWidget *parent, const std::function<void(QPrinter *)> &paint);

    explicit PrintCommands(FrmMain &window);

    void printChecked(const QueuePanel &panel, PrintDocuments::Kind kind);

private:
    FrmMain &m_win;
};
