// The record store's PostgreSQL half: a server's Auctions table opened (or created) and read.

#include "recordstore.h"
#include "storesql.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QScopeGuard>
#include <QVariant>

#include <algorithm>
#include <array>
#include <charconv>
#include <dlfcn.h>
#include <libpq-fe.h>
#include <type_traits>

using namespace StoreSql;

namespace {

// Returns true when the server database has an Auctions table, from the information schema;
// throws when it cannot be read or lacks a field. *hasRevision tells whether the change
// counter is there yet.
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
        dropConnection(name);
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

namespace {

// libpq as Qt's PostgreSQL driver loaded it: looked up, not linked, so the program needs
// the library only where a server store is used, as before.
struct LibPq
{
    decltype(&PQexec) exec = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorMessage) resultErrorMessage = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQgetCopyData) getCopyData = nullptr;
    decltype(&PQgetResult) getResult = nullptr;
    decltype(&PQfreemem) freemem = nullptr;
    decltype(&PQclear) clear = nullptr;

    static const LibPq *loaded()
    {
        void *lib = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        if (!lib)
            return nullptr;
        static const LibPq pq = [lib] {
            LibPq p;
            const auto find = [lib](auto &fn, const char *name) {
                fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
                return fn != nullptr;
            };
            if (!(find(p.exec, "PQexec") && find(p.resultStatus, "PQresultStatus") &&
                  find(p.resultErrorMessage, "PQresultErrorMessage") &&
                  find(p.errorMessage, "PQerrorMessage") && find(p.getCopyData, "PQgetCopyData") &&
                  find(p.getResult, "PQgetResult") && find(p.freemem, "PQfreemem") &&
                  find(p.clear, "PQclear")))
                p.exec = nullptr;
            return p;
        }();
        dlclose(lib); // the driver keeps it loaded
        return pq.exec ? &pq : nullptr;
    }

    // The error of a result, or else of the connection.
    QString errorOf(PGconn *conn, const PGresult *result) const
    {
        QString why = QString::fromUtf8(resultErrorMessage(result)).trimmed();
        return why.isEmpty() ? QString::fromUtf8(errorMessage(conn)).trimmed() : why;
    }
};

// One row of COPY's text format: fields split at tabs, "\N" for NULL, and backslash escapes
// for the control characters and the backslash itself. Fields without a backslash are seen in
// place; the others are written unescaped into `scratch`, which holds at least the row's size.
// Returns the number of fields read, at most `max`.
int splitCopyRow(QByteArrayView row, QByteArrayView *fields, int max, char *scratch)
{
    int n = 0;
    qsizetype at = 0;
    while (n < max) {
        const qsizetype tab = row.indexOf('\t', at);
        const qsizetype end = tab < 0 ? row.size() : tab;
        QByteArrayView field = row.sliced(at, end - at);
        if (field == "\\N") {
            field = {};
        } else if (field.contains('\\')) {
            char *out = scratch;
            for (qsizetype i = 0; i < field.size(); ++i) {
                char c = field[i];
                if (c == '\\' && i + 1 < field.size()) {
                    switch (c = field[++i]) {
                    case 'b': c = '\b'; break;
                    case 'f': c = '\f'; break;
                    case 'n': c = '\n'; break;
                    case 'r': c = '\r'; break;
                    case 't': c = '\t'; break;
                    case 'v': c = '\v'; break;
                    default: break; // "\\" and an escaped delimiter stand for themselves
                    }
                }
                *out++ = c;
            }
            field = QByteArrayView(scratch, out - scratch);
            scratch = out;
        }
        fields[n++] = field;
        if (tab < 0)
            break;
        at = tab + 1;
    }
    return n;
}

qint64 numberOf(QByteArrayView text)
{
    qint64 v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

} // namespace

namespace StoreSql {

// Reads the whole table straight from libpq on the connection Qt opened, as COPY's stream of
// rows: each row is made into its record while the server is still sending the next ones,
// and each value's text is copied once. Qt's driver would wait for the whole result and
// build a variant and a string for every one of the three million values of a large table.
bool loadFromServer(QSqlDatabase db, const QString &sqlText, std::vector<AuctionRecord> *records,
                    QString *error)
{
    const QVariant handle = db.driver()->handle();
    // The driver names the handle by libpq's struct, or by its typedef in older versions.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "pg_conn*") != 0 &&
                              qstrcmp(handle.typeName(), "PGconn*") != 0))
        return false;
    PGconn *conn = *static_cast<PGconn *const *>(handle.constData());
    const LibPq *pq = LibPq::loaded();
    if (!conn || !pq)
        return false;
    // Text rows, so the fields arrive as the UTF-8 the connection speaks.
    const QByteArray sql = "COPY (" + sqlText.toUtf8() + ") TO STDOUT";
    PGresult *start = pq->exec(conn, sql.constData());
    const bool copying = pq->resultStatus(start) == PGRES_COPY_OUT;
    if (!copying)
        *error = pq->errorOf(conn, start);
    pq->clear(start);
    if (!copying)
        return true;

    constexpr int kColumns = kFieldCount + 2;
    std::array<QByteArrayView, kColumns> fields;
    std::array<QByteArrayView, kFieldCount> texts;
    std::vector<char> scratch;
    char *row = nullptr;
    int length = 0;
    while ((length = pq->getCopyData(conn, &row, 0)) > 0) {
        const auto freeRow = qScopeGuard([pq, row] { pq->freemem(row); });
        QByteArrayView line(row, length);
        if (line.endsWith('\n'))
            line.chop(1);
        if (scratch.size() < size_t(line.size()))
            scratch.resize(size_t(line.size()));
        if (error->isEmpty()) {
            const int n = splitCopyRow(line, fields.data(), kColumns, scratch.data());
            if (n != kColumns) {
                // Keep reading to the end, so the connection is left ready for the next query.
                *error = QStringLiteral("the Auctions table gave %1 columns").arg(n);
                continue;
            }
            AuctionRecord &r = records->emplace_back();
            r.rowId = numberOf(fields[0]);
            r.revision = numberOf(fields[1]);
            std::copy(fields.begin() + 2, fields.end(), texts.begin());
            r.values = RecordValues::fromUtf8(texts);
        }
    }
    if (length == -2 && error->isEmpty())
        *error = QString::fromUtf8(pq->errorMessage(conn)).trimmed();
    // The command's end status, then the null result that says the connection is free again.
    while (PGresult *end = pq->getResult(conn)) {
        if (pq->resultStatus(end) != PGRES_COMMAND_OK && error->isEmpty())
            *error = pq->errorOf(conn, end);
        pq->clear(end);
    }
    return true;
}

} // namespace StoreSql
