#pragma once

#include <QString>
#include <array>
#include <optional>

// The 30 fields of an auction record, in stored order, under the exact names that
// database files carry ("CK Criedt Filed", "Notuse Payment Recived" included).
enum class Field : int {
    CloseDate,
    AuctionName,
    AuctionUrl,
    AuctionTotal,
    UserName,
    EmailAddress,
    Address,
    Notes,
    InvoiceSentDate,
    PaymentMadeDate,
    ItemSentDate,
    AuctionSite,
    InvoiceSent,
    PaymentMade,
    PayPal,
    MoneyOrder,
    Check,
    Cash,
    ItemSent,
    FeedBackGiven,
    Remainder10,
    Remainder20,
    Remainder30,
    Remainder40,
    Npb,
    CriedtFiled,
    TrackingNumber,
    NoticePaymentReceived,
    NoticeItemShipped,
    NoticeFeedBackGiven,
};

constexpr int kFieldCount = 30;

namespace Fields {

QString name(Field f);
const std::array<QString, kFieldCount> &names();
std::optional<Field> byName(QStringView name);
// Flag fields are those whose name begins "CK " or "Notuse ".
bool isFlag(Field f);
bool isDate(Field f);
constexpr int index(Field f) { return static_cast<int>(f); }

// A value read as a flag: 0 or 1 when its leading number is exactly that, else 2.
unsigned char flagCode(QStringView value);

} // namespace Fields
