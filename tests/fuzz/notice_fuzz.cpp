// Any bytes as a notice: the first line is the subject, the rest the body. The readers must
// neither crash nor read out of bounds, whatever the mail holds.
#include "mail/noticereaders.h"
#include "platform/textfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextFile::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const qsizetype end = text.indexOf(u'\n');
    const QStringView subject = end < 0 ? QStringView(text) : QStringView(text).left(end);
    const QStringList lines = TextFile::splitLines(end < 0 ? QString() : text.mid(end + 1));
    const bool sale = Notices::isSaleNotice(subject);
    const bool winner = Notices::isWinnerNotice(subject);
    const Notices::Fields f = sale || !winner ? Notices::readSale(lines) : Notices::readWinner(lines);
    const Notices::Fields w = Notices::readWinner(lines);
    const double total = Notices::amount(f.price) + Notices::amount(w.price);
    // Fields are cut from the text: never longer than it.
    if (f.itemName.size() > text.size() || w.buyer.size() > text.size() || total != total)
        __builtin_trap();
    return 0;
}
