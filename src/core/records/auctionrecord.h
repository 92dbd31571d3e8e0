#pragma once

#include "fields.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstddef>
#include <utility>

using FieldValues = std::array<QString, kFieldCount>;

// A record's 30 field texts held in one block sized to them, so that a store of a million
// records costs little more than its file: the texts as UTF-8 (what SQLite and PostgreSQL
// hand over, so reading a table copies bytes and converts nothing), after a byte per
// field length (four when a field is longer than 255 bytes). A field is read as a QString
// built when asked for. An empty field reads as a null QString, as the store always gave
// it, unless it was set to an empty (non-null) text.
class RecordValues
{
public:
    RecordValues() = default;
    explicit RecordValues(const FieldValues &values);
    RecordValues(const RecordValues &other);
    RecordValues(RecordValues &&other) noexcept;
    RecordValues &operator=(const RecordValues &other);
    RecordValues &operator=(RecordValues &&other) noexcept;
    ~RecordValues();

    // From the UTF-8 texts of a row as a database gives them (empty ones read as null).
    static RecordValues fromUtf8(const std::array<QByteArrayView, kFieldCount> &texts);

    static constexpr size_t size() { return kFieldCount; }
    QString operator[](size_t i) const;
    // The field's UTF-8 bytes, valid until the record changes.
    QByteArrayView utf8(size_t i) const;
    // Every field's, in one walk over the lengths.
    std::array<QByteArrayView, kFieldCount> utf8All() const;
    void set(size_t i, const QString &value);
    FieldValues toFieldValues() const;
    operator FieldValues() const { return toFieldValues(); }

    // Lets a record be filled field by field: `r.values[i] = text`.
    class Slot
    {
    public:
        Slot &operator=(const QString &value)
        {
            m_values->set(m_index, value);
            return *this;
        }
        operator QString() const { return std::as_const(*m_values)[m_index]; }

    private:
        friend class RecordValues;
        Slot(RecordValues *values, size_t index) : m_values(values), m_index(index) {}
        RecordValues *m_values;
        size_t m_index;
    };
    Slot operator[](size_t i) { return Slot(this, i); }

    class const_iterator
    {
    public:
        QString operator*() const { return (*m_values)[m_index]; }
        const_iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator!=(const const_iterator &o) const { return m_index != o.m_index; }

    private:
        friend class RecordValues;
        const_iterator(const RecordValues *values, size_t index) : m_values(values), m_index(index)
        {}
        const RecordValues *m_values;
        size_t m_index;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    void assign(const std::array<QByteArrayView, kFieldCount> &texts);

    // [0 or 1][30 lengths, one byte each for 0, four for 1][the texts]; null when all empty.
    char *m_block = nullptr;
    // A bit per field set to an empty text that is not null.
    quint32 m_emptyText = 0;
};

// Every field's value read as a flag, packed for whole-table scans: 0 and 1 for those
// numbers, 2 for any other value (see Fields::flagCode).
using FlagCodes = std::array<quint8, kFieldCount>;
FlagCodes flagCodesOf(const FieldValues &values);
FlagCodes flagCodesOf(const RecordValues &values);
// The same from the fields' UTF-8 texts, and from one field's.
FlagCodes flagCodesOf(const std::array<QByteArrayView, kFieldCount> &texts);
quint8 flagCodeOf(QByteArrayView utf8);

struct AuctionRecord
{
    qint64 rowId = 0;
    // The change counter as last read or written: every write adds one, so a seat can tell
    // that somebody else wrote the record since it read it.
    qint64 revision = 0;
    RecordValues values;
    QString operator[](Field f) const { return values[size_t(Fields::index(f))]; }
};
