#include "testsupport.h"

#include "platform/dates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>
#include <unistd.h>

namespace TestSupport {

TempFolder::TempFolder() {}

QString TempFolder::file(const QString &relative) const { return QDir(path()).filePath(relative); }

void addRecord(RecordStore &store, FieldList fields)
{
    addRecord(store, Values(fields));
}

void addRecord(RecordStore &store, const Values &fields)
{
    store.addNew();
    for (const auto &[field, value] : fields)
        store.set(field, value);
    store.flush();
}

FieldValues valuesOf(const Values &fields)
{
    FieldValues v;
    for (const auto &[field, value] : fields)
        v[size_t(Fields::index(field))] = value;
    return v;
}

void appendAll(RecordStore &store, const std::vector<Values> &records)
{
    std::vector<FieldValues> rows;
    for (const Values &r : records)
        rows.push_back(valuesOf(r));
    store.appendRecords(rows);
}

std::vector<FieldValues> valuesIn(const RecordStore &store)
{
    std::vector<FieldValues> all;
    for (int i = 0; i < store.recordCount(); ++i)
        all.push_back(store.recordAt(i).values);
    return all;
}

std::vector<FieldValues> storedValues(const QString &dbPath)
{
    RecordStore other;
    other.open(dbPath);
    return valuesIn(other);
}

QStringList pdfPages(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << path.toStdString() << ": "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

void expectFields(const FieldValues &values, FieldList expected)
{
    for (const auto &[field, text] : expected)
        EXPECT_EQ(values[size_t(Fields::index(field))], text) << Fields::name(field).toStdString();
}

QString daysAgo(QDate today, int days) { return Dates::shortDateText(today.addDays(-days)); }

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

StoreFault::StoreFault(Kind kind, QString dbPath) : m_kind(kind), m_path(std::move(dbPath))
{
    if (kind == ReadOnly) {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        // Root writes whatever the permissions say; an immutable file it cannot.
        m_made = geteuid() != 0 ||
                 QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
        return;
    }
    m_connection = QUuid::createUuid().toString();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (!db.open())
        return;
    QSqlQuery q(db);
    if (kind == Locked) {
        m_made = q.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        return;
    }
    m_made = true;
    for (const char *what : {"INSERT", "UPDATE", "DELETE"})
        m_made = m_made && q.exec(QStringLiteral("CREATE TRIGGER \"refuse_%1\" BEFORE %1 ON "
                                                 "\"Auctions\" BEGIN SELECT RAISE(ABORT, "
                                                 "'disk I/O error'); END")
                                      .arg(QLatin1String(what)));
}

StoreFault::~StoreFault()
{
    if (m_kind == ReadOnly) {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
        return;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QSqlQuery q(db);
        if (m_kind == Locked) {
            q.exec(QStringLiteral("ROLLBACK"));
        } else {
            for (const char *what : {"INSERT", "UPDATE", "DELETE"})
                q.exec(QStringLiteral("DROP TRIGGER IF EXISTS \"refuse_%1\"").arg(QLatin1String(what)));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

const char *StoreFault::name(Kind kind)
{
    switch (kind) {
    case Locked: return "Locked";
    case ReadOnly: return "ReadOnly";
    default: return "WriteRefused";
    }
}

void makeStore(const QString &path, int count)
{
    RecordStore store;
    store.open(path);
    std::vector<FieldValues> rows(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        rows[size_t(i)][Fields::index(Field::UserName)] = QStringLiteral("buyer%1").arg(i);
        rows[size_t(i)][Fields::index(Field::AuctionUrl)] = QStringLiteral("item%1").arg(i);
        rows[size_t(i)][Fields::index(Field::InvoiceSent)] = QStringLiteral("0");
    }
    store.appendRecords(rows);
    store.close();
}

void damageStore(const QString &path, Damage how)
{
    QByteArray bytes = readBytes(path);
    switch (how) {
    case Damage::Truncated:
        bytes.truncate(bytes.size() / 2);
        break;
    case Damage::ZeroedPage: {
        // Page 2 is the root of the Auctions table, the first table made.
        const int pageSize = (uchar(bytes[16]) << 8) | uchar(bytes[17]);
        bytes.replace(pageSize, pageSize, QByteArray(pageSize, '\0'));
        break;
    }
    case Damage::Foreign: {
        QFile::remove(path);
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                       QStringLiteral("foreign"));
            c.setDatabaseName(path);
            c.open();
            QSqlQuery(c).exec(QStringLiteral("CREATE TABLE Customers (name TEXT)"));
            QSqlQuery(c).exec(QStringLiteral("INSERT INTO Customers VALUES ('ann')"));
            c.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        return;
    }
    }
    writeBytes(path, bytes);
}

} // namespace TestSupport
