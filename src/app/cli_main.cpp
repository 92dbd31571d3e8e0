// lotwise-cli: import, export and list computation on the application folder, for scripts
// and for moving records in and out in bulk. Usage follows the conventions of command-line
// tools: --help and --version on standard output, wrong usage on standard error with exit
// status 2.

#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/instancelock.h"
#include "platform/lotwiseerror.h"
#include "platform/settingsstore.h"
#include "queues/queuerules.h"
#include "records/csvio.h"
#include "records/orderimport.h"
#include "records/recordstore.h"
#include "records/storebackups.h"
#include "reports/reportcli.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// One command of the program: what follows its name, what it does, its options and how
// many arguments it takes.
struct Command
{
    const char *name;
    const char *synopsis;
    const char *description;
    QList<QCommandLineOption> options;
    int minArguments = 0;
    int maxArguments = 0;
};

const QList<Command> &commands()
{
    static const QList<Command> list = {
        {"import", "FILE.csv",
         "Appends the records of a CSV file written by \"export\" (or by hand with the same "
         "titles), all or none.",
         {},
         1, 1},
        {"import-orders", "FILE [--dry-run]",
         "Reads an order file downloaded from eBay (Seller Hub Orders report, Selling Manager "
         "sales history) or Etsy (Sold Orders, Sold Order Items): new sales are added, records "
         "already there are brought up to date.",
         {QCommandLineOption(QStringLiteral("dry-run"), QStringLiteral("Say what would be done; write nothing."))},
         1, 1},
        {"export", "FILE.csv", "Writes every record to a CSV file.", {}, 1, 1},
        {"queue", "KEY [--today YYYY-MM-DD]",
         "Prints the rows of the follow-up list KEY (IS, S, VA, FB1-FB6, AR1-AR7, UPI1-UPI4, "
         "FVF1-FVF4), then its caption and title.",
         {QCommandLineOption(QStringLiteral("today"), QStringLiteral("Count the ages from this day."),
                             QStringLiteral("YYYY-MM-DD"))},
         1, 1},
        {"copy-store", "to-server|to-file [--replace] [--host H] [--port P] [--database D] [--user U]",
         "Copies every record from Auctions.db to the PostgreSQL database of the settings group "
         "\"Store\" (or the options given), or back. The destination must be empty unless "
         "--replace is given. The password comes from the keyring, else from PGPASSWORD or "
         "~/.pgpass.",
         {QCommandLineOption(QStringLiteral("replace"), QStringLiteral("Empty the destination first.")),
          QCommandLineOption(QStringLiteral("host"), QStringLiteral("The server's host."), QStringLiteral("H")),
          QCommandLineOption(QStringLiteral("port"), QStringLiteral("The server's port."), QStringLiteral("P")),
          QCommandLineOption(QStringLiteral("database"), QStringLiteral("The database."), QStringLiteral("D")),
          QCommandLineOption(QStringLiteral("user"), QStringLiteral("The user name."), QStringLiteral("U"))},
         1, 1},
        {"backup", "", "Writes a copy of Auctions.db into Backups/ and prints its path.", {}, 0, 0},
        {"check", "",
         "Runs the full integrity check of Auctions.db: exit status 0 when it is sound, 1 "
         "naming the problem.",
         {},
         0, 0},
        {"report", "--year YYYY [--format csv|text]",
         "Prints the year-end report: one line per month (sales, their total, the paid part, "
         "the unpaid count), then the totals; CSV for the accountant, text for the terminal.",
         {QCommandLineOption(QStringLiteral("year"), QStringLiteral("The year to report."), QStringLiteral("YYYY")),
          QCommandLineOption(QStringLiteral("format"), QStringLiteral("csv or text (the default)."),
                             QStringLiteral("csv|text"))},
         0, 0},
        {"print", "invoices|packing-slips --list KEY [--out FILE.pdf] [--today YYYY-MM-DD]",
         "Prints an invoice or a packing slip for every buyer of the list KEY to a PDF file, "
         "one page per buyer.",
         {QCommandLineOption(QStringLiteral("list"), QStringLiteral("The list whose rows are printed."), QStringLiteral("KEY")),
          QCommandLineOption(QStringLiteral("out"), QStringLiteral("The PDF file to write."), QStringLiteral("FILE.pdf")),
          QCommandLineOption(QStringLiteral("today"), QStringLiteral("Count the ages from this day."),
                             QStringLiteral("YYYY-MM-DD"))},
         1, 1},
        {"restore", "[BACKUP]",
         "Puts BACKUP (else the newest sound backup) in place of Auctions.db, which is kept "
         "aside as Auctions.db.before-restore-DATE.",
         {},
         0, 1},
    };
    return list;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : commands()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

const char kShortUsage[] = "Usage: lotwise-cli [--help] [--version] COMMAND [ARGUMENTS]\n"
                           "       lotwise-cli help COMMAND\n";

QString synopsisOf(const Command &c)
{
    return QStringLiteral("lotwise-cli %1 %2").arg(QLatin1String(c.name), QLatin1String(c.synopsis)).trimmed();
}

QString fullUsage()
{
    QString text = QLatin1String(kShortUsage) +
                   QStringLiteral("\nImport, export and follow-up lists of Lotwise's records, for "
                                  "scripts and for moving records in and out in bulk.\n\n"
                                  "Options:\n  -h, --help  Show this help and exit.\n"
                                  "  --version   Show the version and exit.\n\nCommands:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  %1\n      %2\n").arg(synopsisOf(c), QLatin1String(c.description));
    text += QStringLiteral("\nThe application folder is $LOTWISE_HOME, else the per-user data "
                           "folder.\nExit status: 0 done, 1 refused or failed, 2 wrong usage.\n");
    return text;
}

QString commandUsage(const Command &c)
{
    QString text = QStringLiteral("Usage: %1\n\n%2\n").arg(synopsisOf(c), QLatin1String(c.description));
    if (!c.options.isEmpty()) {
        text += QStringLiteral("\nOptions:\n");
        for (const QCommandLineOption &o : c.options) {
            QString name = QStringLiteral("--") + o.names().constFirst();
            if (!o.valueName().isEmpty())
                name += u' ' + o.valueName();
            text += QStringLiteral("  %1  %2\n").arg(name, -20).arg(o.description());
        }
    }
    return text;
}

// Wrong usage: what was wrong and the short usage, on standard error; exit status 2.
int misuse(const QString &why)
{
    err() << "lotwise-cli: " << why << "\n" << kShortUsage
          << "Try \"lotwise-cli --help\" for the commands.\n";
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
    OrderImport::Failure failure;
    OrderImport::Plan plan;
    if (!OrderImport::plan(f, store, &plan, &failure)) {
        err() << "lotwise-cli: " << failure.message(path) << "\n";
        return 1;
    }
    // An order whose records fall short of the file's own total points at a column not read.
    for (const OrderImport::TotalMismatch &m : plan.totalMismatches)
        err() << "lotwise-cli: warning: " << path << ", " << m.message() << "\n";
    if (plan.mismatchCount > int(plan.totalMismatches.size()))
        err() << "lotwise-cli: warning: " << path << ": "
              << plan.mismatchCount - int(plan.totalMismatches.size())
              << " more orders do not add up to the file's totals.\n";
    out() << "Format: " << OrderImport::formatName(plan.format) << "\n";
    if (!dryRun)
        OrderImport::apply(std::move(plan), store);
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
        rows.push_back(from.recordAt(i).values.toFieldValues());
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

int runCopyStore(const QCommandLineParser &options, const QString &direction,
                 const QString &dbPath)
{
    if (direction != u"to-server" && direction != u"to-file")
        return misuse(QStringLiteral("copy-store goes \"to-server\" or \"to-file\", not \"%1\".")
                          .arg(direction));
    SettingsStore settings;
    StoreAddress address = StoreAddress::read(settings);
    address.kind = StoreAddress::Server;
    const bool replace = options.isSet(QStringLiteral("replace"));
    if (options.isSet(QStringLiteral("host")))
        address.host = options.value(QStringLiteral("host"));
    if (options.isSet(QStringLiteral("port")))
        address.port = options.value(QStringLiteral("port")).toInt();
    if (options.isSet(QStringLiteral("database")))
        address.database = options.value(QStringLiteral("database"));
    if (options.isSet(QStringLiteral("user")))
        address.user = options.value(QStringLiteral("user"));
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
        const int rc = direction == u"to-server" ? copyStore(file, server, replace)
                                                 : copyStore(server, file, replace);
        file.close();
        server.close();
        return rc;
    } catch (const LotwiseError &e) {
        err() << "lotwise-cli: " << e.description() << "\n";
        return 1;
    }
}

// backup, check and restore work on the Auctions.db file itself, sound or not.
int runStoreFile(const QString &command, const QStringList &args, const QString &folder)
{
    const QString db = AppFolder::fileIn(folder, QStringLiteral("Auctions.db"));
    const QString backups = StoreBackups::folderOf(folder);
    if (command == u"check") {
        const StoreFileCheck check = RecordStore::checkFile(db, RecordStore::Integrity::Full);
        if (!check.sound()) {
            err() << "lotwise-cli: " << check.problem << "\n";
            return 1;
        }
        out() << db << " is sound: " << check.records << " records.\n";
        return 0;
    }
    SettingsStore settings;
    if (StoreAddress::read(settings).isServer()) {
        err() << "lotwise-cli: the records are kept on a database server, which keeps its own "
                 "backups (pg_dump and pg_restore).\n";
        return 1;
    }
    try {
        if (command == u"backup") {
            const QDateTime now = QDateTime::currentDateTime();
            out() << StoreBackups::write(db, backups, now) << "\n";
            StoreBackups::prune(backups, StoreBackups::keepDaily(settings), now.date());
            return 0;
        }
        QString chosen;
        if (!args.isEmpty()) {
            chosen = QFileInfo::exists(args[0]) ? args[0] : QDir(backups).filePath(args[0]);
        } else if (const auto best = StoreBackups::newestSound(backups)) {
            chosen = best->backup.path;
        } else {
            err() << "lotwise-cli: there is no sound backup in " << backups << ".\n";
            return 1;
        }
        const QString aside = StoreBackups::restore(db, chosen, QStringLiteral("before-restore"),
                                                    QDate::currentDate());
        out() << "Restored " << chosen << " ("
              << RecordStore::checkFile(db).records << " records).\n";
        if (!aside.isEmpty())
            out() << "The previous file is kept as " << aside << ".\n";
        return 0;
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
    const QStringList all = QCoreApplication::arguments().mid(1);
    const QString first = all.value(0);
    if (first == u"--help" || first == u"-h" || (first == u"help" && all.size() == 1)) {
        out() << fullUsage();
        return 0;
    }
    if (first == u"--version") {
        out() << "lotwise-cli " << LOTWISE_VERSION << "\n";
        return 0;
    }
    if (first == u"help") {
        const Command *asked = findCommand(all.value(1));
        if (!asked || all.size() > 2)
            return misuse(QStringLiteral("\"%1\" is not a command.").arg(all.mid(1).join(u' ')));
        out() << commandUsage(*asked);
        return 0;
    }
    if (all.isEmpty())
        return misuse(QStringLiteral("no command given."));
    const Command *command = findCommand(first);
    if (!command)
        return misuse(first.startsWith(u'-') ? QStringLiteral("unknown option \"%1\".").arg(first)
                                             : QStringLiteral("\"%1\" is not a command.").arg(first));

    QCommandLineParser parser;
    parser.addOptions(command->options);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Describe this command."));
    parser.addOption(help);
    if (!parser.parse(QStringList{QStringLiteral("lotwise-cli")} + all.mid(1)))
        return misuse(QStringLiteral("%1: %2").arg(first, parser.errorText()));
    if (parser.isSet(help)) {
        out() << commandUsage(*command);
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() < command->minArguments || args.size() > command->maxArguments)
        return misuse(QStringLiteral("wrong arguments for %1; it is: %2")
                          .arg(first, synopsisOf(*command)));

    if (ReportCli::handles(first)) {
        if (QString why; !ReportCli::check(all, &why))
            return misuse(why);
    }
    const QueueRule *rule = nullptr;
    QDate today = QDate::currentDate();
    if (first == u"queue") {
        rule = Queues::rule(args[0]);
        if (!rule) {
            err() << "lotwise-cli: \"" << args[0] << "\" is not the key of a list.\n";
            return 2;
        }
        if (parser.isSet(QStringLiteral("today"))) {
            const QString day = parser.value(QStringLiteral("today"));
            today = QDate::fromString(day, Qt::ISODate);
            if (!today.isValid()) {
                err() << "lotwise-cli: \"" << day << "\" is not a date (YYYY-MM-DD).\n";
                return 2;
            }
        }
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
    const QString db = AppFolder::fileIn(folder, QStringLiteral("Auctions.db"));
    if (first == u"backup" || first == u"check" || first == u"restore")
        return runStoreFile(first, args, folder);
    if (first == u"copy-store")
        return runCopyStore(parser, args[0], db);
    RecordStore store;
    try {
        store.open(db);
        int rc = 0;
        if (first == u"import")
            rc = importCsv(store, args[0]);
        else if (first == u"import-orders")
            rc = importOrders(store, args[0], parser.isSet(QStringLiteral("dry-run")));
        else if (first == u"export")
            rc = exportCsv(store, args[0]);
        else if (ReportCli::handles(first))
            rc = ReportCli::run(store, folder, all, out(), err());
        else
            rc = printQueue(store, *rule, today);
        store.close();
        return rc;
    } catch (const LotwiseError &e) {
        err() << "lotwise-cli: " << e.description() << "\n";
        return 1;
    }
}
