#pragma once

#include "reports/salesfigures.h"

#include <QByteArray>
#include <QString>

// The year-end report: one line per month (sales, their total, the paid part of it, how
// many are unpaid) and the totals, as CSV for the accountant or as text for a terminal.
namespace YearEndReport {

enum class Format { Csv, Text };

// "csv" or "text"; nothing for anything else.
std::optional<Format> formatByName(QStringView name);

// The CSV: a header line, twelve month lines ("2024-01"), a "Total" line; CR LF line ends.
// The left-out count is not part of it, so that a spreadsheet reads it as a plain table.
QByteArray csv(const SalesFigures::Period &year);
// Asks where to save the CSV (proposing `proposedName` in the home folder) and writes it;
// a failure is shown. False when nothing was written.
bool askAndSaveCsv(const SalesFigures::Period &period, const QString &dialogTitle,
                   const QString &proposedName);
// The same as aligned columns under a title, with the left-out line when there is one.
QString text(const SalesFigures::Period &year);

} // namespace YearEndReport
