// lotwise-cli: import, export and list computation on the application folder, for scripts
// and for moving records in and out in bulk.

#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/instancelock.h"
#include "platform/lotwiseerror.h"
#include "platform/settingsstore.h"
#include "queues/queuerules.h"
#include "records/csvio.h"
#include "records/orderimport.h"
#include "records/recordstore.h"
#include "reports/reportcli.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

int usage()
{
    err() << "Usage:\n"
             "  lotwise-cli import FILE.csv\n"
             "  lotwise-cli import-orders FILE [--dry-run]\n"
             "  lotwise-cli export FILE.csv\n"
             "  lotwise-cli queue KEY [--today YYYY-MM-DD]\n"
             "  lotwise-cli copy-store to-server|to-file [--replace] [--host H] [--port P]\n"
             "                         [--database D] [--user U]\n"
          << ReportCli::usage()
          << "The application folder is $LOTWISE_HOME, else the per-user data folder.\n"
             "import-orders reads an order file downloaded from eBay (Seller Hub Orders report,\n"
             "Selling Manager sales history) or Etsy (Sold Orders, Sold Order Items): new sales\n"
             "are added, records already there are brought up to date; --dry-run writes nothing.\n"
             "copy-store copies every record from Auctions.db to the PostgreSQL database of\n"
             "the settings group \"Store\" (or the options given), or back; the destination\n"
             "must be empty unless --replace is given. The password comes from the keyring,\n"
             "else from PGPASSWORD or ~/.pgpass.\n";
    return 2;
}

int importCsv(RecordStore &store, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        err() << "lotwise-cli: cannot read " << path << ": " << f.errorString() << "\n";
        return 1;
    }
    std::vector<FieldValues> records;
    Csv::ParseError e;
    if (!Csv::readRecords(f.readAll(), &records, &e)) {
        err() << "lotwise-cli: " << path << ", line " << e.line << ": " << e.message
              << "; nothing was imported.\n";
        return 1;
    }
    store.appendRecords(records);
    out() << "Imported " << records.size() << " records.\n";
    return 0;
}

int importOrders(RecordStore &store, const QString &path, bool dryRun)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        err() << "lotwise-cli: cannot read " << path << ": " << f.errorString() << "\n";
        return 1;
    }
    OrderImport::OrderFile file;
    OrderImport::Failure failure;
    if (!OrderImport::read(f.readAll(), &file, &failure)) {
        err() << "lotwise-cli: " << failure.message(path) << "\n";
        return 1;
    }
    const OrderImport::Plan plan = OrderImport::plan(file, store);
    out() << "Format: " << OrderImport::formatName(plan.format) << "\n";
    if (!dryRun)
        OrderImport::apply(plan, store);
    out() << plan.summary() << "\n";
    if (dryRun)
        out() << "Dry run: nothing was written.\n";
    return 0;
}

int exportCsv(RecordStore &store, const QString &path)
{
    QSaveFile f(path);
    const QByteArray bytes = Csv::writeRecords(store);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        err() << "lotwise-cli: cannot write " << path << ": " << f.errorString() << "\n";
        return 1;
    }
    out() << "Exported " << store.recordCount() << " records.\n";
    return 0;
}

int printQueue(RecordStore &store, const QueueRule &rule, QDate today)
{
    const QueueResult result = Queues::compute(store, rule, today);
    for (const QueueRow &r : result.rows)
        out() << r.userName << '\t' << r.emailAddress << '\t' << r.auctionName << '\t'
              << r.basisDate << '\t' << r.days << '\n';
    out() << result.caption << '\n' << result.title << '\n';
    return 0;
}

// Copies every record of `from` into `to` in one transaction and checks the counts.
int copyStore(RecordStore &from, RecordStore &to, bool replace)
{
    const qint64 already = to.storedCount();
    if (already > 0 && !replace) {
        err() << "lotwise-cli: " << to.path() << " already holds " << already
              << " records; nothing was copied (--replace empties it first).\n";
        return 1;
    }
    std::vector<FieldValues> rows;
    rows.reserve(size_t(from.recordCount()));
    for (int i = 0; i < from.recordCount(); ++i)
        rows.push_back(from.recordAt(i).values);
    to.appendRecords(rows, replace);
    const qint64 source = from.storedCount();
    const qint64 copied = to.storedCount();
    if (copied != qint64(rows.size()) || source != copied) {
        err() << "lotwise-cli: the counts differ after the copy: " << source << " in "
              << from.path() << ", " << copied << " in " << to.path() << ".\n";
        return 1;
    }
    out() << "Copied " << copied << " records from " << from.path() << " to " << to.path()
          << ".\n";
    return 0;
}

int runCopyStore(const QStringList &args, const QString &dbPath)
{
    if (args.size() < 2 || (args[1] != u"to-server" && args[1] != u"to-file"))
        return usage();
    SettingsStore settings;
    StoreAddress address = StoreAddress::read(settings);
    address.kind = StoreAddress::Server;
    bool replace = false;
    for (int i = 2; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--replace") {
            replace = true;
            continue;
        }
        if (i + 1 >= args.size())
            return usage();
        const QString value = args[++i];
        if (a == u"--host")
            address.host = value;
        else if (a == u"--port")
            address.port = value.toInt();
        else if (a == u"--database")
            address.database = value;
        else if (a == u"--user")
            address.user = value;
        else
            return usage();
    }
    if (const QString why = address.problem(); !why.isEmpty()) {
        err() << "lotwise-cli: " << why << "\n";
        return 2;
    }
    // An empty password lets the server's own client library look in PGPASSWORD and
    // ~/.pgpass.
    const QString password = StorePasswords::read(address).value_or(QString());
    RecordStore file;
    RecordStore server;
    try {
        file.open(dbPath);
        server.openServer(address, password);
        const int rc = args[1] == u"to-server" ? copyStore(file, server, replace)
                                               : copyStore(server, file, replace);
        file.close();
        server.close();
        return rc;
    } catch (const LotwiseError &e) {
        err() << "lotwise-cli: " << e.description() << "\n";
        return 1;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const auto app = ReportCli::makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lotwise"));
    Dates::useSensibleDefaultLocale();
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString command = args[0];

    const QueueRule *rule = nullptr;
    QDate today = QDate::currentDate();
    if (command == QLatin1String("queue")) {
        rule = Queues::rule(args[1]);
        if (!rule) {
            err() << "lotwise-cli: \"" << args[1] << "\" is not the key of a list.\n";
            return 2;
        }
        if (args.size() == 4 && args[2] == QLatin1String("--today")) {
            today = QDate::fromString(args[3], Qt::ISODate);
            if (!today.isValid()) {
                err() << "lotwise-cli: \"" << args[3] << "\" is not a date (YYYY-MM-DD).\n";
                return 2;
            }
        } else if (args.size() != 2) {
            return usage();
        }
    } else if (command == QLatin1String("copy-store")) {
        // checked below, once the folder is locked
    } else if (ReportCli::handles(command)) {
        if (QString why; !ReportCli::check(args, &why)) {
            err() << "lotwise-cli: " << why << "\n";
            return 2;
        }
    } else if (command == QLatin1String("import-orders")) {
        if (args.size() > 3 || (args.size() == 3 && args[2] != QLatin1String("--dry-run")))
            return usage();
    } else if ((command != QLatin1String("import") && command != QLatin1String("export")) ||
               args.size() != 2) {
        return usage();
    }

    const QString folder = AppFolder::path();
    if (!QDir().mkpath(folder)) {
        err() << "lotwise-cli: the folder " << folder << " cannot be created.\n";
        return 1;
    }
    InstanceLock lock(folder);
    if (!lock.tryLock()) {
        err() << "lotwise-cli: " << lock.inUseMessage() << "\n";
        return 1;
    }
    if (command == QLatin1String("copy-store"))
        return runCopyStore(args, AppFolder::fileIn(folder, QStringLiteral("Auctions.db")));
    RecordStore store;
    try {
        store.open(AppFolder::fileIn(folder, QStringLiteral("Auctions.db")));
        int rc = 0;
        if (command == QLatin1String("import"))
            rc = importCsv(store, args[1]);
        else if (command == QLatin1String("import-orders"))
            rc = importOrders(store, args[1], args.size() == 3);
        else if (command == QLatin1String("export"))
            rc = exportCsv(store, args[1]);
        else if (ReportCli::handles(command))
            rc = ReportCli::run(store, folder, args, out(), err());
        else
            rc = printQueue(store, *rule, today);
        store.close();
        return rc;
    } catch (const LotwiseError &e) {
        err() << "lotwise-cli: " << e.description() << "\n";
        return 1;
    }
}
