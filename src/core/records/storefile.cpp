// The record store's SQLite half: the Auctions.db file checked, opened (or created) and read.

#include "recordstore.h"
#include "storesql.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <array>
#include <atomic>
#include <future>

#include <sqlite3.h>

using namespace StoreSql;

namespace {

class Connection
{
public:
    Connection(const QString &name, const QString &path, const QString &options) : m_name(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
    }
    ~Connection() { dropConnection(m_name); }
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

QSqlDatabase openRead(const Connection &ro, const QString &path)
{
    QSqlDatabase db = ro.db();
    if (!db.open())
        fail(ErrorCode::CannotOpenDatabase,
             QStringLiteral("\"%1\": %2.").arg(path, sqlError(db.lastError())));
    return db;
}

// Opens the existing store file on `ro` once it has passed the checks that refuse what is
// not a whole SQLite file.
QSqlDatabase openChecked(const Connection &ro, const QString &path, RecordStore::Integrity level)
{
    checkExistingFile(path);
    QSqlDatabase db = openRead(ro, path);
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

sqlite3 *handleOf(QSqlDatabase db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// A single number the statement answers with, or -1.
sqlite3_int64 numberOf(sqlite3 *h, const char *sql)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_int64 n = -1;
    if (sqlite3_prepare_v2(h, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        n = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return n;
}

// The highest row number, found without a walk over the table (a count would read all of
// it); it is the number of records unless some were deleted. -1 when it cannot be read.
sqlite3_int64 lastRowId(sqlite3 *h)
{
    return numberOf(h, "SELECT max(rowid) FROM \"Auctions\"");
}

} // namespace

// A large table is read in parts on two connections at once, each taking the next part as
// it finishes one, so both cores stay busy beside the quick check. The parts must show the
// file as it was at one moment: the file's change count as this connection sees it is taken
// before the reads begin and again after they end. When another program wrote in between,
// or a part could not be read, the parts are dropped and the caller reads the table whole,
// and tells what stopped it. Returns false then.
bool RecordStore::loadInParts(const QString &connection, const QString &path, bool withRevision)
{
    constexpr sqlite3_int64 kOneCore = 20000;
    constexpr int kParts = 32;
    sqlite3 *h = handleOf(QSqlDatabase::database(connection, false));
    if (!h)
        return false;
    const sqlite3_int64 before = numberOf(h, "PRAGMA data_version");
    if (before < 0 || sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    auto end = qScopeGuard([h] { sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr); });
    const sqlite3_int64 last = lastRowId(h);
    if (last < kOneCore)
        return false;
    const sqlite3_int64 step = last / kParts;

    std::array<std::vector<AuctionRecord>, kParts> parts;
    std::atomic<int> next = 0;
    std::atomic<bool> failed = false;
    const auto readParts = [&](QSqlDatabase db) {
        for (int k = next++; k < kParts && !failed; k = next++) {
            // The first part and the last are open at their outer ends.
            QStringList bounds;
            if (k > 0)
                bounds << QStringLiteral("%1 > %2").arg(keyColumn()).arg(step * k);
            if (k + 1 < kParts)
                bounds << QStringLiteral("%1 <= %2").arg(keyColumn()).arg(step * (k + 1));
            const QString where = QStringLiteral("WHERE ") + bounds.join(QStringLiteral(" AND "));
            QString error;
            parts[size_t(k)].reserve(size_t(std::min<sqlite3_int64>(step, 1 << 21)));
            if (!loadFromSqlite(db, selectAll(withRevision, where), &parts[size_t(k)], &error) ||
                !error.isEmpty())
                failed = true;
        }
    };
    auto helper = std::async(std::launch::async, [&] {
        Connection own(newConnectionName(), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlDatabase db = own.db();
        if (db.open())
            readParts(db);
        else
            failed = true;
    });
    readParts(QSqlDatabase::database(connection, false));
    helper.get();
    // The read ends here, so the change count is read anew.
    end.dismiss();
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    if (failed || numberOf(h, "PRAGMA data_version") != before)
        return false;
    std::vector<AuctionRecord> records;
    size_t count = 0;
    for (const auto &part : parts)
        count += part.size();
    records.reserve(count);
    for (auto &part : parts)
        records.insert(records.end(), std::make_move_iterator(part.begin()),
                       std::make_move_iterator(part.end()));
    emit recordsAboutToChange();
    m_records.swap(records);
    return true;
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
        // is never written to. The quick check runs on a connection of its own beside the
        // read, so its walk over the file costs no time of its own; what it finds wins over
        // what the read ran into.
        checkExistingFile(path);
        Connection ro(newConnectionName(), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlDatabase db = openRead(ro, path);
        auto check = std::async(std::launch::async, [path] {
            Connection own(newConnectionName(), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
            checkIntegrity(openRead(own, path), path, Integrity::Quick);
        });
        try {
            hasTable = checkSchema(db, path, &hasRevision);
            if (hasTable) {
                emit recordsAboutToChange();
                m_records.clear();
                m_server = false;
                if (!loadInParts(ro.name(), path, hasRevision))
                    load(ro.name(), hasRevision);
                loaded.swap(m_records);
            }
        } catch (...) {
            check.get();
            throw;
        }
        check.get();
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

namespace StoreSql {

// Reads the whole table straight from SQLite on the connection Qt opened: the generic path
// builds a variant for every one of the three million values of a large table, which makes
// opening several times slower. Returns false when the connection is not SQLite.
bool loadFromSqlite(QSqlDatabase db, const QString &sqlText, std::vector<AuctionRecord> *records,
                    QString *error)
{
    sqlite3 *h = handleOf(db);
    if (!h)
        return false;
    const QByteArray sql = sqlText.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(h));
        return true;
    }
    // Room for every row at once, unless the caller made it already.
    const bool sized = records->capacity() == 0;
    if (sized)
        records->reserve(size_t(std::clamp<sqlite3_int64>(lastRowId(h), 0, 1 << 24)));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        AuctionRecord &r = records->emplace_back();
        r.rowId = sqlite3_column_int64(stmt, 0);
        r.revision = sqlite3_column_int64(stmt, 1);
        // SQLite's own UTF-8 bytes go straight into the record's block.
        std::array<QByteArrayView, kFieldCount> texts;
        for (int i = 0; i < kFieldCount; ++i) {
            const auto *text =
                reinterpret_cast<const char *>(sqlite3_column_text(stmt, i + 2));
            const int bytes = sqlite3_column_bytes(stmt, i + 2);
            texts[size_t(i)] = text ? QByteArrayView(text, bytes) : QByteArrayView();
        }
        r.values = RecordValues::fromUtf8(texts);
    }
    if (rc != SQLITE_DONE)
        *error = QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_finalize(stmt);
    if (sized && records->capacity() > records->size() + records->size() / 4)
        records->shrink_to_fit();
    return true;
}

bool insertIntoSqlite(QSqlDatabase db, const std::vector<RecordValues> &rows,
                      std::vector<qint64> *ids, const std::function<void()> &step, QString *error)
{
    sqlite3 *h = handleOf(db);
    if (!h)
        return false;
    QStringList marks;
    for (int i = 0; i < kFieldCount; ++i)
        marks << QStringLiteral("?");
    const QByteArray sql = QStringLiteral("INSERT INTO \"Auctions\" (%1) VALUES (%2)")
                               .arg(columnList(), marks.join(u','))
                               .toUtf8();
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(h));
        return true;
    }
    const auto finalize = qScopeGuard([stmt] { sqlite3_finalize(stmt); });
    for (const RecordValues &row : rows) {
        // The record's own UTF-8 bytes, bound where they lie; an empty field is "", not NULL.
        const auto texts = row.utf8All();
        for (int i = 0; i < kFieldCount; ++i) {
            const QByteArrayView t = texts[size_t(i)];
            sqlite3_bind_text(stmt, i + 1, t.isEmpty() ? "" : t.data(), int(t.size()), SQLITE_STATIC);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            *error = QString::fromUtf8(sqlite3_errmsg(h));
            return true;
        }
        sqlite3_reset(stmt);
        ids->push_back(sqlite3_last_insert_rowid(h));
        step();
    }
    return true;
}

} // namespace StoreSql
