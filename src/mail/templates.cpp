#include "templates.h"

#include "errors/handelerrors.h"
#include "platform/appfolder.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/textfile.h"
#include "records/recordstore.h"

#include <QFile>

namespace Templates {

const std::array<Placeholder, 11> &placeholders()
{
    static const std::array<Placeholder, 11> table{{
        {"*Auction_Close_Date*", Field::CloseDate},
        {"*Auction_Name*", Field::AuctionName},
        {"*Auction_Number*", Field::AuctionUrl},
        {"*Auction_Total*", Field::AuctionTotal},
        {"*User_Name*", Field::UserName},
        {"*Email_Address*", Field::EmailAddress},
        {"*Address*", Field::Address},
        {"*Invoice_Sent_Date*", Field::InvoiceSentDate},
        {"*Payment_Date*", Field::PaymentMadeDate},
        {"*Shipping_Date*", Field::ItemSentDate},
        {"*Tracking_Number*", Field::TrackingNumber},
    }};
    return table;
}

const std::array<FixedTemplate, 10> &fixedTemplates()
{
    static const std::array<FixedTemplate, 10> table{{
        {"Auction Invoice", "Auction Invoice", "Auction Invoice.elm"},
        {"7 Days", "Payment Reminders", "Reminder 7 days.elm"},
        {"14 Days", "Payment Reminders", "Reminder 14 days.elm"},
        {"21 Days", "Payment Reminders", "Reminder 21 days.elm"},
        {"28 Days", "Payment Reminders", "Reminder 28 days.elm"},
        {"35 Days", "Payment Reminders", "Reminder 35 days.elm"},
        {"42 Days", "Payment Reminders", "Reminder 42 days.elm"},
        {"Payment Made", "Notices", "Payment Made.elm"},
        {"Item Shipped", "Notices", "Item Shipped.elm"},
        {"Feed Back Given", "Notices", "Feed Back Given.elm"},
    }};
    return table;
}

QString mergeLine(QString line, const AuctionRecord &record)
{
    // QString::replace scans left to right and does not search what it inserted; the
    // placeholders after this one do.
    for (const Placeholder &p : placeholders())
        line.replace(QLatin1String(p.token), record[p.field], Qt::CaseSensitive);
    return line;
}

bool restoreFromBackup(const QString &appFolder, const QString &fileName, QString *error)
{
    bool exists = false;
    QStringList lines = TextFile::readLines(
        AppFolder::fileIn(appFolder, QStringLiteral("Back Up/") + fileName), TextFile::Empty::Skip,
        &exists);
    if (!exists) {
        if (error)
            *error = QStringLiteral("The backup \"Back Up/%1\" was not found.").arg(fileName);
        return false;
    }
    lines << QString();
    return TextFile::writeLines(AppFolder::fileIn(appFolder, QStringLiteral("Email Templates/") +
                                                                 fileName),
                                lines, error);
}

} // namespace Templates

bool ReplaceEmail(const RecordStore &store, const QString &appFolder, const QString &templatePath,
                  const QString &location)
{
    return trapErrors(location, [&] {
        const QString output = AppFolder::fileIn(appFolder, QStringLiteral("Email.txt"));
        if (QFile::exists(output) && !QFile::remove(output))
            throw LotwiseError(ErrorCode::FileAccess, output);
        if (!store.hasCurrent())
            throw LotwiseError(ErrorCode::NoCurrentRecord);
        bool exists = false;
        QStringList lines = TextFile::readLines(templatePath, TextFile::Empty::Keep, &exists);
        if (!exists)
            throw LotwiseError(ErrorCode::FileNotFound, templatePath);
        const AuctionRecord &record = store.recordAt(store.position());
        for (QString &line : lines)
            line = Templates::mergeLine(line, record);
        QString error;
        if (!TextFile::writeLines(output, lines, &error))
            throw LotwiseError(ErrorCode::FileAccess, error);
    });
}
