#include "localmailsession.h"

#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <unistd.h>

namespace {

// A Maildir file name: delivery time first, so names sort in delivery order.
QString maildirName()
{
    static int counter = 0;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    return QStringLiteral("%1.M%2P%3Q%4.lotwise")
        .arg(ms / 1000)
        .arg((ms % 1000) * 1000, 6, 10, QLatin1Char('0'))
        .arg(::getpid())
        .arg(++counter);
}

struct MaildirOrder
{
    qint64 seconds = 0;
    qint64 micro = 0;
    QString name;
    QString path;
};

MaildirOrder orderOf(const QFileInfo &info)
{
    static const QRegularExpression stamp(QStringLiteral("^(\\d+)\\.(?:M(\\d+))?"));
    MaildirOrder o;
    o.name = info.fileName();
    o.path = info.filePath();
    const auto m = stamp.match(o.name);
    if (m.hasMatch()) {
        o.seconds = m.captured(1).toLongLong();
        o.micro = m.captured(2).toLongLong();
    } else {
        const qint64 ms = info.lastModified().toMSecsSinceEpoch();
        o.seconds = ms / 1000;
        o.micro = (ms % 1000) * 1000;
    }
    return o;
}

bool ensureMaildir(const QString &path)
{
    QDir dir;
    for (const char *sub : {"new", "cur", "tmp"}) {
        if (!dir.mkpath(path + u'/' + QLatin1String(sub)))
            return false;
    }
    return true;
}

} // namespace

LocalMailSession::LocalMailSession(const QString &appFolder)
    : m_mail(appFolder + QStringLiteral("/Mail"))
{
    for (const char *box : {"Inbox", "Outbox"}) {
        const QString path = m_mail + u'/' + QLatin1String(box);
        if (!ensureMaildir(path))
            throw LotwiseError(ErrorCode::MailboxNotReadable, QDir::toNativeSeparators(path));
    }
}

int LocalMailSession::fetch()
{
    m_paths.clear();
    QList<MaildirOrder> files;
    const QString inbox = m_mail + QStringLiteral("/Inbox");
    if (!ensureMaildir(inbox))
        throw LotwiseError(ErrorCode::MailboxNotReadable, QDir::toNativeSeparators(inbox));
    for (const char *sub : {"new", "cur"}) {
        const QDir dir(inbox + u'/' + QLatin1String(sub));
        for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
            files.append(orderOf(info));
    }
    std::sort(files.begin(), files.end(), [](const MaildirOrder &a, const MaildirOrder &b) {
        return std::tie(a.seconds, a.micro, a.name) < std::tie(b.seconds, b.micro, b.name);
    });
    for (const MaildirOrder &f : files)
        m_paths.append(f.path);
    return int(m_paths.size());
}

QByteArray LocalMailSession::raw(int index) const
{
    const QString &path = m_paths[index];
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw LotwiseError(ErrorCode::MailboxNotReadable, QDir::toNativeSeparators(path));
    return f.readAll();
}

void LocalMailSession::remove(int index)
{
    const QString &path = m_paths[index];
    if (!QFile::remove(path) && QFileInfo::exists(path))
        throw LotwiseError(ErrorCode::MailboxNotReadable, QDir::toNativeSeparators(path));
    m_paths.removeAt(index);
}

void LocalMailSession::send(const OutgoingMail &mail)
{
    const QByteArray raw = buildMail(mail);
    const QString outbox = m_mail + QStringLiteral("/Outbox");
    if (!ensureMaildir(outbox))
        throw LotwiseError(ErrorCode::MailboxNotReadable, QDir::toNativeSeparators(outbox));
    const QString name = maildirName();
    const QString tmp = outbox + QStringLiteral("/tmp/") + name;
    QFile f(tmp);
    if (!f.open(QIODevice::WriteOnly) || f.write(raw) != raw.size() || !f.flush()) {
        f.close();
        QFile::remove(tmp);
        throw LotwiseError(ErrorCode::MailMessageRefused, QDir::toNativeSeparators(tmp));
    }
    ::fsync(f.handle());
    f.close();
    if (!QFile::rename(tmp, outbox + QStringLiteral("/new/") + name)) {
        QFile::remove(tmp);
        throw LotwiseError(ErrorCode::MailMessageRefused, QDir::toNativeSeparators(outbox));
    }
}
