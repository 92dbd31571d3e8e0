#pragma once

#include "records/orderimport.h"
#include "records/recordstore.h"

#include <QString>
#include <functional>
#include <vector>

class QIODevice;

// What reading an order file and matching it with the records kept both rely on.
namespace OrderImport {

inline const QString &at(const FieldValues &v, Field f) { return v[size_t(Fields::index(f))]; }

// Titles and keys compare ignoring letter case and surrounding blanks.
inline QString key(const QString &title) { return title.trimmed().toCaseFolded(); }

// The name a whole Etsy order's record carries until its first item takes it over.
inline QString etsyOrderName(const QString &order) { return QStringLiteral("Etsy order ") + order; }

// What reading a file hands on: its kind once the title row is read (again, when the file
// is read a second time as Windows-1252), each sold item as its row is read, and at the end
// the orders that do not add up.
struct ItemSink
{
    std::function<void(Format)> begin;
    std::function<void(SoldItem &&)> item;
    std::function<void(std::vector<TotalMismatch> &&, int count)> mismatches;
};

// Reads the file from its start, a block at a time, handing each row on as it is read.
bool readItems(QIODevice &device, const ItemSink &sink, Failure *failure,
               const Progress &progress);

} // namespace OrderImport
