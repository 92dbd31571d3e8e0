#pragma once

#include <QDate>
#include <QStringList>

class RecordStore;

// "Tasks To Complete": one line per follow-up list that has members, counted by the very
// rule of the list of the same node key, so the summary never disagrees with the list it
// names.
namespace TaskSummary {

// The line for one node key ("You have 3 - 7 day feedback to leave."), or "" when the list
// is empty or the key has no line.
QString CheckTasks(RecordStore &store, const QString &key, QDate today);

// Every line, in the summary's order. The first record is current afterwards.
QStringList lines(RecordStore &store, QDate today);

} // namespace TaskSummary
