// Order files downloaded from eBay and Etsy, written here after the titles and layouts of
// real downloads, read into records and imported into a store.

#include "records/orderimport.h"
#include "records/recordstore.h"
#include "support/testsupport.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace OrderImport;
using TestSupport::expectFields;
using F = Field;

namespace {

const QStringList kHubTitles = {
    "Sales Record Number", "Order Number", "Buyer Username", "Buyer Name", "Buyer Email",
    "Buyer Note", "Buyer Address 1", "Buyer City", "Ship To Name", "Ship To Phone",
    "Ship To Address 1", "Ship To Address 2", "Ship To City", "Ship To State", "Ship To Zip",
    "Ship To Country", "Item Number", "Item Title", "Custom Label", "Quantity", "Sold For",
    "Shipping And Handling", "Total Price", "Payment Method", "Sale Date", "Paid On Date",
    "Shipped On Date", "Feedback Left", "Feedback Received", "My Item Note", "Tracking Number",
    "Transaction ID"};

using Cells = QHash<QString, QString>;

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
    text += QStringLiteral("%1,record(s) downloaded,,,\r\nSeller ID : brassandglass\r\n").arg(rows.size());
    return text.toUtf8();
}

Cells hubOrder(const QString &order, const QString &buyer, const QString &item,
               const QString &title, const QString &price, const QString &sold = "Dec-01-26")
{
    return {{"Sales Record Number", "1001"}, {"Order Number", order},
            {"Buyer Username", buyer},       {"Buyer Name", "Ann Buyer"},
            {"Buyer Email", buyer + "@members.ebay.com"},
            {"Ship To Name", "Ann Buyer"},   {"Ship To Address 1", "12 Main St"},
            {"Ship To City", "Springfield"}, {"Ship To State", "IL"},
            {"Ship To Zip", "62701"},        {"Ship To Country", "United States"},
            {"Item Number", item},           {"Item Title", title},
            {"Quantity", "1"},               {"Sold For", price},
            {"Shipping And Handling", "$4.20"}, {"Sale Date", sold}};
}

// `row` with some cells set or replaced.
Cells with(Cells row, const Cells &more)
{
    for (auto c = more.cbegin(); c != more.cend(); ++c)
        row[c.key()] = c.value();
    return row;
}

// The Etsy pair for one order of a mug (two of them, with the postage) and a plate. Only the
// orders file holds the address and the shipping.
QByteArray etsyItems()
{
    const Cells mug = {{"Sale Date", "12/01/26"}, {"Item Name", "Mug"},
                       {"Buyer", "Eve Long (evelong)"}, {"Quantity", "2"},
                       {"Price", "8.00"}, {"Order Shipping", "5.00"},
                       {"Listing ID", "777"}, {"Date Paid", "12/01/26"}, {"Order ID", "3001"}};
    const Cells plate =
        with(mug, {{"Item Name", "Plate"}, {"Listing ID", "778"}, {"Quantity", "1"}});
    return table({"Sale Date", "Item Name", "Buyer", "Quantity", "Price", "Order Shipping",
                  "Item Total", "Currency", "Transaction ID", "Listing ID", "Date Paid",
                  "Date Shipped", "Ship Name", "Ship Address1", "Ship City", "Ship State",
                  "Ship Zipcode", "Ship Country", "Order ID"},
                 {mug, plate})
        .toUtf8();
}

QByteArray etsyOrders()
{
    return table({"Sale Date", "Order ID", "Buyer User ID", "Full Name", "Number of Items",
                  "Date Shipped", "Street 1", "Ship City", "Ship State", "Ship Zipcode",
                  "Order Value", "Shipping", "Order Total", "Buyer"},
                 {{{"Sale Date", "12/01/26"}, {"Order ID", "3001"}, {"Buyer User ID", "evelong"},
                   {"Full Name", "Eve Long"}, {"Number of Items", "2"},
                   {"Date Shipped", "12/03/26"}, {"Street 1", "1 Elm"}, {"Ship City", "Reno"},
                   {"Order Total", "29.00"}, {"Buyer", "Eve Long (evelong)"}}})
        .toUtf8();
}

OrderFile readOk(const QByteArray &bytes)
{
    OrderFile file;
    Failure failure;
    EXPECT_TRUE(read(bytes, &file, &failure)) << failure.line << ": " << failure.reason.toStdString();
    return file;
}

Failure readFails(const QByteArray &bytes)
{
    OrderFile file;
    Failure failure;
    EXPECT_FALSE(read(bytes, &file, &failure));
    return failure;
}

QString at(const FieldValues &v, Field f) { return v[size_t(Fields::index(f))]; }

QString value(const OrderFile &file, size_t item, Field f) { return at(file.items.at(item).values, f); }

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

TEST(OrderFile, SellerHubTitlesAfterALineOfCommasWithTheSummaryRowsLeftOut)
{
    const Cells paid =
        with(hubOrder("12-34567-89012", "ann_b", "110012345678", "Brass lamp", "$12.50"),
             {{"Paid On Date", "Dec-02-26"},
              {"Feedback Left", "Yes"},
              {"My Item Note", "wrap well"},
              {"Ship To Address 2", "Apt 3"}});
    const OrderFile file = readOk(sellerHub({paid}));
    EXPECT_EQ(file.format, Format::SellerHubOrders);
    EXPECT_EQ(formatName(file.format), "eBay Seller Hub Orders report");
    ASSERT_EQ(file.items.size(), 1u);
    EXPECT_EQ(file.items[0].line, 4);
    // Paid: the marketplace has invoiced the buyer; not shipped yet.
    expectFields(file.items[0].values,
                 {{F::CloseDate, "12/1/2026"}, {F::AuctionName, "Brass lamp"},
                  {F::AuctionUrl, "110012345678"}, {F::AuctionTotal, "16.7"},
                  {F::UserName, "ann_b"}, {F::EmailAddress, "ann_b@members.ebay.com"},
                  {F::Address,
                   "Ann Buyer\n12 Main St\nApt 3\nSpringfield, IL 62701\nUnited States"},
                  {F::Notes, "Order 12-34567-89012\nwrap well"}, {F::AuctionSite, "eBay"},
                  {F::PaymentMadeDate, "12/2/2026"}, {F::PaymentMade, "1"}, {F::InvoiceSent, "1"},
                  {F::InvoiceSentDate, "12/1/2026"}, {F::ItemSent, "0"}, {F::ItemSentDate, ""},
                  {F::FeedBackGiven, "1"}, {F::PayPal, "0"}, {F::Remainder10, "0"},
                  {F::Remainder40, "0"}, {F::Npb, "0"}, {F::CriedtFiled, "0"},
                  {F::NoticeItemShipped, "0"}});
}

TEST(OrderFile, AnOrderOfThreeItemsMakesThreeRecordsWithThePostageOnTheFirst)
{
    std::vector<Cells> rows = {
        with(hubOrder("23-00000-00001", "bob_c", "", "", ""), {{"Shipping And Handling", "$6.00"},
                                                               {"Shipped On Date", "Dec-04-26"},
                                                               {"Paid On Date", "Dec-01-26"},
                                                               {"Tracking Number", "9400111"}})};
    const QStringList titles = {"Blue vase", "Red vase", "Green vase"};
    const QStringList prices = {"US $9.99", "US $20.00", "US $1,000.00"};
    for (int i = 0; i < 3; ++i)
        rows.push_back({{"Order Number", "23-00000-00001"},
                        {"Buyer Username", "bob_c"},
                        {"Item Number", QString("11000000000%1").arg(i)},
                        {"Item Title", titles[i]},
                        {"Quantity", i == 0 ? "2" : "1"},
                        {"Sold For", prices[i]}});
    const OrderFile file = readOk(sellerHub(rows));
    ASSERT_EQ(file.items.size(), 3u);
    EXPECT_EQ(value(file, 0, Field::AuctionTotal), "25.98"); // 2 x 9.99 + 6.00
    EXPECT_EQ(value(file, 1, Field::AuctionTotal), "20");
    EXPECT_EQ(value(file, 2, Field::AuctionTotal), "1000");
    for (size_t i = 0; i < 3; ++i) {
        // What only the order row holds reaches every item.
        EXPECT_EQ(value(file, i, Field::AuctionName), titles[int(i)]);
        EXPECT_EQ(value(file, i, Field::Address).section('\n', 0, 1), "Ann Buyer\n12 Main St");
        expectFields(file.items[i].values,
                     {{F::EmailAddress, "bob_c@members.ebay.com"}, {F::ItemSentDate, "12/4/2026"},
                      {F::ItemSent, "1"}, {F::TrackingNumber, "9400111"},
                      {F::Notes, "Order 23-00000-00001"}});
    }
}

TEST(OrderFile, BritishTitlesPoundsAndDayFirstDates)
{
    QStringList titles = kHubTitles;
    titles.replaceInStrings("Ship To Zip", "Post To Postcode");
    titles.replaceInStrings("Ship To ", "Post To ");
    titles.replaceInStrings("Shipping And Handling", "Postage And Handling");
    const Cells row = {{"Order Number", "04-1"},
                       {"Buyer Username", "cath"},
                       {"Post To Name", "Cath Smith"},
                       {"Post To Address 1", "3 High St"},
                       {"Post To City", "York"},
                       {"Post To Postcode", "YO1 7HH"},
                       {"Item Number", "2001"},
                       {"Item Title", "Teapot"},
                       {"Sold For", QString::fromUtf8("£4.20")},
                       {"Postage And Handling", QString::fromUtf8("£3.10")},
                       {"Sale Date", "02/11/2026"},
                       {"Paid On Date", "01-Dec-26"}};
    const OrderFile file = readOk(table(titles, {row}).toUtf8());
    ASSERT_EQ(file.items.size(), 1u);
    expectFields(file.items[0].values,
                 {{F::AuctionTotal, "7.3"}, {F::Address, "Cath Smith\n3 High St\nYork YO1 7HH"},
                  {F::CloseDate, "11/2/2026"}, {F::PaymentMadeDate, "12/1/2026"}});
}

TEST(OrderFile, SalesHistoryInWindows1252WithAnAccentedName)
{
    const QStringList titles = {"Sales Record Number", "User Id", "Buyer Fullname", "Buyer Email",
                                "Buyer Address 1", "Buyer City", "Buyer State", "Buyer Zip",
                                "Item Number", "Item Title", "Quantity", "Sale Price",
                                "Shipping and Handling", "Sale Date", "Paid on Date",
                                "Shipped on Date", "Notes to yourself", "Order ID"};
    const Cells row = {{"Sales Record Number", "77"},
                       {"User Id", "jose1950"},
                       {"Buyer Fullname", QString::fromUtf8("José Müller")},
                       {"Buyer Address 1", "5 Oak Rd"},
                       {"Buyer City", "Austin"},
                       {"Buyer State", "TX"},
                       {"Buyer Zip", "73301"},
                       {"Item Number", "330"},
                       {"Item Title", QString::fromUtf8("Café sign")},
                       {"Sale Price", "$5.00"},
                       {"Shipping and Handling", "$1.50"},
                       {"Sale Date", "12/01/2026"}};
    const QString text = table(titles, {row});
    const QByteArray cp1252 = text.toLatin1();
    ASSERT_NE(cp1252, text.toUtf8());
    const OrderFile file = readOk(cp1252);
    EXPECT_EQ(file.format, Format::SalesHistory);
    ASSERT_EQ(file.items.size(), 1u);
    expectFields(file.items[0].values,
                 {{F::Address, QString::fromUtf8("José Müller\n5 Oak Rd\nAustin, TX 73301")},
                  {F::AuctionName, QString::fromUtf8("Café sign")}, {F::Notes, "Sales record 77"},
                  {F::AuctionTotal, "6.5"}, {F::PaymentMade, "0"}, {F::InvoiceSent, "0"}});

    // The same in UTF-8 behind a byte-order mark reads the same.
    const OrderFile utf8 = readOk("\xEF\xBB\xBF" + text.toUtf8());
    EXPECT_EQ(utf8.items.at(0).values, file.items.at(0).values);
}

TEST(OrderFile, SemicolonsAndDecimalCommas)
{
    const Cells row = with(hubOrder("9", "dora", "5", "Lamp; brass", "EUR 3,50"),
                           {{"Shipping And Handling", "EUR 1.234,50"}});
    const OrderFile file = readOk(table(kHubTitles, {row}, u';').toUtf8());
    ASSERT_EQ(file.items.size(), 1u);
    EXPECT_EQ(value(file, 0, Field::AuctionName), "Lamp; brass");
    EXPECT_EQ(value(file, 0, Field::AuctionTotal), "1238");
}

TEST(OrderFile, AmountsAndDatesAsMarketplacesWriteThem)
{
    struct Case
    {
        const char *soldFor;
        const char *saleDate;
        const char *total; // with $4.20 postage; nullptr: refused
        const char *closeDate;
    };
    const Case cases[] = {
        {"$12.50", "Dec-01-26", "16.7", "12/1/2026"},
        {"AU $13.00", "01-Dec-26", "17.2", "12/1/2026"},
        {"C $9.99", "12/01/2026", "14.19", "12/1/2026"},
        {"1,234", "2026-12-01", "1238.2", "12/1/2026"},
        {"", "Dec-01-26 10:14:02 PST", "4.2", "12/1/2026"},
        {"-$1.00", "December-1-2026", "3.2", "12/1/2026"},
        {"12.5.0", "Dec-01-26", nullptr, ""},
        {"$", "Dec-01-26", nullptr, ""},
        {"12,50.00", "Dec-01-26", nullptr, ""},
        {"$1.00", "Dex-01-26", nullptr, ""},
        {"$1.00", "02/30/2026", nullptr, ""},
        {"$1.00", "tomorrow", nullptr, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.soldFor) + " / " + c.saleDate);
        const QByteArray bytes = sellerHub({hubOrder("1", "ann", "2", "Lamp", c.soldFor, c.saleDate)});
        if (!c.total) {
            const Failure f = readFails(bytes);
            EXPECT_EQ(f.line, 4);
            EXPECT_TRUE(f.reason.contains(f.reason.contains("date") ? c.saleDate : c.soldFor));
            continue;
        }
        const OrderFile file = readOk(bytes);
        ASSERT_EQ(file.items.size(), 1u);
        EXPECT_EQ(value(file, 0, Field::AuctionTotal), c.total);
        EXPECT_EQ(value(file, 0, Field::CloseDate), c.closeDate);
    }
}

TEST(OrderFile, FilesThatAreNoneOfTheKnownOrdersAreRefusedSayingWhatWasExpected)
{
    // A German download: translated titles, which a first version does not read.
    const Failure german = readFails(
        QString::fromUtf8("Verkaufsprotokollnummer;Bestellnummer;Nutzername des Käufers;Verkauft am\r\n"
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

TEST(OrderFile, TheEtsyPairReadOneRecordPerItemAndOnePerOrder)
{
    const OrderFile items = readOk(etsyItems());
    EXPECT_EQ(items.format, Format::EtsySoldOrderItems);
    ASSERT_EQ(items.items.size(), 2u);
    expectFields(items.items[0].values, {{F::UserName, "evelong"}, {F::AuctionTotal, "21"},
                                         {F::AuctionSite, "Etsy"}, {F::EmailAddress, ""}});
    expectFields(items.items[1].values, {{F::AuctionTotal, "8"}, {F::Notes, "Order 3001"}});

    const OrderFile orders = readOk(etsyOrders());
    EXPECT_EQ(orders.format, Format::EtsySoldOrders);
    ASSERT_EQ(orders.items.size(), 1u);
    EXPECT_TRUE(orders.items[0].wholeOrder);
    // Etsy takes the payment at checkout.
    expectFields(orders.items[0].values,
                 {{F::AuctionName, "Etsy order 3001 (2 items)"}, {F::AuctionTotal, "29"},
                  {F::ItemSentDate, "12/3/2026"}, {F::PaymentMadeDate, "12/1/2026"}});
}

// ---------------------------------------------------------------------------
// Importing into the store

TEST_F(OrderImportTest, AFileImportedTwiceAddsItsRecordsOnce)
{
    const QByteArray bytes = sellerHub({hubOrder("1", "ann", "10", "Lamp", "$1.00"),
                                        hubOrder("2", "bob", "11", "Vase", "$2.00"),
                                        hubOrder("2", "bob", "11", "Vase", "$2.00")});
    const Plan first = import(bytes);
    EXPECT_EQ(first.summary(), "Added 2, updated 0, unchanged 1.");
    ASSERT_EQ(first.preview.size(), 3u);
    EXPECT_EQ(first.preview[2].action, Plan::Action::Unchanged);
    EXPECT_EQ(stored().size(), 2u);

    const Plan again = import(bytes);
    EXPECT_EQ(again.summary(), "Added 0, updated 0, unchanged 3.");
    EXPECT_TRUE(again.changes.empty());
    EXPECT_EQ(stored().size(), 2u);
}

TEST_F(OrderImportTest, ALaterDownloadBringsTheRecordOnWithoutUndoingTheSellersWork)
{
    Cells sale =
        with(hubOrder("12-1", "ann", "10", "Lamp", "$12.50"), {{"Paid On Date", "Dec-02-26"}});
    import(sellerHub({sale}));
    // The seller edits the record: notes, address and a hand-set reminder flag.
    store.moveFirst();
    store.set(Field::Notes, "Ann asked for gift wrap");
    store.set(Field::Address, "c/o Post Office\nSpringfield");
    store.set(Field::Remainder10, "1");
    store.set(Field::PayPal, "1");
    store.set(Field::Npb, "");

    // The address in the file changes too, but the seller's stays.
    sale = with(sale, {{"Shipped On Date", "Dec-05-26"},
                       {"Tracking Number", "1Z999"},
                       {"Feedback Left", "Yes"},
                       {"Ship To Address 1", "99 Other Rd"}});
    const Plan later = import(sellerHub({sale}));
    EXPECT_EQ(later.summary(), "Added 0, updated 1, unchanged 0.");

    // The Npb flag, not spoken of in the file, is left as it is.
    expectFields(stored().at(0),
                 {{F::ItemSent, "1"}, {F::ItemSentDate, "12/5/2026"},
                  {F::TrackingNumber, "1Z999"}, {F::FeedBackGiven, "1"},
                  {F::Notes, "Ann asked for gift wrap"},
                  {F::Address, "c/o Post Office\nSpringfield"},
                  {F::Remainder10, "1"}, {F::PayPal, "1"}, {F::PaymentMadeDate, "12/2/2026"},
                  {F::Npb, ""}});

    // An earlier download, without the shipping, takes nothing back.
    sale.remove("Shipped On Date");
    sale.remove("Tracking Number");
    sale["Feedback Left"] = "No";
    EXPECT_EQ(import(sellerHub({sale})).summary(), "Added 0, updated 0, unchanged 1.");
    EXPECT_EQ(at(stored().at(0), Field::TrackingNumber), "1Z999");
}

TEST_F(OrderImportTest, TheSameItemForAnotherBuyerIsANewRecordAndNamesMatchInAnyCase)
{
    TestSupport::addRecord(store, {{Field::UserName, "Ann"}, {Field::AuctionUrl, "10"}});
    const Plan p = import(sellerHub({hubOrder("1", "ann", "10", "Lamp", "$1.00"),
                                     hubOrder("2", "bob", "10", "Lamp", "$1.00")}));
    EXPECT_EQ(p.summary(), "Added 1, updated 1, unchanged 0.");
    const auto all = stored();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(at(all[0], Field::UserName), "Ann");
    EXPECT_EQ(at(all[0], Field::AuctionName), "Lamp"); // was empty
    EXPECT_EQ(at(all[1], Field::UserName), "bob");
}

TEST_F(OrderImportTest, AMalformedAmountOnLine40Of50WritesNothing)
{
    import(sellerHub({hubOrder("1", "ann", "10", "Lamp", "$1.00")}));
    std::vector<Cells> rows;
    for (int i = 0; i < 47; ++i) // lines 4 to 50
        rows.push_back(hubOrder(QString::number(100 + i), "buyer" + QString::number(i),
                                QString::number(5000 + i), "Lot", "$3.00"));
    rows[36]["Sold For"] = "$3..00"; // line 40
    rows[0] = with(hubOrder("1", "ann", "10", "Lamp", "$1.00"), {{"Shipped On Date", "Dec-09-26"}});
    const QByteArray bytes = sellerHub(rows);
    ASSERT_EQ(bytes.count('\n'), 52); // 50 lines and the two summary rows
    const Failure f = readFails(bytes);
    EXPECT_EQ(f.line, 40);
    EXPECT_TRUE(f.reason.contains("\"$3..00\" in Sold For")) << f.reason.toStdString();
    EXPECT_EQ(stored().size(), 1u);
    EXPECT_EQ(at(stored().at(0), Field::ItemSentDate), "");
}

TEST_F(OrderImportTest, TheEtsyPairInEitherOrderMakesOneRecordPerItem)
{
    const QByteArray items = etsyItems(), orders = etsyOrders();

    // Items first: the orders file then adds the shipping and the address to both.
    EXPECT_EQ(import(items).summary(), "Added 2, updated 0, unchanged 0.");
    EXPECT_EQ(import(orders).summary(), "Added 0, updated 1, unchanged 0.");
    auto all = stored();
    ASSERT_EQ(all.size(), 2u);
    for (const FieldValues &v : all)
        expectFields(v, {{F::ItemSentDate, "12/3/2026"}, {F::Address, "Eve Long\n1 Elm\nReno"}});
    expectFields(all[0], {{F::AuctionName, "Mug"}, {F::AuctionTotal, "21"}});

    // Orders first, in another store: the first item takes the order's record over.
    TestSupport::TempFolder other;
    store.close();
    store.open(other.dbPath());
    EXPECT_EQ(import(orders).summary(), "Added 1, updated 0, unchanged 0.");
    EXPECT_EQ(import(items).summary(), "Added 1, updated 1, unchanged 0.");
    EXPECT_EQ(import(items).summary(), "Added 0, updated 0, unchanged 2.");
    ASSERT_EQ(store.recordCount(), 2);
    expectFields(store.recordAt(0).values, {{F::AuctionName, "Mug"}, {F::AuctionUrl, "777"},
                                            {F::AuctionTotal, "21"},
                                            {F::ItemSentDate, "12/3/2026"}});
    EXPECT_EQ(store.recordAt(1)[Field::AuctionName], "Plate");
}

TEST_F(OrderImportTest, APlanWorkedOutBeforeTheRecordChangedIsRefusedWhole)
{
    import(sellerHub({hubOrder("1", "ann", "10", "Lamp", "$1.00")}));
    const Cells shipped =
        with(hubOrder("1", "ann", "10", "Lamp", "$1.00"), {{"Shipped On Date", "Dec-05-26"}});
    const Plan p = plan(readOk(sellerHub({shipped, hubOrder("2", "bob", "11", "Vase", "$2.00")})), store);
    ASSERT_EQ(p.changes.size(), 1u);
    ASSERT_EQ(p.additions.size(), 1u);
    store.moveFirst();
    store.set(Field::Notes, "typed meanwhile");
    store.flush();
    EXPECT_NE(TestSupport::errorNumberOf([&] { apply(p, store); }), 0);
    const auto all = stored();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(at(all[0], Field::ItemSentDate), "");
    EXPECT_EQ(store.recordCount(), 1);
}
