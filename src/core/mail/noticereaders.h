#pragma once

#include <QString>
#include <QStringList>

// Reading the auction sites' notices: the sale notice ("eBay Item Sold: ...") and the Yahoo
// winner notice ("Auction Winner: ..."). Each field comes from the line holding its marker.
namespace Notices {

struct Fields
{
    QString itemName;
    QString itemNumber;
    QString buyer;
    QString buyerEmail;
    QString price; // the text after the price marker
};

// A notice subject: the site's text after at least one character (the first letter of the
// site's name), and not a reply: no "Re:" after the first character, and no reply prefix
// in any letter case among the prefixes the subject starts with ("Fwd: RE: ...").
bool isSaleNotice(QStringView subject);
bool isWinnerNotice(QStringView subject);
bool isReply(QStringView subject);

// The fields of one notice; a field the notice has no line for stays empty. Lines end at
// CR LF or a lone CR; empty lines are skipped.
Fields readSale(const QStringList &lines);
Fields readWinner(const QStringList &lines);

// The amount in a price text: the first number in it, "," accepted as thousands separator
// ("US $1,250.00" is 1250); 0 when there is none.
double amount(QStringView text);

} // namespace Notices
