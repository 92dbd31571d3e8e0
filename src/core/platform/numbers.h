#pragma once

#include <QByteArrayView>
#include <QString>

namespace Numbers {

// The number a text starts with: blanks skipped, an optional sign, digits with "." as the
// decimal point; reading stops at the first other character. 0 when there is none.
double leadingNumber(QStringView text);
// The same read from UTF-8 text, without making a string of it.
double leadingNumber(QByteArrayView utf8);

// A number as text the way a user writes it: no exponent, no trailing zeros, "." as the
// point ("4", "12.5", "-3").
QString numberText(double value);

} // namespace Numbers
