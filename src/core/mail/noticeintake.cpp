#include "noticeintake.h"

#include "errors/handelerrors.h"
#include "mail/mailsession.h"
#include "mail/noticereaders.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/numbers.h"
#include "platform/prompts.h"
#include "platform/textfile.h"
#include "records/addrecord.h"
#include "records/recordstore.h"

NoticeIntake::NoticeIntake(MailSession &session, RecordStore &store, QString appFolder, QDate today)
    : m_session(session), m_store(store), m_appFolder(std::move(appFolder)), m_today(today)
{
}

void NoticeIntake::setAddressPage(QUrl page, std::function<void(const QUrl &)> open)
{
    m_addressPage = std::move(page);
    m_open = std::move(open);
}

void NoticeIntake::eBayCheckForItems() { checkForItems(Kind::Sale); }
void NoticeIntake::YahooCheckForItems() { checkForItems(Kind::Winner); }

void NoticeIntake::checkForItems(Kind kind)
{
    const QString location = kind == Kind::Sale ? QStringLiteral("Sub_eBayCheckForItems")
                                                : QStringLiteral("Sub_YahooCheckForItems");
    trapErrors(location, [&] {
        // One pass over the set. A deleted notice takes the next one's place, which is then
        // looked at under the same index, so each message is seen exactly once.
        int i = 0;
        int seen = 0;
        const int total = m_session.MsgCount();
        while (i < m_session.MsgCount()) {
            if (m_progress)
                m_progress(seen, total);
            ++seen;
            m_session.setMsgIndex(i);
            // A message that cannot be read (gone from the mailbox since the fetch, say) is
            // reported once and passed over; the rest of the inbox is still taken in.
            QString subject, body;
            bool notice = false;
            if (!m_unreadable.contains(i)) {
                const bool read = trapErrors(QStringLiteral("Sub_DisplayMessage"), [&] {
                    subject = m_session.MsgSubject();
                    notice = kind == Kind::Sale ? Notices::isSaleNotice(subject)
                                                : Notices::isWinnerNotice(subject);
                    if (notice)
                        body = m_session.MsgNoteText();
                });
                if (!read) {
                    m_unreadable.insert(i);
                    notice = false;
                }
            }
            if (!notice || !takeIn(kind, body)) {
                ++i;
                continue;
            }
            const auto asked = prompts().message(QStringLiteral("Whould you Like to Delete the Email?"),
                                                 QStringLiteral("Add Record"),
                                                 Prompts::Yes | Prompts::No, Prompts::Icon::Question);
            if (asked == Prompts::Yes) {
                m_session.setMsgIndex(i);
                m_session.Delete();
                // The messages after it moved up one place, the unreadable ones too.
                QSet<int> moved;
                for (int u : std::as_const(m_unreadable))
                    moved.insert(u > i ? u - 1 : u);
                m_unreadable = moved;
            } else {
                ++i;
            }
        }
        if (m_progress)
            m_progress(total, total);
    });
}

// Adds the notice's record and asks its questions; false when the notice was taken in
// before and is passed over.
bool NoticeIntake::takeIn(Kind kind, const QString &body)
{
    const QString temp = AppFolder::fileIn(m_appFolder, QStringLiteral("temp.txt"));
    QString error;
    if (!TextFile::writeLines(temp, {body}, &error))
        throw LotwiseError(ErrorCode::FileAccess, error);
    Notices::Fields fields;
    trapErrors(QStringLiteral("Sub_GetAuctionInputs"), [&] {
        bool exists = false;
        const QStringList lines = TextFile::readLines(temp, TextFile::Empty::Skip, &exists);
        if (!exists)
            throw LotwiseError(ErrorCode::FileNotFound, temp);
        fields = kind == Kind::Sale ? Notices::readSale(lines) : Notices::readWinner(lines);
    });

    for (int r = 0; r < m_store.recordCount(); ++r) {
        const AuctionRecord &rec = m_store.recordAt(r);
        if (!fields.itemNumber.isEmpty() && rec[Field::AuctionUrl].trimmed() == fields.itemNumber &&
            rec[Field::UserName].trimmed() == fields.buyer.trimmed()) {
            ++m_tally.passedOver;
            return false;
        }
    }

    Records::addRecord(m_store, false);
    m_store.set(Field::CloseDate, Dates::shortDateText(m_today));
    m_store.set(Field::AuctionName, fields.itemName.trimmed());
    m_store.set(Field::AuctionUrl, fields.itemNumber.trimmed());
    m_store.set(Field::UserName, fields.buyer.trimmed());
    if (kind == Kind::Sale)
        m_store.set(Field::EmailAddress, fields.buyerEmail.trimmed());
    else
        m_store.set(Field::AuctionSite, QStringLiteral("Yahoo")); // an empty site reads as eBay
    ++m_tally.added;

    const std::optional<QString> shipping =
        prompts().input(QStringLiteral("What is the shipping cost for this item?"),
                        QStringLiteral("Shipping Cost"), QStringLiteral("4.00"));
    const double total = Numbers::leadingNumber(shipping.value_or(QString())) +
                         Notices::amount(fields.price);
    m_store.set(Field::AuctionTotal, Numbers::numberText(total));

    if (kind == Kind::Winner &&
        prompts().message(QStringLiteral("This is a Yahoo Auction would you like to get there "
                                         "email address Now?"),
                          QStringLiteral("Add Record"), Prompts::Yes | Prompts::No,
                          Prompts::Icon::Question) == Prompts::Yes &&
        m_open)
        m_open(m_addressPage);
    return true;
}
