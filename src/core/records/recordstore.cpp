// The record store's cursor over the records it holds in memory, and its writes; the opening
// of a file is in storefile.cpp, of a server in storeserver.cpp.

#include "recordstore.h"
#include "storesql.h"

#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QAtomicInt>
#include <QScopeGuard>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <future>
#include <string_view>
#include <unordered_map>

namespace StoreSql {

QString columnList()
{
    QStringList cols;
    for (const QString &n : Fields::names())
        cols << quoted(n);
    return cols.join(QStringLiteral(", "));
}

QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("lotwise-store-%1").arg(counter.fetchAndAddRelaxed(1));
}

void dropConnection(const QString &name)
{
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

[[noreturn]] void fail(int number, const QString &detail) { throw LotwiseError(number, detail); }

// Gives up a transaction: `why` is taken before the rollback, which may clear the error.
[[noreturn]] void abandon(QSqlDatabase &db, const QString &why)
{
    db.rollback();
    fail(ErrorCode::WriteFailed, why);
}

QString sqlError(const QSqlError &e)
{
    const QString t = e.driverText().isEmpty() ? e.text() : e.driverText();
    return e.databaseText().isEmpty() ? t : e.databaseText();
}

QString tableColumns(const QString &idColumn, const QString &revisionColumn)
{
    QStringList cols{idColumn, revisionColumn};
    for (const QString &n : Fields::names())
        cols << quoted(n) + QStringLiteral(" TEXT DEFAULT ''");
    return cols.join(QStringLiteral(", "));
}

void exec(QSqlDatabase db, const QString &sql, const QString &path)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        fail(ErrorCode::DatabaseLocked,
             QStringLiteral("\"%1\": %2.").arg(path, sqlError(q.lastError())));
}

} // namespace StoreSql

using namespace StoreSql;

namespace {

static_assert(kFieldCount <= 32, "the dirty mask holds one bit per field");

// A record's revision and its 30 fields from a query row that has the revision in column
// `revisionAt` and the fields after it.
void readRow(const QSqlQuery &q, AuctionRecord &r, int revisionAt)
{
    r.revision = q.value(revisionAt).toLongLong();
    std::array<QByteArray, kFieldCount> utf8;
    std::array<QByteArrayView, kFieldCount> texts;
    for (size_t i = 0; i < utf8.size(); ++i) {
        utf8[i] = q.value(revisionAt + 1 + int(i)).toString().toUtf8();
        texts[i] = utf8[i];
    }
    r.values = RecordValues::fromUtf8(texts);
}

} // namespace

RecordStore::RecordStore(QObject *parent) : QObject(parent)
{
    // Whatever changes records or moves them makes the item index again when next asked.
    connect(this, &RecordStore::recordsAboutToChange, this, [this] { m_itemsIndexed = false; });
}

RecordStore::~RecordStore()
{
    try {
        close();
    } catch (const LotwiseError &e) {
        qWarning("Lotwise: the last change could not be written: %s", e.what());
    }
}

QString RecordStore::keyColumn() const
{
    return m_server ? QStringLiteral("id") : QStringLiteral("rowid");
}

QString RecordStore::selectAll(bool withRevision, const QString &where) const
{
    return QStringLiteral("SELECT %1, %2, %3 FROM \"Auctions\" %4 ORDER BY %1")
        .arg(keyColumn(), withRevision ? kRevision : QStringLiteral("0"), columnList(), where);
}

void RecordStore::load(const QString &connection, bool withRevision)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    std::vector<AuctionRecord> records;
    QString error;
    const QString sql = selectAll(withRevision);
    if (!(m_server ? loadFromServer(db, sql, &records, &error)
                   : loadFromSqlite(db, sql, &records, &error))) {
        QSqlQuery q(db);
        // The whole result in one piece: row by row, the server driver is several times
        // slower for a large table.
        q.setForwardOnly(!m_server);
        if (q.exec(sql)) {
            if (q.size() > 0)
                records.reserve(size_t(q.size()));
            while (q.next()) {
                AuctionRecord r;
                r.rowId = q.value(0).toLongLong();
                readRow(q, r, 1);
                records.push_back(std::move(r));
            }
        }
        if (q.lastError().isValid())
            error = sqlError(q.lastError());
    }
    if (!error.isEmpty())
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\" cannot be read: %2.").arg(m_server ? m_path : db.databaseName(), error));
    emit recordsAboutToChange();
    m_records.swap(records);
}

namespace {

// The place of a date field among a record's day numbers, or -1.
int daySlot(Field f)
{
    switch (f) {
    case Field::CloseDate: return 0;
    case Field::InvoiceSentDate: return 1;
    case Field::PaymentMadeDate: return 2;
    case Field::ItemSentDate: return 3;
    default: return -1;
    }
}

constexpr Field kDateFields[] = {Field::CloseDate, Field::InvoiceSentDate, Field::PaymentMadeDate,
                                 Field::ItemSentDate};

qint32 dayNumber(const Dates::DateReader &reader, QByteArrayView utf8)
{
    if (utf8.isEmpty())
        return RecordStore::kNoDay;
    const auto d = reader.read(QString::fromUtf8(utf8));
    return d ? qint32(d->toJulianDay()) : RecordStore::kNoDay;
}

QByteArrayView dateText(const RecordValues &values, size_t slot)
{
    return values.utf8(size_t(Fields::index(kDateFields[slot])));
}

} // namespace

qint32 RecordStore::dayAt(int index, Field f) const
{
    const int slot = daySlot(f);
    return slot < 0 ? kNoDay : m_days[size_t(index)][size_t(slot)];
}

RecordStore::DayNumbers RecordStore::daysOf(const RecordValues &values) const
{
    const Dates::DateReader reader(m_dayLocale);
    DayNumbers days;
    for (size_t i = 0; i < days.size(); ++i)
        days[i] = dayNumber(reader, dateText(values, i));
    return days;
}

void RecordStore::recode(size_t index)
{
    m_codes[index] = flagCodesOf(m_records[index].values);
    m_days[index] = daysOf(m_records[index].values);
}

void RecordStore::rebuildCodes()
{
    m_dayLocale = QLocale();
    const size_t n = m_records.size();
    m_codes.resize(n);
    m_days.resize(n);
    // Records [from, to): one walk over each record's texts for its flags and its dates. A
    // table holds one date text per selling day at most: each is read once, keyed by the
    // records' own bytes, which stay where they are while this runs.
    const auto code = [this](size_t from, size_t to) {
        const Dates::DateReader reader(m_dayLocale);
        std::unordered_map<std::string_view, qint32> seen;
        for (size_t k = from; k < to; ++k) {
            const auto texts = m_records[k].values.utf8All();
            m_codes[k] = flagCodesOf(texts);
            for (size_t i = 0; i < m_days[k].size(); ++i) {
                const QByteArrayView text = texts[size_t(Fields::index(kDateFields[i]))];
                const std::string_view key(text.data(), size_t(text.size()));
                auto it = seen.find(key);
                if (it == seen.end())
                    it = seen.emplace(key, dayNumber(reader, text)).first;
                m_days[k][i] = it->second;
            }
        }
    };
    // A large table in two halves at once, one on another core.
    constexpr size_t kOneCore = 20000;
    if (n < kOneCore) {
        code(0, n);
        return;
    }
    auto half = std::async(std::launch::async, code, n / 2, n);
    code(0, n / 2);
    half.get();
}

void RecordStore::refresh()
{
    if (!m_open)
        fail(ErrorCode::CannotOpenDatabase, QStringLiteral("The record store is not open."));
    flush();
    load(m_connection);
    rebuildCodes();
    reposition(0);
}

void RecordStore::close()
{
    if (!m_open)
        return;
    {
        // The connection goes whether or not the pending change could be written.
        const auto release = qScopeGuard([this] {
            m_open = false;
            StoreSql::dropConnection(m_connection);
        });
        flush();
    }
    emit recordsAboutToChange();
    m_records.clear();
    m_codes.clear();
    m_days.clear();
    m_pos = 0;
}

bool RecordStore::eof() const { return !m_onDeleted && m_pos >= recordCount(); }
bool RecordStore::bof() const { return !m_onDeleted && (m_pos < 0 || m_records.empty()); }
bool RecordStore::hasCurrent() const
{
    return !m_onDeleted && m_pos >= 0 && m_pos < recordCount();
}

const AuctionRecord &RecordStore::current() const
{
    if (!hasCurrent())
        fail(ErrorCode::NoCurrentRecord, {});
    return m_records[size_t(m_pos)];
}

void RecordStore::reposition(int pos)
{
    m_pos = pos;
    m_onDeleted = false;
    emit repositioned();
}

void RecordStore::moveFirst()
{
    if (m_records.empty())
        fail(ErrorCode::NoCurrentRecord, {});
    flush();
    reposition(0);
}

void RecordStore::moveLast()
{
    if (m_records.empty())
        fail(ErrorCode::NoCurrentRecord, {});
    flush();
    reposition(recordCount() - 1);
}

void RecordStore::moveNext()
{
    if (eof())
        fail(ErrorCode::NoCurrentRecord, {});
    flush();
    // After a delete the position sits on the removed record; the next one took its index.
    reposition(m_onDeleted ? m_pos : m_pos + 1);
}

void RecordStore::movePrevious()
{
    if (bof())
        fail(ErrorCode::NoCurrentRecord, {});
    flush();
    reposition(m_pos - 1);
}

void RecordStore::moveTo(int index)
{
    if (index < 0 || index >= recordCount())
        fail(ErrorCode::NoCurrentRecord, {});
    flush();
    reposition(index);
}

void RecordStore::addNew()
{
    if (!m_open)
        fail(ErrorCode::CannotOpenDatabase, QStringLiteral("The record store is not open."));
    flush();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    AuctionRecord r;
    if (m_server) {
        if (!q.exec(QStringLiteral("INSERT INTO \"Auctions\" DEFAULT VALUES RETURNING id")) ||
            !q.next())
            fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
        r.rowId = q.value(0).toLongLong();
    } else {
        if (!q.exec(QStringLiteral("INSERT INTO \"Auctions\" DEFAULT VALUES")))
            fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
        r.rowId = q.lastInsertId().toLongLong();
    }
    m_codes.push_back(flagCodesOf(r.values));
    m_days.push_back(daysOf(r.values));
    m_records.push_back(std::move(r));
    reposition(recordCount() - 1);
}

void RecordStore::deleteCurrent()
{
    const AuctionRecord &r = current();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM \"Auctions\" WHERE %1 = ?").arg(keyColumn()));
    q.addBindValue(r.rowId);
    if (!q.exec())
        fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
    m_dirty = 0;
    emit recordsAboutToChange();
    m_records.erase(m_records.begin() + m_pos);
    m_codes.erase(m_codes.begin() + m_pos);
    m_days.erase(m_days.begin() + m_pos);
    m_onDeleted = true;
    emit repositioned();
}

QString RecordStore::get(Field f) const { return current()[f]; }

Field RecordStore::fieldByName(QStringView name) const
{
    const auto f = Fields::byName(name);
    if (!f)
        fail(ErrorCode::ItemNotFound, QStringLiteral("No field is called \"%1\".").arg(name));
    return *f;
}

QString RecordStore::get(QStringView fieldName) const { return get(fieldByName(fieldName)); }

void RecordStore::set(Field f, const QString &value)
{
    current();
    RecordValues &values = m_records[size_t(m_pos)].values;
    const size_t i = size_t(Fields::index(f));
    // A field that holds nothing at all takes even an empty text, which is then written.
    if (const QString now = std::as_const(values)[i]; now == value && !now.isNull())
        return;
    emit recordsAboutToChange();
    values.set(i, value);
    m_codes[size_t(m_pos)][i] = Fields::flagCode(value);
    if (const int slot = daySlot(f); slot >= 0)
        m_days[size_t(m_pos)][size_t(slot)] =
            dayNumber(Dates::DateReader(m_dayLocale), values.utf8(i));
    m_dirty |= 1u << Fields::index(f);
}

void RecordStore::set(QStringView fieldName, const QString &value)
{
    set(fieldByName(fieldName), value);
}

bool RecordStore::reread(AuctionRecord &r)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT %1, %2 FROM \"Auctions\" WHERE %3 = ?")
                  .arg(kRevision, columnList(), keyColumn()));
    q.addBindValue(r.rowId);
    if (!q.exec())
        fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
    if (!q.next())
        return false;
    readRow(q, r, 0);
    return true;
}

void RecordStore::flush()
{
    if (!m_dirty || !hasCurrent())
        return;
    AuctionRecord &r = m_records[size_t(m_pos)];
    QStringList sets;
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_dirty & (1u << i))
            sets << quoted(Fields::names()[size_t(i)]) + QStringLiteral(" = ?");
    }
    sets << kRevision + QStringLiteral(" = ") + kRevision + QStringLiteral(" + 1");
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // Only when nobody wrote the record since it was read: the counter is still ours.
    q.prepare(QStringLiteral("UPDATE \"Auctions\" SET %1 WHERE %2 = ? AND %3 = ?")
                  .arg(sets.join(QStringLiteral(", ")), keyColumn(), kRevision));
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_dirty & (1u << i))
            q.addBindValue(storedText(r.values[size_t(i)]));
    }
    q.addBindValue(r.rowId);
    q.addBindValue(r.revision);
    // The change stays pending when the write fails, so the caller's error loses nothing.
    if (!q.exec())
        fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
    if (q.numRowsAffected() == 1) {
        ++r.revision;
        m_dirty = 0;
        return;
    }

    // Somebody else got there first: take their record and hand back what was typed here.
    StoreConflict conflict;
    const FieldValues mine = r.values.toFieldValues();
    emit recordsAboutToChange();
    conflict.deleted = !reread(r);
    const FieldValues now = conflict.deleted ? mine : r.values.toFieldValues();
    conflict.userName = now[Fields::index(Field::UserName)];
    conflict.auctionName = now[Fields::index(Field::AuctionName)];
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_dirty & (1u << i))
            conflict.changes.push_back({Field(i), mine[size_t(i)],
                                        conflict.deleted ? QString() : now[size_t(i)]});
    }
    recode(size_t(m_pos));
    m_dirty = 0;
    emit changedElsewhere(conflict);
}

void RecordStore::markCurrent(const std::vector<std::pair<Field, QString>> &changes)
{
    current();
    flush();
    if (!hasCurrent() || changes.empty())
        return;
    AuctionRecord &r = m_records[size_t(m_pos)];
    QStringList sets;
    for (const auto &c : changes)
        sets << quoted(Fields::name(c.first)) + QStringLiteral(" = ?");
    sets << kRevision + QStringLiteral(" = ") + kRevision + QStringLiteral(" + 1");
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // One statement for the write, and the re-read in the same transaction, so what we then
    // hold is exactly the record our write produced.
    if (!db.transaction())
        fail(ErrorCode::DatabaseLocked, sqlError(db.lastError()));
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE \"Auctions\" SET %1 WHERE %2 = ?")
                  .arg(sets.join(QStringLiteral(", ")), keyColumn()));
    for (const auto &c : changes)
        q.addBindValue(storedText(c.second));
    q.addBindValue(r.rowId);
    if (!q.exec())
        abandon(db, sqlError(q.lastError()));
    const bool found = q.numRowsAffected() == 1;
    const FieldValues mine = r.values.toFieldValues();
    emit recordsAboutToChange();
    if (found && !reread(r))
        abandon(db, QStringLiteral("The record could not be read back."));
    if (!db.commit())
        abandon(db, sqlError(db.lastError()));
    if (!found) {
        StoreConflict conflict;
        conflict.deleted = true;
        conflict.userName = mine[Fields::index(Field::UserName)];
        conflict.auctionName = mine[Fields::index(Field::AuctionName)];
        for (const auto &c : changes)
            conflict.changes.push_back({c.first, c.second, QString()});
        emit changedElsewhere(conflict);
        return;
    }
    recode(size_t(m_pos));
}

qint64 RecordStore::storedCount() const
{
    if (!m_open)
        fail(ErrorCode::CannotOpenDatabase, QStringLiteral("The record store is not open."));
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT count(*) FROM \"Auctions\"")) || !q.next())
        fail(ErrorCode::CannotOpenDatabase, sqlError(q.lastError()));
    return q.value(0).toLongLong();
}

namespace {

std::vector<RecordValues> compact(const std::vector<FieldValues> &rows)
{
    std::vector<RecordValues> out;
    out.reserve(rows.size());
    for (const FieldValues &r : rows)
        out.emplace_back(r);
    return out;
}

} // namespace

void RecordStore::appendRecords(const std::vector<FieldValues> &rows, bool replaceAll)
{
    std::vector<RecordValues> values = compact(rows);
    write({}, values, replaceAll, {});
}

void RecordStore::writeChanges(const std::vector<RecordChange> &changes,
                               const std::vector<FieldValues> &rows,
                               const std::function<void(int, int)> &progress)
{
    std::vector<RecordValues> values = compact(rows);
    write(changes, values, false, progress);
}

void RecordStore::writeChangesTakingRows(const std::vector<RecordChange> &changes,
                                         std::vector<RecordValues> &&rows,
                                         const std::function<void(int, int)> &progress)
{
    write(changes, rows, false, progress);
}

std::vector<int> RecordStore::recordsWithItem(const QString &itemNumber) const
{
    std::vector<int> found;
    const QString item = itemNumber.trimmed();
    if (item.isEmpty())
        return found;
    if (!m_itemsIndexed) {
        m_items.clear();
        m_items.reserve(m_records.size());
        for (int i = 0; i < recordCount(); ++i) {
            const QString number = m_records[size_t(i)][Field::AuctionUrl].trimmed();
            if (!number.isEmpty())
                m_items.emplace_back(qHash(number), i);
        }
        std::sort(m_items.begin(), m_items.end());
        m_itemsIndexed = true;
    }
    const size_t hash = qHash(item);
    auto it = std::lower_bound(m_items.begin(), m_items.end(), std::pair<size_t, int>(hash, -1));
    for (; it != m_items.end() && it->first == hash; ++it)
        if (m_records[size_t(it->second)][Field::AuctionUrl].trimmed() == item)
            found.push_back(it->second);
    std::sort(found.begin(), found.end());
    return found;
}

void RecordStore::write(const std::vector<RecordChange> &changes,
                        std::vector<RecordValues> &rows, bool replaceAll,
                        const std::function<void(int, int)> &progress)
{
    if (!m_open)
        fail(ErrorCode::CannotOpenDatabase, QStringLiteral("The record store is not open."));
    flush();
    const QString changedMeanwhile =
        QStringLiteral("A record was changed by someone else meanwhile, so nothing was "
                       "written. Try again.");
    for (const RecordChange &c : changes) {
        if (c.index < 0 || c.index >= recordCount() ||
            m_records[size_t(c.index)].revision != c.revision)
            fail(ErrorCode::WriteFailed, changedMeanwhile);
    }
    const int total = int(changes.size() + rows.size());
    int done = 0;
    const auto step = [&] {
        // Often enough for a progress bar, seldom enough not to slow the write.
        if (progress && (++done % 256 == 0 || done == total))
            progress(done, total);
    };
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        fail(ErrorCode::DatabaseLocked, sqlError(db.lastError()));
    if (replaceAll) {
        QSqlQuery del(db);
        if (!del.exec(QStringLiteral("DELETE FROM \"Auctions\"")))
            abandon(db, sqlError(del.lastError()));
    }
    // One prepared statement for each set of fields written; imports change the same few.
    QHash<quint32, QSqlQuery> updates;
    for (const RecordChange &c : changes) {
        quint32 mask = 0;
        for (const auto &f : c.fields)
            mask |= 1u << Fields::index(f.first);
        auto it = updates.find(mask);
        if (it == updates.end()) {
            QStringList sets;
            for (const auto &f : c.fields)
                sets << quoted(Fields::name(f.first)) + QStringLiteral(" = :f%1").arg(Fields::index(f.first));
            sets << kRevision + QStringLiteral(" = ") + kRevision + QStringLiteral(" + 1");
            it = updates.insert(mask, QSqlQuery(db));
            it->prepare(QStringLiteral("UPDATE \"Auctions\" SET %1 WHERE %2 = :key AND %3 = :rev")
                            .arg(sets.join(QStringLiteral(", ")), keyColumn(), kRevision));
        }
        for (const auto &f : c.fields)
            it->bindValue(QStringLiteral(":f%1").arg(Fields::index(f.first)), storedText(f.second));
        it->bindValue(QStringLiteral(":key"), m_records[size_t(c.index)].rowId);
        it->bindValue(QStringLiteral(":rev"), c.revision);
        if (!it->exec())
            abandon(db, sqlError(it->lastError()));
        // Another seat wrote or deleted it since we read it.
        if (it->numRowsAffected() != 1)
            abandon(db, changedMeanwhile);
        step();
    }
    std::vector<qint64> ids;
    insertRows(db, rows, &ids, step);
    if (!db.commit())
        abandon(db, sqlError(db.lastError()));
    if (!changes.empty() || replaceAll)
        emit recordsAboutToChange();
    for (const RecordChange &c : changes) {
        AuctionRecord &r = m_records[size_t(c.index)];
        for (const auto &f : c.fields)
            r.values.set(size_t(Fields::index(f.first)), f.second);
        ++r.revision;
        recode(size_t(c.index));
    }
    if (replaceAll) {
        m_records.clear();
        m_codes.clear();
        m_days.clear();
        m_onDeleted = false;
        m_dirty = 0;
    }
    const bool wasEof = eof();
    // Committed: the new records are kept as they are, without a copy.
    m_records.reserve(m_records.size() + rows.size());
    m_codes.reserve(m_records.capacity());
    m_days.reserve(m_records.capacity());
    for (size_t i = 0; i < rows.size(); ++i) {
        AuctionRecord r;
        r.rowId = ids[i];
        r.values = std::move(rows[i]);
        m_codes.push_back(flagCodesOf(r.values));
        m_days.push_back(daysOf(r.values));
        m_records.push_back(std::move(r));
    }
    if (!rows.empty())
        m_itemsIndexed = false;
    rows.clear();
    if (replaceAll)
        reposition(0);
    else if (wasEof && !m_onDeleted)
        m_pos = recordCount();
}

// Inserts the rows in the open transaction and gives their keys, in the order given; a
// failure abandons the transaction and leaves `rows` as they are.
void RecordStore::insertRows(QSqlDatabase &db, const std::vector<RecordValues> &rows,
                             std::vector<qint64> *ids, const std::function<void()> &step)
{
    ids->reserve(rows.size());
    if (m_server) {
        // Round trips dominate on a server: many rows a statement, with ids taken from the
        // table's sequence up front so stored order is the order given.
        constexpr size_t kChunk = 500;
        for (size_t at = 0; at < rows.size(); at += kChunk) {
            const size_t n = std::min(kChunk, rows.size() - at);
            QSqlQuery idQuery(db);
            if (!idQuery.exec(QStringLiteral("SELECT nextval(pg_get_serial_sequence('\"Auctions\"', "
                                             "'id')) FROM generate_series(1, %1)")
                                  .arg(n)))
                abandon(db, sqlError(idQuery.lastError()));
            std::vector<qint64> taken;
            while (idQuery.next())
                taken.push_back(idQuery.value(0).toLongLong());
            std::sort(taken.begin(), taken.end());
            if (taken.size() != n)
                abandon(db, QStringLiteral("The server gave too few record numbers."));
            QStringList marks;
            for (int i = 0; i <= kFieldCount; ++i)
                marks << QStringLiteral("?");
            const QString one = u'(' + marks.join(u',') + u')';
            QStringList values;
            for (size_t i = 0; i < n; ++i)
                values << one;
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO \"Auctions\" (id, %1) VALUES %2")
                          .arg(columnList(), values.join(u',')));
            int bind = 0;
            for (size_t i = 0; i < n; ++i) {
                q.bindValue(bind++, taken[i]);
                for (int f = 0; f < kFieldCount; ++f)
                    q.bindValue(bind++, storedText(rows[at + i][size_t(f)]));
            }
            if (!q.exec())
                abandon(db, sqlError(q.lastError()));
            for (size_t i = 0; i < n; ++i) {
                ids->push_back(taken[i]);
                step();
            }
        }
        return;
    }
    QString error;
    if (insertIntoSqlite(db, rows, ids, step, &error))
        return;
    if (!error.isEmpty())
        abandon(db, error);
    QStringList marks;
    for (int i = 0; i < kFieldCount; ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO \"Auctions\" (%1) VALUES (%2)")
                  .arg(columnList(), marks.join(QStringLiteral(", "))));
    for (const RecordValues &row : rows) {
        for (int i = 0; i < kFieldCount; ++i)
            q.bindValue(i, storedText(row[size_t(i)]));
        if (!q.exec())
            abandon(db, sqlError(q.lastError()));
        ids->push_back(q.lastInsertId().toLongLong());
        step();
    }
}

QString StoreConflict::message() const
{
    QString text = deleted
                       ? QStringLiteral("The record of %1, \"%2\", was deleted on another "
                                        "computer, so your change to it was not saved.")
                       : QStringLiteral("The record of %1, \"%2\", was changed on another "
                                        "computer since you opened it, so your change was not "
                                        "saved. The record now shows the other change.");
    text = text.arg(userName.isEmpty() ? QStringLiteral("(no user name)") : userName, auctionName);
    text += QStringLiteral("\r\n\r\nWhat you entered:");
    for (const Change &c : changes) {
        text += QStringLiteral("\r\n%1: %2").arg(Fields::name(c.field), c.mine);
        if (!deleted)
            text += QStringLiteral("    (now: %1)").arg(c.theirs);
    }
    return text;
}