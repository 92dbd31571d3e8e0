#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class QPagedPaintDevice;
class RecordStore;
class SettingsStore;

// Invoices and packing slips: one page per buyer with the buyer's items and their sum,
// laid out from an HTML template of the application folder ("Print Templates/") that the
// seller may change. Printing reads records only; it never changes one.
namespace PrintDocuments {

enum class Kind { Invoice, PackingSlip };

QString templateFileName(Kind kind); // "Invoice.html", "Packing Slip.html"
QString templatePath(const QString &appFolder, Kind kind);
QString title(Kind kind); // "Invoices", "Packing Slips"

// Who the pages come from: the options' "Seller" tab, kept in the settings group "Seller".
struct Seller
{
    QString name;
    QString address; // several lines
    QString email;
    QString phone;

    static Seller read(const SettingsStore &settings);
    void save(SettingsStore &settings) const;
};

// The records of one page, in the order they are listed.
using BuyerPage = std::vector<int>;

// Groups records by buyer (User Name, blanks trimmed), buyers in the order they first
// appear. Records without a user name are nobody's: each gets a page of its own.
std::vector<BuyerPage> byBuyer(const RecordStore &store, const std::vector<int> &records);

// The records list rows stand for. A row names its record by User Name and Auction Name as a
// row click finds it; rows naming the same pair take that pair's records in stored order,
// so two like sales to one buyer print as two items rather than one item twice. Rows whose
// record is gone are skipped.
std::vector<int> recordsOfRows(const RecordStore &store,
                               const std::vector<std::pair<QString, QString>> &rows);

// The template, or the one the program came with when the seller's copy is missing. False
// with the reason when it cannot be read.
bool readTemplate(const QString &appFolder, Kind kind, QString *html, QString *error);

// One page's HTML: the e-mail templates' placeholders from the buyer's first record, and
// "*Item_Table*", "*Item_Count*", "*Items_Total*", "*Seller_Name*", "*Seller_Address*",
// "*Seller_Email*", "*Seller_Phone*", "*Print_Date*". Every value is HTML-escaped, so text
// from a record is always shown as text.
QString pageHtml(const QString &templateHtml, const RecordStore &store, const BuyerPage &page,
                 const Seller &seller, QDate today);

// Every page of the records, ready to print.
QStringList pages(const QString &templateHtml, const RecordStore &store,
                  const std::vector<int> &records, const Seller &seller, QDate today);

// Paints the pages on a printer or a PDF writer, each from a new sheet (a long page runs on
// to the next sheets). Returns the number of sheets, or -1 when the device cannot be started.
int print(QPagedPaintDevice &printer, const QStringList &pages);
// The same into a PDF file; false with the reason when it cannot be written.
bool printPdf(const QString &path, const QStringList &pages, QString *error);

} // namespace PrintDocuments
