#include "yearendreport.h"

#include "platform/prompts.h"
#include "records/csvio.h"

#include <QDir>
#include <QLocale>
#include <QSaveFile>

namespace YearEndReport {

std::optional<Format> formatByName(QStringView name)
{
    if (name == u"csv")
        return Format::Csv;
    if (name == u"text")
        return Format::Text;
    return std::nullopt;
}

QByteArray csv(const SalesFigures::Period &year)
{
    Csv::Writer out;
    for (const char *title : {"Month", "Sales", "Total", "Paid", "Unpaid"})
        out.text(QString::fromLatin1(title));
    out.endRow();
    const auto line = [&out](const QString &label, const SalesFigures::Month &m) {
        out.value(label)
            .value(QString::number(m.sales))
            .value(m.total.text())
            .value(m.paid.text())
            .value(QString::number(m.unpaid));
        out.endRow();
    };
    for (const SalesFigures::Month &m : year.months)
        line(m.month.toString(QStringLiteral("yyyy-MM")), m);
    line(QStringLiteral("Total"), year.totals);
    return out.bytes();
}

bool askAndSaveCsv(const SalesFigures::Period &period, const QString &dialogTitle,
                   const QString &proposedName)
{
    const QString path = prompts().saveFileName(dialogTitle, QDir::home().filePath(proposedName),
                                                QStringLiteral("CSV Files (*.csv)"));
    if (path.isEmpty())
        return false;
    const QByteArray bytes = csv(period);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        prompts().message(QStringLiteral("The table could not be saved to %1: %2")
                              .arg(QDir::toNativeSeparators(path), f.errorString()),
                          dialogTitle, Prompts::Ok, Prompts::Icon::Warning);
        return false;
    }
    return true;
}

QString text(const SalesFigures::Period &year)
{
    // Month names in English, like every other text of the program.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString out = QStringLiteral("Year-end report %1\n\n").arg(year.totals.month.year());
    const auto line = [&out](const QString &label, const QString &sales, const QString &total,
                             const QString &paid, const QString &unpaid) {
        out += QStringLiteral("%1%2%3%4%5\n")
                   .arg(label, -12)
                   .arg(sales, 8)
                   .arg(total, 16)
                   .arg(paid, 16)
                   .arg(unpaid, 8);
    };
    line(QStringLiteral("Month"), QStringLiteral("Sales"), QStringLiteral("Total"),
         QStringLiteral("Paid"), QStringLiteral("Unpaid"));
    const auto row = [&line](const QString &label, const SalesFigures::Month &m) {
        line(label, QString::number(m.sales), m.total.text(), m.paid.text(),
             QString::number(m.unpaid));
    };
    for (const SalesFigures::Month &m : year.months)
        row(english.monthName(m.month.month()), m);
    out += QString(60, u'-') + u'\n';
    row(QStringLiteral("Total"), year.totals);
    if (const QString left = SalesFigures::leftOutLine(year.leftOut); !left.isEmpty())
        out += u'\n' + left + u'\n';
    return out;
}

} // namespace YearEndReport
