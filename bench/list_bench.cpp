// A follow-up list of 100,000 rows in its list view: computing and showing it, sorting it
// by the date column and by the day column, and stepping through it with the mail preview.
//
//   list_bench [--records=N] [google benchmark flags]

#include "mainwindow/emailwizardpanel.h"
#include "platform/dates.h"
#include "platform/textfile.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QLocale>
#include <QTemporaryDir>
#include "benchflags.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

int g_records = 100000;
const QDate kToday(2026, 12, 6);
std::unique_ptr<QTemporaryDir> g_dir;
std::unique_ptr<RecordStore> g_store;
std::unique_ptr<EmailWizardPanel> g_panel;

// Every record invoiced and unpaid, so the all-reminders list holds all of them, with close
// dates spread over four months and across a year end.
void buildStore()
{
    g_dir = std::make_unique<QTemporaryDir>();
    const QString path = g_dir->filePath(QStringLiteral("Auctions.db"));
    {
        RecordStore store;
        store.open(path);
        std::vector<FieldValues> rows;
        rows.reserve(size_t(g_records));
        for (int i = 0; i < g_records; ++i) {
            FieldValues v;
            v[Fields::index(Field::CloseDate)] =
                Dates::shortDateText(kToday.addDays(-qint64((i * 7919) % 120)));
            v[Fields::index(Field::AuctionName)] = QStringLiteral("Brass lamp lot %1").arg(i);
            v[Fields::index(Field::UserName)] = QStringLiteral("buyer%1").arg((i * 31) % 40000);
            v[Fields::index(Field::EmailAddress)] = QStringLiteral("buyer%1@example.com").arg(i);
            v[Fields::index(Field::InvoiceSent)] = QStringLiteral("1");
            for (Field f : {Field::PaymentMade, Field::ItemSent, Field::CriedtFiled})
                v[Fields::index(f)] = QStringLiteral("0");
            rows.push_back(std::move(v));
        }
        store.appendRecords(rows);
        store.close();
    }
    g_store = std::make_unique<RecordStore>();
    g_store->open(path);
    g_panel = std::make_unique<EmailWizardPanel>(*g_store, [] { return true; });
    g_panel->resize(1000, 700);
    g_panel->show();
}

// What a user waits for: the rows in the view and the visible part drawn.
void draw()
{
    g_panel->list()->doItemsLayout();
    g_panel->list()->viewport()->repaint();
}

void BM_ShowList(benchmark::State &state)
{
    const QueueRule &rule = *Queues::rule(u"AR7");
    for (auto _ : state) {
        g_panel->setQueue(Queues::compute(*g_store, rule, kToday));
        draw();
    }
    state.counters["rows"] = g_panel->rowCount();
}

void BM_SortList(benchmark::State &state)
{
    g_panel->setQueue(Queues::compute(*g_store, *Queues::rule(u"AR7"), kToday));
    draw();
    const int column = int(state.range(0));
    for (auto _ : state) {
        g_panel->SotrListView(column, QueuePanel::columnSortType(column));
        draw();
    }
    state.counters["rows"] = g_panel->rowCount();
}

// One step down the email wizard's list with a template chosen: the row's record is found
// and its mail merged for the preview, the wait behind every arrow key. The rows stepped
// through are those of the list's second half, whose records lie far into the store.
void BM_PreviewRow(benchmark::State &state)
{
    g_panel->setQueue(Queues::compute(*g_store, *Queues::rule(u"AR7"), kToday));
    const QString folder = g_dir->filePath(QStringLiteral("Email Templates"));
    QDir().mkpath(folder);
    TextFile::writeLines(folder + QStringLiteral("/Reminder.elm"),
                         {QStringLiteral("Dear *User_Name*,"), QString(),
                          QStringLiteral("your item *Auction_Name* (*Auction_Number*) closed on"),
                          QStringLiteral("*Auction_Close_Date* and is still unpaid."), QString(),
                          QStringLiteral("Ship to:"), QStringLiteral("*Address*")});
    g_panel->fillTemplates(folder);
    g_panel->selectTemplate(QStringLiteral("Reminder.elm"));
    const int half = g_panel->rowCount() / 2;
    int step = 0;
    for (auto _ : state) {
        g_panel->selectRow(half + 1 + step % half);
        ++step;
    }
    if (g_panel->previewText().isEmpty())
        state.SkipWithError("the preview stayed empty");
    state.counters["rows"] = g_panel->rowCount();
}

} // namespace

BENCHMARK(BM_PreviewRow)->Name("PreviewRow/AR7")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowList)->Name("ShowList/AR7")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortList)->Name("SortList/date")->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortList)->Name("SortList/days")->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortList)->Name("SortList/user")->Arg(0)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    if (!initializeBenchmarks(argc, argv, {intFlag("--records=", &g_records)}))
        return 2;
    buildStore();
    benchmark::RunSpecifiedBenchmarks();
    g_panel.reset();
    g_store.reset();
    return 0;
}
