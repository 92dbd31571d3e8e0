// lotwise-cli: import, export and list computation on the application folder, for scripts
// and for moving records in and out in bulk.

#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/instancelock.h"
#include "platform/lotwiseerror.h"
#include "queues/queuerules.h"
#include "records/csvio.h"
#include "records/recordstore.h"

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
             "  lotwise-cli export FILE.csv\n"
             "  lotwise-cli queue KEY [--today YYYY-MM-DD]\n"
             "The application folder is $LOTWISE_HOME, else the per-user data folder.\n";
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
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
    RecordStore store;
    try {
        store.open(AppFolder::fileIn(folder, QStringLiteral("Auctions.db")));
        int rc = 0;
        if (command == QLatin1String("import"))
            rc = importCsv(store, args[1]);
        else if (command == QLatin1String("export"))
            rc = exportCsv(store, args[1]);
        else
            rc = printQueue(store, *rule, today);
        store.close();
        return rc;
    } catch (const LotwiseError &e) {
        err() << "lotwise-cli: " << e.description() << "\n";
        return 1;
    }
}
