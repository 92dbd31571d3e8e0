#pragma once

#include <QString>
#include <vector>

class RecordStore;

// The record commands of the record panel, on the store's one shared position.
namespace RecordCommands {

// Removes the current record. The record before it becomes current; when the first record
// goes, the one after it does; the only record leaves an empty store. Nothing is asked.
void deleteRecord(RecordStore &store);

// One step back or forward. Past either end the user is told and the position stays on
// the first or last record.
void moveBack(RecordStore &store);
void moveForward(RecordStore &store);

// Searches in stored order for the first record whose field matches `text` (trimmed,
// compared in upper case): "User Name" and "Email Address" must equal it, "Name/Address"
// must hold it. Another chooser text searches nothing. When nothing matches, the record
// that was current before stays current and false is returned.
bool search(RecordStore &store, const QString &chooser, const QString &text);

// The link of a list row to its record: the record's User Name and Auction Name, trimmed,
// equal to the row's, also trimmed. Makes the first such record in stored order current and
// returns true; with none the position is left after the last record.
bool findListRecord(RecordStore &store, const QString &userName, const QString &auctionName);
// The index of that first record without moving the position; -1 when there is none.
int firstListRecord(const RecordStore &store, const QString &userName, const QString &auctionName);
// Every record a row links to, in stored order, without moving the position.
std::vector<int> listRecords(const RecordStore &store, const QString &userName,
                             const QString &auctionName);

} // namespace RecordCommands
