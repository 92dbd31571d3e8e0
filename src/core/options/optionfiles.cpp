#include "optionfiles.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace OptionFiles {

namespace {

// The non-empty lines of an option file, or false when there is no such file. A file that
// is there but cannot be read is an error: silently keeping the defaults would hide it.
bool readOptionLines(const QString &path, QStringList *lines)
{
    bool opened = false;
    *lines = TextFile::readLines(path, TextFile::Empty::Skip, &opened);
    if (opened)
        return true;
    if (QFileInfo::exists(path))
        throw LotwiseError(ErrorCode::FileAccess, path);
    return false;
}

void writeOptionLines(const QString &path, const QStringList &lines)
{
    QString error;
    if (!TextFile::writeLines(path, lines, &error))
        throw LotwiseError(ErrorCode::FileAccess, path + QStringLiteral(": ") + error);
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// What follows the flag and its comma.
QString afterFlag(const QString &value)
{
    return value.mid(2);
}

} // namespace

QString listFile(List list)
{
    switch (list) {
    case List::EmailSubjects:
        return QStringLiteral("Subjects/emailsub.sub");
    case List::FeedBackNotes:
        return QStringLiteral("Subjects/feedbacksub.sub");
    case List::EmailInputs:
        return QStringLiteral("Subjects/emailinputsub.sub");
    case List::QuickLinks:
        return QStringLiteral("Subjects/quicklinks.sub");
    }
    return {};
}

QString optionValue(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.mid(eq + 1);
}

bool flagOf(const QString &value)
{
    return value.startsWith(u'1');
}

bool Reminders::read(const QString &path)
{
    QStringList lines;
    if (!readOptionLines(path, &lines))
        return false;
    for (qsizetype n = 0; n < lines.size() && n < qsizetype(items.size()); ++n) {
        const QString value = optionValue(lines[n]);
        items[n].on = flagOf(value);
        items[n].days = afterFlag(value);
    }
    return true;
}

void Reminders::write(const QString &path) const
{
    static const char *const keys[] = {"Invoice=", "Shipped=", "FeedBack=", "Payment="};
    QStringList lines;
    for (size_t i = 0; i < items.size(); ++i)
        lines.append(QLatin1String(keys[i]) + flagText(items[i].on) + u',' + items[i].days);
    writeOptionLines(path, lines);
}

QString OnExit::defaultSubject(int which)
{
    return OnExit().emails.at(size_t(which)).subject;
}

bool OnExit::read(const QString &path)
{
    QStringList lines;
    if (!readOptionLines(path, &lines))
        return false;
    for (qsizetype n = 0; n < lines.size() && n < 4; ++n) {
        const QString value = optionValue(lines[n]);
        if (n == 3) {
            sendErrorLog = flagOf(value);
            continue;
        }
        Email &email = emails[size_t(n)];
        email.on = flagOf(value);
        const QString rest = afterFlag(value);
        // The file name ends at ".elm," even when a comma stands in it; the subject is all
        // that follows, commas included. Without a file name it ends at the first comma.
        static const QString kEnd = QStringLiteral(".elm,");
        const qsizetype elm = rest.indexOf(kEnd, 0, Qt::CaseInsensitive);
        const qsizetype comma = elm >= 0 ? elm + kEnd.size() - 1 : rest.indexOf(u',');
        email.templateFile = comma < 0 ? rest : rest.left(comma);
        email.subject = comma < 0 ? QString() : rest.mid(comma + 1);
    }
    return true;
}

void OnExit::write(const QString &path) const
{
    static const char *const keys[] = {"Invoice=", "Payment=", "FeedBack="};
    QStringList lines;
    for (size_t i = 0; i < emails.size(); ++i) {
        const Email &e = emails[i];
        lines.append(QLatin1String(keys[i]) + flagText(e.on) + u',' + e.templateFile + u',' +
                     e.subject);
    }
    lines.append(QStringLiteral("Error=") + flagText(sendErrorLog));
    writeOptionLines(path, lines);
}

bool LogFile::read(const QString &path)
{
    QStringList lines;
    if (!readOptionLines(path, &lines))
        return false;
    bool *const flags[] = {&keepLogFile, &everyDay, &everyWeek, &everyMonth};
    for (qsizetype n = 0; n < lines.size() && n < 4; ++n)
        *flags[n] = flagOf(optionValue(lines[n]));
    return true;
}

void LogFile::write(const QString &path) const
{
    writeOptionLines(path, {QStringLiteral("LogFile=") + flagText(keepLogFile),
                            QStringLiteral("Day=") + flagText(everyDay),
                            QStringLiteral("Week=") + flagText(everyWeek),
                            QStringLiteral("Month=") + flagText(everyMonth)});
}

bool ErrorChecking::read(const QString &path)
{
    QStringList lines;
    if (!readOptionLines(path, &lines))
        return false;
    bool *const flags[] = {&keepLog, &sendError};
    for (qsizetype n = 0; n < lines.size() && n < 2; ++n)
        *flags[n] = flagOf(optionValue(lines[n]));
    return true;
}

void ErrorChecking::write(const QString &path) const
{
    writeOptionLines(path, {QStringLiteral("KeepLog=") + flagText(keepLog),
                            QStringLiteral("SendError=") + flagText(sendError)});
}

QStringList readList(const QString &path, bool *exists)
{
    QStringList lines;
    const bool found = readOptionLines(path, &lines);
    if (exists)
        *exists = found;
    return lines;
}

void writeList(const QString &path, const QStringList &items)
{
    QStringList lines = items;
    lines.removeAll(QString());
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw LotwiseError(ErrorCode::PathNotFound, folder);
    writeOptionLines(path, lines);
}

} // namespace OptionFiles
