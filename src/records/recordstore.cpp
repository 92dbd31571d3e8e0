#include "recordstore.h"

#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QAtomicInt>
#include <algorithm>
#include <QFile>
#include <QHash>
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

// The change counter beside the 30 fields; added to older tables on open.
const QString kRevision = QStringLiteral("revision");

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

// SQLite's own verdict that the file is not whole, as against locked or unreadable.
bool isDamage(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

[[noreturn]] void failRead(const QSqlError &e, const QString &path)
{
    fail(isDamage(e) ? ErrorCode::DatabaseDamaged : ErrorCode::CannotOpenDatabase,
         QStringLiteral("\"%1\" cannot be read: %2.").arg(path, sqlError(e)));
}

// The pages and indexes of the file are whole: SQLite answers a single "ok".
void checkIntegrity(QSqlDatabase db, const QString &path, RecordStore::Integrity level)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(level == RecordStore::Integrity::Quick ? QStringLiteral("PRAGMA quick_check")
                                                       : QStringLiteral("PRAGMA integrity_check")))
        failRead(q.lastError(), path);
    QStringList found;
    while (q.next())
        found << q.value(0).toString();
    if (q.lastError().isValid())
        failRead(q.lastError(), path);
    if (found != QStringList{QStringLiteral("ok")})
        fail(ErrorCode::DatabaseDamaged,
             QStringLiteral("\"%1\" fails the integrity check: %2.")
                 .arg(path, found.mid(0, 3).join(QStringLiteral("; "))));
}

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

// Opens the existing store file on `ro` once it has passed the checks that refuse what is
// not a whole SQLite file.
QSqlDatabase openChecked(const Connection &ro, const QString &path, RecordStore::Integrity level)
{
    checkExistingFile(path);
    QSqlDatabase db = ro.db();
    if (!db.open())
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\": %2.").arg(path, sqlError(db.lastError())));
    checkIntegrity(db, path, level);
    return db;
}

// Returns true when the database has an Auctions table; throws when it cannot be read or
// holds something else. *hasRevision tells whether the change counter is there yet.
bool checkSchema(QSqlDatabase db, const QString &path, bool *hasRevision)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        failRead(q.lastError(), path);
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
        failRead(q.lastError(), path);
    QStringList columns;
    while (q.next())
        columns << q.value(1).toString();
    for (const QString &n : Fields::names()) {
        if (!columns.contains(n))
            fail(ErrorCode::NotALotwiseDatabase,
                 QStringLiteral("The Auctions table of \"%1\" has no field \"%2\".").arg(path, n));
    }
    *hasRevision = columns.contains(kRevision);
    return true;
}

// The same for a server database: the table's columns from the information schema.
bool checkServerSchema(QSqlDatabase db, const QString &where, bool *hasRevision)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT column_name FROM information_schema.columns "
                               "WHERE table_schema = current_schema() AND table_name = 'Auctions'")))
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("%1 cannot be read: %2.").arg(where, sqlError(q.lastError())));
    QStringList columns;
    while (q.next())
        columns << q.value(0).toString();
    if (columns.isEmpty())
        return false;
    for (const QString &n : Fields::names()) {
        if (!columns.contains(n))
            fail(ErrorCode::NotALotwiseDatabase,
                 QStringLiteral("The Auctions table of %1 has no field \"%2\".").arg(where, n));
    }
    if (!columns.contains(QStringLiteral("id")))
        fail(ErrorCode::NotALotwiseDatabase,
             QStringLiteral("The Auctions table of %1 has no id column.").arg(where));
    *hasRevision = columns.contains(kRevision);
    return true;
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
    if (m_useServer) {
        openServer(m_useServer->first, m_useServer->second);
        return;
    }
    close();
    const bool existed = QFileInfo::exists(path);
    bool hasTable = false;
    bool hasRevision = false;
    std::vector<AuctionRecord> loaded;

    if (existed) {
        // Read everything through a read-only connection first, so that a file we refuse
        // is never written to.
        Connection ro(newConnectionName(), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlDatabase db = openChecked(ro, path, Integrity::Quick);
        hasTable = checkSchema(db, path, &hasRevision);
        if (hasTable) {
            emit recordsAboutToChange();
            m_records.clear();
            m_server = false;
            load(ro.name(), hasRevision);
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
                exec(db,
                     QStringLiteral("CREATE TABLE IF NOT EXISTS \"Auctions\" (%1)")
                         .arg(tableColumns(
                             QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT"),
                             kRevision + QStringLiteral(" INTEGER NOT NULL DEFAULT 0"))),
                     path);
            } else if (!hasRevision) {
                exec(db,
                     QStringLiteral("ALTER TABLE \"Auctions\" ADD COLUMN %1 INTEGER NOT NULL "
                                    "DEFAULT 0")
                         .arg(kRevision),
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
    m_server = false;
    m_open = true;
    emit recordsAboutToChange();
    m_records.swap(loaded);
    rebuildCodes();
    m_dirty = 0;
    reposition(0);
}

StoreFileCheck RecordStore::checkFile(const QString &path, Integrity level)
{
    StoreFileCheck result;
    try {
        if (!QFileInfo::exists(path))
            fail(ErrorCode::FileNotFound, QStringLiteral("\"%1\" does not exist.").arg(path));
        Connection ro(newConnectionName(), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlDatabase db = openChecked(ro, path, level);
        bool hasRevision = false;
        if (!checkSchema(db, path, &hasRevision))
            fail(ErrorCode::NotALotwiseDatabase,
                 QStringLiteral("\"%1\" has no Auctions table.").arg(path));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT count(*) FROM \"Auctions\"")) || !q.next())
            failRead(q.lastError(), path);
        result.records = q.value(0).toLongLong();
    } catch (const LotwiseError &e) {
        result.error = e.number();
        result.problem = e.detail().isEmpty() ? e.description() : e.detail();
    }
    return result;
}

namespace {

QString serverName(const StoreAddress &a) { return QStringLiteral("the database %1").arg(a.describe()); }

// Adds and opens a PostgreSQL connection; throws with the server's reason when it fails.
void openServerConnection(const QString &name, const StoreAddress &a, const QString &password)
{
    if (const QString why = a.problem(); !why.isEmpty())
        fail(ErrorCode::CannotOpenDatabase, why);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("Qt's PostgreSQL driver is not installed (package libqt6sql6-psql)."));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(a.host.trimmed());
    db.setPort(a.port);
    db.setDatabaseName(a.database.trimmed());
    db.setUserName(a.user.trimmed());
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=Lotwise"));
    if (!db.open()) {
        const QString why = sqlError(db.lastError()).trimmed();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("%1 cannot be opened: %2").arg(serverName(a), why));
    }
}

} // namespace

void RecordStore::useServer(const StoreAddress &address, const QString &password)
{
    m_useServer.emplace(address, password);
}

void RecordStore::openServer(const StoreAddress &address, const QString &password)
{
    close();
    const QString name = newConnectionName();
    openServerConnection(name, address, password);
    const QString where = serverName(address);
    try {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        bool hasRevision = false;
        if (!checkServerSchema(db, where, &hasRevision)) {
            exec(db,
                 QStringLiteral("CREATE TABLE IF NOT EXISTS \"Auctions\" (%1)")
                     .arg(tableColumns(QStringLiteral("id BIGSERIAL PRIMARY KEY"),
                                       kRevision + QStringLiteral(" BIGINT NOT NULL DEFAULT 0"))),
                 where);
        } else if (!hasRevision) {
            exec(db,
                 QStringLiteral("ALTER TABLE \"Auctions\" ADD COLUMN IF NOT EXISTS %1 BIGINT NOT "
                                "NULL DEFAULT 0")
                     .arg(kRevision),
                 where);
        }
        m_server = true;
        load(name);
    } catch (...) {
        m_server = false;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
        throw;
    }
    m_connection = name;
    m_path = address.describe();
    m_open = true;
    rebuildCodes();
    m_dirty = 0;
    reposition(0);
}

bool RecordStore::testServer(const StoreAddress &address, const QString &password,
                             QString *report)
{
    const QString name = newConnectionName();
    try {
        openServerConnection(name, address, password);
    } catch (const LotwiseError &e) {
        *report = e.description();
        return false;
    }
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        try {
            bool hasRevision = false;
            if (!checkServerSchema(db, serverName(address), &hasRevision)) {
                *report = QStringLiteral("Connected to %1. It has no Auctions table yet; "
                                         "Lotwise creates it when it opens the store.")
                              .arg(serverName(address));
            } else {
                QSqlQuery q(db);
                q.exec(QStringLiteral("SELECT count(*) FROM \"Auctions\""));
                *report = QStringLiteral("Connected to %1: %2 auction records.")
                              .arg(serverName(address))
                              .arg(q.next() ? q.value(0).toLongLong() : 0);
            }
        } catch (const LotwiseError &e) {
            *report = e.description();
            ok = false;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString RecordStore::keyColumn() const
{
    return m_server ? QStringLiteral("id") : QStringLiteral("rowid");
}

namespace {

// Reads the whole table straight from SQLite on the connection Qt opened: the generic path
// builds a variant for every one of the three million values of a large table, which makes
// opening several times slower. Returns false when the connection is not SQLite.
bool loadFromSqlite(QSqlDatabase db, const QString &sqlText, std::vector<AuctionRecord> *records,
                    QString *error)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *h = *static_cast<sqlite3 *const *>(handle.constData());
    if (!h)
        return false;
    const QByteArray sql = sqlText.toUtf8();
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
        r.revision = sqlite3_column_int64(stmt, 1);
        for (int i = 0; i < kFieldCount; ++i) {
            const auto *text =
                reinterpret_cast<const char *>(sqlite3_column_text(stmt, i + 2));
            const int bytes = sqlite3_column_bytes(stmt, i + 2);
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

// A record's revision and its 30 fields from a query row that has the revision in column
// `revisionAt` and the fields after it.
void readRow(const QSqlQuery &q, AuctionRecord &r, int revisionAt)
{
    r.revision = q.value(revisionAt).toLongLong();
    for (int i = 0; i < kFieldCount; ++i)
        r.values[size_t(i)] = intern(q.value(revisionAt + 1 + i).toString());
}

} // namespace

void RecordStore::load(const QString &connection, bool withRevision)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    std::vector<AuctionRecord> records;
    QString error;
    const QString sql = QStringLiteral("SELECT %1, %2, %3 FROM \"Auctions\" ORDER BY %1")
                            .arg(keyColumn(), withRevision ? kRevision : QStringLiteral("0"),
                                 columnList());
    if (m_server || !loadFromSqlite(db, sql, &records, &error)) {
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

FlagCodes flagCodesOf(const FieldValues &values)
{
    FlagCodes codes;
    for (int i = 0; i < kFieldCount; ++i)
        codes[size_t(i)] = Fields::flagCode(values[size_t(i)]);
    return codes;
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

qint32 dayNumber(const Dates::DateReader &reader, QStringView text)
{
    const auto d = reader.read(text);
    return d ? qint32(d->toJulianDay()) : RecordStore::kNoDay;
}

} // namespace

qint32 RecordStore::dayAt(int index, Field f) const
{
    const int slot = daySlot(f);
    return slot < 0 ? kNoDay : m_days[size_t(index)][size_t(slot)];
}

RecordStore::DayNumbers RecordStore::daysOf(const FieldValues &values) const
{
    const Dates::DateReader reader(m_dayLocale);
    DayNumbers days;
    for (size_t i = 0; i < days.size(); ++i)
        days[i] = dayNumber(reader, values[size_t(Fields::index(kDateFields[i]))]);
    return days;
}

void RecordStore::recode(size_t index)
{
    m_codes[index] = flagCodesOf(m_records[index].values);
    m_days[index] = daysOf(m_records[index].values);
}

void RecordStore::rebuildCodes()
{
    m_codes.clear();
    m_codes.reserve(m_records.size());
    for (const AuctionRecord &r : m_records)
        m_codes.push_back(flagCodesOf(r.values));
    // A table holds one date text per selling day at most: each is read once.
    m_dayLocale = QLocale();
    const Dates::DateReader reader(m_dayLocale);
    QHash<QString, qint32> seen;
    m_days.clear();
    m_days.reserve(m_records.size());
    for (const AuctionRecord &r : m_records) {
        DayNumbers days;
        for (size_t i = 0; i < days.size(); ++i) {
            const QString &text = r[kDateFields[i]];
            auto it = seen.constFind(text);
            if (it == seen.cend())
                it = seen.insert(text, dayNumber(reader, text));
            days[i] = *it;
        }
        m_days.push_back(days);
    }
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
    QString &slot = m_records[size_t(m_pos)].values[size_t(Fields::index(f))];
    if (slot == value && !slot.isNull())
        return;
    emit recordsAboutToChange();
    slot = value;
    m_codes[size_t(m_pos)][size_t(Fields::index(f))] = Fields::flagCode(value);
    if (const int slot = daySlot(f); slot >= 0)
        m_days[size_t(m_pos)][size_t(slot)] = dayNumber(Dates::DateReader(m_dayLocale), value);
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
    const FieldValues mine = r.values;
    emit recordsAboutToChange();
    conflict.deleted = !reread(r);
    conflict.userName = (conflict.deleted ? mine : r.values)[Fields::index(Field::UserName)];
    conflict.auctionName = (conflict.deleted ? mine : r.values)[Fields::index(Field::AuctionName)];
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_dirty & (1u << i))
            conflict.changes.push_back({Field(i), mine[size_t(i)],
                                        conflict.deleted ? QString() : r.values[size_t(i)]});
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
    const FieldValues mine = r.values;
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

void RecordStore::appendRecords(const std::vector<FieldValues> &rows, bool replaceAll)
{
    write({}, rows, replaceAll, {});
}

void RecordStore::writeChanges(const std::vector<RecordChange> &changes,
                               const std::vector<FieldValues> &rows,
                               const std::function<void(int, int)> &progress)
{
    write(changes, rows, false, progress);
}

void RecordStore::write(const std::vector<RecordChange> &changes,
                        const std::vector<FieldValues> &rows, bool replaceAll,
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
    std::vector<AuctionRecord> added;
    added.reserve(rows.size());
    if (m_server) {
        // Round trips dominate on a server: many rows a statement, with ids taken from the
        // table's sequence up front so stored order is the order given.
        constexpr size_t kChunk = 500;
        for (size_t at = 0; at < rows.size(); at += kChunk) {
            const size_t n = std::min(kChunk, rows.size() - at);
            QSqlQuery ids(db);
            if (!ids.exec(QStringLiteral("SELECT nextval(pg_get_serial_sequence('\"Auctions\"', "
                                         "'id')) FROM generate_series(1, %1)")
                              .arg(n)))
                abandon(db, sqlError(ids.lastError()));
            std::vector<qint64> taken;
            while (ids.next())
                taken.push_back(ids.value(0).toLongLong());
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
                AuctionRecord r;
                r.rowId = taken[i];
                r.values = rows[at + i];
                added.push_back(std::move(r));
                step();
            }
        }
    } else {
        QStringList marks;
        for (int i = 0; i < kFieldCount; ++i)
            marks << QStringLiteral("?");
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO \"Auctions\" (%1) VALUES (%2)")
                      .arg(columnList(), marks.join(QStringLiteral(", "))));
        for (const FieldValues &row : rows) {
            for (int i = 0; i < kFieldCount; ++i)
                q.bindValue(i, storedText(row[size_t(i)]));
            if (!q.exec())
                abandon(db, sqlError(q.lastError()));
            AuctionRecord r;
            r.rowId = q.lastInsertId().toLongLong();
            r.values = row;
            added.push_back(std::move(r));
            step();
        }
    }
    if (!db.commit())
        abandon(db, sqlError(db.lastError()));
    if (!changes.empty() || replaceAll)
        emit recordsAboutToChange();
    for (const RecordChange &c : changes) {
        AuctionRecord &r = m_records[size_t(c.index)];
        for (const auto &f : c.fields)
            r.values[size_t(Fields::index(f.first))] = f.second;
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
    for (auto &r : added) {
        m_codes.push_back(flagCodesOf(r.values));
        m_days.push_back(daysOf(r.values));
        m_records.push_back(std::move(r));
    }
    if (replaceAll)
        reposition(0);
    else if (wasEof && !m_onDeleted)
        m_pos = recordCount();
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
