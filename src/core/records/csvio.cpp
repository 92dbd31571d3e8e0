#include "csvio.h"

#include <QSet>
#include <QStringDecoder>

namespace Csv {

bool parse(const QByteArray &bytes, std::vector<QStringList> *rows, ParseError *error,
           std::vector<int> *rowLines)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        int line = 1;
        // Find the first line that does not decode, to point the user at it.
        for (const QByteArray &l : bytes.split('\n')) {
            QStringDecoder d(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            (void)d.decode(l);
            if (d.hasError())
                break;
            ++line;
        }
        *error = {line, QStringLiteral("the text is not UTF-8")};
        return false;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return parseText(text, u',', rows, error, rowLines);
}

bool parseText(QStringView text, QChar separator, std::vector<QStringList> *rows,
               ParseError *error, std::vector<int> *rowLines)
{
    rows->clear();
    RowReader reader(text, separator);
    QStringList row;
    int line = 0;
    for (;;) {
        switch (reader.next(&row, &line, error)) {
        case RowReader::Next::Row:
            rows->push_back(row);
            if (rowLines)
                rowLines->push_back(line);
            break;
        case RowReader::Next::Error: return false;
        case RowReader::Next::More:
        case RowReader::Next::End: return true;
        }
    }
}

RowReader::RowReader(QStringView whole, QChar separator) : m_separator(separator), m_view(whole)
{
    m_finished = true;
}

void RowReader::feed(QStringView text)
{
    // What was read is let go; the start of an unfinished row stays.
    QString rest;
    rest.reserve(m_view.size() - m_pos + text.size());
    rest.append(m_view.mid(m_pos));
    rest.append(text);
    m_text = std::move(rest);
    m_view = m_text;
    m_pos = 0;
}

RowReader::Next RowReader::next(QStringList *row, int *rowLine, ParseError *error)
{
    const QStringView text = m_view;
    const qsizetype n = text.size();
    const QChar separator = m_separator;
    for (;;) {
        row->clear();
        QString field;
        int line = m_line;
        const int startLine = m_line;
        bool quoted = false;    // inside a quoted field
        bool wasQuoted = false; // the current field was quoted and its quote closed
        bool fieldStarted = false;
        int quoteLine = line; // where the open quoted field began
        qsizetype i = m_pos;
        bool ended = false;
        for (; i < n && !ended; ++i) {
            const QChar c = text[i];
            if (quoted) {
                if (c == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        ++i;
                    } else if (i + 1 == n && !m_finished) {
                        return Next::More; // "" split between two pieces
                    } else {
                        quoted = false;
                        wasQuoted = true;
                    }
                } else if (c == u'\n') {
                    ++line;
                    field += c;
                } else {
                    // The run up to the next quote or line break in one piece.
                    qsizetype j = i + 1;
                    while (j < n && text[j] != u'"' && text[j] != u'\n')
                        ++j;
                    field += text.sliced(i, j - i);
                    i = j - 1;
                }
                continue;
            }
            if (c == separator) {
                row->append(field);
                field.clear();
                wasQuoted = fieldStarted = false;
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && i + 1 == n && !m_finished)
                    return Next::More; // a line feed may follow in the next piece
                if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                    ++i;
                ++line;
                ended = true;
            } else if (wasQuoted) {
                *error = {line, QStringLiteral("text follows a closing quote")};
                return Next::Error;
            } else if (c == u'"') {
                if (fieldStarted) {
                    *error = {line, QStringLiteral("a quote inside an unquoted field")};
                    return Next::Error;
                }
                quoted = true;
                quoteLine = line;
                fieldStarted = true;
            } else {
                qsizetype j = i + 1;
                while (j < n && text[j] != separator && text[j] != u'\r' && text[j] != u'\n' &&
                       text[j] != u'"')
                    ++j;
                field += text.sliced(i, j - i);
                i = j - 1;
                fieldStarted = true;
            }
        }
        if (!ended) {
            if (!m_finished)
                return Next::More;
            if (quoted) {
                *error = {quoteLine, QStringLiteral("a quoted field is not closed")};
                return Next::Error;
            }
            if (!fieldStarted && !wasQuoted && row->isEmpty()) {
                m_pos = i;
                return Next::End;
            }
        }
        row->append(field);
        m_pos = i;
        m_line = line;
        // A blank line is no row.
        if (row->size() == 1 && row->front().isEmpty() && !wasQuoted)
            continue;
        *rowLine = startLine;
        return Next::Row;
    }
}

bool readRecords(const QByteArray &bytes, std::vector<FieldValues> *records, ParseError *error)
{
    std::vector<QStringList> rows;
    std::vector<int> lines;
    if (!parse(bytes, &rows, error, &lines))
        return false;
    if (rows.empty()) {
        *error = {1, QStringLiteral("there is no header row")};
        return false;
    }
    std::vector<int> columns;
    QSet<QString> seen;
    for (const QString &name : rows.front()) {
        const auto f = Fields::byName(name);
        if (!f) {
            *error = {lines.front(), QStringLiteral("\"%1\" is not a field of the Auctions table")
                                         .arg(name)};
            return false;
        }
        if (seen.contains(name)) {
            *error = {lines.front(), QStringLiteral("the field \"%1\" is named twice").arg(name)};
            return false;
        }
        seen.insert(name);
        columns.push_back(Fields::index(*f));
    }
    records->clear();
    for (size_t r = 1; r < rows.size(); ++r) {
        const QStringList &row = rows[r];
        if (size_t(row.size()) != columns.size()) {
            *error = {lines[r], QStringLiteral("the row has %1 fields where the header has %2")
                                    .arg(row.size())
                                    .arg(columns.size())};
            return false;
        }
        FieldValues values;
        for (size_t c = 0; c < columns.size(); ++c)
            values[size_t(columns[c])] = unguardFormula(row[qsizetype(c)]);
        records->push_back(std::move(values));
    }
    return true;
}

QString quoteField(const QString &value)
{
    const bool needs = value.contains(u',') || value.contains(u'"') || value.contains(u'\r') ||
                       value.contains(u'\n');
    if (!needs)
        return value;
    QString q = value;
    q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

namespace {

// What a spreadsheet runs: a text starting with one of these. Apostrophes before them count
// too, so that a text that really begins with an apostrophe keeps it through a round trip.
bool runsAsFormula(QStringView text)
{
    while (text.startsWith(u'\''))
        text = text.mid(1);
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}

// "-12.5", "3": a number a spreadsheet reads as a number, nothing it could run.
bool isPlainNumber(QStringView text)
{
    qsizetype i = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        if (text[i].isDigit() && text[i].unicode() < 128)
            digits = true;
        else if (text[i] == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace

QString guardFormula(const QString &text)
{
    return runsAsFormula(text) ? u'\'' + text : text;
}

QString unguardFormula(const QString &cell)
{
    return cell.startsWith(u'\'') && runsAsFormula(QStringView(cell).mid(1)) ? cell.mid(1) : cell;
}

void Writer::add(const QString &cell)
{
    if (m_rowStarted)
        m_out += u',';
    m_out += quoteField(cell);
    m_rowStarted = true;
}

Writer &Writer::text(const QString &cell)
{
    add(guardFormula(cell));
    return *this;
}

Writer &Writer::value(const QString &cell)
{
    add(cell);
    return *this;
}

void Writer::endRow()
{
    m_out += QStringLiteral("\r\n");
    m_rowStarted = false;
}

QByteArray writeRecords(const RecordStore &store)
{
    Writer out;
    for (const QString &n : Fields::names())
        out.text(n);
    out.endRow();
    for (int i = 0; i < store.recordCount(); ++i) {
        // Every field is text a seller typed or a file brought; a plain number (a total, a
        // flag) cannot run and goes as it is, anything else through the guard.
        for (const QString &v : store.recordAt(i).values) {
            if (isPlainNumber(v))
                out.value(v);
            else
                out.text(v);
        }
        out.endRow();
    }
    return out.bytes();
}

} // namespace Csv
