#pragma once

#include "options/optionfiles.h"

#include <QDate>
#include <QStringList>

class RecordStore;

// The start-up reminder: by the user's own thresholds, one line per kind of overdue work.
namespace StartupReminders {

// "REMINDER - You Have 2 - Items to Ship." and the like, in the order of the options; a
// threshold that is off or finds nothing adds no line. Ages count from the close date; a
// day count that is not a number is 0, and a close date that is not a date never counts.
QStringList lines(const RecordStore &store, const OptionFiles::Reminders &reminders, QDate today);

} // namespace StartupReminders
