#include "money.h"

namespace {

constexpr int kMaxIntegerDigits = 18;

} // namespace

std::optional<Money> Money::parse(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (!text.isEmpty() && text.front() == u'$')
        text = text.mid(1);
    __int128 units = 0;
    int integerDigits = 0;
    int decimals = -1; // -1 until the point
    for (const QChar c : text) {
        if (c == u'.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        if (decimals >= 0) {
            if (++decimals > kDecimals)
                return std::nullopt;
        } else if (++integerDigits > kMaxIntegerDigits) {
            return std::nullopt;
        }
        units = units * 10 + (c.unicode() - u'0');
    }
    if (integerDigits == 0 && decimals <= 0)
        return std::nullopt; // no digit at all: "", "$", "."
    for (int d = std::max(decimals, 0); d < kDecimals; ++d)
        units *= 10;
    Money m;
    m.m_units = negative ? -units : units;
    return m;
}

QString Money::text() const
{
    __int128 v = m_units < 0 ? -m_units : m_units;
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    while (digits.size() <= kDecimals)
        digits.prepend(u'0');
    QString whole = digits.left(digits.size() - kDecimals);
    QString fraction = digits.right(kDecimals);
    while (fraction.size() > 2 && fraction.endsWith(u'0'))
        fraction.chop(1);
    return (m_units < 0 ? QStringLiteral("-") : QString()) + whole + u'.' + fraction;
}
