#pragma once

#include "records/recordstore.h"
#include "support/testsupport.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace TestSupport {

// The test PostgreSQL server that tests/servers/pg_start.sh starts.
StoreAddress testServer(const QString &database);
inline QString testServerPassword() { return QStringLiteral("lotwisetest"); }
// Whether the server answers; when it does not, server cases skip, unless CTest asked for it
// (LOTWISE_PG_REQUIRED), where they fail.
bool testServerUp();

// The store tests run once on an Auctions.db file and once on the test server. Each case
// gets an empty table: a fresh folder, or the server's table dropped first.
class StoreBackendTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override;
    bool onServer() const { return GetParam(); }
    void openStore(RecordStore &store) const;
    // Where a second process or tool finds the same store: "file:PATH" or "server:DB".
    QString storeSpec() const;
    // One column of every row, in stored order, read past the store.
    QStringList column(const QString &name) const;
    // Runs one SQL statement past the store.
    void execute(const QString &sql) const;

    TempFolder dir;
    QString database;
};

std::string backendName(const ::testing::TestParamInfo<bool> &info);

} // namespace TestSupport

// A case that needs the test PostgreSQL server: skipped without it, failed under CTest.
#define REQUIRE_PG()                                                                               \
    if (TestSupport::testServerUp()) {                                                             \
    } else if (qEnvironmentVariableIsSet("LOTWISE_PG_REQUIRED"))                                   \
        FAIL() << "the test PostgreSQL server on 127.0.0.1:15432 is not running";                  \
    else                                                                                           \
        GTEST_SKIP() << "no test PostgreSQL server (tests/servers/pg_start.sh)"
