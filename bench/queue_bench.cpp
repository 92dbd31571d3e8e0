// Follow-up lists over a large record store, beside the SQL query that selects the same rows
// from the same SQLite file, and the cost of opening that store; with --pg the same records
// also on a PostgreSQL database (its Auctions table is replaced), side by side in one run.
//
//   queue_bench [--records=N] [--pg=HOST:PORT/DATABASE/USER] [google benchmark flags]
//   (the server password from PGPASSWORD)

#include "sellertable.h"
#include "platform/dates.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include "benchflags.h"
#include "peakmemory.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>

namespace {

int g_records = 100000;
const QDate kToday(2026, 12, 6);
std::unique_ptr<QTemporaryDir> g_dir;
std::unique_ptr<RecordStore> g_store;
std::unique_ptr<RecordStore> g_pgStore;
std::optional<StoreAddress> g_pg;

std::optional<StoreAddress> parseServer(const QString &text)
{
    // HOST:PORT/DATABASE/USER
    const QStringList parts = text.split(u'/');
    if (parts.size() != 3 || !parts[0].contains(u':'))
        return std::nullopt;
    StoreAddress a;
    a.kind = StoreAddress::Server;
    a.host = parts[0].section(u':', 0, 0);
    a.port = parts[0].section(u':', 1).toInt();
    a.database = parts[1];
    a.user = parts[2];
    if (!a.problem().isEmpty())
        return std::nullopt;
    return a;
}

QString serverPassword() { return qEnvironmentVariable("PGPASSWORD"); }

QString dbPath() { return g_dir->filePath(QStringLiteral("Auctions.db")); }

// The seller's table in a fresh folder.
void buildStore()
{
    g_dir = std::make_unique<QTemporaryDir>();
    RecordStore store;
    store.open(dbPath());
    const std::vector<FieldValues> rows = sellerTable(g_records, kToday);
    store.appendRecords(rows);
    store.close();
    g_store = std::make_unique<RecordStore>();
    g_store->open(dbPath());
    if (g_pg) {
        RecordStore server;
        server.openServer(*g_pg, serverPassword());
        server.appendRecords(rows, true);
        server.close();
        g_pgStore = std::make_unique<RecordStore>();
        g_pgStore->openServer(*g_pg, serverPassword());
    }
}

// The same rule as SQL: a flag's leading number is what CAST(... AS REAL) reads, and the
// M/d/yyyy date text is rebuilt as ISO for julianday().
QString sqlFor(const QueueRule &rule)
{
    const auto q = [](Field f) { return u'"' + Fields::name(f) + u'"'; };
    QStringList where;
    for (const FlagTest &t : rule.flags)
        where << QStringLiteral("CAST(%1 AS REAL) = %2").arg(q(t.field)).arg(t.value);
    if (rule.further)
        where << QStringLiteral("CAST(%1 AS REAL) = %2").arg(q(rule.further->field)).arg(rule.further->value);
    const QString d = q(rule.basis);
    // Built by concatenation: QString::arg would take "%04d" for one of its own markers.
    const QString slash = QStringLiteral("instr(") + d + QStringLiteral(", '/')");
    const QString rest = QStringLiteral("substr(") + d + QStringLiteral(", ") + slash + QStringLiteral(" + 1)");
    const QString iso = QStringLiteral("printf('%04d-%02d-%02d', substr(") + d +
                        QStringLiteral(", -4), substr(") + d + QStringLiteral(", 1, ") + slash +
                        QStringLiteral(" - 1), substr(") + rest + QStringLiteral(", 1, instr(") +
                        rest + QStringLiteral(", '/') - 1))");
    const QString age = QStringLiteral("CAST(julianday('%1') - julianday(%2) AS INTEGER)")
                            .arg(kToday.toString(Qt::ISODate), iso);
    if (rule.minAge)
        where << QStringLiteral("%1 >= %2").arg(age, QString::number(*rule.minAge));
    if (rule.maxAge)
        where << QStringLiteral("%1 < %2").arg(age, QString::number(*rule.maxAge));
    return QStringLiteral("SELECT \"User Name\", \"Email Address\", \"Auction Name\", %1, %2 "
                          "FROM \"Auctions\" WHERE %3 ORDER BY rowid")
        .arg(d, age, where.join(QStringLiteral(" AND ")));
}

const char *const kKeys[] = {"IS", "S", "VA", "FB1", "FB6", "AR1", "AR7", "UPI1", "FVF1"};

void BM_Queue(benchmark::State &state, const char *key, RecordStore *store)
{
    const QueueRule *rule = Queues::rule(QString::fromLatin1(key));
    size_t rows = 0;
    for (auto _ : state) {
        const QueueResult r = Queues::compute(*store, *rule, kToday);
        rows = r.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}

void BM_Sql(benchmark::State &state, const char *key)
{
    const QueueRule *rule = Queues::rule(QString::fromLatin1(key));
    const QString name = QStringLiteral("bench-sql");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath());
        db.open();
        const QString sql = sqlFor(*rule);
        size_t rows = 0;
        for (auto _ : state) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(sql)) {
                state.SkipWithError("query failed");
                break;
            }
            rows = 0;
            while (q.next()) {
                QStringList cells;
                for (int c = 0; c < 5; ++c)
                    cells << q.value(c).toString();
                benchmark::DoNotOptimize(cells);
                ++rows;
            }
        }
        state.counters["rows"] = double(rows);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

double heapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

void BM_OpenStore(benchmark::State &state, bool server)
{
    double held = 0;
    for (auto _ : state) {
        RecordStore store;
        // Heap in use, not RSS: freed pages from earlier runs would hide the growth.
        const double before = heapBytes();
        if (server)
            store.openServer(*g_pg, serverPassword());
        else
            store.open(dbPath());
        held = heapBytes() - before;
        benchmark::DoNotOptimize(store.recordCount());
    }
    state.counters["store_MB"] = held / (1024.0 * 1024.0);
    state.counters["peak_MB"] = double(statusKb("VmHWM:")) / 1024.0;
}

// Collects the times so the two ways can be set side by side at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                m_ms[r.benchmark_name()] = r.GetAdjustedRealTime() /
                                           (r.time_unit == benchmark::kMillisecond ? 1.0 : 1e6);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() const
    {
        std::printf("\n%-6s %12s %12s %8s %14s\n", "list", "lotwise ms", "sql ms", "ratio",
                    "postgresql ms");
        for (const char *key : kKeys) {
            const auto a = m_ms.find(std::string("Queue/") + key);
            const auto b = m_ms.find(std::string("Sql/") + key);
            const auto c = m_ms.find(std::string("QueuePg/") + key);
            if (a == m_ms.end() || b == m_ms.end())
                continue;
            std::printf("%-6s %12.2f %12.2f %8.2f", key, a->second, b->second,
                        a->second / b->second);
            if (c != m_ms.end())
                std::printf(" %14.2f", c->second);
            std::printf("\n");
        }
    }

private:
    std::map<std::string, double> m_ms;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    if (!initializeBenchmarks(argc, argv,
                              {intFlag("--records=", &g_records),
                               {"--pg=", [](const QByteArray &v) {
                                    g_pg = parseServer(QString::fromUtf8(v));
                                    if (!g_pg)
                                        std::fprintf(stderr,
                                                     "queue_bench: --pg=HOST:PORT/DATABASE/USER\n");
                                    return g_pg.has_value();
                                }}}))
        return 2;
    std::printf("Building a store of %d records...\n", g_records);
    try {
        buildStore();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "queue_bench: %s\n", e.what());
        return 1;
    }
    for (const char *key : kKeys) {
        benchmark::RegisterBenchmark((std::string("Queue/") + key).c_str(), BM_Queue, key,
                                     g_store.get())
            ->Unit(benchmark::kMillisecond);
        if (g_pgStore)
            benchmark::RegisterBenchmark((std::string("QueuePg/") + key).c_str(), BM_Queue, key,
                                         g_pgStore.get())
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Sql/") + key).c_str(), BM_Sql, key)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("OpenStore", BM_OpenStore, false)->Unit(benchmark::kMillisecond);
    if (g_pg)
        benchmark::RegisterBenchmark("OpenStorePg", BM_OpenStore, true)
            ->Unit(benchmark::kMillisecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    g_store.reset();
    g_pgStore.reset();
    benchmark::Shutdown();
    return 0;
}
