#pragma once

#include "records/orderimport.h"

#include <QDialog>

class FrmMain;

// File > Import Orders...: an order file downloaded from a marketplace, shown before anything
// is written (its kind, what would be added, updated and left alone, its first rows), and
// imported on "Import".
class FrmImportOrders : public QDialog
{
    Q_OBJECT
public:
    FrmImportOrders(const OrderImport::Plan &plan, const QString &fileName,
                    QWidget *parent = nullptr);

    // The whole command: file dialog, reading, this preview, the import, and the window
    // brought up to date with the status bar saying what was done.
    static void ImportOrders(FrmMain &window);
};
