#include "frmyearendreport.h"

#include "platform/busycursor.h"
#include "reports/yearendreport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

FrmYearEndReport::FrmYearEndReport(const RecordStore &store, int year, QWidget *parent)
    : QDialog(parent), m_store(store)
{
    setObjectName(QStringLiteral("frmYearEndReport"));
    setWindowTitle(QStringLiteral("Year-End Report"));

    m_year = new QSpinBox;
    m_year->setObjectName(QStringLiteral("txtReportYear"));
    m_year->setRange(1900, 9999);
    m_year->setValue(year);
    m_year->setAccessibleName(QStringLiteral("Year"));
    auto *yearLabel = new QLabel(QStringLiteral("&Year:"));
    yearLabel->setBuddy(m_year);

    m_table = new QTableWidget(13, 5);
    m_table->setObjectName(QStringLiteral("tblYearEndReport"));
    m_table->setAccessibleName(QStringLiteral("Sales by month"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Month"), QStringLiteral("Sales"),
                                        QStringLiteral("Total"), QStringLiteral("Paid"),
                                        QStringLiteral("Unpaid")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    m_leftOut = new QLabel;
    m_leftOut->setObjectName(QStringLiteral("lblLeftOut"));
    m_save = new QPushButton(QStringLiteral("&Save as CSV..."));
    m_save->setObjectName(QStringLiteral("cmdSaveCsv"));
    m_close = new QPushButton(QStringLiteral("Close"));
    m_close->setObjectName(QStringLiteral("cmdClose"));
    connect(m_save, &QPushButton::clicked, this, &FrmYearEndReport::saveCsv);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_year, &QSpinBox::valueChanged, this, &FrmYearEndReport::refresh);

    auto *top = new QHBoxLayout;
    top->addWidget(yearLabel);
    top->addWidget(m_year);
    top->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_leftOut, 1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    // Every row in sight without scrolling.
    const int rowHeight = m_table->verticalHeader()->defaultSectionSize();
    m_table->setMinimumHeight(rowHeight * 14 + m_table->horizontalHeader()->sizeHint().height());
    m_table->setMinimumWidth(fontMetrics().averageCharWidth() * 70);
    refresh();
}

FrmYearEndReport *FrmYearEndReport::ShowYearEndReport(const RecordStore &store, QDate today,
                                                       QWidget *parent)
{
    auto *window = new FrmYearEndReport(store, today.year() - 1, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void FrmYearEndReport::setYear(int year) { m_year->setValue(year); }

void FrmYearEndReport::refresh()
{
    BusyCursor busy;
    m_period = SalesFigures::year(m_store, m_year->value());
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto fill = [this](int row, const QString &label, const SalesFigures::Month &m) {
        const QStringList cells = {label, QString::number(m.sales), m.total.text(), m.paid.text(),
                                   QString::number(m.unpaid)};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, c, item);
        }
    };
    for (int i = 0; i < 12; ++i)
        fill(i, english.monthName(i + 1), m_period.months[size_t(i)]);
    fill(12, QStringLiteral("Total"), m_period.totals);
    QFont bold = font();
    bold.setBold(true);
    for (int c = 0; c < 5; ++c)
        m_table->item(12, c)->setFont(bold);
    m_leftOut->setText(SalesFigures::leftOutLine(m_period.leftOut));
}

bool FrmYearEndReport::saveCsv()
{
    return YearEndReport::askAndSaveCsv(m_period, QStringLiteral("Save Year-End Report"),
                                        QStringLiteral("Year-End %1.csv").arg(m_year->value()));
}
