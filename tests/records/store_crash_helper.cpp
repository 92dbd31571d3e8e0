// Works on a store until the test kills it, so the tests can check what survives a process
// that dies without closing anything. Says "ready" once the work starts.
//
//   store_crash_helper edits DB_PATH SIDE_LOG SEED RUN
//     random edits, adds, deletes, batch marks and imports on the records keyed by Auction
//     URL, for ever. Before each change a line "?OP ..." goes to the side log, and once the
//     store has acknowledged it, the same line without "?":
//       E key field value | A key | D key | M key field value | I key,key,...
//   store_crash_helper batch APP_FOLDER
//     the email wizard's "Send" of the invoice list to the local outbox, marking each record
//     whose mail went; says "done" at the end.

#include "mail/mailer.h"
#include "mail/mailsession.h"
#include "mail/templates.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "queues/batchactions.h"
#include "queues/queuelistmodel.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>

namespace {

void say(const char *what)
{
    std::puts(what);
    std::fflush(stdout);
}

// The fields the edits change, and the flags the marks set.
constexpr Field kEdited[] = {Field::UserName, Field::Notes, Field::TrackingNumber,
                             Field::AuctionTotal};
constexpr Field kMarked[] = {Field::InvoiceSent, Field::PaymentMade, Field::ItemSent,
                             Field::Remainder10, Field::Npb};

int randomEdits(const QString &db, const QString &sideLog, quint32 seed, const QString &run)
{
    RecordStore store;
    store.open(db);
    QFile log(sideLog);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return 3;
    const auto note = [&](const QString &line) {
        log.write((line + QStringLiteral("\r\n")).toUtf8());
    };
    QRandomGenerator rng(seed);
    const auto keyAt = [&](int i) { return store.recordAt(i)[Field::AuctionUrl]; };
    const auto field = [](Field f) { return QString::number(Fields::index(f)); };
    say("ready");
    for (int n = 0;; ++n) {
        const int roll = int(rng.bounded(100));
        const int count = store.recordCount();
        const int at = count ? int(rng.bounded(count)) : 0;
        if (roll >= 15 && roll < 60 && count && !keyAt(at).isEmpty()) {
            const Field f = kEdited[rng.bounded(4)];
            const QString v = QStringLiteral("%1-%2").arg(run).arg(n);
            const QString line = QStringLiteral("E\t%1\t%2\t%3").arg(keyAt(at), field(f), v);
            note(u'?' + line);
            store.moveTo(at);
            store.set(f, v);
            // Written when the position moves on.
            store.moveFirst();
            note(line);
        } else if (roll < 15) {
            const QString key = QStringLiteral("%1-a%2").arg(run).arg(n);
            note(QStringLiteral("?A\t") + key);
            store.addNew();
            store.set(Field::AuctionUrl, key);
            store.set(Field::UserName, key);
            store.moveFirst();
            note(QStringLiteral("A\t") + key);
        } else if (roll < 70 && count > 1000 && !keyAt(at).isEmpty()) {
            const QString key = keyAt(at);
            note(QStringLiteral("?D\t") + key);
            store.moveTo(at);
            store.deleteCurrent();
            note(QStringLiteral("D\t") + key);
        } else if (roll < 92 && count && !keyAt(at).isEmpty()) {
            const Field f = kMarked[rng.bounded(5)];
            const QString v = rng.bounded(2) ? QStringLiteral("1") : QStringLiteral("0");
            const QString line = QStringLiteral("M\t%1\t%2\t%3").arg(keyAt(at), field(f), v);
            note(u'?' + line);
            store.moveTo(at);
            store.markCurrent({{f, v}});
            note(line);
        } else if (roll >= 92) {
            std::vector<FieldValues> rows(1 + rng.bounded(30));
            QStringList keys;
            for (size_t i = 0; i < rows.size(); ++i) {
                keys << QStringLiteral("%1-i%2-%3").arg(run).arg(n).arg(i);
                rows[i][Fields::index(Field::AuctionUrl)] = keys.last();
            }
            const QString line = QStringLiteral("I\t") + keys.join(u',');
            note(u'?' + line);
            store.appendRecords(rows);
            note(line);
        }
    }
}

int sendInvoices(const QString &folder, const QDate today)
{
    ScriptedPrompts quiet;
    setPrompts(&quiet);
    SettingsStore settings(folder + QStringLiteral("/settings.ini"));
    RecordStore store;
    store.open(folder + QStringLiteral("/Auctions.db"));
    Mailer mailer(settings, folder);
    mailer.setSessionFactory([&] { return createMailSession(settings, folder); });
    QueueListModel rows(QStringList{});
    rows.setQueue(Queues::compute(store, *Queues::rule(QStringLiteral("IS")), today));
    rows.setAllChecked(true);
    const QString invoice = Templates::templatePath(folder, QStringLiteral("Auction Invoice.elm"));
    say("ready");
    // Each row's record is found by its user name, as a row click does.
    Batch::sendChecked(
        rows, store,
        [&](int r) {
            for (int i = 0; i < store.recordCount(); ++i) {
                if (store.recordAt(i)[Field::UserName] == rows.row(r).userName) {
                    store.moveTo(i);
                    return true;
                }
            }
            return false;
        },
        [&] {
            return ReplaceEmail(store, folder, invoice) &&
                   mailer.SendEmail(store.get(Field::EmailAddress),
                                    QStringLiteral("Auction Invoice"));
        },
        Marks::invoiceSent, today);
    say("done");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 5 && args[0] == u"edits")
        return randomEdits(args[1], args[2], args[3].toUInt(), args[4]);
    if (args.size() == 3 && args[0] == u"batch")
        return sendInvoices(args[1], QDate::fromString(args[2], Qt::ISODate));
    return 2;
}
