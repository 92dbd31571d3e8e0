// The safety work on a large record store: the quick check every open runs, the full
// integrity check of `lotwise-cli check`, a backup as taken at start and close, and the
// open itself (quick check included), so the check's share of it shows.
//
//   store_bench [--records=N] [google benchmark flags]

#include "sellertable.h"
#include "platform/dates.h"
#include "records/recordstore.h"
#include "records/storebackups.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include "benchflags.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

int g_records = 100000;
std::unique_ptr<QTemporaryDir> g_dir;

QString dbPath() { return g_dir->filePath(QStringLiteral("Auctions.db")); }

void buildStore()
{
    g_dir = std::make_unique<QTemporaryDir>();
    RecordStore store;
    store.open(dbPath());
    store.appendRecords(sellerTable(g_records, QDate(2026, 12, 7)));
    store.close();
    std::printf("Store of %d records: %.1f MB\n", g_records,
                double(QFileInfo(dbPath()).size()) / 1e6);
}

void BM_Check(benchmark::State &state, RecordStore::Integrity level)
{
    for (auto _ : state) {
        const StoreFileCheck check = RecordStore::checkFile(dbPath(), level);
        if (!check.sound() || check.records != g_records)
            state.SkipWithError("the store did not pass its check");
    }
}

void BM_Backup(benchmark::State &state)
{
    const QString folder = g_dir->filePath(QStringLiteral("Backups"));
    QDateTime when(QDate(2026, 12, 7), QTime(9, 30));
    for (auto _ : state) {
        const QString path = StoreBackups::write(dbPath(), folder, when);
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}

void BM_OpenStore(benchmark::State &state)
{
    for (auto _ : state) {
        RecordStore store;
        store.open(dbPath());
        benchmark::DoNotOptimize(store.recordCount());
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Dates::useSensibleDefaultLocale();
    if (!initializeBenchmarks(argc, argv, {intFlag("--records=", &g_records)}))
        return 2;
    buildStore();
    benchmark::RegisterBenchmark("QuickCheck", BM_Check, RecordStore::Integrity::Quick)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("IntegrityCheck", BM_Check, RecordStore::Integrity::Full)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Backup", BM_Backup)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenStore", BM_OpenStore)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
