#include "reportcli.h"

#include "platform/settingsstore.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"
#include "reports/printdocuments.h"
#include "reports/yearendreport.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

namespace ReportCli {

namespace {

struct Options
{
    bool report = false;
    int year = 0;
    YearEndReport::Format format = YearEndReport::Format::Text;
    PrintDocuments::Kind kind = PrintDocuments::Kind::Invoice;
    const QueueRule *list = nullptr;
    QString out;
    QDate today = QDate::currentDate();
};

bool parse(const QStringList &args, Options *o, QString *error)
{
    if (args.size() < 2) {
        *error = usage();
        return false;
    }
    o->report = args[0] == u"report";
    int i = 1;
    if (!o->report) {
        if (args[1] == u"invoices")
            o->kind = PrintDocuments::Kind::Invoice;
        else if (args[1] == u"packing-slips")
            o->kind = PrintDocuments::Kind::PackingSlip;
        else {
            *error = QStringLiteral("print what: \"invoices\" or \"packing-slips\"?");
            return false;
        }
        i = 2;
    }
    bool hasYear = false;
    for (; i < args.size(); i += 2) {
        const QString &name = args[i];
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("%1 needs a value.").arg(name);
            return false;
        }
        const QString &value = args[i + 1];
        if (o->report && name == u"--year") {
            bool ok = false;
            o->year = value.toInt(&ok);
            if (!ok || o->year < 1900 || o->year > 9999) {
                *error = QStringLiteral("\"%1\" is not a year.").arg(value);
                return false;
            }
            hasYear = true;
        } else if (o->report && name == u"--format") {
            const auto f = YearEndReport::formatByName(value);
            if (!f) {
                *error = QStringLiteral("the format is \"csv\" or \"text\", not \"%1\".").arg(value);
                return false;
            }
            o->format = *f;
        } else if (!o->report && name == u"--list") {
            o->list = Queues::rule(value);
            if (!o->list) {
                *error = QStringLiteral("\"%1\" is not the key of a list.").arg(value);
                return false;
            }
        } else if (!o->report && name == u"--out") {
            o->out = value;
        } else if (!o->report && name == u"--today") {
            o->today = QDate::fromString(value, Qt::ISODate);
            if (!o->today.isValid()) {
                *error = QStringLiteral("\"%1\" is not a date (YYYY-MM-DD).").arg(value);
                return false;
            }
        } else {
            *error = usage();
            return false;
        }
    }
    if (o->report && !hasYear) {
        *error = QStringLiteral("report needs --year YYYY.");
        return false;
    }
    if (!o->report && !o->list) {
        *error = QStringLiteral("print needs --list KEY, the list whose rows are printed.");
        return false;
    }
    return true;
}

int printList(const RecordStore &store, const QString &appFolder, const Options &o,
              QTextStream &out, QTextStream &err)
{
    std::vector<int> records;
    for (int i = 0; i < store.recordCount(); ++i) {
        if (Queues::isMember(store.recordAt(i), *o.list, o.today))
            records.push_back(i);
    }
    if (records.empty()) {
        out << "The list " << o.list->key << " is empty; nothing was printed.\n";
        return 0;
    }
    QString templateHtml;
    QString error;
    if (!PrintDocuments::readTemplate(appFolder, o.kind, &templateHtml, &error)) {
        err << "lotwise-cli: " << error << "\n";
        return 1;
    }
    const SettingsStore settings;
    const QStringList pages = PrintDocuments::pages(
        templateHtml, store, records, PrintDocuments::Seller::read(settings), o.today);
    const QString path =
        !o.out.isEmpty() ? o.out
                         : QStringLiteral("%1 %2.pdf")
                               .arg(PrintDocuments::title(o.kind), o.today.toString(Qt::ISODate));
    if (!PrintDocuments::printPdf(path, pages, &error)) {
        err << "lotwise-cli: " << error << "\n";
        return 1;
    }
    out << "Printed " << pages.size() << " " << PrintDocuments::title(o.kind).toLower()
        << " (" << records.size() << " items) to " << QDir::toNativeSeparators(path) << ".\n";
    return 0;
}

} // namespace

bool handles(QStringView command) { return command == u"report" || command == u"print"; }

QString usage()
{
    return QStringLiteral(
        "  lotwise-cli report --year YYYY [--format csv|text]\n"
        "  lotwise-cli print invoices|packing-slips --list KEY [--out FILE.pdf]\n"
        "                    [--today YYYY-MM-DD]\n");
}

std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    if (argc > 1 && QStringView(QString::fromLocal8Bit(argv[1])) == u"print") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

bool check(const QStringList &args, QString *error)
{
    Options o;
    return parse(args, &o, error);
}

int run(const RecordStore &store, const QString &appFolder, const QStringList &args,
        QTextStream &out, QTextStream &err)
{
    Options o;
    QString error;
    if (!parse(args, &o, &error)) {
        err << "lotwise-cli: " << error << "\n";
        return 2;
    }
    if (!o.report)
        return printList(store, appFolder, o, out, err);
    const SalesFigures::Period year = SalesFigures::year(store, o.year);
    if (o.format == YearEndReport::Format::Csv) {
        out << QString::fromUtf8(YearEndReport::csv(year));
        // Beside the table, not in it, so a spreadsheet still reads a plain table.
        if (const QString left = SalesFigures::leftOutLine(year.leftOut); !left.isEmpty())
            err << left << "\n";
    } else {
        out << YearEndReport::text(year);
    }
    return 0;
}

} // namespace ReportCli
