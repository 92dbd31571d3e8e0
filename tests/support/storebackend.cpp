#include "storebackend.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>

namespace TestSupport {

namespace {

QSqlDatabase peekConnection(bool server, const QString &fileOrDb)
{
    const QString name = QStringLiteral("peek");
    QSqlDatabase db = QSqlDatabase::addDatabase(server ? "QPSQL" : "QSQLITE", name);
    if (server) {
        const StoreAddress a = testServer(fileOrDb);
        db.setHostName(a.host);
        db.setPort(a.port);
        db.setDatabaseName(a.database);
        db.setUserName(a.user);
        db.setPassword(testServerPassword());
    } else {
        db.setDatabaseName(fileOrDb);
    }
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    return db;
}

template <typename Body> void withPeek(bool server, const QString &fileOrDb, Body body)
{
    {
        QSqlDatabase db = peekConnection(server, fileOrDb);
        body(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
}

} // namespace

StoreAddress testServer(const QString &database)
{
    StoreAddress a;
    a.kind = StoreAddress::Server;
    a.host = QStringLiteral("127.0.0.1");
    a.port = 15432;
    a.database = database;
    a.user = QStringLiteral("lotwise");
    return a;
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
    if (!testServerUp()) {
        if (qEnvironmentVariableIsSet("LOTWISE_PG_REQUIRED"))
            FAIL() << "the test PostgreSQL server on 127.0.0.1:15432 is not running";
        GTEST_SKIP() << "no test PostgreSQL server (tests/servers/pg_start.sh)";
    }
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

QStringList StoreBackendTest::column(const QString &name) const
{
    QStringList out;
    withPeek(onServer(), onServer() ? database : dir.dbPath(), [&](QSqlDatabase db) {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec("SELECT \"" + name + "\" FROM \"Auctions\" ORDER BY " +
                           (onServer() ? "id" : "rowid")))
            << q.lastError().text().toStdString();
        while (q.next())
            out << (q.value(0).isNull() ? QStringLiteral("<null>") : q.value(0).toString());
    });
    return out;
}

void StoreBackendTest::execute(const QString &sql) const
{
    withPeek(onServer(), onServer() ? database : dir.dbPath(), [&](QSqlDatabase db) {
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    });
}

std::string backendName(const ::testing::TestParamInfo<bool> &info)
{
    return info.param ? "PostgreSQL" : "SQLite";
}

} // namespace TestSupport
