// Order files downloaded from eBay and Etsy, written here after the titles and layouts of
// real downloads, read into records and imported into a store.

#include "records/orderimport.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <QBuffer>
#include <QHash>
#include <gtest/gtest.h>

using namespace OrderImport;

namespace {

const QStringList kHubTitles =
    QStringLiteral("Sales Record Number,Order Number,Buyer Username,Buyer Name,Buyer Email,"
                   "Buyer Note,Buyer Address 1,Buyer City,Ship To Name,Ship To Phone,"
                   "Ship To Address 1,Ship To Address 2,Ship To City,Ship To State,Ship To Zip,"
                   "Ship To Country,Item Number,Item Title,Custom Label,Quantity,Sold For,"
                   "Shipping And Handling,Total Price,Payment Method,Sale Date,Paid On Date,"
                   "Shipped On Date,Feedback Left,Feedback Received,My Item Note,"
                   "Tracking Number,Transaction ID")
        .split(u',');

using Cells = QHash<QString, QString>;

// Cells written "Title=text|Title=text".
Cells cells(const QString &written)
{
    Cells c;
    for (const QString &cell : written.split(u'|'))
        c[cell.section(u'=', 0, 0)] = cell.section(u'=', 1);
    return c;
}

// `row` with some cells set or replaced.
Cells with(Cells row, const QString &written)
{
    row.insert(cells(written));
    return row;
}

// Checks the named fields of a record, "Field Name=text|...", as the store names its columns.
void expectCells(const FieldValues &values, const QString &written)
{
    const Cells expected = cells(written);
    for (auto c = expected.cbegin(); c != expected.cend(); ++c) {
        const auto field = Fields::byName(c.key());
        ASSERT_TRUE(field) << c.key().toStdString();
        EXPECT_EQ(values[size_t(Fields::index(*field))], c.value()) << c.key().toStdString();
    }
}

QString quoted(const QString &v, QChar sep)
{
    if (!v.contains(sep) && !v.contains(u'"'))
        return v;
    return u'"' + QString(v).replace("\"", "\"\"") + u'"';
}

// A file as the marketplace writes it: the titles, then one line per row with each title's
// cell, or empty.
QString table(const QStringList &titles, const std::vector<Cells> &rows, QChar sep = u',')
{
    QStringList lines;
    QStringList t;
    for (const QString &title : titles)
        t << quoted(title, sep);
    lines << t.join(sep);
    for (const Cells &row : rows) {
        QStringList cells;
        for (const QString &title : titles)
            cells << quoted(row.value(title), sep);
        lines << cells.join(sep);
    }
    return lines.join("\r\n") + "\r\n";
}

// The Seller Hub layout around the titles: a line of commas before, one after, and the
// download's summary rows at the end.
QByteArray sellerHub(const std::vector<Cells> &rows)
{
    const QString commas(kHubTitles.size() - 1, u',');
    QString text = commas + "\r\n" + table(kHubTitles, rows);
    text.insert(text.indexOf("\r\n", commas.size() + 2) + 2, commas + "\r\n");
    text += QStringLiteral("%1,record(s) downloaded,,,\r\nSeller ID : brassandglass\r\n")
                .arg(rows.size());
    return text.toUtf8();
}

Cells hubOrder(const QString &order, const QString &buyer, const QString &item,
               const QString &title, const QString &price, const QString &sold = "Dec-01-26")
{
    return cells(QStringLiteral("Sales Record Number=1001|Buyer Name=Ann Buyer|"
                                "Ship To Name=Ann Buyer|Ship To Address 1=12 Main St|"
                                "Ship To City=Springfield|Ship To State=IL|Ship To Zip=62701|"
                                "Ship To Country=United States|Quantity=1|"
                                "Shipping And Handling=$4.20|Order Number=%1|Buyer Username=%2|"
                                "Buyer Email=%2@members.ebay.com|Item Number=%3|Item Title=%4|"
                                "Sold For=%5|Sale Date=%6")
                     .arg(order, buyer, item, title, price, sold));
}

// The Etsy pair for one order of a mug (two of them, with the postage) and a plate. Only the
// orders file holds the address and the shipping.
QByteArray etsyItems()
{
    const Cells mug = cells("Sale Date=12/01/26|Item Name=Mug|Buyer=Eve Long (evelong)|"
                            "Quantity=2|Price=8.00|Order Shipping=5.00|Listing ID=777|"
                            "Date Paid=12/01/26|Order ID=3001");
    const Cells plate = with(mug, "Item Name=Plate|Listing ID=778|Quantity=1");
    return table(QStringLiteral("Sale Date,Item Name,Buyer,Quantity,Price,Order Shipping,"
                                "Item Total,Currency,Transaction ID,Listing ID,Date Paid,"
                                "Date Shipped,Ship Name,Ship Address1,Ship City,Ship State,"
                                "Ship Zipcode,Ship Country,Order ID")
                     .split(u','),
                 {mug, plate})
        .toUtf8();
}

QByteArray etsyOrders()
{
    return table(QStringLiteral("Sale Date,Order ID,Buyer User ID,Full Name,Number of Items,"
                                "Date Shipped,Street 1,Ship City,Ship State,Ship Zipcode,"
                                "Order Value,Shipping,Order Total,Buyer")
                     .split(u','),
                 {cells("Sale Date=12/01/26|Order ID=3001|Buyer User ID=evelong|"
                        "Full Name=Eve Long|Number of Items=2|Date Shipped=12/03/26|"
                        "Street 1=1 Elm|Ship City=Reno|Order Total=29.00|"
                        "Buyer=Eve Long (evelong)")})
        .toUtf8();
}

OrderFile readOk(const QByteArray &bytes)
{
    OrderFile file;
    Failure failure;
    EXPECT_TRUE(read(bytes, &file, &failure))
        << failure.line << ": " << failure.reason.toStdString();
    return file;
}

Failure readFails(const QByteArray &bytes)
{
    OrderFile file;
    Failure failure;
    EXPECT_FALSE(read(bytes, &file, &failure));
    return failure;
}

class OrderImportTest : public TestSupport::StoreTest
{
protected:
    Plan import(const QByteArray &bytes)
    {
        Plan p = plan(readOk(bytes), store);
        apply(p, store);
        return p;
    }
    std::vector<FieldValues> stored() { return TestSupport::storedValues(folder.dbPath()); }
};

} // namespace

TEST(OrderFile, SellerHubTitlesAfterALineOfCommasAndAnOrderOfThreeItemsWithThePostageOnTheFirst)
{
    std::vector<Cells> rows = {
        with(hubOrder("12-34567-89012", "ann_b", "110012345678", "Brass lamp", "$12.50"),
             "Paid On Date=Dec-02-26|Feedback Left=Yes|My Item Note=wrap well|"
             "Ship To Address 2=Apt 3"),
        with(hubOrder("23-00000-00001", "bob_c", "", "", ""),
             "Shipping And Handling=$6.00|Shipped On Date=Dec-04-26|Paid On Date=Dec-01-26|"
             "Tracking Number=9400111")};
    const QStringList titles = {"Blue vase", "Red vase", "Green vase"};
    const QStringList prices = {"US $9.99", "US $20.00", "US $1,000.00"};
    for (int i = 0; i < 3; ++i)
        rows.push_back(cells(QStringLiteral("Order Number=23-00000-00001|Buyer Username=bob_c|"
                                            "Item Number=11000000000%1|Item Title=%2|"
                                            "Quantity=%3|Sold For=%4")
                                 .arg(QString::number(i), titles[i], i ? "1" : "2", prices[i])));
    const OrderFile file = readOk(sellerHub(rows));
    EXPECT_EQ(file.format, Format::SellerHubOrders);
    EXPECT_EQ(formatName(file.format), "eBay Seller Hub Orders report");
    ASSERT_EQ(file.items.size(), 4u); // the summary rows left out
    EXPECT_EQ(file.items[0].line, 4);
    // Paid: the marketplace has invoiced the buyer; not shipped yet.
    expectCells(file.items[0].values,
                "Close Date=12/1/2026|Auction Name=Brass lamp|Auction URL=110012345678|"
                "Auction Total=16.7|User Name=ann_b|Email Address=ann_b@members.ebay.com|"
                "Address=Ann Buyer\n12 Main St\nApt 3\nSpringfield, IL 62701\nUnited States|"
                "Notes=Order 12-34567-89012\nwrap well|Auction Site=eBay|"
                "Payment Made Date=12/2/2026|CK Payment Made=1|CK Invoice Sent=1|"
                "Invoice Sent Date=12/1/2026|CK Item Sent=0|Item Sent Date=|"
                "CK FeedBack Given=1|CK PayPal=0|CK Remainder 10=0|CK Remainder 40=0|CK NPB=0|"
                "CK Criedt Filed=0|Notuse Item Shipped=0");

    const QStringList totals = {"25.98", "20", "1000"}; // 2 x 9.99 + 6.00 on the first
    for (int i = 0; i < 3; ++i) {
        // What only the order row holds reaches every item.
        expectCells(file.items[size_t(i) + 1].values,
                    "Auction Name=" + titles[i] + "|Auction Total=" + totals[i] +
                        "|Email Address=bob_c@members.ebay.com|Item Sent Date=12/4/2026|"
                        "CK Item Sent=1|Tracking Number=9400111|Notes=Order 23-00000-00001|"
                        "Address=Ann Buyer\n12 Main St\nSpringfield, IL 62701\nUnited States");
    }
}

TEST(OrderFile, BritishTitlesPoundsDayFirstDatesSemicolonsAndDecimalCommas)
{
    QStringList titles = kHubTitles;
    titles.replaceInStrings("Ship To Zip", "Post To Postcode");
    titles.replaceInStrings("Ship To ", "Post To ");
    titles.replaceInStrings("Shipping And Handling", "Postage And Handling");
    const Cells row = cells(QString::fromUtf8(
        "Order Number=04-1|Buyer Username=cath|Post To Name=Cath Smith|Post To Address 1=3 High "
        "St|Post To City=York|Post To Postcode=YO1 7HH|Item Number=2001|Item Title=Teapot|"
        "Sold For=£4.20|Postage And Handling=£3.10|Sale Date=02/11/2026|Paid On Date=01-Dec-26"));
    const OrderFile file = readOk(table(titles, {row}).toUtf8());
    ASSERT_EQ(file.items.size(), 1u);
    expectCells(file.items[0].values,
                "Auction Total=7.3|Address=Cath Smith\n3 High St\nYork YO1 7HH|"
                "Close Date=11/2/2026|Payment Made Date=12/1/2026");

    // Semicolons between the cells and decimal commas in the amounts.
    const Cells dora = with(hubOrder("9", "dora", "5", "Lamp; brass", "EUR 3,50"),
                            "Shipping And Handling=EUR 1.234,50");
    const OrderFile semi = readOk(table(kHubTitles, {dora}, u';').toUtf8());
    ASSERT_EQ(semi.items.size(), 1u);
    expectCells(semi.items[0].values, "Auction Name=Lamp; brass|Auction Total=1238");
}

TEST(OrderFile, TodaysBritishSellerHubTitlesKeepThePostageAndTheDispatchDate)
{
    // The titles of a current British Orders report, in file order.
    const QStringList titles = QStringLiteral(
        "Sales record number,Order number,Buyer username,Buyer name,Buyer email,Buyer note,"
        "Buyer address 1,Buyer address 2,Buyer city,Buyer county,Buyer postcode,Buyer country,"
        "Post to name,Post to phone,Post to address 1,Post to address 2,Post to city,"
        "Post to county,Post to postcode,Post to country,Item number,Item title,Custom label,"
        "Quantity,Sold for,Postage and packaging,Total price,Sale date,Paid on date,"
        "Post by date,Dispatched on date,Delivery service,Tracking number,Variation details")
        .split(u',');
    const Cells teapot = cells(QString::fromUtf8(
        "Order number=04-1|Buyer username=cath|Buyer email=cath@members.ebay.com|"
        "Post to name=Cath Smith|Post to address 1=3 High St|Post to address 2=COM24|"
        "Post to city=York|Post to postcode=YO1 7HH|Post to country=United Kingdom|"
        "Item number=2001|Item title=Teapot|Quantity=1|Sold for=£4.20|"
        "Postage and packaging=£3.10|Total price=£7.30|Sale date=02/11/2026|"
        "Paid on date=03/11/2026|Dispatched on date=05/11/2026|Tracking number=RM123GB"));
    // An order of two cups: the order row holds the postage and the total.
    const Cells order = cells(QString::fromUtf8(
        "Order number=04-2|Buyer username=dai|Post to name=Dai Jones|Post to city=Cardiff|"
        "Post to postcode=CF10 1AA|Postage and packaging=£2.00|Total price=£12.00|"
        "Sale date=04/11/2026|Paid on date=04/11/2026"));
    const Cells cup = cells(QString::fromUtf8(
        "Order number=04-2|Buyer username=dai|Item number=3001|Item title=Cup|Quantity=2|"
        "Sold for=£5.00"));
    const OrderFile file = readOk(table(titles, {teapot, order, cup}).toUtf8());
    ASSERT_EQ(file.items.size(), 2u);
    expectCells(file.items[0].values,
                "Auction Total=7.3|Close Date=11/2/2026|Payment Made Date=11/3/2026|"
                "CK Item Sent=1|Item Sent Date=11/5/2026|Tracking Number=RM123GB|"
                "Email Address=cath@members.ebay.com|"
                "Address=Cath Smith\n3 High St\nCOM24\nYork YO1 7HH\nUnited Kingdom");
    expectCells(file.items[1].values, "Auction Total=12|Close Date=11/4/2026|CK Item Sent=0");
    EXPECT_TRUE(file.totalMismatches.empty());
}

TEST(OrderFile, AnOrderWhoseRecordsDoNotAddUpToTheFilesTotalIsListedWithBothFigures)
{
    QStringList titles = kHubTitles;
    titles << "Seller Collected Tax" << "eBay Collected Tax" << "eBay Collected Charges"
           << "eBay Collected Tax and Fees Included in Total";
    // A lamp for $12.50 with $4.20 postage, on line 2.
    const Cells lamp = hubOrder("12-1", "ann", "501", "Lamp", "$12.50");
    struct Case
    {
        const char *what;
        std::vector<Cells> rows;
        const char *renamed; // a title the file writes under a name the import does not know
        QStringList listed;  // "line|order|the file's total|the records' total", in cents
    };
    const Case cases[] = {
        {"adds up", {with(lamp, "Total Price=$16.70")}, nullptr, {}},
        {"no total given", {lamp}, nullptr, {}},
        {"a cent apart is rounding", {with(lamp, "Total Price=$16.71")}, nullptr, {}},
        {"two cents apart", {with(lamp, "Total Price=$16.72")}, nullptr, {"2|12-1|1672|1670"}},
        {"postage under an unknown title",
         {with(lamp, "Total Price=$16.70")},
         "Shipping And Handling",
         {"2|12-1|1670|1250"}},
        {"eBay's tax, included as the file says",
         {with(lamp, "Total Price=$17.70|eBay Collected Tax=$1.00|"
                     "eBay Collected Tax and Fees Included in Total=Yes")},
         nullptr,
         {}},
        {"eBay's tax and charges, not included",
         {with(lamp, "Total Price=$16.70|eBay Collected Tax=$1.00|eBay Collected Charges=$0.50|"
                     "eBay Collected Tax and Fees Included in Total=No")},
         nullptr,
         {}},
        {"the seller's own tax",
         {with(lamp, "Total Price=$17.50|Seller Collected Tax=$0.80")},
         nullptr,
         {}},
        {"an order of two items that adds up",
         {cells("Order Number=7-7|Buyer Username=bob|Shipping And Handling=$6.00|"
                "Total Price=$36.00|Sale Date=Dec-01-26"),
          cells("Order Number=7-7|Buyer Username=bob|Item Number=1|Item Title=A|Sold For=$10.00"),
          cells("Order Number=7-7|Buyer Username=bob|Item Number=2|Item Title=B|Sold For=$20.00")},
         nullptr,
         {}},
        {"an order of two items short of its total, and one that adds up after it",
         {cells("Order Number=7-7|Buyer Username=bob|Shipping And Handling=$6.00|"
                "Total Price=$40.00|Sale Date=Dec-01-26"),
          cells("Order Number=7-7|Buyer Username=bob|Item Number=1|Item Title=A|Sold For=$10.00"),
          cells("Order Number=7-7|Buyer Username=bob|Item Number=2|Item Title=B|Sold For=$20.00"),
          with(lamp, "Total Price=$16.70")},
         nullptr,
         {"2|7-7|4000|3600"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QStringList t = titles;
        if (c.renamed)
            t.replaceInStrings(c.renamed, "Delivery Cost");
        std::vector<Cells> rows = c.rows;
        if (c.renamed)
            for (Cells &r : rows)
                r["Delivery Cost"] = r.value(c.renamed);
        const OrderFile file = readOk(table(t, rows).toUtf8());
        QStringList listed;
        for (const TotalMismatch &m : file.totalMismatches)
            listed << QStringLiteral("%1|%2|%3|%4")
                          .arg(m.line)
                          .arg(m.orderNumber)
                          .arg(m.fileTotal)
                          .arg(m.recordsTotal);
        EXPECT_EQ(listed, c.listed);
    }
}

TEST(OrderFile, SalesHistoryInWindows1252WithAnAccentedName)
{
    const QStringList titles =
        QStringLiteral("Sales Record Number,User Id,Buyer Fullname,Buyer Email,Buyer Address 1,"
                       "Buyer City,Buyer State,Buyer Zip,Item Number,Item Title,Quantity,"
                       "Sale Price,Shipping and Handling,Sale Date,Paid on Date,Shipped on Date,"
                       "Notes to yourself,Order ID")
            .split(u',');
    const Cells row = cells(QString::fromUtf8(
        "Sales Record Number=77|User Id=jose1950|Buyer Fullname=José Müller|Buyer Address 1=5 "
        "Oak Rd|Buyer City=Austin|Buyer State=TX|Buyer Zip=73301|Item Number=330|"
        "Item Title=Café sign|Sale Price=$5.00|Shipping and Handling=$1.50|Sale Date=12/01/2026"));
    const QString text = table(titles, {row});
    const QByteArray cp1252 = text.toLatin1();
    ASSERT_NE(cp1252, text.toUtf8());
    const OrderFile file = readOk(cp1252);
    EXPECT_EQ(file.format, Format::SalesHistory);
    ASSERT_EQ(file.items.size(), 1u);
    expectCells(file.items[0].values,
                QString::fromUtf8("Address=José Müller\n5 Oak Rd\nAustin, TX 73301|"
                                  "Auction Name=Café sign|Notes=Sales record 77|"
                                  "Auction Total=6.5|CK Payment Made=0|CK Invoice Sent=0"));

    // The same in UTF-8 behind a byte-order mark reads the same.
    const OrderFile utf8 = readOk("\xEF\xBB\xBF" + text.toUtf8());
    EXPECT_EQ(utf8.items.at(0).values, file.items.at(0).values);
}

TEST(OrderFile, AmountsAndDatesAsMarketplacesWriteThem)
{
    struct Case
    {
        const char *soldFor;
        const char *saleDate;
        const char *total; // with $4.20 postage; nullptr: refused
    };
    const Case cases[] = {
        {"$12.50", "Dec-01-26", "16.7"},       {"AU $13.00", "01-Dec-26", "17.2"},
        {"C $9.99", "12/01/2026", "14.19"},    {"1,234", "2026-12-01", "1238.2"},
        {"", "Dec-01-26 10:14:02 PST", "4.2"}, {"-$1.00", "December-1-2026", "3.2"},
        {"12.5.0", "Dec-01-26", nullptr},      {"$", "Dec-01-26", nullptr},
        {"12,50.00", "Dec-01-26", nullptr},    {"$1.00", "Dex-01-26", nullptr},
        {"$1.00", "02/30/2026", nullptr},      {"$1.00", "tomorrow", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.soldFor) + " / " + c.saleDate);
        const QByteArray bytes =
            sellerHub({hubOrder("1", "ann", "2", "Lamp", c.soldFor, c.saleDate)});
        if (!c.total) {
            const Failure f = readFails(bytes);
            EXPECT_EQ(f.line, 4);
            EXPECT_TRUE(f.reason.contains(f.reason.contains("date") ? c.saleDate : c.soldFor));
            continue;
        }
        const OrderFile file = readOk(bytes);
        ASSERT_EQ(file.items.size(), 1u);
        expectCells(file.items[0].values,
                    QStringLiteral("Auction Total=%1|Close Date=12/1/2026").arg(c.total));
    }
    // Deep in a long download the line is still counted from the file's first line.
    std::vector<Cells> rows(47, hubOrder("1", "ann", "2", "Lamp", "$3.00")); // lines 4 to 50
    rows[36]["Sold For"] = "$3..00";
    const QByteArray bytes = sellerHub(rows);
    ASSERT_EQ(bytes.count('\n'), 52); // 50 lines and the two summary rows
    const Failure deep = readFails(bytes);
    EXPECT_EQ(deep.line, 40);
    EXPECT_TRUE(deep.reason.contains("\"$3..00\" in Sold For")) << deep.reason.toStdString();
}

TEST(OrderFile, FilesThatAreNoneOfTheKnownOrdersAreRefusedSayingWhatWasExpected)
{
    // A German download: translated titles, which a first version does not read.
    const Failure german =
        readFails(QString::fromUtf8(
                      "Verkaufsprotokollnummer;Bestellnummer;Nutzername des Käufers;Verkauft am\r\n"
                      "1;12-1;anna;01.12.26\r\n")
                      .toUtf8());
    EXPECT_EQ(german.line, 1);
    EXPECT_TRUE(german.reason.contains("\"Buyer Username\""));
    EXPECT_TRUE(german.reason.contains("Etsy Sold Order Items"));
    EXPECT_EQ(german.message("orders.csv").left(20), "orders.csv, line 1: ");

    // Our own export is not an order file either, nor is an empty one.
    EXPECT_EQ(readFails("Close Date,Auction Name,User Name\r\n12/1/2026,Lamp,ann\r\n").line, 1);
    EXPECT_EQ(readFails("").line, 1);

    // Known titles without a column the import cannot do without.
    QStringList titles = kHubTitles;
    titles.removeAll("Sold For");
    const Failure noPrice = readFails(table(titles, {hubOrder("1", "a", "2", "x", "")}).toUtf8());
    EXPECT_TRUE(noPrice.reason.contains("Sold For"));

    // A row with more cells than titles is not guessed at.
    QByteArray shifted = sellerHub({hubOrder("1", "ann", "2", "Lamp", "$1.00")});
    shifted.replace("Lamp", "Lamp,extra,cells");
    EXPECT_EQ(readFails(shifted).line, 4);
}

// ---------------------------------------------------------------------------
// Importing into the store

TEST_F(OrderImportTest, AFileImportedTwiceAddsItsRecordsOnceAndNamesMatchInAnyCase)
{
    // Ann's lamp typed in by hand; bob bought the same item.
    TestSupport::addRecord(store, {{Field::UserName, "Ann"}, {Field::AuctionUrl, "10"}});
    const QByteArray bytes = sellerHub({hubOrder("1", "ann", "10", "Lamp", "$1.00"),
                                        hubOrder("2", "bob", "10", "Lamp", "$1.00"),
                                        hubOrder("3", "cy", "11", "Vase", "$2.00"),
                                        hubOrder("3", "cy", "11", "Vase", "$2.00")});
    const Plan first = import(bytes);
    EXPECT_EQ(first.summary(), "Added 2, updated 1, unchanged 1.");
    ASSERT_EQ(first.preview.size(), 4u);
    EXPECT_EQ(first.preview[3].action, Plan::Action::Unchanged);
    const auto all = stored();
    ASSERT_EQ(all.size(), 3u);
    expectCells(all[0], "User Name=Ann|Auction Name=Lamp"); // the name was empty
    expectCells(all[1], "User Name=bob");

    const Plan again = import(bytes);
    EXPECT_EQ(again.summary(), "Added 0, updated 0, unchanged 4.");
    EXPECT_TRUE(again.changes.empty());
    EXPECT_EQ(stored().size(), 3u);
}

TEST_F(OrderImportTest, ALaterDownloadBringsTheRecordOnWithoutUndoingTheSellersWork)
{
    Cells sale = with(hubOrder("12-1", "ann", "10", "Lamp", "$12.50"), "Paid On Date=Dec-02-26");
    import(sellerHub({sale}));
    // The seller edits the record: notes, address and a hand-set reminder flag.
    store.moveFirst();
    store.set(Field::Notes, "Ann asked for gift wrap");
    store.set(Field::Address, "c/o Post Office\nSpringfield");
    store.set(Field::Remainder10, "1");
    store.set(Field::PayPal, "1");
    store.set(Field::Npb, "");

    // The address in the file changes too, but the seller's stays.
    sale = with(sale, "Shipped On Date=Dec-05-26|Tracking Number=1Z999|Feedback Left=Yes|"
                      "Ship To Address 1=99 Other Rd");
    const Plan later = import(sellerHub({sale}));
    EXPECT_EQ(later.summary(), "Added 0, updated 1, unchanged 0.");

    // The Npb flag, not spoken of in the file, is left as it is.
    expectCells(stored().at(0),
                "CK Item Sent=1|Item Sent Date=12/5/2026|Tracking Number=1Z999|"
                "CK FeedBack Given=1|Notes=Ann asked for gift wrap|"
                "Address=c/o Post Office\nSpringfield|CK Remainder 10=1|CK PayPal=1|"
                "Payment Made Date=12/2/2026|CK NPB=");

    // An earlier download, without the shipping, takes nothing back.
    sale.remove("Shipped On Date");
    sale.remove("Tracking Number");
    sale["Feedback Left"] = "No";
    EXPECT_EQ(import(sellerHub({sale})).summary(), "Added 0, updated 0, unchanged 1.");
    expectCells(stored().at(0), "Tracking Number=1Z999");
}

TEST_F(OrderImportTest, TheEtsyPairReadsOneRecordPerItemAndOnePerOrderAndImportsInEitherOrder)
{
    const QByteArray items = etsyItems(), orders = etsyOrders();
    const OrderFile perItem = readOk(items);
    EXPECT_EQ(perItem.format, Format::EtsySoldOrderItems);
    ASSERT_EQ(perItem.items.size(), 2u);
    expectCells(perItem.items[0].values,
                "User Name=evelong|Auction Total=21|Auction Site=Etsy|Email Address=");
    expectCells(perItem.items[1].values, "Auction Total=8|Notes=Order 3001");

    const OrderFile perOrder = readOk(orders);
    EXPECT_EQ(perOrder.format, Format::EtsySoldOrders);
    ASSERT_EQ(perOrder.items.size(), 1u);
    EXPECT_TRUE(perOrder.items[0].wholeOrder);
    // Etsy takes the payment at checkout.
    expectCells(perOrder.items[0].values, "Auction Name=Etsy order 3001 (2 items)|"
                                          "Auction Total=29|Item Sent Date=12/3/2026|"
                                          "Payment Made Date=12/1/2026");

    // Items first: the orders file then adds the shipping and the address to both.
    EXPECT_EQ(import(items).summary(), "Added 2, updated 0, unchanged 0.");
    EXPECT_EQ(import(orders).summary(), "Added 0, updated 1, unchanged 0.");
    auto all = stored();
    ASSERT_EQ(all.size(), 2u);
    for (const FieldValues &v : all)
        expectCells(v, "Item Sent Date=12/3/2026|Address=Eve Long\n1 Elm\nReno");
    expectCells(all[0], "Auction Name=Mug|Auction Total=21");

    // Orders first, in another store: the first item takes the order's record over.
    TestSupport::TempFolder other;
    store.close();
    store.open(other.dbPath());
    EXPECT_EQ(import(orders).summary(), "Added 1, updated 0, unchanged 0.");
    EXPECT_EQ(import(items).summary(), "Added 1, updated 1, unchanged 0.");
    EXPECT_EQ(import(items).summary(), "Added 0, updated 0, unchanged 2.");
    ASSERT_EQ(store.recordCount(), 2);
    expectCells(store.recordAt(0).values,
                "Auction Name=Mug|Auction URL=777|Auction Total=21|Item Sent Date=12/3/2026");
    EXPECT_EQ(store.recordAt(1)[Field::AuctionName], "Plate");
}

TEST_F(OrderImportTest, APlanWorkedOutBeforeTheRecordChangedIsRefusedWhole)
{
    import(sellerHub({hubOrder("1", "ann", "10", "Lamp", "$1.00")}));
    const Cells shipped =
        with(hubOrder("1", "ann", "10", "Lamp", "$1.00"), "Shipped On Date=Dec-05-26");
    const Plan p =
        plan(readOk(sellerHub({shipped, hubOrder("2", "bob", "11", "Vase", "$2.00")})), store);
    ASSERT_EQ(p.changes.size(), 1u);
    ASSERT_EQ(p.additions.size(), 1u);
    store.moveFirst();
    store.set(Field::Notes, "typed meanwhile");
    store.flush();
    EXPECT_NE(TestSupport::errorNumberOf([&] { apply(p, store); }), 0);
    // Handed over for writing and refused, the records to add are still the plan's.
    Plan handed = p;
    EXPECT_NE(TestSupport::errorNumberOf([&] { apply(std::move(handed), store); }), 0);
    ASSERT_EQ(handed.additions.size(), 1u);
    EXPECT_EQ(std::as_const(handed.additions[0])[size_t(Fields::index(Field::UserName))], "bob");
    const auto all = stored();
    ASSERT_EQ(all.size(), 1u);
    expectCells(all[0], "Item Sent Date=");
    EXPECT_EQ(store.recordCount(), 1);
}

// ---------------------------------------------------------------------------
// Reading a file as it is read from disk

namespace {

// A Seller Hub file of `rows` one-item orders, longer than the blocks the file is read in.
std::vector<Cells> manyOrders(int rows)
{
    std::vector<Cells> all;
    for (int i = 0; i < rows; ++i)
        all.push_back(with(hubOrder(QString::number(i), QStringLiteral("buyer%1").arg(i % 7),
                                    QString::number(5000 + i),
                                    QStringLiteral("Green glass shade no. %1, with a long title").arg(i),
                                    "$3.00"),
                           "Buyer Note=A note long enough to make the file run over a megabyte"));
    return all;
}

bool planFile(const QByteArray &bytes, RecordStore &store, Plan *p, Failure *failure)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return plan(buffer, store, p, failure);
}

} // namespace

TEST_F(OrderImportTest, ABadRowDeepInALongFileRefusesTheWholeFileAndWritesNothing)
{
    std::vector<Cells> rows = manyOrders(6000);
    const QByteArray good = sellerHub(rows);
    ASSERT_GT(good.size(), 1 << 20); // more than one block
    rows[5990]["Sale Date"] = "Dex-41-26";
    Plan p;
    p.added = -1;
    Failure failure;
    EXPECT_FALSE(planFile(sellerHub(rows), store, &p, &failure));
    EXPECT_EQ(failure.line, 5994); // after the commas, the titles and the commas
    EXPECT_TRUE(failure.reason.contains("Dex-41-26")) << failure.reason.toStdString();
    EXPECT_EQ(p.added, -1);
    EXPECT_EQ(store.storedCount(), 0);

    // The good file: counts and the first rows before anything is written, then all of it.
    ASSERT_TRUE(planFile(good, store, &p, &failure)) << failure.reason.toStdString();
    EXPECT_EQ(p.added, 6000);
    ASSERT_EQ(p.preview.size(), Plan::kPreviewRows);
    EXPECT_EQ(p.preview[0].line, 4);
    EXPECT_EQ(store.storedCount(), 0);
    apply(std::move(p), store);
    EXPECT_EQ(store.storedCount(), 6000);
    EXPECT_EQ(store.recordAt(5999)[Field::AuctionUrl], "10999");

    // Again, every row unchanged.
    ASSERT_TRUE(planFile(good, store, &p, &failure));
    EXPECT_EQ(p.unchanged, 6000);
    EXPECT_TRUE(p.changes.empty());
    EXPECT_TRUE(p.additions.empty());
}

TEST_F(OrderImportTest, AFileThatIsNotUtf8PastItsFirstBlockIsReadAsWindows1252FromTheStart)
{
    std::vector<Cells> rows = manyOrders(5000);
    rows[0]["Item Title"] = "Caf\u00c3\u00a9 sign"; // as UTF-8 bytes these read as one letter
    QByteArray bytes = QString::fromUtf8(sellerHub(rows)).toLatin1();
    const qsizetype late = bytes.lastIndexOf("Green glass shade no. 4999");
    ASSERT_GT(late, 1 << 20);
    bytes[late] = char(0xC9); // a capital E acute in Windows-1252, no UTF-8
    Plan p;
    Failure failure;
    ASSERT_TRUE(planFile(bytes, store, &p, &failure)) << failure.reason.toStdString();
    ASSERT_EQ(p.added, 5000);
    EXPECT_EQ(p.preview[0].values[size_t(Fields::index(Field::AuctionName))],
              QString::fromUtf8("CafÃ© sign"));
    EXPECT_EQ(std::as_const(p.additions.back())[size_t(Fields::index(Field::AuctionName))],
              QString::fromUtf8("Éreen glass shade no. 4999, with a long title"));
}

TEST_F(OrderImportTest, TheRecordOfARowIsFoundAfterTheStoreChangedInAnyWay)
{
    struct Case
    {
        const char *what;
        std::function<void(RecordStore &)> change;
        std::vector<Cells> rows;
        std::vector<int> changed; // the records the second file updates
    };
    const Cells bob11 = hubOrder("1", "bob", "11", "Lamp", "$1.00");
    const Cells bob77 = hubOrder("1", "bob", "77", "Lamp", "$1.00");
    const Cells cy77 = hubOrder("2", "cy", "77", "Vase", "$1.00");
    const Case cases[] = {
        {"the item number typed anew",
         [](RecordStore &s) {
             s.moveTo(1);
             s.set(Field::AuctionUrl, " 77 ");
             s.flush();
         },
         {bob77, bob11},
         {1}},
        {"a record deleted before it",
         [](RecordStore &s) {
             s.moveTo(0);
             s.deleteCurrent();
         },
         {bob11},
         {0}},
        {"a record appended after it",
         [](RecordStore &s) { TestSupport::appendAll(s, {{{Field::UserName, "cy"}, {Field::AuctionUrl, "77"}}}); },
         {bob11, cy77},
         {1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        store.appendRecords({TestSupport::valuesOf({{Field::UserName, "ann"}, {Field::AuctionUrl, "76"}}),
                             TestSupport::valuesOf({{Field::UserName, "Bob"}, {Field::AuctionUrl, "11"}})},
                            true);
        // A first file makes the store's index of item numbers; then the store changes.
        Plan p;
        Failure failure;
        ASSERT_TRUE(planFile(sellerHub({bob11}), store, &p, &failure));
        EXPECT_EQ(p.updated, 1);
        c.change(store);
        ASSERT_TRUE(planFile(sellerHub(c.rows), store, &p, &failure));
        std::vector<int> changed;
        for (const RecordChange &rc : p.changes)
            changed.push_back(rc.index);
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(p.added, int(c.rows.size() - c.changed.size()));
    }
}
