#pragma once

#include <QString>
#include <optional>

// An amount of money held exactly, in ten-thousandths, so that sums of totals come out as a
// seller adds them on paper (0.10 + 0.20 is 0.30), never as binary fractions do.
class Money
{
public:
    static constexpr int kDecimals = 4;

    Money() = default;

    // Reads an amount as sellers type it: blanks around it, an optional sign, an optional
    // "$", digits with "." as the point and at most four decimals. Anything else (empty text,
    // letters, a second point, thousands separators) is not an amount: a total we cannot
    // read exactly is left out rather than guessed at.
    static std::optional<Money> parse(QStringView text);

    Money &operator+=(const Money &other)
    {
        m_units += other.m_units;
        return *this;
    }
    friend Money operator+(Money a, const Money &b) { return a += b; }
    friend bool operator==(const Money &a, const Money &b) { return a.m_units == b.m_units; }
    bool isZero() const { return m_units == 0; }

    // "1234.50": two decimals at least, more only when the amount has them; no separators.
    QString text() const;

private:
    // Wide enough that no sum of stored totals can overflow.
    __int128 m_units = 0;
};
