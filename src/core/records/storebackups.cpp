#include "storebackups.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sqlite3.h>
#include <unistd.h>

namespace StoreBackups {

namespace {

const QString kNameFormat = QStringLiteral("'Auctions-'yyyy-MM-dd-HHmm'.db'");
// A backup being written; never a name list() takes for a backup.
const QString kPartSuffix = QStringLiteral(".part");

[[noreturn]] void fail(int number, const QString &detail) { throw LotwiseError(number, detail); }

// A rename is only durable once the folder that holds the name is on disk.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

struct Db
{
    sqlite3 *h = nullptr;
    ~Db() { sqlite3_close_v2(h); }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(h)); }
};

// Runs a statement and returns the first column of its rows.
QStringList rowsOf(sqlite3 *h, const char *sql, int *rc)
{
    QStringList rows;
    sqlite3_stmt *stmt = nullptr;
    *rc = sqlite3_prepare_v2(h, sql, -1, &stmt, nullptr);
    if (*rc != SQLITE_OK)
        return rows;
    while ((*rc = sqlite3_step(stmt)) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (*rc == SQLITE_DONE)
        *rc = SQLITE_OK;
    return rows;
}

// Copies the store into `temp` page by page, then makes the copy a stand-alone file (no
// write-ahead log) and checks it; throws with the reason.
void copyStore(const QString &dbPath, const QString &temp)
{
    Db src;
    Db dst;
    if (sqlite3_open_v2(QFile::encodeName(dbPath).constData(), &src.h, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\": %2.").arg(dbPath, src.error()));
    if (sqlite3_open_v2(QFile::encodeName(temp).constData(), &dst.h,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\": %2.").arg(temp, dst.error()));
    sqlite3_backup *backup = sqlite3_backup_init(dst.h, "main", src.h, "main");
    if (!backup)
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\": %2.").arg(temp, dst.error()));
    int rc = SQLITE_OK;
    // A writer holding the store a moment is waited for, up to about ten seconds.
    for (int attempt = 0; attempt < 200; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        sqlite3_sleep(50);
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE || finished != SQLITE_OK)
        fail(ErrorCode::BackupFailed,
             QStringLiteral("\"%1\": %2.").arg(dbPath, QString::fromUtf8(sqlite3_errstr(
                                                            rc != SQLITE_DONE ? rc : finished))));
    rowsOf(dst.h, "PRAGMA journal_mode=DELETE", &rc);
    if (rc != SQLITE_OK)
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\": %2.").arg(temp, dst.error()));
    // A copy of a damaged store would push a sound backup out of the retention.
    const QStringList verdict = rowsOf(dst.h, "PRAGMA quick_check", &rc);
    if (rc != SQLITE_OK || verdict != QStringList{QStringLiteral("ok")})
        fail(ErrorCode::BackupFailed,
             QStringLiteral("the copy of \"%1\" fails the integrity check: %2.")
                 .arg(dbPath, rc != SQLITE_OK ? dst.error() : verdict.mid(0, 3).join(u"; ")));
    rowsOf(dst.h, "SELECT count(*) FROM \"Auctions\"", &rc);
    if (rc != SQLITE_OK)
        fail(ErrorCode::BackupFailed,
             QStringLiteral("\"%1\" is not a Lotwise record store: %2.").arg(dbPath, dst.error()));
    if (sqlite3_close(dst.h) != SQLITE_OK)
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\": %2.").arg(temp, dst.error()));
    dst.h = nullptr;
}

} // namespace

QString folderOf(const QString &appFolder) { return QDir(appFolder).filePath(QStringLiteral("Backups")); }

QString fileName(const QDateTime &when) { return when.toString(kNameFormat); }

std::vector<Backup> list(const QString &folder)
{
    static const QRegularExpression pattern(
        QStringLiteral("^Auctions-\\d{4}-\\d\\d-\\d\\d-\\d{4}\\.db$"));
    std::vector<Backup> backups;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
    for (const QFileInfo &f : files) {
        if (!pattern.match(f.fileName()).hasMatch())
            continue;
        const QDateTime taken = QDateTime::fromString(f.fileName(), kNameFormat);
        if (taken.isValid())
            backups.push_back({f.filePath(), taken});
    }
    std::sort(backups.begin(), backups.end(),
              [](const Backup &a, const Backup &b) { return a.taken > b.taken; });
    return backups;
}

QString write(const QString &dbPath, const QString &folder, const QDateTime &now)
{
    if (!QFileInfo(dbPath).isFile())
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\" does not exist.").arg(dbPath));
    if (!QDir().mkpath(folder))
        fail(ErrorCode::BackupFailed,
             QStringLiteral("The folder \"%1\" cannot be created.").arg(folder));
    // What a backup cut off by a crash left behind.
    const QDir dir(folder);
    for (const QString &left : dir.entryList({u'*' + kPartSuffix}, QDir::Files))
        QFile::remove(dir.filePath(left));

    const QString target = dir.filePath(fileName(now));
    const QString temp = target + kPartSuffix;
    try {
        copyStore(dbPath, temp);
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        throw;
    }
    if (!renameOver(temp, target)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temp);
        fail(ErrorCode::BackupFailed, QStringLiteral("\"%1\": %2.").arg(target, reason));
    }
    syncFolder(folder);
    return target;
}

std::vector<Backup> beyondRetention(const std::vector<Backup> &backups, int keepDaily, QDate today)
{
    std::vector<Backup> sorted = backups;
    std::sort(sorted.begin(), sorted.end(),
              [](const Backup &a, const Backup &b) { return a.taken > b.taken; });
    const QDate firstMonth = QDate(today.year(), today.month(), 1).addMonths(-11);
    std::set<QDate> days;
    std::set<QDate> months;
    std::vector<Backup> beyond;
    for (const Backup &b : sorted) {
        const QDate day = b.taken.date();
        const QDate month(day.year(), day.month(), 1);
        // Newest first: the first copy met of a day or month is its last one.
        const bool dayKept = !days.count(day) && int(days.size()) < keepDaily;
        const bool monthKept = !months.count(month) && month >= firstMonth;
        days.insert(day);
        months.insert(month);
        if (!dayKept && !monthKept)
            beyond.push_back(b);
    }
    return beyond;
}

QStringList prune(const QString &folder, int keepDaily, QDate today)
{
    QStringList kept;
    for (const Backup &b : beyondRetention(list(folder), keepDaily, today)) {
        if (!QFile::remove(b.path))
            kept << b.path;
    }
    return kept;
}

int keepDaily(const SettingsStore &settings)
{
    bool ok = false;
    const int n = settings.read(QStringLiteral("Store"), QStringLiteral("KeepBackups"),
                                QStringLiteral("14"))
                      .trimmed()
                      .toInt(&ok);
    return ok && n >= 1 ? std::min(n, 1000) : 14;
}

std::optional<Sound> newestSound(const QString &folder)
{
    for (const Backup &b : list(folder)) {
        const StoreFileCheck check = RecordStore::checkFile(b.path, RecordStore::Integrity::Full);
        if (check.sound())
            return Sound{b, check.records};
    }
    return std::nullopt;
}

QString asideName(const QString &dbPath, const QString &why, QDate day)
{
    const QString base = dbPath + u'.' + why + u'-' + day.toString(Qt::ISODate);
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-wal"));
         ++n)
        name = base + u'-' + QString::number(n);
    return name;
}

QString restore(const QString &dbPath, const QString &backupPath, const QString &why, QDate today)
{
    const StoreFileCheck check = RecordStore::checkFile(backupPath, RecordStore::Integrity::Full);
    if (!check.sound())
        fail(check.error, QStringLiteral("The backup cannot be used: %1").arg(check.problem));

    // The copy is whole on disk before anything of the current store moves.
    const QString incoming = dbPath + QStringLiteral(".restoring");
    {
        QFile in(backupPath);
        QSaveFile out(incoming);
        if (!in.open(QIODevice::ReadOnly))
            fail(ErrorCode::FileAccess,
                 QStringLiteral("\"%1\": %2.").arg(backupPath, in.errorString()));
        if (!out.open(QIODevice::WriteOnly))
            fail(ErrorCode::FileAccess, QStringLiteral("\"%1\": %2.").arg(incoming, out.errorString()));
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(1 << 20);
            if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
                out.cancelWriting();
                break;
            }
        }
        if (!out.commit())
            fail(ErrorCode::FileAccess,
                 QStringLiteral("\"%1\" cannot be written: %2.").arg(incoming, out.errorString()));
    }

    // The log goes first: a store file must never meet a log that is not its own.
    const QString aside = asideName(dbPath, why, today);
    const QStringList suffixes{QStringLiteral("-shm"), QStringLiteral("-wal"), QString()};
    QStringList moved;
    const auto putBack = [&](const QStringList &done) {
        for (auto s = done.rbegin(); s != done.rend(); ++s)
            renameOver(aside + *s, dbPath + *s);
    };
    for (const QString &s : suffixes) {
        if (!QFileInfo::exists(dbPath + s))
            continue;
        if (!renameOver(dbPath + s, aside + s)) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            putBack(moved);
            QFile::remove(incoming);
            fail(ErrorCode::FileAccess,
                 QStringLiteral("\"%1\" cannot be moved aside: %2.").arg(dbPath + s, reason));
        }
        moved << s;
    }
    if (!renameOver(incoming, dbPath)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        putBack(moved);
        QFile::remove(incoming);
        fail(ErrorCode::FileAccess, QStringLiteral("\"%1\": %2.").arg(dbPath, reason));
    }
    syncFolder(QFileInfo(dbPath).absolutePath());
    return moved.contains(QString()) ? aside : QString();
}

} // namespace StoreBackups
