#include "printdocuments.h"

#include "mail/templates.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/settingsstore.h"
#include "platform/textfile.h"
#include "records/recordcommands.h"
#include "records/recordstore.h"
#include "reports/money.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace PrintDocuments {

namespace {

const QString kGroup = QStringLiteral("Seller");

QString html(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    escaped.replace(u'\r', QLatin1String("<br>"));
    escaped.replace(u'\n', QLatin1String("<br>"));
    return escaped;
}

// Replaces "*Token*" placeholders in one pass from left to right; what is inserted is never
// searched again, so a record's text cannot pull in other values or markup.
QString fill(const QString &text, const QHash<QString, QString> &values)
{
    QString out;
    out.reserve(text.size() * 2);
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'*', at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'*', open + 1);
        if (close < 0)
            break;
        const auto it = values.constFind(text.mid(open, close - open + 1));
        if (it == values.constEnd()) {
            out += QStringView(text).mid(at, close - at);
            at = close; // the closing star may open the next placeholder
            continue;
        }
        out += QStringView(text).mid(at, open - at);
        out += *it;
        at = close + 1;
    }
    out += QStringView(text).mid(at);
    return out;
}

QString itemTable(const RecordStore &store, const BuyerPage &page, QString *total)
{
    QString rows;
    Money sum;
    int unreadable = 0;
    for (const int i : page) {
        const AuctionRecord &r = store.recordAt(i);
        const auto amount = Money::parse(r[Field::AuctionTotal]);
        if (amount)
            sum += *amount;
        else
            ++unreadable;
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td></tr>")
                    .arg(html(r[Field::AuctionUrl]), html(r[Field::AuctionName]),
                         html(r[Field::CloseDate]),
                         html(amount ? amount->text() : r[Field::AuctionTotal]));
    }
    *total = sum.text();
    if (unreadable > 0)
        *total += QStringLiteral(" (%1 not a number, not added)").arg(unreadable);
    return QStringLiteral("<table class=\"items\" width=\"100%\" cellspacing=\"0\" cellpadding=\"4\" "
                          "border=\"1\"><tr><th align=\"left\">Item Number</th>"
                          "<th align=\"left\">Item</th><th align=\"left\">Closed</th>"
                          "<th align=\"right\">Amount</th></tr>") +
           rows + QStringLiteral("</table>");
}

} // namespace

QString templateFileName(Kind kind)
{
    return kind == Kind::Invoice ? QStringLiteral("Invoice.html")
                                 : QStringLiteral("Packing Slip.html");
}

QString templatePath(const QString &appFolder, Kind kind)
{
    return AppFolder::fileIn(appFolder, QStringLiteral("Print Templates/") + templateFileName(kind));
}

QString title(Kind kind)
{
    return kind == Kind::Invoice ? QStringLiteral("Invoices") : QStringLiteral("Packing Slips");
}

Seller Seller::read(const SettingsStore &settings)
{
    const auto get = [&](const char *key) {
        return settings.read(kGroup, QString::fromLatin1(key), QString());
    };
    return {get("Name"), get("Address"), get("Email"), get("Phone")};
}

void Seller::save(SettingsStore &settings) const
{
    settings.save(kGroup, QStringLiteral("Name"), name);
    settings.save(kGroup, QStringLiteral("Address"), address);
    settings.save(kGroup, QStringLiteral("Email"), email);
    settings.save(kGroup, QStringLiteral("Phone"), phone);
}

std::vector<BuyerPage> byBuyer(const RecordStore &store, const std::vector<int> &records)
{
    std::vector<BuyerPage> pages;
    QHash<QString, size_t> pageOf;
    for (const int i : records) {
        const QString buyer = store.recordAt(i)[Field::UserName].trimmed();
        if (buyer.isEmpty()) {
            pages.push_back({i});
            continue;
        }
        const auto it = pageOf.constFind(buyer);
        if (it != pageOf.constEnd()) {
            pages[*it].push_back(i);
            continue;
        }
        pageOf.insert(buyer, pages.size());
        pages.push_back({i});
    }
    return pages;
}

std::vector<int> recordsOfRows(const RecordStore &store,
                               const std::vector<std::pair<QString, QString>> &rows)
{
    std::vector<int> records;
    QHash<QString, int> taken; // rows of a pair so far
    for (const auto &[user, auction] : rows) {
        const std::vector<int> found = RecordCommands::listRecords(store, user, auction);
        const QString pair = user.trimmed() + QChar(0) + auction.trimmed();
        const int n = taken.value(pair);
        taken.insert(pair, n + 1);
        if (size_t(n) < found.size())
            records.push_back(found[size_t(n)]);
    }
    return records;
}

bool readTemplate(const QString &appFolder, Kind kind, QString *htmlText, QString *error)
{
    QString path = templatePath(appFolder, kind);
    if (!QFileInfo::exists(path))
        path = QStringLiteral(":/seed/Print Templates/") + templateFileName(kind);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The print template %1 cannot be read: %2")
                     .arg(QDir::toNativeSeparators(path), f.errorString());
        return false;
    }
    *htmlText = TextFile::decode(f.readAll());
    return true;
}

QString pageHtml(const QString &templateHtml, const RecordStore &store, const BuyerPage &page,
                 const Seller &seller, QDate today)
{
    QHash<QString, QString> values;
    const AuctionRecord &first = store.recordAt(page.front());
    for (const Templates::Placeholder &p : Templates::placeholders())
        values.insert(p.token, html(first[p.field]));
    QString total;
    values.insert(QStringLiteral("*Item_Table*"), itemTable(store, page, &total));
    values.insert(QStringLiteral("*Items_Total*"), html(total));
    values.insert(QStringLiteral("*Item_Count*"), QString::number(page.size()));
    values.insert(QStringLiteral("*Seller_Name*"), html(seller.name));
    values.insert(QStringLiteral("*Seller_Address*"), html(seller.address));
    values.insert(QStringLiteral("*Seller_Email*"), html(seller.email));
    values.insert(QStringLiteral("*Seller_Phone*"), html(seller.phone));
    values.insert(QStringLiteral("*Print_Date*"), html(Dates::shortDateText(today)));
    return fill(templateHtml, values);
}

QStringList pages(const QString &templateHtml, const RecordStore &store,
                  const std::vector<int> &records, const Seller &seller, QDate today)
{
    QStringList out;
    for (const BuyerPage &page : byBuyer(store, records))
        out << pageHtml(templateHtml, store, page, seller, today);
    return out;
}

int print(QPagedPaintDevice &printer, const QStringList &pages)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return -1;
    const QSizeF size = printer.pageLayout().paintRectPixels(printer.logicalDpiX()).size();
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&printer);
    int sheets = 0;
    for (const QString &page : pages) {
        doc.setHtml(page);
        doc.setPageSize(size);
        for (int p = 0; p < doc.pageCount(); ++p) {
            if (sheets++ > 0)
                printer.newPage();
            painter.save();
            painter.translate(0, -p * size.height());
            doc.drawContents(&painter, QRectF(QPointF(0, p * size.height()), size));
            painter.restore();
        }
    }
    painter.end();
    return sheets;
}

bool printPdf(const QString &path, const QStringList &pages, QString *error)
{
    // A4 at 1200 dots an inch, as the print preview's PDF is.
    QPdfWriter printer(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setResolution(1200);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    if (print(printer, pages) < 0) {
        *error = QStringLiteral("%1 cannot be written.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

} // namespace PrintDocuments
