#pragma once

#include "records/orderimport.h"

#include <QDialog>

class FrmMain;

// File > Import Orders...: an order file downloaded from a marketplace, shown before anything
// is written (its kind, what would be added, updated and left alone, its first rows, the
// orders whose records do not add up to the file's own totals), and imported on "Import",
// which asks once more when some orders do not add up.
class FrmImportOrders : public QDialog
{
    Q_OBJECT
public:
    FrmImportOrders(const OrderImport::Plan &plan, const QString &fileName,
                    QWidget *parent = nullptr);

    // The whole command: file dialog, reading, this preview, the import, and the window
    // brought up to date with the status bar saying what was done.
    static void ImportOrders(FrmMain &window);

private:
    void importClicked();

    int m_mismatches = 0;
};
