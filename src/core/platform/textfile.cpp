#include "textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes that code page
// leaves undefined map to the C1 control of the same value, as Windows itself does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

QString cp1252Text(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *d++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

bool writeBytes(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode,
                QString *error)
{
    if (mode & QIODevice::Append) {
        // One write of whole lines; a write the disk cuts short is taken back, so the file
        // never ends in half a line of ours.
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
            if (error)
                *error = f.errorString();
            return false;
        }
        const qint64 before = f.size();
        QByteArray out;
        // A line an earlier crash cut off is ended first, so the new lines start whole.
        if (before > 0 && f.seek(before - 1)) {
            const QByteArray last = f.read(1);
            if (last != "\n" && last != "\r")
                out = "\r\n";
        }
        out += bytes;
        if (f.write(out) != out.size()) {
            if (error)
                *error = f.errorString();
            f.resize(before);
            return false;
        }
        return true;
    }
    // Replace atomically: a crash half-way never leaves a truncated option or list file.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace

namespace TextFile {

QString fromCp1252(const QByteArray &bytes) { return cp1252Text(bytes); }

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return cp1252Text(bytes);
}

QByteArray encode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const int b = cp1252Byte(c.unicode());
        if (b < 0)
            return text.toUtf8();
        out.append(char(b));
    }
    return out;
}

QString joinLines(const QStringList &lines)
{
    QString text;
    for (const QString &l : lines) {
        text += l;
        text += QStringLiteral("\r\n");
    }
    return text;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == u'\r') {
            lines.append(text.mid(start, i - start));
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QStringList readLines(const QString &path, Empty empty, bool *exists)
{
    QFile f(path);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (exists)
        *exists = ok;
    if (!ok)
        return {};
    QStringList lines = splitLines(decode(f.readAll()));
    if (empty == Empty::Skip)
        lines.removeAll(QString());
    return lines;
}

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    return writeBytes(path, encode(joinLines(lines)), QIODevice::WriteOnly, error);
}

bool appendLines(const QString &path, const QStringList &lines, QString *error)
{
    return writeBytes(path, encode(joinLines(lines)), QIODevice::Append, error);
}

} // namespace TextFile
