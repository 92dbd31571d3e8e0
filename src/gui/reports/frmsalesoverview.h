#pragma once

#include "reports/salesfigures.h"

#include <QDialog>
#include <functional>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class RecordStore;

// "Sales Overview...": sales by month as a chart, what is open now in each follow-up list
// (a click shows that list in the main window), and how quickly buyers pay and items go out.
// Worked out afresh whenever the window is brought to the front or another period chosen.
class FrmSalesOverview : public QDialog
{
    Q_OBJECT
public:
    // The list families the window counts, by the key of the list that shows all of a family.
    static const QStringList &openListKeys();

    FrmSalesOverview(const RecordStore &store, std::function<QDate()> today,
                     QWidget *parent = nullptr);
    // Opens the window over `parent`, deleted when closed; whoever opens it connects
    // openList to show the lists.
    static FrmSalesOverview *ShowSalesOverview(const RecordStore &store,
                                               std::function<QDate()> today, QWidget *parent);

    void refresh();
    const SalesFigures::Period &period() const { return m_period; }
    // 0 is the last twelve months; then the years that have sales, latest first.
    QComboBox *periodBox() const { return m_periodBox; }
    QPushButton *openListButton(const QString &key) const;
    QChart *chart() const;
    // "Export...": the monthly table as CSV; false when nothing was written.
    bool exportCsv();
    // "Print...": the chart and the figures, through the print preview.
    void print();

signals:
    void openList(const QString &key);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fillPeriods();
    void drawChart();

    const RecordStore &m_store;
    std::function<QDate()> m_today;
    SalesFigures::Period m_period;
    QWidget *m_content = nullptr; // what Print prints
    QComboBox *m_periodBox = nullptr;
    QChartView *m_chartView = nullptr;
    std::vector<QPushButton *> m_lists;
    QLabel *m_toPayment = nullptr;
    QLabel *m_toShipping = nullptr;
    QLabel *m_neverPaid = nullptr;
    QLabel *m_leftOut = nullptr;
    QLabel *m_summary = nullptr;
};
