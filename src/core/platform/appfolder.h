#pragma once

#include <QString>
#include <QStringList>

// The application folder: every data file of Lotwise lives in it.
namespace AppFolder {

// $LOTWISE_HOME when set, else the per-user data folder (~/.local/share/Lotwise).
QString path();

// A file or folder inside the application folder, by its relative name ("Subjects/emailsub.sub").
QString file(const QString &relative);
QString fileIn(const QString &folder, const QString &relative);

// Creates the folder when missing and copies in every seed file it does not have yet
// (templates, backups, list files, icons). Files the user already has are never
// overwritten. Returns the relative names copied; on failure *error says why.
QStringList seed(const QString &folder, QString *error = nullptr);

} // namespace AppFolder
