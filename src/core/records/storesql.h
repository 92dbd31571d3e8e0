#pragma once

// What the record store's SQLite half (storefile.cpp), its PostgreSQL half (storeserver.cpp)
// and its record cursor (recordstore.cpp) share: the table's SQL and the way errors are told.

#include "auctionrecord.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <vector>

class QSqlError;

namespace StoreSql {

inline QString quoted(const QString &name)
{
    return u'"' + name + u'"';
}

// The change counter beside the 30 fields; added to older tables on open.
inline const QString kRevision = QStringLiteral("revision");

// The 30 fields' columns, quoted, in stored order.
QString columnList();
// The column definitions of a new Auctions table.
QString tableColumns(const QString &idColumn, const QString &revisionColumn);
QString newConnectionName();
// Closes a named connection and forgets it; the caller holds no handle on it any more.
void dropConnection(const QString &name);

// Empty fields are stored as "" rather than NULL, so other tools reading the file see text.
inline QString storedText(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

[[noreturn]] void fail(int number, const QString &detail);
// Gives up a transaction: `why` is taken before the rollback, which may clear the error.
[[noreturn]] void abandon(QSqlDatabase &db, const QString &why);
QString sqlError(const QSqlError &e);
// Runs a statement that changes the schema or the connection; throws DatabaseLocked.
void exec(QSqlDatabase db, const QString &sql, const QString &where);

// Read the whole table with `sql` (key, revision, then the 30 fields) straight from the
// database library under Qt's connection, copying each row's texts once. False when the
// connection is not of that kind; *error tells a failed read.
bool loadFromSqlite(QSqlDatabase db, const QString &sql, std::vector<AuctionRecord> *records,
                    QString *error);
bool loadFromServer(QSqlDatabase db, const QString &sql, std::vector<AuctionRecord> *records,
                    QString *error);
// Inserts records into the Auctions table of an SQLite connection in its open transaction,
// straight through the database library, and gives their keys; false when the connection is
// not of that kind, *error set when an insert failed.
bool insertIntoSqlite(QSqlDatabase db, const std::vector<RecordValues> &rows,
                      std::vector<qint64> *ids, const std::function<void()> &step,
                      QString *error);

} // namespace StoreSql
