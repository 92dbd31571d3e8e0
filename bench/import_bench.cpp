// Importing a 50,000-row Seller Hub Orders report into a store of 100,000 records, importing
// it again (every row unchanged), and beside them `lotwise-cli import` of as many rows of our
// own CSV into the same store, each from the file on disk to the records committed, with the
// peak memory of each; and Python's csv module reading the same orders into SQLite, as a
// plain script would, for comparison.
//
//   import_bench [--records=N] [--rows=N] [--keep=DIR] [google benchmark flags]
//
// --keep writes the prepared files (orders.csv, base.db, imported.db) into DIR and leaves
// them there, for timing `lotwise-cli import-orders` on them from outside.

#include "platform/dates.h"
#include "records/csvio.h"
#include "records/orderimport.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include "benchflags.h"
#include "peakmemory.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <memory>

namespace {

int g_records = 100000;
int g_rows = 50000;
QString g_keep;
std::unique_ptr<QTemporaryDir> g_dir;

QString path(const char *name)
{
    return (g_keep.isEmpty() ? QDir(g_dir->path()) : QDir(g_keep)).filePath(QString::fromLatin1(name));
}

// The titles of a recent United States download, in file order.
const QStringList kTitles = QStringLiteral(
    "Sales Record Number,Order Number,Buyer Username,Buyer Name,Buyer Email,Buyer Note,"
    "Buyer Address 1,Buyer Address 2,Buyer City,Buyer State,Buyer Zip,Buyer Country,"
    "Buyer Tax Identifier Name,Buyer Tax Identifier Value,Ship To Name,Ship To Phone,"
    "Ship To Address 1,Ship To Address 2,Ship To City,Ship To State,Ship To Zip,Ship To Country,"
    "Item Number,Item Title,Custom Label,Sold Via Promoted Listings,Quantity,Sold For,"
    "Shipping And Handling,Item Location,Item Zip Code,Item Country,"
    "eBay Collect And Remit Tax Rate,eBay Collect And Remit Tax Type,eBay Reference Name,"
    "eBay Reference Value,Tax Status,Seller Collected Tax,eBay Collected Tax,"
    "eBay Collected Charges,Total Price,eBay Collected Tax and Fees Included in Total,"
    "Payment Method,Sale Date,Paid On Date,Ship By Date,Minimum Estimated Delivery Date,"
    "Maximum Estimated Delivery Date,Shipped On Date,Feedback Left,Feedback Received,"
    "My Item Note,PayPal Transaction ID,Shipping Service,Tracking Number,Transaction ID,"
    "Variation Details,Global Shipping Program,Global Shipping Reference ID,Click And Collect,"
    "Click And Collect Reference Number,eBay Plus,Tax City,Tax State,Tax Zip,Tax Country,"
    "eBay International Shipping").split(u',');

void writeFile(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file));
}

QByteArray readFile(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file));
    return f.readAll();
}

// The store of earlier sales, the orders file, our own CSV of as many new sales, and the
// store after the orders were imported.
void prepare()
{
    g_dir = std::make_unique<QTemporaryDir>();
    if (!g_keep.isEmpty() && !QDir().mkpath(g_keep))
        qFatal("cannot make %s", qPrintable(g_keep));
    const QDate first(2026, 1, 1);
    {
        RecordStore store;
        store.open(path("base.db"));
        std::vector<FieldValues> rows;
        rows.reserve(size_t(g_records));
        for (int i = 0; i < g_records; ++i) {
            FieldValues v;
            v[Fields::index(Field::CloseDate)] = Dates::shortDateText(first.addDays(i % 300));
            v[Fields::index(Field::AuctionName)] = QStringLiteral("Brass lamp lot %1").arg(i);
            v[Fields::index(Field::AuctionUrl)] = QString::number(100000000000LL + i);
            v[Fields::index(Field::UserName)] = QStringLiteral("buyer%1").arg(i % 40000);
            v[Fields::index(Field::Notes)] = QStringLiteral("Order 01-%1").arg(i);
            for (int f = 0; f < kFieldCount; ++f)
                if (Fields::isFlag(Field(f)))
                    v[size_t(f)] = QStringLiteral("1");
            rows.push_back(std::move(v));
        }
        store.appendRecords(rows);
    }

    const QString commas(kTitles.size() - 1, u',');
    QString orders = commas + QStringLiteral("\r\n") + kTitles.join(u',') + QStringLiteral("\r\n");
    std::vector<FieldValues> own;
    own.reserve(size_t(g_rows));
    for (int i = 0; i < g_rows; ++i) {
        QStringList cells(kTitles.size());
        const auto set = [&](const char *title, const QString &value) {
            cells[kTitles.indexOf(QLatin1String(title))] = value;
        };
        const QDate sold = first.addDays(300 + i % 60);
        set("Sales Record Number", QString::number(5000 + i));
        set("Order Number", QStringLiteral("23-%1-%2").arg(10000 + i % 90000).arg(i));
        set("Buyer Username", QStringLiteral("shopper%1").arg(i % 30000));
        set("Buyer Name", QStringLiteral("Pat Shopper"));
        set("Buyer Email", QStringLiteral("shopper%1@members.ebay.com").arg(i % 30000));
        set("Ship To Name", QStringLiteral("Pat Shopper"));
        set("Ship To Address 1", QStringLiteral("%1 Main Street").arg(i % 999));
        set("Ship To City", QStringLiteral("Springfield"));
        set("Ship To State", QStringLiteral("IL"));
        set("Ship To Zip", QStringLiteral("62701"));
        set("Ship To Country", QStringLiteral("United States"));
        set("Item Number", QString::number(200000000000LL + i));
        set("Item Title", QStringLiteral("\"Green glass shade, brass lamp no. %1\"").arg(i));
        set("Quantity", QStringLiteral("1"));
        set("Sold For", QStringLiteral("$%1.50").arg(10 + i % 90));
        set("Shipping And Handling", QStringLiteral("$6.00"));
        set("Total Price", QStringLiteral("$%1.50").arg(16 + i % 90));
        set("Payment Method", QStringLiteral("PayPal"));
        set("Sale Date", QLocale::c().toString(sold, QStringLiteral("MMM-dd-yy")));
        set("Paid On Date", QLocale::c().toString(sold.addDays(1), QStringLiteral("MMM-dd-yy")));
        if (i % 2)
            set("Shipped On Date", QLocale::c().toString(sold.addDays(3), QStringLiteral("MMM-dd-yy")));
        set("Feedback Left", QStringLiteral("No"));
        set("Transaction ID", QString::number(900000000LL + i));
        orders += cells.join(u',') + QStringLiteral("\r\n");

        FieldValues v;
        v[Fields::index(Field::CloseDate)] = Dates::shortDateText(sold);
        v[Fields::index(Field::AuctionName)] = QStringLiteral("Green glass shade, brass lamp no. %1").arg(i);
        v[Fields::index(Field::AuctionUrl)] = QString::number(200000000000LL + i);
        v[Fields::index(Field::AuctionTotal)] = QStringLiteral("%1.5").arg(16 + i % 90);
        v[Fields::index(Field::UserName)] = QStringLiteral("shopper%1").arg(i % 30000);
        v[Fields::index(Field::Address)] = QStringLiteral("Pat Shopper\n1 Main Street\nSpringfield, IL 62701");
        for (int f = 0; f < kFieldCount; ++f)
            if (Fields::isFlag(Field(f)))
                v[size_t(f)] = QStringLiteral("0");
        own.push_back(std::move(v));
    }
    orders += QStringLiteral("%1,record(s) downloaded,,,\r\nSeller ID : brassandglass\r\n").arg(g_rows);
    writeFile(path("orders.csv"), orders.toUtf8());

    RecordStore store;
    store.open(path("base.db"));
    // Our own CSV, as `lotwise-cli export` writes it: the store's header and the new rows.
    QByteArray csv = Csv::writeRecords(RecordStore());
    for (const FieldValues &v : own) {
        QStringList line;
        for (const QString &value : v)
            line << Csv::quoteField(value);
        csv += line.join(u',').toUtf8() + "\r\n";
    }
    writeFile(path("own.csv"), csv);

    OrderImport::OrderFile file;
    OrderImport::Failure failure;
    if (!OrderImport::read(readFile(path("orders.csv")), &file, &failure))
        qFatal("line %d: %s", failure.line, qPrintable(failure.reason));
    store.close();
    QFile::copy(path("base.db"), path("imported.db"));
    store.open(path("imported.db"));
    OrderImport::apply(OrderImport::plan(file, store), store);
}

// A fresh copy of a prepared store, outside the timing.
void openCopy(RecordStore &store, const char *from)
{
    store.close();
    QFile::remove(path("work.db"));
    QFile::remove(path("work.db-wal"));
    if (!QFile::copy(path(from), path("work.db")))
        qFatal("cannot copy %s", from);
    store.open(path("work.db"));
}

void rowsPerSecond(benchmark::State &state)
{
    state.counters["rows"] = g_rows;
    state.counters["rows_per_second"] =
        benchmark::Counter(double(g_rows), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = double(QFileInfo(path("orders.csv")).size()) / (1024.0 * 1024.0);
}

// The highest peak of the iterations, each counted from what was resident as it began.
class Peak
{
public:
    void start()
    {
        malloc_trim(0); // what earlier work freed goes back, so the mark starts low
        resetPeakMemory();
    }
    void stop() { m_mb = std::max(m_mb, peakMemoryMB()); }
    void report(benchmark::State &state) const { state.counters["peak_MB"] = m_mb; }

private:
    double m_mb = 0;
};

// What `lotwise-cli import-orders` does, from the file on disk to the records committed.
bool importOrders(RecordStore &store, int *added, int *unchanged)
{
    QFile f(path("orders.csv"));
    OrderImport::Failure failure;
    OrderImport::Plan plan;
    if (!f.open(QIODevice::ReadOnly) || !OrderImport::plan(f, store, &plan, &failure))
        return false;
    OrderImport::apply(std::move(plan), store);
    *added = plan.added;
    *unchanged = plan.unchanged;
    return true;
}

// From the file on disk to the records committed, into a fresh copy of a prepared store;
// `again` imports into the store that already holds every row.
void BM_ImportOrders(benchmark::State &state, bool again)
{
    RecordStore store;
    Peak peak;
    for (auto _ : state) {
        state.PauseTiming();
        openCopy(store, again ? "imported.db" : "base.db");
        peak.start();
        state.ResumeTiming();
        int added = 0, unchanged = 0;
        if (!importOrders(store, &added, &unchanged))
            state.SkipWithError("the orders file was refused");
        else if ((again ? unchanged : added) != g_rows)
            state.SkipWithError("the rows were not taken as expected");
        peak.stop();
    }
    rowsPerSecond(state);
    peak.report(state);
}

// The reading alone, of the two above: from bytes to sold items.
void BM_ReadOrders(benchmark::State &state)
{
    const QByteArray bytes = readFile(path("orders.csv"));
    Peak peak;
    for (auto _ : state) {
        peak.start();
        OrderImport::OrderFile file;
        OrderImport::Failure failure;
        if (!OrderImport::read(bytes, &file, &failure))
            state.SkipWithError("the orders file was refused");
        peak.stop();
    }
    rowsPerSecond(state);
    peak.report(state);
}

// What `lotwise-cli import` does with a file of our own CSV.
void BM_ImportOwnCsv(benchmark::State &state)
{
    RecordStore store;
    for (auto _ : state) {
        state.PauseTiming();
        openCopy(store, "base.db");
        state.ResumeTiming();
        std::vector<FieldValues> records;
        Csv::ParseError error;
        if (!Csv::readRecords(readFile(path("own.csv")), &records, &error))
            state.SkipWithError("our own CSV was refused");
        store.appendRecords(records);
    }
    rowsPerSecond(state);
}

// The same orders file read with Python's csv module into SQLite in one transaction: what a
// plain script takes, the mark the import is held against. Timed from outside the child.
void BM_PythonCsvIntoSqlite(benchmark::State &state)
{
    const QString script = QStringLiteral(LOTWISE_SOURCE_DIR "/bench/import_compare.py");
    double peakMB = 0;
    for (auto _ : state) {
        QFile::remove(path("python.db"));
        QProcess python;
        QElapsedTimer clock;
        clock.start();
        python.start(QStringLiteral("python3"), {script, path("orders.csv"), path("python.db")});
        if (!python.waitForFinished(-1) || python.exitCode() != 0) {
            state.SkipWithError("the Python comparison did not run");
            break;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        const QList<QByteArray> said = python.readAllStandardOutput().trimmed().split(' ');
        if (said.value(0).toInt() != g_rows)
            state.SkipWithError("the Python comparison did not read every row");
        peakMB = std::max(peakMB, said.value(2).toDouble() / 1024.0);
    }
    rowsPerSecond(state);
    // The child's own: a fork's count would start from this process's size.
    state.counters["peak_MB"] = peakMB;
}

} // namespace

BENCHMARK_CAPTURE(BM_ImportOrders, SellerHub, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_ImportOrders, again, true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadOrders)->Name("ImportOrders/read")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportOwnCsv)->Name("ImportOwnCsv")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PythonCsvIntoSqlite)->Name("PythonCsvIntoSqlite")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    if (!initializeBenchmarks(argc, argv, {intFlag("--records=", &g_records), intFlag("--rows=", &g_rows),
                               {"--keep=", [](const QByteArray &v) {
                                    g_keep = QString::fromLocal8Bit(v);
                                    return !g_keep.isEmpty();
                                }}}))
        return 2;
    prepare();
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
