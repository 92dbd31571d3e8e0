#include "platform/appfolder.h"
#include "records/recordstore.h"
#include "reports/printdocuments.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

class PrintDocumentsTest : public TestSupport::StoreTest
{
protected:
    void SetUp() override
    {
        AppFolder::seed(folder.path());
        StoreTest::SetUp();
    }
    void addSale(const char *user, const char *item, const char *number, const char *total)
    {
        TestSupport::appendAll(
            store, {{{Field::UserName, user},
                     {Field::AuctionName, item},
                     {Field::AuctionUrl, number},
                     {Field::AuctionTotal, total},
                     {Field::Address, QString::fromLatin1(user) + "\n1 Main Street\nSpringfield"},
                     {Field::CloseDate, "3/1/2026"}}});
    }
    QString templateHtml(PrintDocuments::Kind kind)
    {
        QString html;
        QString error;
        EXPECT_TRUE(PrintDocuments::readTemplate(folder.path(), kind, &html, &error))
            << error.toStdString();
        return html;
    }
    std::vector<int> all() const
    {
        std::vector<int> r;
        for (int i = 0; i < store.recordCount(); ++i)
            r.push_back(i);
        return r;
    }

    PrintDocuments::Seller seller{"Sam's Attic", "12 Elm Road\nOakville", "sam@example.com",
                                  "555-0100"};
    const QDate today{2026, 3, 15};
};

TEST_F(PrintDocumentsTest, ABuyersItemsShareOnePageInTheOrderTheyCame)
{
    addSale("ann", "Lamp", "101", "1");
    addSale("bob", "Vase", "102", "1");
    addSale(" ann ", "Clock", "103", "1"); // the same buyer, typed with blanks
    addSale("", "Mystery", "104", "1");    // nobody's: a page of its own
    addSale("", "Mystery too", "105", "1");
    const auto pages = PrintDocuments::byBuyer(store, all());
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0], (std::vector<int>{0, 2}));
    EXPECT_EQ(pages[1], (std::vector<int>{1}));
    EXPECT_EQ(pages[2], (std::vector<int>{3}));
    EXPECT_EQ(pages[3], (std::vector<int>{4}));
}

TEST_F(PrintDocumentsTest, RowsNamingTheSameSaleTakeItsRecordsInTurn)
{
    addSale("ann", "Lamp", "101", "1");
    addSale("ann", "Lamp", "102", "1");
    addSale("bob", "Vase", "103", "1");
    const auto records = PrintDocuments::recordsOfRows(
        store, {{"ann", "Lamp"}, {"bob", "Vase"}, {"ann", "Lamp"}, {"ann", "Lamp"}, {"gone", "x"}});
    // The third "ann, Lamp" row has no record left, nor has the deleted one.
    EXPECT_EQ(records, (std::vector<int>{0, 2, 1}));
}

TEST_F(PrintDocumentsTest, RecordTextIsPrintedAsTextNeverAsMarkup)
{
    TestSupport::appendAll(store, {{{Field::UserName, "<b>eve</b>"},
                                    {Field::AuctionName, "Ring & *Seller_Name* <img src=x>"},
                                    {Field::AuctionTotal, "5"},
                                    {Field::Address, "Flat 1\r\nHigh St"}}});
    const QString html = PrintDocuments::pageHtml(
        QStringLiteral("*User_Name*|*Address*|*Item_Table*|*Seller_Name*|*Unknown*|*Items_Total*"),
        store, {0}, seller, today);
    EXPECT_TRUE(html.startsWith("&lt;b&gt;eve&lt;/b&gt;|Flat 1<br>High St|<table"))
        << html.toStdString();
    EXPECT_TRUE(html.contains("Ring &amp; *Seller_Name* &lt;img src=x&gt;"));
    EXPECT_TRUE(html.endsWith("</table>|Sam's Attic|*Unknown*|5.00"));
}

TEST_F(PrintDocumentsTest, ATotalThatIsNotANumberIsShownAndNotAdded)
{
    addSale("ann", "Lamp", "101", "12.10");
    addSale("ann", "Clock", "102", "call me");
    const QString html =
        PrintDocuments::pageHtml(QStringLiteral("*Items_Total*"), store, {0, 1}, seller, today);
    EXPECT_EQ(html, "12.10 (1 not a number, not added)");
}

TEST_F(PrintDocumentsTest, ABuyerWithManyItemsRunsOnToMoreSheets)
{
    for (int i = 0; i < 120; ++i)
        addSale("ann", qPrintable(QStringLiteral("Item %1").arg(i)), "1", "1.01");
    addSale("bob", "Vase", "2", "1");
    const QString pdf = folder.file("long.pdf");
    QString error;
    ASSERT_TRUE(
        PrintDocuments::printPdf(pdf,
                                 PrintDocuments::pages(templateHtml(PrintDocuments::Kind::Invoice),
                                                       store, all(), seller, today),
                                 &error));
    const QStringList pages = TestSupport::pdfPages(pdf);
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[pages.size() - 2].contains("121.20"));
    EXPECT_TRUE(pages.last().contains("Vase"));
    EXPECT_FALSE(pages.last().contains("Item 1"));
}

TEST_F(PrintDocumentsTest, AMissingTemplateFallsBackToTheOneTheProgramCameWith)
{
    ASSERT_TRUE(
        QFile::remove(PrintDocuments::templatePath(folder.path(), PrintDocuments::Kind::Invoice)));
    EXPECT_TRUE(templateHtml(PrintDocuments::Kind::Invoice).contains("*Item_Table*"));
}

} // namespace
