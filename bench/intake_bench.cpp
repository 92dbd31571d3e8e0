// "Check Email" over an IMAP inbox of 1,000 messages of which 100 are sale notices: signing on
// with the inbox fetched, then the sale and winner notice passes, every question answered by
// script. Each run takes the notices into an empty store.
//
//   intake_bench [--servers=DIR] [google benchmark flags]
//
// Needs the test servers (tests/servers/start.sh DIR); without them it is skipped.

#include "mail/mailer.h"
#include "mail/noticeintake.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include "benchmain.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr int kMessages = 1000;
constexpr int kNotices = 100;

void BM_CheckEmailOverImap(benchmark::State &state)
{
    if (!benchServersListen(10993)) {
        state.SkipWithError("the test mail servers are not running (tests/servers/start.sh)");
        return;
    }
    const int filled = QProcess::execute(
        QStringLiteral("python3"),
        {QStringLiteral(LOTWISE_SOURCE_DIR "/bench/fill_inbox.py"), benchServersDir(),
         QStringLiteral("seller@lotwise.test"), QStringLiteral("sellerpass"),
         QString::number(kMessages), QString::number(kNotices)});
    if (filled != 0) {
        state.SkipWithError("the inbox could not be filled");
        return;
    }
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    useSellerAccount(settings);

    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir run;
        RecordStore store;
        store.open(run.filePath(QStringLiteral("Auctions.db")));
        ScriptedPrompts scripted;
        for (int i = 0; i < kNotices; ++i) {
            scripted.answerText(QStringLiteral("4.00"));
            scripted.answerButton(Prompts::No);
        }
        setPrompts(&scripted);
        Mailer mailer(settings, run.path());
        mailer.setSessionFactory([&] { return createMailSession(settings, run.path()); });
        state.ResumeTiming();

        if (!mailer.FetchNewMail()) {
            state.SkipWithError("the sign-on failed");
            break;
        }
        NoticeIntake intake(*mailer.session(), store, run.path(), QDate::currentDate());
        intake.eBayCheckForItems();
        intake.YahooCheckForItems();
        added = intake.tally().added;

        state.PauseTiming();
        mailer.SignOff();
        setPrompts(nullptr);
        state.ResumeTiming();
    }
    state.counters["records added"] = added;
    state.counters["messages"] = kMessages;
}

BENCHMARK(BM_CheckEmailOverImap)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv) { return runServerBenchmarks(argc, argv); }
