#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>

class QCoreApplication;
class QTextStream;
class RecordStore;

// lotwise-cli's report and print commands:
//   report --year YYYY [--format csv|text]
//   print invoices|packing-slips --list KEY [--out FILE.pdf] [--today YYYY-MM-DD]
namespace ReportCli {

bool handles(QStringView command);
QString usage();

// The application object lotwise-cli runs in. Laying out printed pages needs fonts, which
// only a GUI application has; it runs without a window on the offscreen platform.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv);

// Checks the arguments before anything is opened; false with the reason.
bool check(const QStringList &args, QString *error);
// Runs the command on the open store; the exit status.
int run(const RecordStore &store, const QString &appFolder, const QStringList &args,
        QTextStream &out, QTextStream &err);

} // namespace ReportCli
