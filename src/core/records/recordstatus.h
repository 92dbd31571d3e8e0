#pragma once

#include "records/fields.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

class RecordStore;
struct AuctionRecord;

// The status pictures of the record panel: one per flag, each with the caption beside it.
namespace RecordStatus {

struct Picture
{
    QString name;    // object name, "Image1"
    QString caption; // "Invoice Sent"
    QString group;   // group box caption; empty for the pair outside the groups
    QString box;     // which box it sits in: two boxes share the caption "Status"
    Field field;
};

// In the order the panel redraws them.
const std::vector<Picture> &pictures();
const Picture *picture(QStringView name);

// The date set and cleared with a dated flag (Invoice Sent, Payment Received, Item Sent).
std::optional<Field> dateField(Field flag);

// Drawn as set only when the flag's number is exactly 1.
bool isDrawnSet(const QString &flagText);
// The click actions treat 0 as not set and any other number as set.
bool isClickSet(const QString &flagText);

enum class State { NotPaid, Paid, PaidAndShipped };
State state(const AuctionRecord &record);
// The state colour as 0xRRGGBB.
unsigned stateColour(State s);

// The click action of a picture on the current record. Returns true when the record panel
// must be redrawn afterwards (payment, the methods and Item Sent change the state colour).
// `today` becomes the date of the three dated flags.
bool click(RecordStore &store, Field field, QDate today);

} // namespace RecordStatus
