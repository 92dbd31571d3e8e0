#include "recordstore.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <QSqlDriver>

#include <sqlite3.h>

namespace {

static_assert(kFieldCount <= 32, "the dirty mask holds one bit per field");

QString quoted(const QString &name) { return u'"' + name + u'"'; }

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

// Flags and empty fields make up most of a table; sharing their text keeps memory down.
const QString &zeroText()
{
    static const QString zero = QStringLiteral("0");
    return zero;
}

const QString &oneText()
{
    static const QString one = QStringLiteral("1");
    return one;
}

QString intern(QString &&value)
{
    if (value.isEmpty())
        return QString();
    if (value.size() == 1) {
        if (value == zeroText())
            return zeroText();
        if (value == oneText())
            return oneText();
    }
    return std::move(value);
}

// Empty fields are stored as "" rather than NULL, so other tools reading the file see text.
QString storedText(const QString &value) { return value.isNull() ? QStringLiteral("") : value; }

[[noreturn]] void fail(int number, const QString &detail) { throw LotwiseError(number, detail); }

QString sqlError(const QSqlError &e)
{
    const QString t = e.driverText().isEmpty() ? e.text() : e.driverText();
    return e.databaseText().isEmpty() ? t : e.databaseText();
}

class Connection
{
public:
    Connection(const QString &name, const QString &path, const QString &options) : m_name(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    const QString &name() const { return m_name; }

private:
    QString m_name;
};

// Refuses what is not a readable SQLite file before anything writes to it.
void checkExistingFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        fail(ErrorCode::CannotOpenDatabase, QStringLiteral("\"%1\" is a folder.").arg(path));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\" cannot be read: %2.").arg(path, f.errorString()));
    const QByteArray header = f.read(16);
    if (info.size() > 0 && header != QByteArray("SQLite format 3\0", 16))
        fail(ErrorCode::NotALotwiseDatabase,
             QStringLiteral("\"%1\" is not a database file.").arg(path));
}

// Returns true when the database has an Auctions table; throws when it cannot be read or
// holds something else.
bool checkSchema(QSqlDatabase db, const QString &path)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\" cannot be read: %2.").arg(path, sqlError(q.lastError())));
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    tables.removeIf([](const QString &t) { return t.startsWith(QLatin1String("sqlite_")); });
    if (!tables.contains(QStringLiteral("Auctions"))) {
        if (tables.isEmpty())
            return false;
        fail(ErrorCode::NotALotwiseDatabase,
             QStringLiteral("\"%1\" has no Auctions table.").arg(path));
    }
    if (!q.exec(QStringLiteral("PRAGMA table_info(\"Auctions\")")))
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\" cannot be read: %2.").arg(path, sqlError(q.lastError())));
    QStringList columns;
    while (q.next())
        columns << q.value(1).toString();
    for (const QString &n : Fields::names()) {
        if (!columns.contains(n))
            fail(ErrorCode::NotALotwiseDatabase,
                 QStringLiteral("The Auctions table of \"%1\" has no field \"%2\".").arg(path, n));
    }
    return true;
}

void exec(QSqlDatabase db, const QString &sql, const QString &path)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        fail(ErrorCode::DatabaseLocked,
             QStringLiteral("\"%1\": %2.").arg(path, sqlError(q.lastError())));
}

} // namespace

RecordStore::RecordStore(QObject *parent) : QObject(parent) {}

RecordStore::~RecordStore()
{
    try {
        close();
    } catch (const LotwiseError &e) {
        qWarning("Lotwise: the last change could not be written: %s", e.what());
    }
}

void RecordStore::open(const QString &path)
{
    close();
    const bool existed = QFileInfo::exists(path);
    bool hasTable = false;
    std::vector<AuctionRecord> loaded;

    if (existed) {
        checkExistingFile(path);
        // Read everything through a read-only connection first, so that a file we refuse
        // is never written to.
        Connection ro(newConnectionName(), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlDatabase db = ro.db();
        if (!db.open())
            fail(ErrorCode::CannotOpenDatabase,
                 QStringLiteral("\"%1\": %2.").arg(path, sqlError(db.lastError())));
        hasTable = checkSchema(db, path);
        if (hasTable) {
            m_records.clear();
            load(ro.name());
            loaded.swap(m_records);
        }
    }

    const QString name = newConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            const QString why = sqlError(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            fail(ErrorCode::CannotOpenDatabase, QStringLiteral("\"%1\": %2.").arg(path, why));
        }
        try {
            // A change written on reposition must survive a crash right after it.
            exec(db, QStringLiteral("PRAGMA journal_mode=WAL"), path);
            exec(db, QStringLiteral("PRAGMA synchronous=FULL"), path);
            if (!hasTable) {
                QStringList cols;
                for (const QString &n : Fields::names())
                    cols << quoted(n) + QStringLiteral(" TEXT DEFAULT ''");
                exec(db,
                     QStringLiteral("CREATE TABLE IF NOT EXISTS \"Auctions\" (id INTEGER "
                                    "PRIMARY KEY AUTOINCREMENT, %1)")
                         .arg(cols.join(QStringLiteral(", "))),
                     path);
            }
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw;
        }
    }
    m_connection = name;
    m_path = path;
    m_open = true;
    m_records.swap(loaded);
    rebuildCodes();
    m_dirty = 0;
    reposition(0);
}

namespace {

// Reads the whole table straight from SQLite on the connection Qt opened: the generic path
// builds a variant for every one of the three million values of a large table, which makes
// opening several times slower. Returns false when the connection is not SQLite.
bool loadFromSqlite(QSqlDatabase db, std::vector<AuctionRecord> *records, QString *error)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *h = *static_cast<sqlite3 *const *>(handle.constData());
    if (!h)
        return false;
    const QByteArray sql =
        QStringLiteral("SELECT rowid, %1 FROM \"Auctions\" ORDER BY rowid").arg(columnList()).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(h));
        return true;
    }
    sqlite3_stmt *count = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT count(*) FROM \"Auctions\"", -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW)
        records->reserve(size_t(sqlite3_column_int64(count, 0)));
    sqlite3_finalize(count);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        AuctionRecord r;
        r.rowId = sqlite3_column_int64(stmt, 0);
        for (int i = 0; i < kFieldCount; ++i) {
            const auto *text =
                reinterpret_cast<const char *>(sqlite3_column_text(stmt, i + 1));
            const int bytes = sqlite3_column_bytes(stmt, i + 1);
            if (!text || bytes == 0)
                continue;
            // Flags are most of the values: share "0" and "1" without building a string.
            if (bytes == 1 && (text[0] == '0' || text[0] == '1'))
                r.values[size_t(i)] = text[0] == '0' ? zeroText() : oneText();
            else
                r.values[size_t(i)] = QString::fromUtf8(text, bytes);
        }
        records->push_back(std::move(r));
    }
    if (rc != SQLITE_DONE)
        *error = QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_finalize(stmt);
    return true;
}

} // namespace

void RecordStore::load(const QString &connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    std::vector<AuctionRecord> records;
    QString error;
    if (!loadFromSqlite(db, &records, &error)) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (q.exec(QStringLiteral("SELECT rowid, %1 FROM \"Auctions\" ORDER BY rowid")
                       .arg(columnList()))) {
            while (q.next()) {
                AuctionRecord r;
                r.rowId = q.value(0).toLongLong();
                for (int i = 0; i < kFieldCount; ++i)
                    r.values[size_t(i)] = intern(q.value(i + 1).toString());
                records.push_back(std::move(r));
            }
        }
        if (q.lastError().isValid())
            error = sqlError(q.lastError());
    }
    if (!error.isEmpty())
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\" cannot be read: %2.").arg(db.databaseName(), error));
    m_records.swap(records);
}

FlagCodes flagCodesOf(const FieldValues &values)
{
    FlagCodes codes;
    for (int i = 0; i < kFieldCount; ++i)
        codes[size_t(i)] = Fields::flagCode(values[size_t(i)]);
    return codes;
}

void RecordStore::rebuildCodes()
{
    m_codes.clear();
    m_codes.reserve(m_records.size());
    for (const AuctionRecord &r : m_records)
        m_codes.push_back(flagCodesOf(r.values));
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
    try {
        flush();
    } catch (...) {
        m_open = false;
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
        throw;
    }
    m_open = false;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_records.clear();
    m_codes.clear();
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
    if (!q.exec(QStringLiteral("INSERT INTO \"Auctions\" DEFAULT VALUES")))
        fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
    AuctionRecord r;
    r.rowId = q.lastInsertId().toLongLong();
    m_codes.push_back(flagCodesOf(r.values));
    m_records.push_back(std::move(r));
    reposition(recordCount() - 1);
}

void RecordStore::deleteCurrent()
{
    const AuctionRecord &r = current();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("DELETE FROM \"Auctions\" WHERE rowid = ?"));
    q.addBindValue(r.rowId);
    if (!q.exec())
        fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
    m_dirty = 0;
    m_records.erase(m_records.begin() + m_pos);
    m_codes.erase(m_codes.begin() + m_pos);
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
    QString &slot = m_records[size_t(m_pos)].values[size_t(Fields::index(f))];
    if (slot == value && !slot.isNull())
        return;
    slot = value;
    m_codes[size_t(m_pos)][size_t(Fields::index(f))] = Fields::flagCode(value);
    m_dirty |= 1u << Fields::index(f);
}

void RecordStore::set(QStringView fieldName, const QString &value)
{
    set(fieldByName(fieldName), value);
}

void RecordStore::flush()
{
    if (!m_dirty || !hasCurrent())
        return;
    const AuctionRecord &r = m_records[size_t(m_pos)];
    QStringList sets;
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_dirty & (1u << i))
            sets << quoted(Fields::names()[size_t(i)]) + QStringLiteral(" = ?");
    }
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE \"Auctions\" SET %1 WHERE rowid = ?")
                  .arg(sets.join(QStringLiteral(", "))));
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_dirty & (1u << i))
            q.addBindValue(storedText(r.values[size_t(i)]));
    }
    q.addBindValue(r.rowId);
    // The change stays pending when the write fails, so the caller's error loses nothing.
    if (!q.exec())
        fail(ErrorCode::WriteFailed, sqlError(q.lastError()));
    m_dirty = 0;
}

void RecordStore::appendRecords(const std::vector<FieldValues> &rows)
{
    if (!m_open)
        fail(ErrorCode::CannotOpenDatabase, QStringLiteral("The record store is not open."));
    flush();
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        fail(ErrorCode::DatabaseLocked, sqlError(db.lastError()));
    QStringList marks;
    for (int i = 0; i < kFieldCount; ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO \"Auctions\" (%1) VALUES (%2)")
                  .arg(columnList(), marks.join(QStringLiteral(", "))));
    std::vector<AuctionRecord> added;
    added.reserve(rows.size());
    for (const FieldValues &row : rows) {
        for (int i = 0; i < kFieldCount; ++i)
            q.bindValue(i, storedText(row[size_t(i)]));
        if (!q.exec()) {
            const QString why = sqlError(q.lastError());
            db.rollback();
            fail(ErrorCode::WriteFailed, why);
        }
        AuctionRecord r;
        r.rowId = q.lastInsertId().toLongLong();
        r.values = row;
        added.push_back(std::move(r));
    }
    if (!db.commit()) {
        const QString why = sqlError(db.lastError());
        db.rollback();
        fail(ErrorCode::WriteFailed, why);
    }
    const bool wasEof = eof();
    for (auto &r : added) {
        m_codes.push_back(flagCodesOf(r.values));
        m_records.push_back(std::move(r));
    }
    if (wasEof && !m_onDeleted)
        m_pos = recordCount();
}
