// Any bytes twice over: as a raw MIME message whose text is extracted and read, and as a
// notice whose first line is the subject and the rest the body. Neither the extraction nor
// the readers may crash or read out of bounds, whatever the mail holds.
#include "mail/mimetext.h"
#include "mail/noticereaders.h"
#include "platform/textfile.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

namespace {

void readNotice(QStringView subject, const QStringList &lines, qsizetype bound)
{
    const bool sale = Notices::isSaleNotice(subject);
    const bool winner = Notices::isWinnerNotice(subject);
    const Notices::Fields f = sale || !winner ? Notices::readSale(lines) : Notices::readWinner(lines);
    const Notices::Fields w = Notices::readWinner(lines);
    const double total = Notices::amount(f.price) + Notices::amount(w.price);
    // Fields are cut from the text: never longer than it.
    if (f.itemName.size() > bound || w.buyer.size() > bound || total != total)
        __builtin_trap();
}

} // namespace

// HTML parts are turned into text by Qt's document classes, which want a GUI application.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char *>(data), qsizetype(size));
    const MailContent mail = readMailContent(raw);
    readNotice(mail.subject, TextFile::splitLines(mail.text), mail.subject.size() + mail.text.size());

    const QString text = TextFile::decode(raw);
    const qsizetype end = text.indexOf(u'\n');
    const QStringView subject = end < 0 ? QStringView(text) : QStringView(text).left(end);
    const QStringList lines = TextFile::splitLines(end < 0 ? QString() : text.mid(end + 1));
    readNotice(subject, lines, text.size());
    return 0;
}
