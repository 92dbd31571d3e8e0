#include "noticereaders.h"

#include <QRegularExpression>

namespace Notices {

namespace {

// Space characters only, at both ends: a tab is part of the value.
QString trimSpaces(QStringView s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && s[from] == u' ')
        ++from;
    while (to > from && s[to - 1] == u' ')
        --to;
    return s.mid(from, to - from).toString();
}

// The marker is found without its first letter and cut out with it, so a line where the
// marker's first letter is another one is recognised but keeps its text.
bool has(const QString &line, const char *marker)
{
    return line.contains(QLatin1String(marker + 1));
}

QString cut(QString line, const char *marker)
{
    return line.remove(QLatin1String(marker));
}

// The site puts a "#" or the like before numbers and names; a letter or digit is kept.
QString dropLeadingMark(const QString &s)
{
    return !s.isEmpty() && !s[0].isLetterOrNumber() ? trimSpaces(QStringView(s).mid(1)) : s;
}

bool subjectHas(QStringView subject, QLatin1String text)
{
    return subject.indexOf(text) > 0;
}

} // namespace

bool isReply(QStringView subject)
{
    if (subject.indexOf(QLatin1String("Re:")) > 0)
        return true;
    // The prefixes mail programs put before a subject, in any case and order: "Fwd: RE: ..."
    // is a reply that was forwarded, "Fwd: ..." alone a forwarded notice.
    static const QRegularExpression prefix(
        QStringLiteral("^\\s*(re|fwd?|aw|wg|sv|tr)\\s*(?:\\[\\d+\\]|\\(\\d+\\))?\\s*:"),
        QRegularExpression::CaseInsensitiveOption);
    for (;;) {
        const QRegularExpressionMatch m = prefix.match(subject);
        if (!m.hasMatch())
            return false;
        const QStringView word = m.capturedView(1);
        if (word.compare(QLatin1String("re"), Qt::CaseInsensitive) == 0 ||
            word.compare(QLatin1String("aw"), Qt::CaseInsensitive) == 0 ||
            word.compare(QLatin1String("sv"), Qt::CaseInsensitive) == 0)
            return true;
        subject = subject.mid(m.capturedEnd());
    }
}

bool isSaleNotice(QStringView subject)
{
    return subjectHas(subject, QLatin1String("Bay Item Sold:")) && !isReply(subject);
}

bool isWinnerNotice(QStringView subject)
{
    return subjectHas(subject, QLatin1String("uction Winner:")) && !isReply(subject);
}

Fields readSale(const QStringList &lines)
{
    Fields f;
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        if (has(line, "Item name:"))
            f.itemName = trimSpaces(cut(line, "Item name:"));
        if (has(line, "Details for item number:"))
            f.itemNumber = dropLeadingMark(trimSpaces(cut(line, "Details for item number:")));
        if (has(line, "Buyer:")) {
            const QString t = trimSpaces(cut(line, "Buyer:"));
            const qsizetype open = t.indexOf(u'(');
            if (open >= 0) {
                f.buyer = trimSpaces(QStringView(t).left(open));
                f.buyerEmail = trimSpaces(t.mid(open + 1).remove(u')'));
            } else {
                f.buyer = t;
            }
        }
        if (has(line, "Sale price:"))
            f.price = trimSpaces(cut(line, "Sale price:").remove(u'$'));
    }
    return f;
}

Fields readWinner(const QStringList &lines)
{
    Fields f;
    bool winnerFollows = false;
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        if (has(line, "Auction Title:")) {
            f.itemName = trimSpaces(cut(line, "Auction Title:"));
            // The site closes the title with a full stop; a title's own last character, a
            // closing bracket say, stays.
            if (f.itemName.endsWith(u'.'))
                f.itemName.chop(1);
        }
        if (has(line, "Auction ID:"))
            f.itemNumber = trimSpaces(cut(line, "Auction ID:"));
        if (has(line, "Winning Bid Range:"))
            f.price = trimSpaces(cut(line, "Winning Bid Range:")).remove(u'$');
        if (winnerFollows) {
            f.buyer = dropLeadingMark(trimSpaces(line));
            winnerFollows = false;
        }
        if (has(line, "The new winner to your auction is:"))
            winnerFollows = true;
    }
    return f;
}

double amount(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && !text[i].isDigit() &&
           !(text[i] == u'.' && i + 1 < text.size() && text[i + 1].isDigit()))
        ++i;
    const bool negative = i > 0 && text[i - 1] == u'-';
    QString digits;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit()) {
            digits += c;
        } else if (c == u'.' && !point) {
            point = true;
            digits += c;
        } else if (c == u',' && !point && i + 3 < text.size() && text[i + 1].isDigit() &&
                   text[i + 2].isDigit() && text[i + 3].isDigit()) {
            continue; // a thousands separator: three digits follow
        } else {
            break;
        }
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? (negative ? -v : v) : 0.0;
}

} // namespace Notices
