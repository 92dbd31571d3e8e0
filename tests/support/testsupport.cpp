#include "testsupport.h"

#include "platform/dates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace TestSupport
