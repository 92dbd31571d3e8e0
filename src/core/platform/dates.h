#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

// Dates are stored as text in the locale's short-date form with a four-digit year
// ("12/27/2005" in the United States); "" means not set.
namespace Dates {

// A process started without a locale (LANG unset: the "C" locale) writes dates the way a
// United States desktop does, rather than in the C locale's month-name form.
void useSensibleDefaultLocale();

QString shortDateFormat(const QLocale &locale = QLocale());
QString shortDateText(QDate date, const QLocale &locale = QLocale());

// Whole calendar days from `from` to `to`; negative when `to` is earlier.
inline qint64 dayDiff(QDate from, QDate to) { return from.daysTo(to); }

// Reads date text back: the locale's short-date order with a two- or four-digit year, or
// ISO yyyy-MM-dd. A time of day after the date (separated by a blank) is ignored.
// Anything else is not a date.
class DateReader
{
public:
    explicit DateReader(const QLocale &locale = QLocale());
    std::optional<QDate> read(QStringView text) const;

private:
    std::optional<QDate> readNumeric(QStringView text) const;
    enum Part { Day, Month, Year };
    Part m_order[3] = {Month, Day, Year};
    QLocale m_locale;
    bool m_numeric = true; // the locale's short form has no month names
};

// Same as DateReader for the current default locale.
std::optional<QDate> parseShortDate(QStringView text);

} // namespace Dates
