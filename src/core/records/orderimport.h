#pragma once

#include "records/recordstore.h"

#include <QByteArray>
#include <QString>

class QIODevice;
#include <functional>
#include <vector>

// Order files sellers download from the marketplaces (eBay's Seller Hub Orders report and
// the older Selling Manager sales history, Etsy's Sold Orders and Sold Order Items), turned
// into auction records: one per sold item, matched with the records already kept by item
// number and buyer, so that a later download brings them up to date instead of adding them
// again.
namespace OrderImport {

enum class Format { SellerHubOrders, SalesHistory, EtsySoldOrders, EtsySoldOrderItems };
QString formatName(Format format);

// Why a file is refused: the line of the file and what is wrong there.
struct Failure
{
    int line = 0;
    QString reason;
    // "FILE, line N: reason; nothing was imported."
    QString message(const QString &fileName) const;
};

// One sold item of the file as the record it makes. An Etsy Sold Orders row lists no items
// and stands for its whole order.
struct SoldItem
{
    int line = 0;
    QString orderNumber;
    bool wholeOrder = false;
    FieldValues values;
};

// An order whose records do not add up to the total the file itself gives for it (more
// than a cent apart): a sign that a column the total counts was not read.
struct TotalMismatch
{
    int line = 0; // of the row that gives the total
    QString orderNumber;
    qint64 fileTotal = 0;    // in cents
    qint64 recordsTotal = 0; // in cents: the records made for it, with the tax and charges
                             // the file says its total includes
    // "line 4: order 12-1 totals 16.70 in the file, but its records come to 12.50."
    QString message() const;
};

// Orders that do not add up are listed up to this many; the rest are counted.
constexpr size_t kListedMismatches = 1000;

struct OrderFile
{
    Format format = Format::SellerHubOrders;
    std::vector<SoldItem> items;
    std::vector<TotalMismatch> totalMismatches; // the first kListedMismatches
    int mismatchCount = 0;                      // all of them
};

using Progress = std::function<void(int done, int total)>;

// Reads a downloaded order file: UTF-8 with or without a byte-order mark, or Windows-1252;
// comma or semicolon separated; the title row anywhere in the first lines; columns by
// title. False with *failure when it is none of the known files or a row cannot be read.
// The file is read a block at a time and each row handed on as it is read.
bool read(const QByteArray &bytes, OrderFile *file, Failure *failure,
          const Progress &progress = {});

// What importing a file does to the store, worked out before anything is written.
struct Plan
{
    enum class Action { Add, Update, Unchanged };
    struct Row
    {
        Action action;
        int line;
        FieldValues values; // the sold item as the file gives it
    };
    static constexpr size_t kPreviewRows = 20;

    Format format = Format::SellerHubOrders;
    std::vector<RecordValues> additions;
    std::vector<RecordChange> changes;
    int added = 0;
    int updated = 0;
    int unchanged = 0;
    std::vector<Row> preview; // the first rows of the file
    std::vector<TotalMismatch> totalMismatches; // as the file was read
    int mismatchCount = 0;

    // "Added 3, updated 1, unchanged 2."
    QString summary() const;
};

// Works out the plan against the store's records; the current record's pending change is
// written first, so the plan starts from what the file holds. A record of the same item and
// buyer gets only what it lacks: a paid or shipped date, a tracking number, feedback left,
// an empty field; no flag is cleared and no field a seller filled in is replaced.
Plan plan(const OrderFile &file, RecordStore &store);
// Reads the file and works out its plan in one pass, a row at a time, so that no more of the
// file is held than the records it adds and the fields it changes. False with *failure,
// and *plan left as it was, when the file is refused; `progress` hears (rows read, rows the
// file is thought to hold).
bool plan(QIODevice &file, RecordStore &store, Plan *plan, Failure *failure,
          const Progress &progress = {});

// Writes the plan in one transaction; the second hands the records it adds to the store.
void apply(const Plan &plan, RecordStore &store, const Progress &progress = {});
void apply(Plan &&plan, RecordStore &store, const Progress &progress = {});

} // namespace OrderImport
