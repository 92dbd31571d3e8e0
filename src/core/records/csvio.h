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

// Rows of CSV text handed over in pieces as a file is read, each row given as soon as its
// text is complete; quoting, blank lines and line numbers as parseText.
class RowReader
{
public:
    explicit RowReader(QChar separator) : m_separator(separator) {}
    // Reads the rows of `whole`, which stays the caller's and must outlive the reader.
    RowReader(QStringView whole, QChar separator);

    void feed(QStringView text);
    // No text follows what was fed.
    void finish() { m_finished = true; }
    enum class Next { Row, More, End, Error };
    // Row: *row and *line (the 1-based line it starts on) are set. More: feed more text.
    Next next(QStringList *row, int *line, ParseError *error);
    // How much fed text waits for the end of its row.
    qsizetype pending() const { return m_view.size() - m_pos; }

private:
    QChar m_separator;
    QString m_text;
    QStringView m_view;
    qsizetype m_pos = 0;
    int m_line = 1;
    bool m_finished = false;
};

// Records from CSV whose header row names fields of the Auctions table in any order;
// fields the header lacks stay empty. The apostrophe Writer puts before a text that a
// spreadsheet would run is taken off again, so an export reads back as it was.
bool readRecords(const QByteArray &bytes, std::vector<FieldValues> *records, ParseError *error);

QString quoteField(const QString &value);

// Every CSV written for people to open goes through this writer. A spreadsheet runs a cell
// that begins with "=", "+", "-", "@", a tab or a carriage return as a formula, so a buyer's
// text could run in the seller's spreadsheet: such a text cell gets an apostrophe first,
// which spreadsheets take as "this is text" and do not show. Amounts, counts and dates the
// program writes go as they stand. Rows end with CR LF; the bytes are UTF-8.
class Writer
{
public:
    Writer &text(const QString &cell);
    Writer &value(const QString &cell);
    void endRow();
    QByteArray bytes() const { return m_out.toUtf8(); }

private:
    void add(const QString &cell);
    QString m_out;
    bool m_rowStarted = false;
};
// The cell as Writer::text writes it, before CSV quoting, and back.
QString guardFormula(const QString &text);
QString unguardFormula(const QString &cell);

// Every record, all fields, header first, in stored order; CR LF line ends.
QByteArray writeRecords(const RecordStore &store);

} // namespace Csv
