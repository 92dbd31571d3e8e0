#pragma once

#include "records/recordstore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// CSV (RFC 4180, UTF-8) exchange of auction records.
namespace Csv {

struct ParseError
{
    int line = 0; // 1-based line of the file where the fault is
    QString message;
};

// Splits CSV text into rows of fields. Quoted fields may hold commas, quotes ("") and line
// breaks. A blank line is skipped. Returns false with *error at the first fault.
bool parse(const QByteArray &bytes, std::vector<QStringList> *rows, ParseError *error,
           std::vector<int> *rowLines = nullptr);
// The same over text already decoded, with fields separated by `separator`.
bool parseText(QStringView text, QChar separator, std::vector<QStringList> *rows,
               ParseError *error, std::vector<int> *rowLines = nullptr);

// Records from CSV whose header row names fields of the Auctions table in any order;
// fields the header lacks stay empty.
bool readRecords(const QByteArray &bytes, std::vector<FieldValues> *records, ParseError *error);

QString quoteField(const QString &value);
// Every record, all fields, header first, in stored order; CR LF line ends.
QByteArray writeRecords(const RecordStore &store);

} // namespace Csv
