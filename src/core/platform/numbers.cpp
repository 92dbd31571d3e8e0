#include "numbers.h"

#include <cmath>

namespace Numbers {

namespace {

inline int unit(QChar c) { return c.unicode(); }
inline int unit(char c) { return static_cast<unsigned char>(c); }

// Reads the ASCII characters it looks for the same from UTF-16 and from UTF-8; any other
// character ends the number in both.
template <typename Text>
double leadingNumberOf(const Text &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (unit(text[i]) == ' ' || unit(text[i]) == '\t'))
        ++i;
    double sign = 1.0;
    if (i < n && (unit(text[i]) == '+' || unit(text[i]) == '-')) {
        if (unit(text[i]) == '-')
            sign = -1.0;
        ++i;
    }
    double value = 0.0;
    bool any = false;
    while (i < n && unit(text[i]) >= '0' && unit(text[i]) <= '9') {
        value = value * 10.0 + (unit(text[i]) - '0');
        any = true;
        ++i;
    }
    if (i < n && unit(text[i]) == '.') {
        ++i;
        double scale = 0.1;
        while (i < n && unit(text[i]) >= '0' && unit(text[i]) <= '9') {
            value += (unit(text[i]) - '0') * scale;
            scale /= 10.0;
            any = true;
            ++i;
        }
    }
    return any ? sign * value : 0.0;
}

} // namespace

double leadingNumber(QStringView text) { return leadingNumberOf(text); }

double leadingNumber(QByteArrayView utf8) { return leadingNumberOf(utf8); }

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QString s = QString::number(value, 'f', 10);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    return s;
}

} // namespace Numbers
