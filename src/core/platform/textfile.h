#pragma once

#include <QString>
#include <QStringList>

// Lotwise's data files are Windows-style text: Windows-1252 bytes with CR LF line ends.
// Reading accepts UTF-8 as well (when the bytes are valid UTF-8), so that text a user typed
// that does not fit Windows-1252 survives a write and a read; writing picks Windows-1252
// whenever every character fits, else UTF-8.
namespace TextFile {

QString decode(const QByteArray &bytes);
// Windows-1252 bytes as text; every byte reads as a character.
QString fromCp1252(const QByteArray &bytes);
QByteArray encode(const QString &text);

// A line ends at CR LF or at a lone CR; a lone LF stays inside its line. A last line
// without an end is a line like any other; an ending CR LF does not start a new line.
QStringList splitLines(const QString &text);
// The lines as one text, each followed by CR LF.
QString joinLines(const QStringList &lines);

enum class Empty { Keep, Skip };

// Reads a whole file as lines. A missing or unreadable file gives no lines and
// *exists = false.
QStringList readLines(const QString &path, Empty empty = Empty::Keep, bool *exists = nullptr);

// Replaces the file with the lines, each followed by CR LF. False with *error on failure.
bool writeLines(const QString &path, const QStringList &lines, QString *error = nullptr);
bool appendLines(const QString &path, const QStringList &lines, QString *error = nullptr);

} // namespace TextFile
