// The report windows and the print buttons, driven as a user drives them.
#include "options/frmoptions.h"
#include "queues/queuelistmodel.h"
#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/shippanel.h"
#include "reports/frmsalesoverview.h"
#include "reports/frmyearendreport.h"
#include "reports/printcommands.h"
#include "reports/printdocuments.h"
#include "support/windowtest.h"

#include <QAction>
#include <QChart>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>

namespace {

using TestSupport::daysAgo;
using TestSupport::kWindowToday;

class ReportWindowsTest : public TestSupport::WindowTest
{
protected:
    void TearDown() override
    {
        PrintCommands::setRunner({});
        WindowTest::TearDown();
    }
    // The print preview's place: the pages go into a PDF file.
    void printInto(const QString &pdf)
    {
        PrintCommands::setRunner([pdf, this](QWidget *, const std::function<void(QPrinter *)> &paint) {
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            paint(&printer);
            ++printed;
        });
    }
    // A sale closed three days ago; `more` is written after, so it may change the date.
    void addSale(const char *user, const char *item, const char *total,
                 TestSupport::Values more = {})
    {
        TestSupport::Values fields = {{Field::UserName, user},
                                      {Field::AuctionName, item},
                                      {Field::AuctionTotal, total},
                                      {Field::CloseDate, daysAgo(kWindowToday, 3)}};
        fields.insert(fields.end(), more.begin(), more.end());
        TestSupport::appendAll(store, {fields});
    }
    int printed = 0;
};

TEST_F(ReportWindowsTest, TheYearEndReportShowsTheYearAndSavesItsCsv)
{
    store.open(folder.dbPath());
    addSale("ann", "Lamp", "0.10", {{Field::CloseDate, "1/31/2025"}, {Field::PaymentMade, "1"}});
    addSale("bob", "Vase", "0.20", {{Field::CloseDate, "1/1/2025"}});
    addSale("cy", "Cup", "9", {{Field::CloseDate, "1/1/2026"}});
    addSale("di", "Pot", "n/a", {{Field::CloseDate, "5/5/2025"}});
    store.close();
    FrmMain &main = load();
    main.findChild<QAction *>("mnuFileYearEndReport")->trigger();
    auto *report = main.findChild<FrmYearEndReport *>("frmYearEndReport");
    ASSERT_NE(report, nullptr);
    ASSERT_TRUE(report->isVisible());
    // Opened on the year before today's.
    QTableWidget *table = report->table();
    EXPECT_EQ(table->item(0, 0)->text(), "January");
    EXPECT_EQ(table->item(0, 1)->text(), "2");
    EXPECT_EQ(table->item(0, 2)->text(), "0.30");
    EXPECT_EQ(table->item(0, 3)->text(), "0.10");
    EXPECT_EQ(table->item(0, 4)->text(), "1");
    EXPECT_EQ(report->findChild<QLabel *>("lblLeftOut")->text(),
              "1 records left out: no date or no amount");

    report->setYear(2026);
    EXPECT_EQ(table->item(12, 1)->text(), "1");
    EXPECT_EQ(table->item(12, 2)->text(), "9.00");

    const QString csv = folder.file("year.csv");
    scripted.answerText(csv);
    report->findChild<QPushButton *>("cmdSaveCsv")->click();
    EXPECT_TRUE(TestSupport::readBytes(csv).startsWith("Month,Sales,Total,Paid,Unpaid\r\n2026-01,1,9.00,"));

    // A folder that is not there: said so, nothing claimed.
    scripted.clear();
    scripted.answerText(folder.file("missing/year.csv"));
    EXPECT_FALSE(report->saveCsv());
    ASSERT_EQ(scripted.asked().size(), 2);
    EXPECT_TRUE(scripted.asked().last().text.contains("could not be saved"));
}

TEST_F(ReportWindowsTest, InvoicesForTheCheckedRowsPrintOnePagePerBuyerAndChangeNothing)
{
    store.open(folder.dbPath());
    addSale("ann", "Brass Lamp", "10.10");
    addSale("bob", "Blue Vase", "7.00");
    addSale("ann", "Mantel Clock", "0.20");
    addSale("cy", "Tea Set", "3.00");
    store.close();
    settings.save("Seller", "Name", "Sam's Attic");
    FrmMain &main = load();
    main.tvTreeView_NodeClick("IS");
    EmailWizardPanel *wizard = main.emailWizardPanel();
    QueueListModel *rows = wizard->model();
    ASSERT_EQ(rows->rowCount(), 4);
    for (int r = 0; r < rows->rowCount(); ++r)
        rows->setChecked(r, rows->row(r).userName != "cy");
    const std::vector<FieldValues> before = TestSupport::valuesIn(store);

    const QString pdf = folder.file("invoices.pdf");
    printInto(pdf);
    wizard->printButton()->click();
    ASSERT_EQ(printed, 1);
    const QStringList pages = TestSupport::pdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    const QString text = pages.join(u'\f');
    EXPECT_TRUE(pages[0].contains("Brass Lamp") && pages[0].contains("Mantel Clock"));
    EXPECT_TRUE(pages[0].contains("10.30") && pages[0].contains("Sam's Attic"));
    EXPECT_FALSE(pages[0].contains("Vase"));
    EXPECT_TRUE(pages[1].contains("Blue Vase") && !pages[1].contains("Lamp"));
    EXPECT_FALSE(text.contains("Tea Set"));
    EXPECT_EQ(TestSupport::valuesIn(store), before);
}

TEST_F(ReportWindowsTest, PrintingWithNoRowCheckedSaysWhatToDo)
{
    store.open(folder.dbPath());
    for (const auto &[item, total] : {std::pair{"Lamp", "1.10"}, std::pair{"Vase", "2.20"}})
        addSale("ann", item, total, {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"},
                                     {Field::PaymentMadeDate, daysAgo(kWindowToday, 1)}});
    store.close();
    settings.save("Seller", "Name", "Sam's Attic");
    FrmMain &main = load();
    main.tvTreeView_NodeClick("S");
    ASSERT_EQ(main.shipPanel()->rowCount(), 2);
    printInto(folder.file("none.pdf"));
    main.shipPanel()->printButton()->click();
    EXPECT_EQ(printed, 0);
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked().first().text, "Check the rows to print first.");

    // Checked, one packing slip comes out with the buyer's items, their sum and the seller.
    main.shipPanel()->model()->setAllChecked(true);
    main.shipPanel()->printButton()->click();
    EXPECT_EQ(printed, 1);
    const QStringList pages = TestSupport::pdfPages(folder.file("none.pdf"));
    ASSERT_EQ(pages.size(), 1);
    const QString text = pages[0];
    for (const char *shown : {"Packing Slip", "Lamp", "Vase", "3.30", "Sam's Attic"})
        EXPECT_TRUE(text.contains(shown)) << shown << "\n" << text.toStdString();
}

TEST_F(ReportWindowsTest, TheSellerTabKeepsWhatIsTyped)
{
    FrmMain &main = load();
    FrmOptions *options = main.options();
    auto *address = options->findChild<QPlainTextEdit *>("txtSellerAddress");
    ASSERT_NE(address, nullptr);
    address->setPlainText("12 Elm Road\nOakville");
    const std::pair<const char *, const char *> typed[] = {{"txtSellerName", "Sam"},
                                                           {"txtSellerEmail", "sam@example.com"},
                                                           {"txtSellerPhone", "555-0100"}};
    for (const auto &[name, text] : typed) {
        auto *edit = options->findChild<QLineEdit *>(name);
        ASSERT_NE(edit, nullptr) << name;
        QTest::keyClicks(edit, text);
    }
    const PrintDocuments::Seller seller = PrintDocuments::Seller::read(settings);
    EXPECT_EQ(seller.name, "Sam");
    EXPECT_EQ(seller.address, "12 Elm Road\nOakville");
    EXPECT_EQ(seller.email, "sam@example.com");
    EXPECT_EQ(seller.phone, "555-0100");
}

TEST_F(ReportWindowsTest, TheOverviewCountsTheListsAsTheListsDoAndOpensThem)
{
    store.open(folder.dbPath());
    addSale("ann", "Lamp", "1");                                             // invoice to send
    addSale("bob", "Vase", "2", {{Field::InvoiceSent, "1"}, {Field::CloseDate, daysAgo(kWindowToday, 30)}});
    addSale("cy", "Cup", "3", {{Field::InvoiceSent, "1"}, {Field::Npb, "1"},
                               {Field::CloseDate, daysAgo(kWindowToday, 45)}});
    addSale("di", "Pot", "4", {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"},
                               {Field::PaymentMadeDate, daysAgo(kWindowToday, 1)}});
    addSale("ed", "Jug", "5", {{Field::InvoiceSent, "1"}, {Field::PaymentMade, "1"}, {Field::ItemSent, "1"},
                               {Field::ItemSentDate, daysAgo(kWindowToday, 9)}});
    addSale("fay", "Mug", "x", {{Field::CloseDate, "someday"}});
    store.close();
    FrmMain &main = load();
    main.findChild<QAction *>("mnuViewSalesOverview")->trigger();
    auto *overview = main.findChild<FrmSalesOverview *>("frmSalesOverview");
    ASSERT_NE(overview, nullptr);
    for (const QString &key : FrmSalesOverview::openListKeys()) {
        const QueueResult list = Queues::compute(main.store(), *Queues::rule(key), kWindowToday);
        EXPECT_TRUE(overview->openListButton(key)->text().endsWith(
            QStringLiteral(": %1").arg(list.rows.size())))
            << key.toStdString() << " " << overview->openListButton(key)->text().toStdString();
    }
    EXPECT_TRUE(overview->openListButton("AR7")->text().endsWith(": 2"));
    EXPECT_EQ(overview->findChild<QLabel *>("lblLeftOut")->text(),
              "1 records left out: no date or no amount");
    EXPECT_EQ(overview->period().totals.sales, 5);
    EXPECT_EQ(overview->period().totals.total.text(), "15.00");
    EXPECT_EQ(overview->findChild<QLabel *>("lblNeverPaid")->text(),
              "Sales never paid (unpaid item reported): 20.0%");
    EXPECT_EQ(overview->chart()->series().size(), 2);
    // The money axis ticks at round amounts, not at fractions of the best month's total.
    const QList<QAbstractAxis *> axes = overview->chart()->axes(Qt::Vertical);
    const auto money = std::find_if(axes.begin(), axes.end(),
                                    [](QAbstractAxis *a) { return a->titleText() == "Total"; });
    ASSERT_NE(money, axes.end());
    const auto *values = qobject_cast<QValueAxis *>(*money);
    const double step = (values->max() - values->min()) / (values->tickCount() - 1);
    EXPECT_GE(values->max(), 10.0);
    EXPECT_DOUBLE_EQ(step, std::round(step)) << values->max() << " / " << values->tickCount();

    overview->openListButton("AR7")->click();
    EXPECT_EQ(main.windowTitle(), "Lotwise - Working with All Reminders..");
    EXPECT_EQ(main.visiblePanel(), FrmMain::Panel::EmailWizard);

    const QString csv = folder.file("overview.csv");
    scripted.answerText(csv);
    overview->findChild<QPushButton *>("cmdExport")->click();
    const QList<QByteArray> lines = TestSupport::readBytes(csv).split('\n');
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[12], "2026-03,3,10.00,9.00,1\r");

    const QString pdf = folder.file("overview.pdf");
    printInto(pdf);
    overview->findChild<QPushButton *>("cmdPrint")->click();
    // The window's text is drawn as outlines, so only the sheet can be counted.
    EXPECT_EQ(TestSupport::pdfPages(pdf).size(), 1);
    EXPECT_EQ(printed, 1);
}

} // namespace
