// Start to a usable main window: a fresh process per run that does what the program's main
// does (application, settings, store, main window, splash, Form_Load, show) and stops once
// the shown window has handled every pending event, on an empty application folder and on
// one whose store holds N records. The child tells where its time went.
//
//   startup_bench [--records=N] [--runs=R] [google benchmark flags]

#include "sellertable.h"
#include "mail/mailsession.h"
#include "mainwindow/frmmain.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "records/recordstore.h"
#include "windows/frmsplash.h"

#include "benchflags.h"
#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

int g_records = 100000;
int g_runs = 5;
QByteArray g_child; // the application folder a child run starts in
std::unique_ptr<QTemporaryDir> g_dir;
const QDate kToday = QDate::currentDate();

QString folderOf(const char *name)
{
    return g_dir->filePath(QString::fromLatin1(name));
}

// The seller's table at `path`.
void buildStore(const QString &path)
{
    RecordStore store;
    store.open(path);
    store.appendRecords(sellerTable(g_records, kToday));
}

// The program's start, as src/app/main.cpp does it, with the time of each step.
int runChild(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lotwise"));
    QApplication::setApplicationName(QStringLiteral("Lotwise"));
    Dates::useSensibleDefaultLocale();
    const qint64 appMade = clock.elapsed();
    const QString folder = AppFolder::path();
    AppFolder::seed(folder);
    SettingsStore settings(folder + QStringLiteral("/bench-settings.ini"));
    // The auction site's page is asked for at start: a port that refuses at once stands in
    // for it, and any message that comes of it is answered without a dialog waiting.
    settings.save(QStringLiteral("Endpoints"), QStringLiteral("AuctionSite"),
                  QStringLiteral("http://127.0.0.1:9"));
    ScriptedPrompts answers;
    setPrompts(&answers);
    RecordStore store;
    FrmMain window(store, settings, folder);
    window.setMailSessionFactory([&] { return createMailSession(settings, folder); });
    const qint64 windowMade = clock.elapsed();
    FrmSplash splash;
    if (!splash.Form_Load([&] { return window.Form_Load(); }))
        return 1;
    const qint64 loaded = clock.elapsed();
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const qint64 shown = clock.elapsed();
    std::printf("%d records: application %lld ms, window made %lld, loaded %lld, shown %lld "
                "(%d messages answered)\n",
                store.recordCount(), appMade, windowMade, loaded, shown,
                int(answers.asked().size()));
    // Usable now: what closing takes is not part of the start.
    std::fflush(stdout);
    std::_Exit(0);
}

void BM_Start(benchmark::State &state, const char *name)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LOTWISE_HOME"), folderOf(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folderOf(name));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    const auto run = [&](QProcess &child) {
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child=") + folderOf(name)});
        if (child.waitForFinished(60000) && child.exitStatus() == QProcess::NormalExit &&
            child.exitCode() == 0)
            return true;
        child.kill();
        child.waitForFinished();
        return false;
    };
    // Once first, untimed: the day's first start takes the day's backup, and the file comes
    // into the page cache as it would for a seller who starts the program daily.
    {
        QProcess warm;
        if (!run(warm)) {
            state.SkipWithError("the child run failed");
            return;
        }
    }
    QString said;
    for (auto _ : state) {
        QProcess child;
        QElapsedTimer clock;
        clock.start();
        if (!run(child)) {
            state.SkipWithError("the child run failed");
            break;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        said = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
    }
    std::printf("  %s\n", qPrintable(said));
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrncmp(argv[i], "--child=", 8) == 0)
            return runChild(argc, argv);
    }
    QCoreApplication app(argc, argv);
    if (!initializeBenchmarks(argc, argv,
                              {intFlag("--records=", &g_records), intFlag("--runs=", &g_runs)}))
        return 2;
    g_dir = std::make_unique<QTemporaryDir>();
    for (const char *name : {"empty", "full"}) {
        QString error;
        AppFolder::seed(folderOf(name), &error);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "startup_bench: %s\n", qPrintable(error));
            return 1;
        }
    }
    std::printf("Building a store of %d records...\n", g_records);
    try {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        buildStore(folderOf("full") + QStringLiteral("/Auctions.db"));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "startup_bench: %s\n", e.what());
        return 1;
    }
    std::printf("Store file: %.1f MB\n",
                double(QFileInfo(folderOf("full") + QStringLiteral("/Auctions.db")).size()) / 1e6);
    benchmark::RegisterBenchmark("Start/empty", BM_Start, "empty")
        ->UseManualTime()
        ->Iterations(g_runs)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Start/full", BM_Start, "full")
        ->UseManualTime()
        ->Iterations(g_runs)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
