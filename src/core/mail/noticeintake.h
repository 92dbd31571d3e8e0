#pragma once

#include <QDate>
#include <QSet>
#include <QString>
#include <QUrl>
#include <functional>

class MailSession;
class RecordStore;

// "Check Email": the sale notices, then the winner notices, of the fetched message set
// become records. Every notice is taken in once per run, and a notice whose item and buyer
// already have a record is passed over, so a notice kept in the inbox adds nothing on the
// next run. Questions go through the prompt interface.
class NoticeIntake
{
public:
    struct Tally
    {
        int added = 0;
        int passedOver = 0; // notices already taken in before
    };
    using Progress = std::function<void(int done, int total)>;

    NoticeIntake(MailSession &session, RecordStore &store, QString appFolder, QDate today);

    // Where the winner's address can be looked up, and how pages are opened.
    void setAddressPage(QUrl page, std::function<void(const QUrl &)> open);
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Each traps its own failures under its location text; what was added stays.
    void eBayCheckForItems();
    void YahooCheckForItems();
    const Tally &tally() const { return m_tally; }

private:
    enum class Kind { Sale, Winner };
    void checkForItems(Kind kind);
    bool takeIn(Kind kind, const QString &body);

    MailSession &m_session;
    RecordStore &m_store;
    QString m_appFolder;
    QDate m_today;
    QUrl m_addressPage;
    std::function<void(const QUrl &)> m_open;
    Progress m_progress;
    Tally m_tally;
    // Places in the fetched set of the messages that could not be read, so that the second
    // pass neither reads nor reports them again.
    QSet<int> m_unreadable;
};
