#include "recordcommands.h"

#include "platform/prompts.h"
#include "records/recordstore.h"

namespace RecordCommands {

void deleteRecord(RecordStore &store)
{
    const int pos = store.position();
    store.deleteCurrent();
    if (store.recordCount() == 0)
        return;
    store.moveTo(pos > 0 ? pos - 1 : 0);
}

namespace {

// One step; past the end the user is told and the position goes back to the end record.
void step(RecordStore &store, bool forward)
{
    if (store.recordCount() == 0)
        return;
    if (forward ? !store.eof() : !store.bof())
        forward ? store.moveNext() : store.movePrevious();
    if (forward ? store.eof() : store.bof()) {
        prompts().message(forward ? QStringLiteral("Pointer being moved to last record.\rEnd of the file!")
                                  : QStringLiteral("Pointer being moved to first record.\rBeginning of the file!"),
                          QStringLiteral("Lotwise"), Prompts::Ok);
        forward ? store.moveLast() : store.moveFirst();
    }
}

} // namespace

void moveBack(RecordStore &store) { step(store, false); }
void moveForward(RecordStore &store) { step(store, true); }

bool search(RecordStore &store, const QString &chooser, const QString &text)
{
    const QString wanted = text.trimmed().toUpper();
    Field field;
    bool contains = false;
    if (chooser == QLatin1String("User Name"))
        field = Field::UserName;
    else if (chooser == QLatin1String("Email Address"))
        field = Field::EmailAddress;
    else if (chooser == QLatin1String("Name/Address")) {
        field = Field::Address;
        contains = true;
    } else
        return false;

    const int n = store.recordCount();
    for (int i = 0; i < n; ++i) {
        const QString &value = store.recordAt(i)[field];
        // Names are compared as stored; only the address is trimmed first. An empty text is
        // found in every address that is not empty.
        const bool match = contains ? !value.trimmed().isEmpty() &&
                                          value.trimmed().toUpper().contains(wanted)
                                    : value.toUpper() == wanted;
        if (match) {
            store.moveTo(i);
            return true;
        }
    }
    return false;
}

namespace {

// A record's field, trimmed, equals `wanted` (trimmed too). Read from the record's own UTF-8
// without making a string: when the field starts and ends, past ASCII blanks, with ASCII
// letters, trimmed() would cut exactly those blanks, and equal texts have equal bytes.
class TrimmedEquals
{
public:
    explicit TrimmedEquals(const QString &wanted) : m_wanted(wanted), m_utf8(wanted.toUtf8()) {}
    bool operator()(const AuctionRecord &r, Field f) const
    {
        QByteArrayView v = r.values.utf8(size_t(Fields::index(f)));
        const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
        while (!v.isEmpty() && blank(v.front()))
            v = v.sliced(1);
        while (!v.isEmpty() && blank(v.back()))
            v.chop(1);
        if (!v.isEmpty() && (quint8(v.front()) >= 0x80 || quint8(v.back()) >= 0x80))
            return r[f].trimmed() == m_wanted;
        return v == QByteArrayView(m_utf8);
    }

private:
    QString m_wanted;
    QByteArray m_utf8;
};

bool linksTo(const AuctionRecord &r, const TrimmedEquals &user, const TrimmedEquals &auction)
{
    return user(r, Field::UserName) && auction(r, Field::AuctionName);
}

} // namespace

int firstListRecord(const RecordStore &store, const QString &userName, const QString &auctionName)
{
    const TrimmedEquals user(userName.trimmed());
    const TrimmedEquals auction(auctionName.trimmed());
    for (int i = 0; i < store.recordCount(); ++i) {
        if (linksTo(store.recordAt(i), user, auction))
            return i;
    }
    return -1;
}

bool findListRecord(RecordStore &store, const QString &userName, const QString &auctionName)
{
    if (const int i = firstListRecord(store, userName, auctionName); i >= 0) {
        store.moveTo(i);
        return true;
    }
    if (store.recordCount() > 0) {
        store.moveLast();
        store.moveNext();
    }
    return false;
}

std::vector<int> listRecords(const RecordStore &store, const QString &userName,
                             const QString &auctionName)
{
    const TrimmedEquals user(userName.trimmed());
    const TrimmedEquals auction(auctionName.trimmed());
    std::vector<int> found;
    for (int i = 0; i < store.recordCount(); ++i) {
        if (linksTo(store.recordAt(i), user, auction))
            found.push_back(i);
    }
    return found;
}

} // namespace RecordCommands
