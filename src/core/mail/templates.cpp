#include "templates.h"

#include "errors/handelerrors.h"
#include "platform/appfolder.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/textfile.h"
#include "records/recordstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Templates {

const std::array<Placeholder, 11> &placeholders()
{
    static const std::array<Placeholder, 11> table{{
        {QStringLiteral("*Auction_Close_Date*"), Field::CloseDate},
        {QStringLiteral("*Auction_Name*"), Field::AuctionName},
        {QStringLiteral("*Auction_Number*"), Field::AuctionUrl},
        {QStringLiteral("*Auction_Total*"), Field::AuctionTotal},
        {QStringLiteral("*User_Name*"), Field::UserName},
        {QStringLiteral("*Email_Address*"), Field::EmailAddress},
        {QStringLiteral("*Address*"), Field::Address},
        {QStringLiteral("*Invoice_Sent_Date*"), Field::InvoiceSentDate},
        {QStringLiteral("*Payment_Date*"), Field::PaymentMadeDate},
        {QStringLiteral("*Shipping_Date*"), Field::ItemSentDate},
        {QStringLiteral("*Tracking_Number*"), Field::TrackingNumber},
    }};
    return table;
}

QStringList placeholderTokens()
{
    QStringList tokens;
    for (const Placeholder &p : placeholders())
        tokens << p.token;
    return tokens;
}

const std::array<FixedTemplate, 10> &fixedTemplates()
{
    const QString invoice = QStringLiteral("Auction Invoice");
    const QString reminders = QStringLiteral("Payment Reminders");
    const QString notices = QStringLiteral("Notices");
    static const std::array<FixedTemplate, 10> table{{
        {QStringLiteral("Auction Invoice"), invoice, QStringLiteral("Auction Invoice.elm")},
        {QStringLiteral("7 Days"), reminders, QStringLiteral("Reminder 7 days.elm")},
        {QStringLiteral("14 Days"), reminders, QStringLiteral("Reminder 14 days.elm")},
        {QStringLiteral("21 Days"), reminders, QStringLiteral("Reminder 21 days.elm")},
        {QStringLiteral("28 Days"), reminders, QStringLiteral("Reminder 28 days.elm")},
        {QStringLiteral("35 Days"), reminders, QStringLiteral("Reminder 35 days.elm")},
        {QStringLiteral("42 Days"), reminders, QStringLiteral("Reminder 42 days.elm")},
        {QStringLiteral("Payment Made"), notices, QStringLiteral("Payment Made.elm")},
        {QStringLiteral("Item Shipped"), notices, QStringLiteral("Item Shipped.elm")},
        {QStringLiteral("Feed Back Given"), notices, QStringLiteral("Feed Back Given.elm")},
    }};
    return table;
}

QString mergeLine(QString line, const std::function<QString(Field)> &value)
{
    // QString::replace scans left to right and resumes after each inserted value, so a value
    // is never searched again by its own placeholder; later placeholders do see it.
    for (const Placeholder &p : placeholders()) {
        if (line.contains(p.token))
            line.replace(p.token, value(p.field), Qt::CaseSensitive);
    }
    return line;
}

QStringList mergeLines(const QStringList &templateLines, const std::function<QString(Field)> &value)
{
    QStringList merged;
    merged.reserve(templateLines.size());
    for (const QString &line : templateLines)
        merged.append(mergeLine(line, value));
    return TextFile::splitLines(TextFile::joinLines(merged));
}

QString templatesFolder(const QString &appFolder)
{
    return AppFolder::fileIn(appFolder, QStringLiteral("Email Templates"));
}

QStringList templateFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.elm")}, QDir::Files,
                                  QDir::Name | QDir::IgnoreCase);
}

QString templatePath(const QString &appFolder, const QString &fileName)
{
    return AppFolder::fileIn(appFolder, QStringLiteral("Email Templates/") + fileName);
}

QString backupPath(const QString &appFolder, const QString &fileName)
{
    return AppFolder::fileIn(appFolder, QStringLiteral("Back Up/") + fileName);
}

QString emailPath(const QString &appFolder)
{
    return AppFolder::fileIn(appFolder, QStringLiteral("Email.txt"));
}

bool readLines(const QString &path, QStringList *lines, QString *error)
{
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("\"%1\" was not found.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("\"%1\" cannot be read: %2.")
                     .arg(QDir::toNativeSeparators(path), f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = QStringLiteral("\"%1\" cannot be read: %2.")
                     .arg(QDir::toNativeSeparators(path), f.errorString());
        return false;
    }
    *lines = TextFile::splitLines(TextFile::decode(bytes));
    return true;
}

bool restoreFromBackup(const QString &appFolder, const QString &fileName, QString *error,
                       bool *backupMissing)
{
    const QString backup = backupPath(appFolder, fileName);
    if (backupMissing)
        *backupMissing = !QFileInfo::exists(backup);
    QStringList lines;
    if (!readLines(backup, &lines, error))
        return false;
    lines.removeAll(QString());
    lines.append(QString()); // the extra CR LF after the last line
    // The user may have deleted the whole folder; restoring puts it back.
    QDir().mkpath(templatesFolder(appFolder));
    const QString path = templatePath(appFolder, fileName);
    QString why;
    if (!TextFile::writeLines(path, lines, &why)) {
        *error = QStringLiteral("\"%1\" cannot be written: %2.")
                     .arg(QDir::toNativeSeparators(path), why);
        return false;
    }
    return true;
}

} // namespace Templates

bool ReplaceEmail(const RecordStore &store, const QString &appFolder, const QString &templatePath,
                  const QString &location)
{
    return trapErrors(location, [&] {
        if (!QFileInfo(appFolder).isDir())
            throw LotwiseError(ErrorCode::PathNotFound,
                               QStringLiteral("\"%1\".").arg(QDir::toNativeSeparators(appFolder)));
        const QString out = Templates::emailPath(appFolder);
        QFile old(out);
        if (QFileInfo::exists(out) && !old.remove())
            throw LotwiseError(ErrorCode::FileAccess,
                               QStringLiteral("\"%1\" cannot be replaced: %2.")
                                   .arg(QDir::toNativeSeparators(out), old.errorString()));

        QStringList lines;
        QString why;
        if (!Templates::readLines(templatePath, &lines, &why))
            throw LotwiseError(QFileInfo::exists(templatePath) ? ErrorCode::FileAccess
                                                               : ErrorCode::FileNotFound,
                               why);
        // Read every field up front: without a current record this fails before writing.
        FieldValues values;
        for (const Templates::Placeholder &p : Templates::placeholders())
            values[size_t(Fields::index(p.field))] = store.get(p.field);
        lines = Templates::mergeLines(
            lines, [&values](Field f) { return values[size_t(Fields::index(f))]; });
        if (!TextFile::writeLines(out, lines, &why))
            throw LotwiseError(ErrorCode::FileAccess,
                               QStringLiteral("\"%1\" cannot be written: %2.")
                                   .arg(QDir::toNativeSeparators(out), why));
    });
}
