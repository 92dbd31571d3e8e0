#pragma once

#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "records/recordstore.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>
#include <utility>
#include <vector>

namespace TestSupport {

// A fresh application folder for one test.
class TempFolder
{
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const;
    QString dbPath() const { return file(QStringLiteral("Auctions.db")); }

private:
    QTemporaryDir m_dir;
};

using FieldList = std::initializer_list<std::pair<Field, QString>>;
// Fields that can be built up and added to, unlike a FieldList.
using Values = std::vector<std::pair<Field, QString>>;

// Appends a record with the given fields through the store's own add, and writes it.
void addRecord(RecordStore &store, FieldList fields);
void addRecord(RecordStore &store, const Values &fields);

// The record's values with these fields set and every other one empty.
FieldValues valuesOf(const Values &fields);
// Appends one record per entry in a single write.
void appendAll(RecordStore &store, const std::vector<Values> &records);
// Every record of an open store, and as a second seat opening the file reads them: what was
// really written.
std::vector<FieldValues> valuesIn(const RecordStore &store);
std::vector<FieldValues> storedValues(const QString &dbPath);

// Checks that each named field of `values` holds its text; the others are not looked at.
void expectFields(const FieldValues &values, FieldList expected);

// The date `days` before `today` as the store keeps it.
QString daysAgo(QDate today, int days);

// A file's bytes ("" when it cannot be read), and a file written with exactly these bytes
// (its folder created when missing).
QByteArray readBytes(const QString &path);
bool writeBytes(const QString &path, const QByteArray &bytes);

// A closed store file of `count` records: User Name "buyerN", Auction URL "itemN".
void makeStore(const QString &path, int count);
// What a crash, a full disk or a bad copy does to a store file: cut to half its length, a
// page of its table overwritten with zeros, or replaced by some other program's database.
enum class Damage { Truncated, ZeroedPage, Foreign };
void damageStore(const QString &path, Damage how);

// The text of a PDF page by page, as pdftotext reads it back; a failure to read is one.
QStringList pdfPages(const QString &path);

// The texts of the "Error Information" boxes the common error handler showed, oldest first.
inline QStringList errorBoxes(const ScriptedPrompts &prompts)
{
    QStringList texts;
    for (const ScriptedPrompts::Asked &a : prompts.asked()) {
        if (a.title == QLatin1String("Error Information"))
            texts << a.text;
    }
    return texts;
}

// The number of the LotwiseError `body` throws; 0 when it throws none.
inline int errorNumberOf(const std::function<void()> &body)
{
    try {
        body();
    } catch (const LotwiseError &e) {
        return e.number();
    }
    return 0;
}

// What can stop a store's writes while the program works on it. Made before the program
// opens the store, or at any moment for all but ReadOnly; undone when it goes.
class StoreFault
{
public:
    enum Kind {
        Locked,      // another seat holds a write transaction on the file
        ReadOnly,    // the file cannot be written (even by root); only before it is opened
        WriteRefused // every write to the table is refused by the database
    };
    StoreFault(Kind kind, QString dbPath);
    ~StoreFault();
    StoreFault(const StoreFault &) = delete;
    StoreFault &operator=(const StoreFault &) = delete;
    // False when this machine cannot make it (a file system without read-only files).
    bool made() const { return m_made; }
    static const char *name(Kind kind);

private:
    Kind m_kind;
    QString m_path;
    QString m_connection;
    bool m_made = false;
};

// Scripted answers that are the program's prompts for as long as they live.
class InstalledPrompts : public ScriptedPrompts
{
public:
    InstalledPrompts() { setPrompts(this); }
    ~InstalledPrompts() override { setPrompts(nullptr); }
};

// A record store of its own, opened on a fresh folder.
class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override { store.open(folder.dbPath()); }
    TempFolder folder;
    RecordStore store;
};

} // namespace TestSupport

// Runs a suite that takes a StoreFault::Kind as its parameter once per kind.
#define INSTANTIATE_STORE_FAULTS(suite)                                                            \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Faults, suite,                                                                             \
        ::testing::Values(TestSupport::StoreFault::Locked, TestSupport::StoreFault::ReadOnly,      \
                          TestSupport::StoreFault::WriteRefused),                                  \
        [](const auto &info) { return TestSupport::StoreFault::name(info.param); })

// Readable failure messages for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}
