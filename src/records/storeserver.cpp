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

#include <cstdlib>
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
    decltype(&PQexecParams) execParams = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorMessage) resultErrorMessage = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQnfields) nfields = nullptr;
    decltype(&PQntuples) ntuples = nullptr;
    decltype(&PQgetvalue) getvalue = nullptr;
    decltype(&PQgetlength) getlength = nullptr;
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
            if (!(find(p.execParams, "PQexecParams") && find(p.resultStatus, "PQresultStatus") &&
                  find(p.resultErrorMessage, "PQresultErrorMessage") &&
                  find(p.errorMessage, "PQerrorMessage") && find(p.nfields, "PQnfields") &&
                  find(p.ntuples, "PQntuples") && find(p.getvalue, "PQgetvalue") &&
                  find(p.getlength, "PQgetlength") && find(p.clear, "PQclear")))
                p.execParams = nullptr;
            return p;
        }();
        dlclose(lib); // the driver keeps it loaded
        return pq.execParams ? &pq : nullptr;
    }
};

} // namespace

namespace StoreSql {

// Reads the whole table straight from libpq on the connection Qt opened, each value's text
// copied once into its record: Qt's driver would build a variant and a string for every
// one of the three million values of a large table.
bool loadFromServer(QSqlDatabase db, const QString &sqlText, std::vector<AuctionRecord> *records,
                    QString *error)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    PGconn *conn = *static_cast<PGconn *const *>(handle.constData());
    const LibPq *pq = LibPq::loaded();
    if (!conn || !pq)
        return false;
    const QByteArray sql = sqlText.toUtf8();
    // Text results, so the fields arrive as the UTF-8 the connection speaks.
    PGresult *result = pq->execParams(conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    const auto done = qScopeGuard([pq, result] { pq->clear(result); });
    if (pq->resultStatus(result) != PGRES_TUPLES_OK) {
        *error = QString::fromUtf8(pq->resultErrorMessage(result)).trimmed();
        if (error->isEmpty())
            *error = QString::fromUtf8(pq->errorMessage(conn)).trimmed();
        return true;
    }
    if (pq->nfields(result) != kFieldCount + 2) {
        *error = QStringLiteral("the Auctions table gave %1 columns").arg(pq->nfields(result));
        return true;
    }
    const int rows = pq->ntuples(result);
    records->reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        AuctionRecord &r = records->emplace_back();
        r.rowId = std::strtoll(pq->getvalue(result, row, 0), nullptr, 10);
        r.revision = std::strtoll(pq->getvalue(result, row, 1), nullptr, 10);
        std::array<QByteArrayView, kFieldCount> texts;
        for (int i = 0; i < kFieldCount; ++i)
            texts[size_t(i)] = QByteArrayView(pq->getvalue(result, row, i + 2),
                                              pq->getlength(result, row, i + 2));
        r.values = RecordValues::fromUtf8(texts);
    }
    return true;
}

} // namespace StoreSql
