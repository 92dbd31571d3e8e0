#include "fields.h"

#include "platform/numbers.h"

namespace Fields {

const std::array<QString, kFieldCount> &names()
{
    static const std::array<QString, kFieldCount> all = {
        QStringLiteral("Close Date"),
        QStringLiteral("Auction Name"),
        QStringLiteral("Auction URL"),
        QStringLiteral("Auction Total"),
        QStringLiteral("User Name"),
        QStringLiteral("Email Address"),
        QStringLiteral("Address"),
        QStringLiteral("Notes"),
        QStringLiteral("Invoice Sent Date"),
        QStringLiteral("Payment Made Date"),
        QStringLiteral("Item Sent Date"),
        QStringLiteral("Auction Site"),
        QStringLiteral("CK Invoice Sent"),
        QStringLiteral("CK Payment Made"),
        QStringLiteral("CK PayPal"),
        QStringLiteral("CK Money Order"),
        QStringLiteral("CK Check"),
        QStringLiteral("CK Cash"),
        QStringLiteral("CK Item Sent"),
        QStringLiteral("CK FeedBack Given"),
        QStringLiteral("CK Remainder 10"),
        QStringLiteral("CK Remainder 20"),
        QStringLiteral("CK Remainder 30"),
        QStringLiteral("CK Remainder 40"),
        QStringLiteral("CK NPB"),
        QStringLiteral("CK Criedt Filed"),
        QStringLiteral("Tracking Number"),
        QStringLiteral("Notuse Payment Recived"),
        QStringLiteral("Notuse Item Shipped"),
        QStringLiteral("Notuse FeedBack Given"),
    };
    return all;
}

unsigned char flagCode(QStringView value)
{
    // The stored forms first; anything else goes through the full reading.
    if (value.size() == 1 && (value[0] == u'0' || value[0] == u'1'))
        return value[0] == u'0' ? 0 : 1;
    const double n = Numbers::leadingNumber(value);
    return n == 0.0 ? 0 : (n == 1.0 ? 1 : 2);
}

QString name(Field f) { return names()[index(f)]; }

std::optional<Field> byName(QStringView name)
{
    const auto &all = names();
    for (int i = 0; i < kFieldCount; ++i) {
        if (all[i] == name)
            return static_cast<Field>(i);
    }
    return std::nullopt;
}

bool isFlag(Field f)
{
    const QString &n = names()[index(f)];
    return n.startsWith(QLatin1String("CK ")) || n.startsWith(QLatin1String("Notuse "));
}

bool isDate(Field f)
{
    return f == Field::CloseDate || f == Field::InvoiceSentDate || f == Field::PaymentMadeDate ||
           f == Field::ItemSentDate;
}

} // namespace Fields
