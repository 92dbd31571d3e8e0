#include "testsupport.h"

#include "platform/dates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace TestSupport {

TempFolder::TempFolder() {}

QString TempFolder::file(const QString &relative) const { return QDir(path()).filePath(relative); }

void addRecord(RecordStore &store, FieldList fields)
{
    store.addNew();
    for (const auto &[field, value] : fields)
        store.set(field, value);
    store.flush();
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
