#include "testsupport.h"

#include "platform/dates.h"

#include <QDir>

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

} // namespace TestSupport
