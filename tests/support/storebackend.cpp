#include "storebackend.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>

namespace TestSupport {

StoreAddress testServer(const QString &database)
{
    return {StoreAddress::Server, QStringLiteral("127.0.0.1"), 15432, database,
            QStringLiteral("lotwise")};
}

bool testServerUp()
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), 15432);
    return s.waitForConnected(2000);
}

void StoreBackendTest::SetUp()
{
    database = QStringLiteral("lotwise");
    if (!onServer())
        return;
    REQUIRE_PG();
    execute(QStringLiteral("DROP TABLE IF EXISTS \"Auctions\""));
}

void StoreBackendTest::openStore(RecordStore &store) const
{
    if (onServer())
        store.openServer(testServer(database), testServerPassword());
    else
        store.open(dir.dbPath());
}

QString StoreBackendTest::storeSpec() const
{
    return onServer() ? QStringLiteral("server:") + database : QStringLiteral("file:") + dir.dbPath();
}

namespace {

// Runs `sql` on a connection of its own, past the store; `row` sees each row it selects.
template <typename Row> void peek(bool server, const QString &fileOrDb, const QString &sql, Row row)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(server ? "QPSQL" : "QSQLITE", "peek");
        const StoreAddress a = testServer(fileOrDb);
        db.setHostName(a.host);
        db.setPort(a.port);
        db.setDatabaseName(fileOrDb);
        db.setUserName(a.user);
        db.setPassword(testServerPassword());
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        while (q.next())
            row(q);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
}

} // namespace

QStringList StoreBackendTest::column(const QString &name) const
{
    QStringList out;
    peek(onServer(), onServer() ? database : dir.dbPath(),
         "SELECT \"" + name + "\" FROM \"Auctions\" ORDER BY " + (onServer() ? "id" : "rowid"),
         [&](const QSqlQuery &q) {
             out << (q.value(0).isNull() ? QStringLiteral("<null>") : q.value(0).toString());
         });
    return out;
}

void StoreBackendTest::execute(const QString &sql) const
{
    peek(onServer(), onServer() ? database : dir.dbPath(), sql, [](const QSqlQuery &) {});
}

std::string backendName(const ::testing::TestParamInfo<bool> &info)
{
    return info.param ? "PostgreSQL" : "SQLite";
}

} // namespace TestSupport
