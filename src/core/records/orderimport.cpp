#include "orderimport.h"
#include "orderimport_p.h"

#include "platform/dates.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "records/csvio.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QStringDecoder>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cstdlib>
#include <optional>

namespace OrderImport {

namespace {

// The columns the import reads, each under every title it has been seen with. Titles are
// matched ignoring letter case and surrounding blanks; the first title found wins.
enum Col {
    OrderNumber,
    SalesRecord,
    Buyer,
    BuyerName,
    Email,
    ShipName,
    Addr1,
    Addr2,
    City,
    State,
    Zip,
    Country,
    BuyerAddr1,
    BuyerAddr2,
    BuyerCity,
    BuyerState,
    BuyerZip,
    BuyerCountry,
    ItemNumber,
    Title,
    Quantity,
    Price,
    Shipping,
    OrderTotal,
    ItemCount,
    SaleDate,
    PaidDate,
    ShippedDate,
    FeedbackLeft,
    Tracking,
    ItemNote,
    // What a file's own total counts besides the items and the postage.
    SellerTax,
    MarketTax,
    MarketCharges,
    MarketIncluded,
    SalesTax,
    Insurance,
    CodFee,
    ColCount
};

const std::array<QStringList, ColCount> &aliases()
{
    static const std::array<QStringList, ColCount> all = {{
        {"Order Number", "Order ID"},
        {"Sales Record Number"},
        {"Buyer Username", "User Id", "Buyer User ID", "Buyer"},
        {"Buyer Name", "Buyer Fullname"},
        {"Buyer Email"},
        {"Ship To Name", "Post To Name", "Ship Name", "Delivery Name", "Full Name"},
        {"Ship To Address 1", "Post To Address 1", "Ship Address1", "Delivery Address1", "Street 1"},
        {"Ship To Address 2", "Post To Address 2", "Ship Address2", "Delivery Address2", "Street 2"},
        {"Ship To City", "Post To City", "Post To Town/City", "Ship City", "Delivery City"},
        {"Ship To State", "Post To County", "Post To State", "Ship State", "Delivery State"},
        {"Ship To Zip", "Post To Postcode", "Ship To Postcode", "Post To Zip", "Ship Zipcode",
         "Delivery Zipcode"},
        {"Ship To Country", "Post To Country", "Ship Country", "Delivery Country"},
        {"Buyer Address 1"},
        {"Buyer Address 2"},
        {"Buyer City", "Buyer Town/City"},
        {"Buyer State", "Buyer County"},
        {"Buyer Zip", "Buyer Postcode"},
        {"Buyer Country"},
        {"Item Number", "Listing ID"},
        {"Item Title", "Item Name"},
        {"Quantity"},
        {"Sold For", "Sale Price", "Price"},
        {"Shipping And Handling", "Postage And Handling", "Postage And Packaging", "Order Shipping",
         "Order Delivery"},
        {"Order Total", "Total Price"},
        {"Number of Items"},
        {"Sale Date"},
        {"Paid On Date", "Date Paid"},
        {"Shipped On Date", "Posted On Date", "Dispatched On Date", "Date Shipped", "Date Posted"},
        {"Feedback Left"},
        {"Tracking Number"},
        {"My Item Note", "Notes to yourself"},
        {"Seller Collected Tax"},
        {"eBay Collected Tax"},
        {"eBay Collected Charges"},
        {"eBay Collected Tax and Fees Included in Total"},
        {"US Tax"},
        {"Insurance"},
        {"Cash on delivery fee"},
    }};
    return all;
}

struct FormatInfo
{
    Format format;
    const char *name;
    QStringList signature; // titles a file of this kind always has
    std::vector<Col> required;
};

const std::vector<FormatInfo> &formats()
{
    static const std::vector<FormatInfo> all = {
        {Format::SellerHubOrders, "eBay Seller Hub Orders report",
         {"Order Number", "Buyer Username", "Item Number"},
         {Buyer, ItemNumber, Price, SaleDate}},
        {Format::SalesHistory, "eBay Selling Manager sales history",
         {"User Id", "Item Number", "Sale Price"},
         {Buyer, ItemNumber, Price, SaleDate}},
        {Format::EtsySoldOrderItems, "Etsy Sold Order Items",
         {"Listing ID", "Item Name", "Order ID"},
         {Buyer, ItemNumber, Price, SaleDate, OrderNumber}},
        {Format::EtsySoldOrders, "Etsy Sold Orders",
         {"Order ID", "Buyer User ID", "Number of Items"},
         {Buyer, OrderTotal, SaleDate, OrderNumber}},
    };
    return all;
}

const FormatInfo &info(Format f)
{
    for (const FormatInfo &i : formats())
        if (i.format == f)
            return i;
    return formats().front();
}

// The title row is looked for this far into the file.
constexpr int kTitleSearchLines = 20;

const FormatInfo *recognise(const QStringList &titles)
{
    QSet<QString> have;
    for (const QString &t : titles)
        have.insert(key(t));
    for (const FormatInfo &f : formats()) {
        bool all = true;
        for (const QString &s : f.signature)
            all = all && have.contains(key(s));
        if (all)
            return &f;
    }
    return nullptr;
}

QString expectedTitles()
{
    QStringList kinds;
    for (const FormatInfo &f : formats())
        kinds << QStringLiteral("%1 (\"%2\")")
                     .arg(QLatin1String(f.name), f.signature.join(QStringLiteral("\", \"")));
    return kinds.join(QStringLiteral("; "));
}

// Marketplace dates: "Dec-01-26", "01-Dec-26", "12/01/2026", "2026-12-01", "Dec 1, 2026",
// with or without a time after them. Two-digit years are this century: order files are new.
std::optional<QDate> fileDate(const QString &text, bool dayFirst)
{
    static const QRegularExpression re(QStringLiteral(
        "^([A-Za-z]+|\\d{1,4})[-/. ]([A-Za-z]+|\\d{1,2})[-/., ]+(\\d{4}|\\d{2})(?:[ T].*)?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const auto month = [](const QString &name) {
        if (name.size() < 3)
            return 0;
        for (int i = 1; i <= 12; ++i)
            if (QLocale::c().monthName(i).startsWith(name, Qt::CaseInsensitive))
                return i;
        return 0;
    };
    const QString a = m.captured(1), b = m.captured(2);
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += 2000;
    int d = 0, mo = 0;
    const bool aNumber = a.front().isDigit(), bNumber = b.front().isDigit();
    if (!aNumber && bNumber) {
        mo = month(a);
        d = b.toInt();
    } else if (aNumber && !bNumber) {
        d = a.toInt();
        mo = month(b);
    } else if (aNumber && bNumber) {
        if (a.size() == 4) { // year first: the last group is the day
            if (m.captured(3).size() != 2)
                return std::nullopt;
            year = a.toInt();
            mo = b.toInt();
            d = m.captured(3).toInt();
        } else {
            d = (dayFirst ? a : b).toInt();
            mo = (dayFirst ? b : a).toInt();
        }
    }
    const QDate date(year, mo, d);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

bool isGroupedDigits(QStringView s, QChar sep)
{
    const auto groups = s.split(sep);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QStringView g = groups[i];
        if (g.isEmpty() || (i == 0 ? g.size() > 3 && groups.size() > 1 : g.size() != 3))
            return false;
        for (QChar c : g)
            if (!c.isDigit())
                return false;
    }
    return true;
}

// An amount in hundredths: "$12.50", "US $12.50", "£4.20", "EUR 3,50", "1,234.56",
// "1.234,56 €". Empty text is nothing owed.
std::optional<qint64> cents(const QString &text)
{
    QStringView s = QStringView(text).trimmed();
    const auto isMark = [](QChar c) {
        return c.isLetter() || c.isSpace() || c.category() == QChar::Symbol_Currency;
    };
    bool negative = false;
    while (!s.isEmpty() && (isMark(s.front()) || s.front() == u'-')) {
        negative = negative || s.front() == u'-';
        s = s.mid(1);
    }
    while (!s.isEmpty() && isMark(s.back()))
        s.chop(1);
    if (s.isEmpty())
        return text.trimmed().isEmpty() ? std::optional<qint64>(0) : std::nullopt;
    if (s.size() > 18)
        return std::nullopt;
    // The last mark with one or two digits after it is the decimal point; a mark with three
    // after it groups thousands.
    const qsizetype last = std::max(s.lastIndexOf(u'.'), s.lastIndexOf(u','));
    QStringView whole = s;
    QStringView fraction;
    QChar point;
    if (last >= 0 && s.size() - last - 1 <= 2) {
        point = s[last];
        whole = s.left(last);
        fraction = s.mid(last + 1);
        if (fraction.isEmpty())
            return std::nullopt;
        for (QChar c : fraction)
            if (!c.isDigit())
                return std::nullopt;
    }
    const QChar grouping = point == u'.'   ? QChar(u',')
                           : point == u',' ? QChar(u'.')
                                           : (whole.contains(u',') ? QChar(u',') : QChar(u'.'));
    if (whole.isEmpty() || (!point.isNull() && whole.contains(point)) ||
        !isGroupedDigits(whole, grouping))
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : whole)
        if (c.isDigit())
            value = value * 10 + c.digitValue();
    value *= 100;
    if (!fraction.isEmpty())
        value += fraction.size() == 1 ? fraction.toInt() * 10 : fraction.toInt();
    return negative ? -value : value;
}

QString amountText(qint64 hundredths) { return Numbers::numberText(double(hundredths) / 100.0); }

// Etsy writes the buyer as "Full Name (username)".
QString etsyUser(const QString &buyer)
{
    static const QRegularExpression re(QStringLiteral("\\(([^()]+)\\)\\s*$"));
    const QRegularExpressionMatch m = re.match(buyer);
    return m.hasMatch() ? m.captured(1).trimmed() : buyer.trimmed();
}

QString orderNote(const QString &order) { return QStringLiteral("Order ") + order; }

// One row of the file with its cells reachable by column.
class Row
{
public:
    Row(const QStringList *cells, const std::array<int, ColCount> *at, int line)
        : m_cells(cells), m_at(at), m_line(line)
    {
    }
    QString operator[](Col c) const
    {
        const int i = (*m_at)[c];
        return i >= 0 && i < m_cells->size() ? (*m_cells)[i].trimmed() : QString();
    }
    int line() const { return m_line; }
    bool isEmpty() const
    {
        for (const QString &c : *m_cells)
            if (!c.isEmpty() && !c.trimmed().isEmpty())
                return false;
        return true;
    }

private:
    const QStringList *m_cells;
    const std::array<int, ColCount> *m_at;
    int m_line;
};

class Reader
{
public:
    Reader(const FormatInfo &format, const QStringList &titles, Failure *failure)
        : m_format(format), m_titles(titles), m_failure(failure)
    {
        m_at.fill(-1);
        for (int c = 0; c < ColCount; ++c) {
            for (const QString &alias : aliases()[size_t(c)]) {
                const qsizetype i = titleIndex(alias);
                if (i >= 0) {
                    m_at[size_t(c)] = int(i);
                    break;
                }
            }
        }
        m_dayFirst = titleIndex(QStringLiteral("Postage And Handling")) >= 0 ||
                     titleIndex(QStringLiteral("Postage And Packaging")) >= 0 ||
                     titleIndex(QStringLiteral("Post To Postcode")) >= 0;
        // Etsy's order total is what its record is made from; only eBay's files can disagree.
        m_checkTotals = m_at[OrderTotal] >= 0 && (format.format == Format::SellerHubOrders ||
                                                  format.format == Format::SalesHistory);
    }

    bool checkColumns(int titleLine)
    {
        for (Col c : m_format.required) {
            if (m_at[size_t(c)] < 0)
                return fail(titleLine, QStringLiteral("the file has no \"%1\" column")
                                           .arg(aliases()[size_t(c)].front()));
        }
        return true;
    }

    // Takes a row in; false when it cannot be read.
    bool take(const QStringList &cells, int line, std::vector<SoldItem> *items)
    {
        if (cells.size() > m_titles.size()) {
            for (qsizetype i = m_titles.size(); i < cells.size(); ++i)
                if (!cells[i].trimmed().isEmpty())
                    return fail(line, QStringLiteral("the row has %1 cells where the title row has %2")
                                          .arg(cells.size())
                                          .arg(m_titles.size()));
        }
        const Row row(&cells, &m_at, line);
        if (row.isEmpty())
            return true;
        const size_t before = items->size();
        bool ok = true;
        switch (m_format.format) {
        case Format::SellerHubOrders:
        case Format::SalesHistory: ok = takeEbay(row, cells, items); break;
        case Format::EtsySoldOrderItems: ok = takeEtsyItem(row, items); break;
        case Format::EtsySoldOrders: ok = takeEtsyOrder(row, items); break;
        }
        // Without a buyer the sale could never be matched again.
        if (ok && items->size() > before && at(items->back().values, Field::UserName).isEmpty())
            return fail(line, QStringLiteral("the row has no %1").arg(title(Buyer)));
        return ok;
    }

    // The last order's totals are compared when the file's orders end.
    void finish(std::vector<TotalMismatch> *mismatches, int *count)
    {
        closeCheck();
        *mismatches = std::move(m_mismatches);
        *count = m_mismatchCount;
    }

private:
    // The order whose records are being added up against the file's total for it.
    struct Check
    {
        int line = 0;
        QString order;
        std::optional<qint64> fileTotal;
        qint64 included = 0; // the tax and charges the file counts in its total
        qint64 records = 0;
        bool totalOfOrderRow = false;
    };

    // The file's total on this row and the tax and charges it says that total includes. A
    // cell the check cannot read leaves the order unchecked rather than refusing a file
    // whose records could be read.
    bool totalOn(const Row &row, qint64 *total, qint64 *included) const
    {
        if (!m_checkTotals || row[OrderTotal].isEmpty())
            return false;
        const auto t = cents(row[OrderTotal]);
        if (!t)
            return false;
        std::vector<Col> counted = {SellerTax, SalesTax, Insurance, CodFee};
        if (row[MarketIncluded].startsWith(u'y', Qt::CaseInsensitive))
            counted.insert(counted.end(), {MarketTax, MarketCharges});
        *total = *t;
        *included = 0;
        for (Col c : counted) {
            const auto extra = cents(row[c]);
            if (!extra)
                return false;
            *included += *extra;
        }
        return true;
    }

    void openCheck(const Row &row, const QString &order)
    {
        closeCheck();
        Check c{row.line(), order, std::nullopt, 0, 0};
        qint64 total = 0;
        if (totalOn(row, &total, &c.included))
            c.fileTotal = total;
        c.totalOfOrderRow = c.fileTotal.has_value();
        m_check = std::move(c);
    }

    // An item row of the open order: its record's total, and its own total where the order
    // row gave none.
    void addItemToCheck(const Row &row, qint64 recordTotal)
    {
        if (!m_check)
            return;
        m_check->records += recordTotal;
        qint64 total = 0, included = 0;
        if (m_check->line != row.line() && !m_check->totalOfOrderRow &&
            totalOn(row, &total, &included)) {
            m_check->fileTotal = m_check->fileTotal.value_or(0) + total;
            m_check->included += included;
        }
    }

    void closeCheck()
    {
        if (!m_check)
            return;
        const Check c = std::move(*m_check);
        m_check.reset();
        const qint64 counted = c.records + c.included;
        if (!c.fileTotal || std::abs(*c.fileTotal - counted) <= 1)
            return;
        ++m_mismatchCount;
        if (m_mismatches.size() < kListedMismatches)
            m_mismatches.push_back({c.line, c.order, *c.fileTotal, counted});
    }

    qsizetype titleIndex(const QString &title) const
    {
        const QString k = key(title);
        for (qsizetype i = 0; i < m_titles.size(); ++i)
            if (key(m_titles[i]) == k)
                return i;
        return -1;
    }

    bool fail(int line, const QString &reason)
    {
        *m_failure = {line, reason};
        return false;
    }

    QString title(Col c) const { return m_titles.value(m_at[size_t(c)]).trimmed(); }

    bool date(const Row &row, Col c, QDate *out, const Row *fallback = nullptr)
    {
        QString text = row[c];
        if (text.isEmpty() && fallback)
            text = (*fallback)[c];
        if (text.isEmpty()) {
            *out = QDate();
            return true;
        }
        const auto d = fileDate(text, m_dayFirst);
        if (!d)
            return fail(row.line(), QStringLiteral("\"%1\" in %2 is not a date").arg(text, title(c)));
        *out = *d;
        return true;
    }

    bool amount(const Row &row, Col c, qint64 *out)
    {
        const auto a = cents(row[c]);
        if (!a)
            return fail(row.line(),
                        QStringLiteral("\"%1\" in %2 is not an amount").arg(row[c], title(c)));
        *out = *a;
        return true;
    }

    bool quantity(const Row &row, qint64 *out)
    {
        const QString text = row[Quantity];
        bool ok = true;
        *out = text.isEmpty() ? 1 : text.toLongLong(&ok);
        if (!ok || *out < 0)
            return fail(row.line(), QStringLiteral("\"%1\" in %2 is not a number of items")
                                        .arg(text, title(Quantity)));
        return true;
    }

    static QString address(const QString &name, const QString &line1, const QString &line2,
                           const QString &city, const QString &state, const QString &zip,
                           const QString &country)
    {
        QString place = city;
        if (!state.isEmpty())
            place += (place.isEmpty() ? QString() : QStringLiteral(", ")) + state;
        if (!zip.isEmpty())
            place += (place.isEmpty() ? QString() : QStringLiteral(" ")) + zip;
        QStringList lines;
        for (const QString &l : {name, line1, line2, place, country})
            if (!l.isEmpty())
                lines << l;
        // One line each, the way the record panel keeps a typed address.
        return lines.join(u'\n');
    }

    static QString shipTo(const Row &r)
    {
        const QString name = r[ShipName].isEmpty() ? r[BuyerName] : r[ShipName];
        if (!(r[Addr1] + r[City] + r[Zip]).isEmpty())
            return address(name, r[Addr1], r[Addr2], r[City], r[State], r[Zip], r[Country]);
        return address(name, r[BuyerAddr1], r[BuyerAddr2], r[BuyerCity], r[BuyerState],
                       r[BuyerZip], r[BuyerCountry]);
    }

    // The record of a sold item, every flag the file does not speak of "0".
    static FieldValues record(const QString &site, QDate sold, QDate paid, QDate shipped)
    {
        FieldValues v;
        for (int i = 0; i < kFieldCount; ++i)
            if (Fields::isFlag(Field(i)))
                v[size_t(i)] = QStringLiteral("0");
        const auto set = [&v](Field f, const QString &text) { v[size_t(Fields::index(f))] = text; };
        set(Field::AuctionSite, site);
        set(Field::CloseDate, Dates::shortDateText(sold));
        if (paid.isValid()) {
            // The marketplace invoices the buyer itself, at the sale.
            set(Field::InvoiceSent, QStringLiteral("1"));
            set(Field::InvoiceSentDate, Dates::shortDateText(sold.isValid() ? sold : paid));
            set(Field::PaymentMade, QStringLiteral("1"));
            set(Field::PaymentMadeDate, Dates::shortDateText(paid));
        }
        if (shipped.isValid()) {
            set(Field::ItemSent, QStringLiteral("1"));
            set(Field::ItemSentDate, Dates::shortDateText(shipped));
        }
        return v;
    }

    static void put(FieldValues &v, Field f, const QString &text) { v[size_t(Fields::index(f))] = text; }

    // What every item row says of its sale; an item of a several-item order takes what it
    // leaves out from the order's row.
    struct Sale
    {
        qint64 price = 0;
        qint64 count = 1;
        qint64 postage = 0;
        QDate sold, paid, shipped;
    };
    bool readSale(const Row &row, Sale *s, const Row *group = nullptr)
    {
        return amount(row, Price, &s->price) && quantity(row, &s->count) &&
               amount(row, Shipping, &s->postage) && date(row, SaleDate, &s->sold, group) &&
               date(row, PaidDate, &s->paid, group) && date(row, ShippedDate, &s->shipped, group);
    }

    static SoldItem soldItem(const Row &row, const QString &site, const QString &order, const Sale &s)
    {
        SoldItem item;
        item.line = row.line();
        item.orderNumber = order;
        item.values = record(site, s.sold, s.paid, s.shipped);
        put(item.values, Field::AuctionName, row[Title]);
        put(item.values, Field::AuctionUrl, row[ItemNumber]);
        put(item.values, Field::AuctionTotal, amountText(s.price * s.count + s.postage));
        return item;
    }

    // An eBay order of several items is an order row (buyer, dates, the order's postage)
    // followed by a row per item under the same order number.
    bool takeEbay(const Row &row, const QStringList &cells, std::vector<SoldItem> *items)
    {
        const QString order = row[OrderNumber];
        if (row[ItemNumber].isEmpty() && row[Title].isEmpty()) {
            if (order.isEmpty() && row[Buyer].isEmpty())
                return true; // a spacer row
            qint64 postage = 0;
            QDate d;
            if (!amount(row, Shipping, &postage) || !date(row, SaleDate, &d) ||
                !date(row, PaidDate, &d) || !date(row, ShippedDate, &d))
                return false;
            openCheck(row, order);
            m_orderCells = cells;
            m_orderRow.emplace(&m_orderCells, &m_at, row.line());
            m_orderNumber = order;
            m_orderPostage = row[Shipping].isEmpty() ? std::optional<qint64>() : postage;
            m_orderPostageTaken = false;
            return true;
        }
        if (row[ItemNumber].isEmpty())
            return fail(row.line(), QStringLiteral("the row has an item title but no %1")
                                        .arg(title(ItemNumber)));
        const Row *group = m_orderRow && !order.isEmpty() && order == m_orderNumber ? &*m_orderRow
                                                                                 : nullptr;
        const auto cell = [&](Col c) { return row[c].isEmpty() && group ? (*group)[c] : row[c]; };

        Sale sale;
        if (!readSale(row, &sale, group))
            return false;
        if (group && m_orderPostage) {
            sale.postage = m_orderPostageTaken ? 0 : *m_orderPostage;
            m_orderPostageTaken = true;
        }
        if (!group)
            openCheck(row, order);
        addItemToCheck(row, sale.price * sale.count + sale.postage);
        SoldItem item = soldItem(row, QStringLiteral("eBay"), order, sale);
        FieldValues &v = item.values;
        put(v, Field::UserName, cell(Buyer));
        put(v, Field::EmailAddress, cell(Email));
        put(v, Field::Address, shipTo(row[Addr1].isEmpty() && row[BuyerAddr1].isEmpty() && group ? *group : row));
        put(v, Field::TrackingNumber, cell(Tracking));
        if (cell(FeedbackLeft).startsWith(QLatin1String("yes"), Qt::CaseInsensitive))
            put(v, Field::FeedBackGiven, QStringLiteral("1"));
        QString notes = !order.isEmpty() ? orderNote(order)
                        : !cell(SalesRecord).isEmpty()
                            ? QStringLiteral("Sales record ") + cell(SalesRecord)
                            : QString();
        if (!row[ItemNote].isEmpty())
            notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + row[ItemNote];
        put(v, Field::Notes, notes);
        items->push_back(std::move(item));
        return true;
    }

    bool takeEtsyItem(const Row &row, std::vector<SoldItem> *items)
    {
        const QString order = row[OrderNumber];
        if (row[ItemNumber].isEmpty())
            return fail(row.line(), QStringLiteral("the row has no %1").arg(title(ItemNumber)));
        Sale sale;
        if (!readSale(row, &sale))
            return false;
        // Every item row repeats the order's postage; it is owed once.
        if (m_postageTaken.contains(order))
            sale.postage = 0;
        m_postageTaken.insert(order);
        SoldItem item = soldItem(row, QStringLiteral("Etsy"), order, sale);
        FieldValues &v = item.values;
        put(v, Field::UserName, etsyUser(row[Buyer]));
        put(v, Field::Address, shipTo(row));
        put(v, Field::Notes, orderNote(order));
        items->push_back(std::move(item));
        return true;
    }

    // Sold Orders lists no items, so each row is one record for its whole order. Etsy takes
    // the payment at checkout: the order is paid on the day it was sold.
    bool takeEtsyOrder(const Row &row, std::vector<SoldItem> *items)
    {
        const QString order = row[OrderNumber];
        qint64 total = 0;
        QDate sold, shipped;
        if (!amount(row, OrderTotal, &total) || !date(row, SaleDate, &sold) ||
            !date(row, ShippedDate, &shipped))
            return false;
        SoldItem item;
        item.line = row.line();
        item.orderNumber = order;
        item.wholeOrder = true;
        item.values = record(QStringLiteral("Etsy"), sold, sold, shipped);
        FieldValues &v = item.values;
        const int count = row[ItemCount].toInt();
        put(v, Field::AuctionName, etsyOrderName(order) +
                                       (count > 1 ? QStringLiteral(" (%1 items)").arg(count) : QString()));
        put(v, Field::AuctionTotal, amountText(total));
        put(v, Field::UserName, etsyUser(row[Buyer]));
        put(v, Field::Address, shipTo(row));
        put(v, Field::Notes, orderNote(order));
        items->push_back(std::move(item));
        return true;
    }

    const FormatInfo &m_format;
    QStringList m_titles;
    Failure *m_failure;
    std::array<int, ColCount> m_at;
    bool m_dayFirst = false;
    bool m_checkTotals = false;
    std::optional<Check> m_check;
    std::vector<TotalMismatch> m_mismatches;
    int m_mismatchCount = 0;
    // The order row of the eBay order being read.
    QStringList m_orderCells;
    std::optional<Row> m_orderRow;
    QString m_orderNumber;
    std::optional<qint64> m_orderPostage;
    bool m_orderPostageTaken = false;
    QSet<QString> m_postageTaken;
};

// The rows marketplaces put after the orders: "12,record(s) downloaded", "Seller ID : ...".
bool isTrailer(const QStringList &cells)
{
    // They stand in the first two cells; the rest of a row is no business of this test.
    for (qsizetype i = 0; i < std::min<qsizetype>(cells.size(), 2); ++i) {
        const QString t = cells[i].trimmed();
        if (t.startsWith(QLatin1String("Seller ID"), Qt::CaseInsensitive) ||
            t.contains(QLatin1String("record(s) downloaded"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

QString formatName(Format format) { return QLatin1String(info(format).name); }

namespace {

QString centsText(qint64 c)
{
    const qint64 a = c < 0 ? -c : c;
    return QStringLiteral("%1%2.%3")
        .arg(c < 0 ? QStringLiteral("-") : QString())
        .arg(a / 100)
        .arg(int(a % 100), 2, 10, QChar(u'0'));
}

} // namespace

QString TotalMismatch::message() const
{
    return QStringLiteral("line %1: %2 totals %3 in the file, but its records come to %4.")
        .arg(line)
        .arg(orderNumber.isEmpty() ? QStringLiteral("the sale") : QStringLiteral("order ") + orderNumber,
             centsText(fileTotal), centsText(recordsTotal));
}

QString Failure::message(const QString &fileName) const
{
    return QStringLiteral("%1, line %2: %3; nothing was imported.").arg(fileName).arg(line).arg(reason);
}

namespace {

constexpr qint64 kBlockBytes = 1 << 20;

// The text of a file a block at a time, decoded as TextFile::decode decodes a whole one:
// UTF-8 without its byte-order mark, or Windows-1252 for bytes that are not UTF-8.
class TextBlocks
{
public:
    TextBlocks(QIODevice &device, bool cp1252) : m_device(device), m_cp1252(cp1252) {}

    // The next block; false at the end of the file or, reading UTF-8, at bytes that are not.
    bool next(QString *text)
    {
        const QByteArray bytes = m_device.read(kBlockBytes);
        if (bytes.isEmpty())
            return false;
        m_read += bytes.size();
        *text = m_cp1252 ? TextFile::fromCp1252(bytes) : m_utf8.decode(bytes);
        if (!m_cp1252 && m_utf8.hasError()) {
            m_notUtf8 = true;
            return false;
        }
        if (m_first && text->startsWith(QChar(0xFEFF)))
            text->remove(0, 1);
        m_first = false;
        return true;
    }
    bool notUtf8() const { return m_notUtf8; }
    qint64 bytesRead() const { return m_read; }

private:
    QIODevice &m_device;
    bool m_cp1252;
    QStringDecoder m_utf8{QStringConverter::Utf8};
    bool m_first = true;
    bool m_notUtf8 = false;
    qint64 m_read = 0;
};

// The title row and the separator, from the first lines of the file.
bool findTitles(QStringView head, const FormatInfo **format, QChar *separator, int *titleLine,
                Failure *failure)
{
    qsizetype headEnd = 0;
    for (int n = 0; n < kTitleSearchLines && headEnd >= 0; ++n)
        headEnd = head.indexOf(u'\n', headEnd + (n ? 1 : 0));
    if (headEnd >= 0)
        head = head.left(headEnd);
    *format = nullptr;
    for (const QChar sep : {QChar(u','), QChar(u';')}) {
        std::vector<QStringList> rows;
        std::vector<int> lines;
        Csv::ParseError e;
        if (!Csv::parseText(head, sep, &rows, &e, &lines) && rows.empty())
            continue;
        for (size_t r = 0; r < rows.size() && !*format; ++r) {
            if ((*format = recognise(rows[r]))) {
                *separator = sep;
                *titleLine = lines[r];
            }
        }
        if (*format)
            return true;
    }
    *failure = {1, QStringLiteral("no title row of a known order file in the first %1 lines; "
                                  "expected the titles of %2")
                       .arg(kTitleSearchLines)
                       .arg(expectedTitles())};
    return false;
}

enum class Outcome { Read, Refused, NotUtf8 };

Outcome readRows(QIODevice &device, bool cp1252, const ItemSink &sink, Failure *failure,
                 const Progress &progress)
{
    TextBlocks blocks(device, cp1252);
    QString head, block;
    bool more = true;
    while (head.count(u'\n') < kTitleSearchLines && (more = blocks.next(&block)))
        head += block;
    if (blocks.notUtf8())
        return Outcome::NotUtf8;
    const FormatInfo *format = nullptr;
    QChar separator;
    int titleLine = 0;
    if (!findTitles(head, &format, &separator, &titleLine, failure))
        return Outcome::Refused;

    Csv::RowReader rows(separator);
    rows.feed(head);
    head.clear();
    if (!more)
        rows.finish();
    std::optional<Reader> reader;
    std::vector<SoldItem> items;
    QStringList cells;
    int line = 0;
    int done = 0;
    const qint64 size = std::max<qint64>(device.size(), 1);
    for (bool reading = true; reading;) {
        Csv::ParseError e;
        switch (rows.next(&cells, &line, &e)) {
        case Csv::RowReader::Next::More:
            if (blocks.next(&block))
                rows.feed(block);
            else if (blocks.notUtf8())
                return Outcome::NotUtf8;
            else
                rows.finish();
            continue;
        case Csv::RowReader::Next::Error: *failure = {e.line, e.message}; return Outcome::Refused;
        case Csv::RowReader::Next::End: reading = false; continue;
        case Csv::RowReader::Next::Row: break;
        }
        if (!reader) {
            if (line < titleLine)
                continue;
            if (line != titleLine) {
                *failure = {titleLine, QStringLiteral("the title row cannot be read")};
                return Outcome::Refused;
            }
            reader.emplace(*format, cells, failure);
            if (!reader->checkColumns(titleLine))
                return Outcome::Refused;
            sink.begin(format->format);
            continue;
        }
        if (isTrailer(cells))
            break;
        if (!reader->take(cells, line, &items))
            return Outcome::Refused;
        for (SoldItem &item : items)
            sink.item(std::move(item));
        items.clear();
        // The rows still to come are guessed from the bytes still to read.
        if (progress && ++done % 256 == 0)
            progress(done, int(std::max<qint64>(done, qint64(done) * size / std::max<qint64>(blocks.bytesRead(), 1))));
    }
    if (!reader) {
        *failure = {titleLine, QStringLiteral("the title row cannot be read")};
        return Outcome::Refused;
    }
    // What follows the orders still decides how the whole file is read.
    while (blocks.next(&block)) {
    }
    if (blocks.notUtf8())
        return Outcome::NotUtf8;
    std::vector<TotalMismatch> mismatches;
    int count = 0;
    reader->finish(&mismatches, &count);
    sink.mismatches(std::move(mismatches), count);
    if (progress)
        progress(done, done);
    return Outcome::Read;
}

} // namespace

bool readItems(QIODevice &device, const ItemSink &sink, Failure *failure, const Progress &progress)
{
    for (const bool cp1252 : {false, true}) {
        if (!device.seek(0)) {
            *failure = {1, QStringLiteral("the file cannot be read from its start")};
            return false;
        }
        switch (readRows(device, cp1252, sink, failure, progress)) {
        case Outcome::Read: return true;
        case Outcome::Refused: return false;
        case Outcome::NotUtf8: break;
        }
    }
    return false; // Windows-1252 decodes every byte
}

bool read(const QByteArray &bytes, OrderFile *file, Failure *failure, const Progress &progress)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const ItemSink sink{[file](Format f) {
                            file->format = f;
                            file->items.clear();
                        },
                        [file](SoldItem &&item) { file->items.push_back(std::move(item)); },
                        [file](std::vector<TotalMismatch> &&m, int count) {
                            file->totalMismatches = std::move(m);
                            file->mismatchCount = count;
                        }};
    return readItems(buffer, sink, failure, progress);
}

} // namespace OrderImport
