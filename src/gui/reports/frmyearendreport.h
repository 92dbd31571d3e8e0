#pragma once

#include "reports/salesfigures.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class RecordStore;

// "Year-End Report...": a year's sales by month with the totals, saved as CSV for the
// accountant. Reads the records when it opens and whenever the year changes.
class FrmYearEndReport : public QDialog
{
    Q_OBJECT
public:
    FrmYearEndReport(const RecordStore &store, int year, QWidget *parent = nullptr);
    // Opens the window on last year, the year a year-end report is usually wanted for.
    static FrmYearEndReport *ShowYearEndReport(const RecordStore &store, QDate today,
                                               QWidget *parent);

    void setYear(int year);
    const SalesFigures::Period &period() const { return m_period; }
    QTableWidget *table() const { return m_table; }
    // "Save as CSV...": asks where, then writes the report; false when nothing was written.
    bool saveCsv();

private:
    void refresh();

    const RecordStore &m_store;
    SalesFigures::Period m_period;
    QSpinBox *m_year;
    QTableWidget *m_table;
    QLabel *m_leftOut;
    QPushButton *m_save;
    QPushButton *m_close;
};
