#include "dates.h"

#include <QMutex>

namespace Dates {

namespace {
// Stored dates are ASCII; the Unicode digit tables are far slower than a range check.
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
} // namespace

void useSensibleDefaultLocale()
{
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

QString shortDateFormat(const QLocale &locale)
{
    QString fmt = locale.dateFormat(QLocale::ShortFormat);
    // Widen a two-digit year so stored dates never become ambiguous.
    if (!fmt.contains(QStringLiteral("yyyy")))
        fmt.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return fmt;
}

QString shortDateText(QDate date, const QLocale &locale)
{
    return date.isValid() ? locale.toString(date, shortDateFormat(locale)) : QString();
}

DateReader::DateReader(const QLocale &locale) : m_locale(locale)
{
    const QString fmt = locale.dateFormat(QLocale::ShortFormat);
    m_numeric = !fmt.contains(QStringLiteral("MMM"));
    int n = 0;
    QChar last;
    for (const QChar c : fmt) {
        if (c == last)
            continue;
        last = c;
        if (n < 3 && (c == u'd' || c == u'M' || c == u'y'))
            m_order[n++] = c == u'd' ? Day : (c == u'M' ? Month : Year);
    }
    if (n != 3) {
        m_order[0] = Month;
        m_order[1] = Day;
        m_order[2] = Year;
    }
}

std::optional<QDate> DateReader::read(QStringView text) const
{
    text = text.trimmed();
    if (const auto d = readNumeric(text))
        return d;
    if (m_numeric)
        return std::nullopt;
    // A locale whose short form spells the month: let the locale read it.
    const QDate d = m_locale.toDate(text.toString(), shortDateFormat(m_locale));
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

std::optional<QDate> DateReader::readNumeric(QStringView text) const
{
    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int group = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    QChar separator;
    while (group < 3) {
        if (i >= n || !isAsciiDigit(text[i]))
            return std::nullopt;
        while (i < n && isAsciiDigit(text[i])) {
            if (digits[group] == 4)
                return std::nullopt;
            values[group] = values[group] * 10 + (text[i].unicode() - u'0');
            ++digits[group];
            ++i;
        }
        ++group;
        if (group == 3)
            break;
        // One separator between the groups, and the same one both times.
        if (i >= n || isAsciiDigit(text[i]) || text[i].isSpace())
            return std::nullopt;
        if (group == 1)
            separator = text[i];
        else if (text[i] != separator)
            return std::nullopt;
        ++i;
    }
    if (i < n && !text[i].isSpace())
        return std::nullopt;

    int day = 0, month = 0, year = 0, yearDigits = 0;
    if (digits[0] == 4 && separator == u'-') {
        year = values[0];
        yearDigits = 4;
        month = values[1];
        day = values[2];
    } else {
        for (int g = 0; g < 3; ++g) {
            switch (m_order[g]) {
            case Day: day = values[g]; break;
            case Month: month = values[g]; break;
            case Year:
                year = values[g];
                yearDigits = digits[g];
                break;
            }
        }
        if (yearDigits != 2 && yearDigits != 4)
            return std::nullopt;
        // Two-digit years: 00-29 are this century, 30-99 the last, as Windows reads them.
        if (yearDigits == 2)
            year += year < 30 ? 2000 : 1900;
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QDate> parseShortDate(QStringView text)
{
    static QMutex mutex;
    static QString cachedName;
    static DateReader reader;
    QMutexLocker lock(&mutex);
    const QLocale locale;
    if (locale.name() != cachedName) {
        cachedName = locale.name();
        reader = DateReader(locale);
    }
    return reader.read(text);
}

} // namespace Dates
