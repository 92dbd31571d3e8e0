#pragma once

class RecordStore;

namespace Records {

// Appends a new record after the last one and makes it current: text and dates empty, the
// follow-up flags "0". With quick copy on, the new record takes the Close Date, Auction
// Name and Auction Total of the record that was current before (a seller listing several
// lots of one auction types them once). Auction Site, the dispute, fee-credit and notice
// flags keep what the table gives a new row.
void addRecord(RecordStore &store, bool quickCopy);

} // namespace Records
