// The sales overview over a large record store (sums by month, medians, and the open-list
// counts), and invoices and packing slips printed to PDF.
//
//   reports_bench [--records=N] [google benchmark flags]

#include "platform/dates.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"
#include "reports/frmsalesoverview.h"
#include "reports/printdocuments.h"
#include "reports/salesfigures.h"

#include <QGuiApplication>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include "benchflags.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

int g_records = 100000;
const QDate kToday(2026, 12, 6);
std::unique_ptr<QTemporaryDir> g_dir;
std::unique_ptr<RecordStore> g_store;

// Two years of sales, a few with totals or dates nobody can read.
void buildStore()
{
    g_dir = std::make_unique<QTemporaryDir>();
    RecordStore store;
    store.open(g_dir->filePath(QStringLiteral("Auctions.db")));
    QRandomGenerator rng(20261206);
    std::vector<FieldValues> rows;
    rows.reserve(size_t(g_records));
    for (int i = 0; i < g_records; ++i) {
        FieldValues v;
        const QDate closed = kToday.addDays(-qint64(rng.bounded(730)));
        const bool paid = rng.bounded(100) < 80;
        const bool sent = paid && rng.bounded(100) < 90;
        v[Fields::index(Field::CloseDate)] = i % 997 == 0 ? QStringLiteral("soon")
                                                          : Dates::shortDateText(closed);
        v[Fields::index(Field::AuctionName)] = QStringLiteral("Vintage brass lamp lot %1").arg(i);
        v[Fields::index(Field::AuctionUrl)] = QString::number(4000000000LL + i);
        v[Fields::index(Field::AuctionTotal)] =
            i % 1009 == 0 ? QStringLiteral("ask") : QStringLiteral("%1.%2").arg(5 + i % 200).arg(i % 100);
        v[Fields::index(Field::UserName)] = QStringLiteral("buyer%1").arg(i % 40000);
        v[Fields::index(Field::Address)] = QStringLiteral("%1 Main Street\r\nSpringfield").arg(i);
        v[Fields::index(Field::InvoiceSent)] = QStringLiteral("1");
        v[Fields::index(Field::PaymentMade)] = paid ? QStringLiteral("1") : QStringLiteral("0");
        v[Fields::index(Field::ItemSent)] = sent ? QStringLiteral("1") : QStringLiteral("0");
        v[Fields::index(Field::Npb)] = !paid && rng.bounded(2) ? QStringLiteral("1") : QStringLiteral("0");
        if (paid)
            v[Fields::index(Field::PaymentMadeDate)] =
                Dates::shortDateText(closed.addDays(qint64(rng.bounded(10))));
        if (sent)
            v[Fields::index(Field::ItemSentDate)] =
                Dates::shortDateText(closed.addDays(10 + qint64(rng.bounded(5))));
        rows.push_back(std::move(v));
    }
    store.appendRecords(rows);
    store.close();
    g_store = std::make_unique<RecordStore>();
    g_store->open(g_dir->filePath(QStringLiteral("Auctions.db")));
}

// What the overview window works out each time it is shown.
void BM_Overview(benchmark::State &state)
{
    std::vector<const QueueRule *> rules;
    for (const QString &key : FrmSalesOverview::openListKeys())
        rules.push_back(Queues::rule(key));
    for (auto _ : state) {
        const SalesFigures::Period p = SalesFigures::lastTwelveMonths(*g_store, kToday);
        const std::vector<int> counts = Queues::countMembers(*g_store, rules, kToday);
        benchmark::DoNotOptimize(p.totals.sales);
        benchmark::DoNotOptimize(counts.data());
    }
    state.counters["records"] = g_store->recordCount();
}

void BM_YearEndReport(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SalesFigures::year(*g_store, kToday.year()).totals.sales);
}

// Slips for the first `range(0)` records, several items to some buyers.
void BM_PackingSlipsToPdf(benchmark::State &state)
{
    QString templateHtml;
    QString error;
    PrintDocuments::readTemplate(g_dir->path(), PrintDocuments::Kind::PackingSlip, &templateHtml,
                                 &error);
    std::vector<int> records;
    for (int i = 0; i < int(state.range(0)); ++i)
        records.push_back(i);
    const PrintDocuments::Seller seller{QStringLiteral("Sam's Attic"),
                                        QStringLiteral("12 Elm Road\nOakville"),
                                        QStringLiteral("sam@example.com"), QStringLiteral("555-0100")};
    const QString pdf = g_dir->filePath(QStringLiteral("slips.pdf"));
    qsizetype pages = 0;
    for (auto _ : state) {
        const QStringList html = PrintDocuments::pages(templateHtml, *g_store, records, seller, kToday);
        if (!PrintDocuments::printPdf(pdf, html, &error)) {
            state.SkipWithError(error.toUtf8().constData());
            return;
        }
        pages = html.size();
    }
    state.counters["buyers"] = double(pages);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    if (!initializeBenchmarks(argc, argv, {intFlag("--records=", &g_records)}))
        return 2;
    std::printf("Building a store of %d records...\n", g_records);
    buildStore();
    benchmark::RegisterBenchmark("Overview", BM_Overview)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("YearEndReport", BM_YearEndReport)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PackingSlipsToPdf", BM_PackingSlipsToPdf)
        ->Arg(1000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
