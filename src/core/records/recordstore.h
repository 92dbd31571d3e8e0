#pragma once

#include "auctionrecord.h"
#include "storeaddress.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

// A change to the current record that was not written because another seat had written
// the record since this one read it (or had deleted it). The store has re-read the record;
// `mine` holds what was typed here, field by field, so the caller can show it.
struct StoreConflict
{
    QString userName;
    QString auctionName;
    bool deleted = false;
    struct Change
    {
        Field field;
        QString mine;
        QString theirs;
    };
    std::vector<Change> changes;

    // The message for the user: which record, and what they typed that was not saved.
    QString message() const;
};

// Fields to write into a record, worked out from the record as it stood at `revision`.
struct RecordChange
{
    int index = 0; // of the record in the store
    qint64 revision = 0;
    std::vector<std::pair<Field, QString>> fields;
};

// What a look at a store file found: a sound Lotwise store (error 0) with its record count,
// or the error number (DatabaseDamaged, NotALotwiseDatabase, CannotOpenDatabase,
// FileNotFound) and the reason.
struct StoreFileCheck
{
    int error = 0;
    QString problem;
    qint64 records = 0;
    bool sound() const { return error == 0; }
};

// The one shared cursor over the Auctions table, in the Auctions.db file or on a PostgreSQL
// server. Records are held in memory in stored order; a change made with set() is held for
// the current record and written when the position next changes and when the store closes.
// That write goes through only when nobody wrote the record since it was read; otherwise the
// record is re-read and changedElsewhere() says what was not saved. Failed operations throw
// LotwiseError.
class QSqlDatabase;

class RecordStore : public QObject
{
    Q_OBJECT
public:
    static QString displayName() { return QStringLiteral("Auction Records"); }

    explicit RecordStore(QObject *parent = nullptr);
    ~RecordStore() override;

    // Opens (or creates, when the file is missing) the record store; the first record becomes
    // current. A file that is unreadable, damaged (it fails SQLite's quick check) or not a
    // Lotwise database is refused with a reason naming it, and is left untouched.
    void open(const QString &path);
    // Checks a store file without opening it as the store and without writing to it: the
    // quick check that open() runs too, or SQLite's full integrity check.
    enum class Integrity { Quick, Full };
    static StoreFileCheck checkFile(const QString &path, Integrity level = Integrity::Quick);
    // Opens the Auctions table of a PostgreSQL database, creating it when missing.
    void openServer(const StoreAddress &address, const QString &password);
    // From now on open() opens this server instead of the file it is given; the program
    // sets it at start when the settings choose a server.
    void useServer(const StoreAddress &address, const QString &password);
    bool isServer() const { return m_server; }
    // Whether open() goes to a server (useServer() was called), open or not.
    bool opensServer() const { return m_useServer.has_value(); }
    // Tries the address without opening a store: what the options window's "Test" shows.
    static bool testServer(const StoreAddress &address, const QString &password,
                           QString *report);
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

    // Read access for whole-table scans, which read records without moving the cursor. A
    // field read from the record is made into a QString then: scans that test flags or ages
    // read flagCodesAt() and dayAt() instead. The record stays where it is until records
    // are deleted, reloaded or the store closes; a set() changes its texts.
    const AuctionRecord &recordAt(int index) const { return m_records[size_t(index)]; }
    // The record's flags, kept beside the records so a scan reads a few bytes per record.
    const FlagCodes &flagCodesAt(int index) const { return m_codes[size_t(index)]; }
    // A date field of the record as a day number (QDate::toJulianDay()), read once when the
    // record was read or set, in dayLocale(); kNoDay when the text is not a date or the
    // field holds no date. Scans count ages from it without reading date texts.
    static constexpr qint32 kNoDay = std::numeric_limits<qint32>::min();
    qint32 dayAt(int index, Field f) const;
    const QLocale &dayLocale() const { return m_dayLocale; }

    // Sets these fields of the current record and writes just them at once, whatever the
    // record held: the batch marks, which must never put back another seat's flags with
    // stale values. The record's other fields are refreshed from what the write found.
    void markCurrent(const std::vector<std::pair<Field, QString>> &changes);

    // Appends records in one transaction: either all are stored or none. With replaceAll
    // the table is emptied in the same transaction first.
    void appendRecords(const std::vector<FieldValues> &rows, bool replaceAll = false);
    // Changes records and appends new ones in one transaction: either all is stored or
    // nothing. A record written since the change was worked out from it, here or on another
    // seat, refuses the whole write. Callers flush() before they read the records they
    // work the changes out from. `progress` hears (done, total) now and then.
    void writeChanges(const std::vector<RecordChange> &changes,
                      const std::vector<FieldValues> &rows,
                      const std::function<void(int, int)> &progress = {});
    // The same with the new records already in their compact form, which the store then
    // keeps without a copy; `rows` is left as it was when the write is refused.
    void writeChangesTakingRows(const std::vector<RecordChange> &changes,
                                std::vector<RecordValues> &&rows,
                                const std::function<void(int, int)> &progress = {});
    // The records whose Auction URL is `itemNumber`, both trimmed, in stored order. They are
    // found through an index of item numbers kept beside the records, made on first use and
    // made again when next asked after records changed, came or went.
    std::vector<int> recordsWithItem(const QString &itemNumber) const;
    // The number of records in the table now, as the database counts them.
    qint64 storedCount() const;

signals:
    void repositioned();
    // Before records held here change or go (an append changes none): lists that show
    // records by their index take what they show now.
    void recordsAboutToChange();
    void changedElsewhere(const StoreConflict &conflict);

private:
    void openConnection(const QString &name, bool hadTable, bool hadRevision);
    void load(const QString &connection, bool withRevision = true);
    bool loadInParts(const QString &connection, const QString &path, bool withRevision);
    QString selectAll(bool withRevision, const QString &where = {}) const;
    QString keyColumn() const;
    bool reread(AuctionRecord &r);
    const AuctionRecord &current() const;
    void reposition(int pos);
    Field fieldByName(QStringView name) const;

    QString m_path;
    QString m_connection;
    bool m_open = false;
    bool m_server = false;
    std::optional<std::pair<StoreAddress, QString>> m_useServer;
    void rebuildCodes();
    void write(const std::vector<RecordChange> &changes, std::vector<RecordValues> &rows,
               bool replaceAll, const std::function<void(int, int)> &progress);
    void insertRows(QSqlDatabase &db, const std::vector<RecordValues> &rows,
                    std::vector<qint64> *ids, const std::function<void()> &step);
    // The hash of each record's item number beside its index, in hash order; made when first
    // asked for after any change (one block, so making and dropping it is cheap).
    mutable std::vector<std::pair<size_t, int>> m_items;
    mutable bool m_itemsIndexed = false;

    std::vector<AuctionRecord> m_records;
    // Beside each record: its flags and its date fields as day numbers.
    using DayNumbers = std::array<qint32, 4>;
    DayNumbers daysOf(const RecordValues &values) const;
    void recode(size_t index);
    std::vector<FlagCodes> m_codes; // parallel to m_records
    std::vector<DayNumbers> m_days; // parallel to m_records
    QLocale m_dayLocale;
    int m_pos = 0;
    bool m_onDeleted = false;
    quint32 m_dirty = 0; // bit per field of the current record
};
