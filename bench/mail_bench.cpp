// Sending a batch of 1,000 buyer emails: into the local outbox, and as "Send" on a 7-day
// reminder list of 1,000 checked rows (merge, send, mark) on one session through the local
// test Postfix, beside Python's smtplib on one connection to the same server.
//
//   mail_bench [--servers=DIR] [google benchmark flags]
//
// The Postfix runs need the test servers (tests/servers/start.sh DIR); without them they are
// skipped with a message.

#include "mail/mailsession.h"
#include "platform/settingsstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include "benchmain.h"
#include "mail/mailer.h"
#include "mail/templates.h"
#include "platform/dates.h"
#include "platform/textfile.h"
#include "queues/batchactions.h"
#include "queues/queuelistmodel.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kBatch = 1000;

QString body(int i)
{
    return QStringLiteral("Dear buyer,\r\n\r\nThank you for winning auction %1, a brass lamp.\r\n"
                          "Your total is $12.50 including shipping.\r\n\r\nRegards\r\n")
        .arg(4000000000LL + i);
}

void sendBatch(MailSession &session, const QString &to)
{
    for (int i = 0; i < kBatch; ++i) {
        session.Compose();
        session.setRecipAddress(to);
        session.setMsgSubject(QStringLiteral("Invoice for auction %1").arg(i));
        session.setMsgNoteText(body(i));
        session.Send();
    }
}

void BM_LocalOutbox(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
        auto session = createMailSession(settings, dir.path());
        session->SignOn(false, false);
        state.ResumeTiming();
        sendBatch(*session, QStringLiteral("buyer@lotwise.test"));
    }
    state.counters["messages/s"] =
        benchmark::Counter(double(kBatch) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// smtplib on one STARTTLS connection, timed inside the child so start-up is not counted.
double smtplibRate()
{
    const QString script = QStringLiteral(R"(
import smtplib, ssl, sys, time
from email.message import EmailMessage
ctx = ssl.create_default_context(cafile=sys.argv[1])
s = smtplib.SMTP('127.0.0.1', 10025)
s.starttls(context=ctx)
s.login('seller@lotwise.test', 'sellerpass')
t = time.perf_counter()
for i in range(%1):
    m = EmailMessage()
    m['From'] = 'seller@lotwise.test'
    m['To'] = 'buyer@lotwise.test'
    m['Subject'] = 'Invoice for auction %d' % i
    m.set_content('Dear buyer,\r\n\r\nThank you for winning auction %d, a brass lamp.\r\n' % i)
    s.send_message(m)
print(%1 / (time.perf_counter() - t))
s.quit()
)").arg(kBatch);
    QProcess py;
    py.start(QStringLiteral("python3"),
             {QStringLiteral("-c"), script, benchServersDir() + QStringLiteral("/ca.pem")});
    if (!py.waitForFinished(600000) || py.exitCode() != 0) {
        std::fprintf(stderr, "smtplib run failed: %s\n", py.readAllStandardError().constData());
        return 0;
    }
    return py.readAllStandardOutput().trimmed().toDouble();
}

void addReminderRecord(RecordStore &store, int i, QDate closed)
{
    store.addNew();
    store.set(Field::UserName, QStringLiteral("buyer%1").arg(i));
    store.set(Field::AuctionName, QStringLiteral("Brass lamp %1").arg(i));
    store.set(Field::AuctionUrl, QString::number(4000000000LL + i));
    store.set(Field::EmailAddress, QStringLiteral("buyer@lotwise.test"));
    store.set(Field::InvoiceSent, QStringLiteral("1"));
    store.set(Field::CloseDate, Dates::shortDateText(closed));
}

void BM_PostfixOneSession(benchmark::State &state)
{
    if (!benchServersListen(10025)) {
        state.SkipWithError("the test mail servers are not running (tests/servers/start.sh DIR)");
        for (auto _ : state) {
        }
        return;
    }
    double ours = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
        useSellerAccount(settings);
        // The 7-day reminder list of kBatch buyers, all checked, as "Send" works through it:
        // each row made current, merged with the template, mailed on the one session, marked.
        RecordStore store;
        store.open(dir.filePath(QStringLiteral("Auctions.db")));
        const QDate today = QDate::currentDate();
        for (int i = 0; i < kBatch; ++i)
            addReminderRecord(store, i, today.addDays(-8));
        store.flush();
        const QString path = dir.filePath(QStringLiteral("Reminder 7 days.elm"));
        TextFile::writeLines(path, {QStringLiteral("Dear *User_Name*,"),
                                    QStringLiteral("please pay for auction *Auction_Number*.")});
        QueueListModel rows({});
        rows.setQueue(Queues::compute(store, *Queues::rule(u"AR1"), today));
        rows.setAllChecked(true);
        Mailer mailer(settings, dir.path());
        mailer.setSessionFactory([&] { return createMailSession(settings, dir.path()); });
        mailer.LogOn();
        state.ResumeTiming();
        QElapsedTimer t;
        t.start();
        const Batch::Outcome out = Batch::sendChecked(
            rows, store,
            [&](int r) {
                store.moveTo(r);
                return store.hasCurrent();
            },
            [&] {
                return ReplaceEmail(store, dir.path(), path)
                       && mailer.SendEmail(store.get(Field::EmailAddress), QStringLiteral("Reminder"));
            },
            Marks::reminder7, today);
        ours = out.sent / (double(t.nsecsElapsed()) / 1e9);
        if (out.sent != kBatch)
            std::fprintf(stderr, "only %d of %d sent\n", out.sent, kBatch);
    }
    const double theirs = smtplibRate();
    state.counters["messages/s"] = ours;
    state.counters["smtplib messages/s"] = theirs;
    state.counters["smtplib / ours"] = ours > 0 ? theirs / ours : 0;
    std::printf("Postfix, one session: %.1f messages/s; smtplib, one connection: %.1f messages/s; "
                "ratio smtplib/ours %.2f\n",
                ours, theirs, ours > 0 ? theirs / ours : 0.0);
}

BENCHMARK(BM_LocalOutbox)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PostfixOneSession)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv) { return runServerBenchmarks(argc, argv); }
