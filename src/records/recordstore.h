#pragma once

#include "fields.h"

#include <QObject>
#include <QString>
#include <array>
#include <vector>

using FieldValues = std::array<QString, kFieldCount>;

// Every field's value read as a flag, packed for whole-table scans: 0 and 1 for those
// numbers, 2 for any other value (see Fields::flagCode).
using FlagCodes = std::array<quint8, kFieldCount>;
FlagCodes flagCodesOf(const FieldValues &values);

struct AuctionRecord
{
    qint64 rowId = 0;
    FieldValues values;
    const QString &operator[](Field f) const { return values[Fields::index(f)]; }
};

// The one shared cursor over the Auctions table of Auctions.db. Records are held in memory
// in stored order; a change made with set() is held for the current record and written when
// the position next changes and when the store closes. Failed operations throw LotwiseError.
class RecordStore : public QObject
{
    Q_OBJECT
public:
    static QString displayName() { return QStringLiteral("Auction Records"); }

    explicit RecordStore(QObject *parent = nullptr);
    ~RecordStore() override;

    // Opens (or creates, when the file is missing) the record store; the first record becomes
    // current. A file that is unreadable, corrupt or not a Lotwise database is refused with
    // a reason naming it, and is left untouched.
    void open(const QString &path);
    void refresh();
    // Writes the pending change and closes. Safe to call twice.
    void close();
    bool isOpen() const { return m_open; }
    const QString &path() const { return m_path; }

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool eof() const;
    bool bof() const;
    bool hasCurrent() const;
    int recordCount() const { return int(m_records.size()); }
    // The index of the current record (-1 before the first, recordCount() after the last).
    int position() const { return m_pos; }
    // Makes record `index` current, as a walk that stops there would.
    void moveTo(int index);

    void addNew();
    void deleteCurrent();

    QString get(Field f) const;
    QString get(QStringView fieldName) const;
    void set(Field f, const QString &value);
    void set(QStringView fieldName, const QString &value);

    // Writes the pending change of the current record now.
    void flush();

    // Read access for whole-table scans, which read records without moving the cursor.
    const AuctionRecord &recordAt(int index) const { return m_records[size_t(index)]; }
    // The record's flags, kept beside the records so a scan reads a few bytes per record.
    const FlagCodes &flagCodesAt(int index) const { return m_codes[size_t(index)]; }

    // Appends records in one transaction: either all are stored or none.
    void appendRecords(const std::vector<FieldValues> &rows);

signals:
    void repositioned();

private:
    void load(const QString &connection);
    const AuctionRecord &current() const;
    void reposition(int pos);
    Field fieldByName(QStringView name) const;

    QString m_path;
    QString m_connection;
    bool m_open = false;
    void rebuildCodes();

    std::vector<AuctionRecord> m_records;
    std::vector<FlagCodes> m_codes; // parallel to m_records
    int m_pos = 0;
    bool m_onDeleted = false;
    quint32 m_dirty = 0; // bit per field of the current record
};
