#include "frmsalesoverview.h"

#include "platform/dates.h"
#include "platform/busycursor.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"
#include "reports/printcommands.h"
#include "reports/yearendreport.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

struct OpenList
{
    const char *key;
    const char *caption;
};

const OpenList kOpenLists[] = {
    {"IS", "Invoices to send"}, {"S", "Items to ship"},      {"FB6", "Feedback to leave"},
    {"AR7", "Payment reminders"}, {"UPI4", "Unpaid items"}, {"FVF4", "Fee credits to claim"},
};

const QLocale &english()
{
    static const QLocale l(QLocale::English, QLocale::UnitedStates);
    return l;
}

// Plotting needs a number; the figures shown as text stay exact.
double plotted(const Money &m) { return m.text().toDouble(); }

QString monthTip(const SalesFigures::Month &m)
{
    return QStringLiteral("%1 %2: %3 from %4 %5 (%6 paid)")
        .arg(english().monthName(m.month.month()))
        .arg(m.month.year())
        .arg(m.total.text())
        .arg(m.sales)
        .arg(m.sales == 1 ? QStringLiteral("sale") : QStringLiteral("sales"))
        .arg(m.paid.text());
}

} // namespace

const QStringList &FrmSalesOverview::openListKeys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (const OpenList &l : kOpenLists)
            k << QString::fromLatin1(l.key);
        return k;
    }();
    return keys;
}

FrmSalesOverview::FrmSalesOverview(const RecordStore &store, std::function<QDate()> today,
                                   QWidget *parent)
    : QDialog(parent), m_store(store), m_today(std::move(today))
{
    setObjectName(QStringLiteral("frmSalesOverview"));
    setWindowTitle(QStringLiteral("Sales Overview"));
    setSizeGripEnabled(true);

    m_periodBox = new QComboBox;
    m_periodBox->setObjectName(QStringLiteral("cboPeriod"));
    auto *periodLabel = new QLabel(QStringLiteral("&Period:"));
    periodLabel->setBuddy(m_periodBox);
    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("lblSummary"));

    m_chartView = new QChartView;
    m_chartView->setObjectName(QStringLiteral("chartSales"));
    m_chartView->setAccessibleName(QStringLiteral("Sales by month"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumSize(460, 300);
    m_chartView->setFocusPolicy(Qt::NoFocus);

    auto *open = new QGroupBox(QStringLiteral("Open now"));
    auto *openLayout = new QVBoxLayout(open);
    for (const OpenList &l : kOpenLists) {
        auto *b = new QPushButton;
        b->setObjectName(QStringLiteral("cmdOpen") + QString::fromLatin1(l.key));
        b->setToolTip(QStringLiteral("Show this list in the main window"));
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 8px;"));
        const QString key = QString::fromLatin1(l.key);
        connect(b, &QPushButton::clicked, this, [this, key] { emit openList(key); });
        openLayout->addWidget(b);
        m_lists.push_back(b);
    }

    auto *figures = new QGroupBox(QStringLiteral("In the period"));
    auto *figuresLayout = new QVBoxLayout(figures);
    for (QLabel **l : {&m_toPayment, &m_toShipping, &m_neverPaid}) {
        *l = new QLabel;
        figuresLayout->addWidget(*l);
    }
    m_toPayment->setObjectName(QStringLiteral("lblDaysToPayment"));
    m_toShipping->setObjectName(QStringLiteral("lblDaysToShipping"));
    m_neverPaid->setObjectName(QStringLiteral("lblNeverPaid"));
    m_leftOut = new QLabel;
    m_leftOut->setObjectName(QStringLiteral("lblLeftOut"));
    m_leftOut->setWordWrap(true);
    figuresLayout->addWidget(m_leftOut);

    auto *exportButton = new QPushButton(QStringLiteral("&Export..."));
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    auto *printButton = new QPushButton(QStringLiteral("P&rint..."));
    printButton->setObjectName(QStringLiteral("cmdPrint"));
    auto *closeButton = new QPushButton(QStringLiteral("Close"));
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    connect(exportButton, &QPushButton::clicked, this, &FrmSalesOverview::exportCsv);
    connect(printButton, &QPushButton::clicked, this, &FrmSalesOverview::print);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    m_content = new QWidget;
    auto *side = new QVBoxLayout;
    side->addWidget(open);
    side->addWidget(figures);
    side->addStretch();
    auto *body = new QHBoxLayout(m_content);
    body->setContentsMargins(0, 0, 0, 0);
    auto *left = new QVBoxLayout;
    left->addWidget(m_summary);
    left->addWidget(m_chartView, 1);
    body->addLayout(left, 1);
    body->addLayout(side);

    auto *top = new QHBoxLayout;
    top->addWidget(periodLabel);
    top->addWidget(m_periodBox);
    top->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_content, 1);
    layout->addLayout(buttons);

    fillPeriods();
    connect(m_periodBox, &QComboBox::currentIndexChanged, this, &FrmSalesOverview::refresh);
    refresh();
}

FrmSalesOverview *FrmSalesOverview::ShowSalesOverview(const RecordStore &store,
                                                     std::function<QDate()> today, QWidget *parent)
{
    auto *window = new FrmSalesOverview(store, std::move(today), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void FrmSalesOverview::fillPeriods()
{
    QSet<int> years{m_today().year()};
    const Dates::DateReader reader;
    QSet<QString> seen;
    for (int i = 0; i < m_store.recordCount(); ++i) {
        const QString &text = m_store.recordAt(i)[Field::CloseDate];
        if (seen.contains(text))
            continue;
        seen.insert(text);
        if (const auto d = reader.read(text))
            years.insert(d->year());
    }
    QList<int> sorted(years.begin(), years.end());
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    m_periodBox->addItem(QStringLiteral("Last 12 months"), 0);
    for (const int y : sorted)
        m_periodBox->addItem(QString::number(y), y);
}

QPushButton *FrmSalesOverview::openListButton(const QString &key) const
{
    const qsizetype at = openListKeys().indexOf(key);
    return at < 0 ? nullptr : m_lists[size_t(at)];
}

QChart *FrmSalesOverview::chart() const { return m_chartView->chart(); }

void FrmSalesOverview::refresh()
{
    BusyCursor busy;
    const QDate today = m_today();
    const int year = m_periodBox->currentData().toInt();
    m_period = year > 0 ? SalesFigures::year(m_store, year)
                        : SalesFigures::lastTwelveMonths(m_store, today);

    std::vector<const QueueRule *> rules;
    for (const QString &key : openListKeys())
        rules.push_back(Queues::rule(key));
    const std::vector<int> counts = Queues::countMembers(m_store, rules, today);
    for (size_t i = 0; i < m_lists.size(); ++i)
        m_lists[i]->setText(QStringLiteral("%1: %2")
                                .arg(QString::fromLatin1(kOpenLists[i].caption))
                                .arg(counts[i]));

    m_summary->setText(QStringLiteral("%1 sales, %2 in all, %3 of it paid.")
                           .arg(m_period.totals.sales)
                           .arg(m_period.totals.total.text(), m_period.totals.paid.text()));
    m_toPayment->setText(QStringLiteral("Median days from close to payment: ") +
                         SalesFigures::daysText(m_period.medianDaysToPayment));
    m_toShipping->setText(QStringLiteral("Median days from payment to shipping: ") +
                          SalesFigures::daysText(m_period.medianDaysToShipping));
    m_neverPaid->setText(QStringLiteral("Sales never paid (unpaid item reported): ") +
                         SalesFigures::shareText(m_period.neverPaidShare()));
    m_leftOut->setText(SalesFigures::leftOutLine(m_period.leftOut));
    m_leftOut->setVisible(m_period.leftOut > 0);
    drawChart();
}

void FrmSalesOverview::drawChart()
{
    auto *chart = new QChart;
    chart->setTitle(m_periodBox->currentIndex() <= 0
                        ? QStringLiteral("Sales of the last 12 months")
                        : QStringLiteral("Sales of %1").arg(m_periodBox->currentText()));
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto *totals = new QBarSet(QStringLiteral("Total"));
    auto *counts = new QLineSeries;
    counts->setName(QStringLiteral("Number of sales"));
    counts->setPointsVisible(true);
    QStringList months;
    double highest = 0;
    int most = 0;
    for (size_t i = 0; i < m_period.months.size(); ++i) {
        const SalesFigures::Month &m = m_period.months[i];
        months << english().monthName(m.month.month(), QLocale::ShortFormat);
        *totals << plotted(m.total);
        counts->append(double(i), m.sales);
        highest = std::max(highest, plotted(m.total));
        most = std::max(most, m.sales);
    }
    auto *bars = new QBarSeries;
    bars->append(totals);
    chart->addSeries(bars);
    chart->addSeries(counts);

    auto *x = new QBarCategoryAxis;
    x->append(months);
    x->setTitleText(QStringLiteral("Month of close, %1 to %2")
                        .arg(m_period.months.front().month.toString(QStringLiteral("MM/yyyy")),
                             m_period.months.back().month.toString(QStringLiteral("MM/yyyy"))));
    auto *money = new QValueAxis;
    money->setTitleText(QStringLiteral("Total"));
    // Round ticks (0, 50, 100 ...) rather than tenths of whatever the best month made.
    money->setRange(0, highest > 0 ? highest * 1.1 : 1);
    money->applyNiceNumbers();
    money->setLabelFormat(QStringLiteral("%.2f"));
    auto *number = new QValueAxis;
    number->setTitleText(QStringLiteral("Sales"));
    // Whole numbers of sales only.
    const int step = std::max(1, (most + 4) / 5);
    number->setRange(0, ((std::max(most, 1) + step - 1) / step) * step);
    number->setTickType(QValueAxis::TicksDynamic);
    number->setTickAnchor(0);
    number->setTickInterval(step);
    number->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(money, Qt::AlignLeft);
    chart->addAxis(number, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(money);
    counts->attachAxis(x);
    counts->attachAxis(number);

    const std::vector<SalesFigures::Month> shown = m_period.months;
    connect(totals, &QBarSet::hovered, this, [shown](bool on, int index) {
        if (on && index >= 0 && size_t(index) < shown.size())
            QToolTip::showText(QCursor::pos(), monthTip(shown[size_t(index)]));
        else
            QToolTip::hideText();
    });
    connect(counts, &QLineSeries::hovered, this, [shown](const QPointF &point, bool on) {
        const long index = std::lround(point.x());
        if (on && index >= 0 && size_t(index) < shown.size())
            QToolTip::showText(QCursor::pos(), monthTip(shown[size_t(index)]));
        else
            QToolTip::hideText();
    });

    QChart *old = m_chartView->chart();
    m_chartView->setChart(chart);
    delete old;
}

bool FrmSalesOverview::exportCsv()
{
    const QString name = m_periodBox->currentIndex() <= 0
                             ? QStringLiteral("Sales last 12 months.csv")
                             : QStringLiteral("Sales %1.csv").arg(m_periodBox->currentText());
    return YearEndReport::askAndSaveCsv(m_period, QStringLiteral("Export Sales by Month"), name);
}

void FrmSalesOverview::print()
{
    PrintCommands::showPreview(this, [this](QPrinter *printer) {
        QPainter painter;
        if (!painter.begin(printer))
            return;
        // The window's chart and figures, as large as the sheet allows.
        const QRectF page = printer->pageRect(QPrinter::DevicePixel);
        const QSize size = m_content->size();
        const double scale = std::min(page.width() / size.width(), page.height() / size.height());
        painter.scale(scale, scale);
        m_content->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.end();
    });
}

void FrmSalesOverview::changeEvent(QEvent *event)
{
    // Back at the window after working in the lists: the counts follow.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
    QDialog::changeEvent(event);
}
