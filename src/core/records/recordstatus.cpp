#include "recordstatus.h"

#include "platform/dates.h"
#include "platform/numbers.h"
#include "records/recordstore.h"

#include <optional>

namespace RecordStatus {

namespace {

constexpr Field kMethods[] = {Field::PayPal, Field::MoneyOrder, Field::Check, Field::Cash};

bool isMethod(Field f)
{
    for (Field m : kMethods) {
        if (m == f)
            return true;
    }
    return false;
}

} // namespace

std::optional<Field> dateField(Field flag)
{
    switch (flag) {
    case Field::InvoiceSent: return Field::InvoiceSentDate;
    case Field::PaymentMade: return Field::PaymentMadeDate;
    case Field::ItemSent: return Field::ItemSentDate;
    default: return std::nullopt;
    }
}

const std::vector<Picture> &pictures()
{
    static const QString status = QStringLiteral("Status");
    static const QString notices = QStringLiteral("Email Notices");
    static const QString payment = QStringLiteral("Payment"), followUp = QStringLiteral("FollowUp"),
                         unpaid = QStringLiteral("Unpaid"), notice = QStringLiteral("EmailNotices");
    static const std::vector<Picture> all = {
        {QStringLiteral("Image1"), QStringLiteral("Invoice Sent"), status, payment, Field::InvoiceSent},
        {QStringLiteral("Image2"), QStringLiteral("Payment Received"), status, payment, Field::PaymentMade},
        {QStringLiteral("Image3"), QStringLiteral("PayPal"), status, payment, Field::PayPal},
        {QStringLiteral("Image4"), QStringLiteral("Money Order"), status, payment, Field::MoneyOrder},
        {QStringLiteral("Image5"), QStringLiteral("Check"), status, payment, Field::Check},
        {QStringLiteral("Image6"), QStringLiteral("Cash"), status, payment, Field::Cash},
        {QStringLiteral("Image7"), QStringLiteral("Item Sent"), status, payment, Field::ItemSent},
        {QStringLiteral("Image9"), QStringLiteral("7 Day Reminder"), status, followUp, Field::Remainder10},
        {QStringLiteral("Image10"), QStringLiteral("14 Day Reminder"), status, followUp, Field::Remainder20},
        {QStringLiteral("Image11"), QStringLiteral("21 Day Reminder"), status, followUp, Field::Remainder30},
        {QStringLiteral("Image12"), QStringLiteral("28 Day Reminder"), status, followUp, Field::Remainder40},
        {QStringLiteral("Image15"), QStringLiteral("Unpaid Item"), QString(), unpaid, Field::Npb},
        {QStringLiteral("Image16"), QStringLiteral("FVF Credit - Close"), QString(), unpaid, Field::CriedtFiled},
        {QStringLiteral("Image8"), QStringLiteral("Feed Back Given"), status, followUp, Field::FeedBackGiven},
        {QStringLiteral("Image20"), QStringLiteral("Payment Received"), notices, notice,
         Field::NoticePaymentReceived},
        {QStringLiteral("Image21"), QStringLiteral("Item Shipped"), notices, notice, Field::NoticeItemShipped},
        {QStringLiteral("Image22"), QStringLiteral("Feed Back Left"), notices, notice,
         Field::NoticeFeedBackGiven},
    };
    return all;
}

const Picture *picture(QStringView name)
{
    for (const Picture &p : pictures()) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

bool isDrawnSet(const QString &flagText) { return Numbers::leadingNumber(flagText) == 1.0; }
bool isClickSet(const QString &flagText) { return Numbers::leadingNumber(flagText) != 0.0; }

State state(const AuctionRecord &record)
{
    double sum = Numbers::leadingNumber(record[Field::PaymentMade]);
    for (Field m : kMethods)
        sum += Numbers::leadingNumber(record[m]);
    // Paid means "Payment Received" and a method (or two methods): one alone is not enough.
    if (sum <= 1)
        return State::NotPaid;
    return isDrawnSet(record[Field::ItemSent]) ? State::PaidAndShipped : State::Paid;
}

unsigned stateColour(State s)
{
    switch (s) {
    case State::NotPaid: return 0xC00000;
    case State::Paid: return 0xD7D051;
    case State::PaidAndShipped: return 0x0000C0;
    }
    return 0xC00000;
}

bool click(RecordStore &store, Field field, QDate today)
{
    const bool wasSet = isClickSet(store.get(field));
    const QString one = QStringLiteral("1");
    const QString zero = QStringLiteral("0");
    store.set(field, wasSet ? zero : one);
    if (const auto date = dateField(field))
        store.set(*date, wasSet ? QString("") : Dates::shortDateText(today));
    if (isMethod(field) && !wasSet) {
        for (Field m : kMethods) {
            if (m != field)
                store.set(m, zero);
        }
    }
    return field == Field::PaymentMade || field == Field::ItemSent || isMethod(field);
}

} // namespace RecordStatus
