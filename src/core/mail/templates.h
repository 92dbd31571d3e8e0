#pragma once

#include "records/fields.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class RecordStore;

// Email templates: ".elm" text files under "Email Templates" holding a message body with
// placeholders, merged with the current auction record into Email.txt before sending.
namespace Templates {

struct Placeholder
{
    QString token;
    Field field;
};

// In the order the merge applies them. The order matters: a value inserted by an earlier
// placeholder is searched by the later ones.
const std::array<Placeholder, 11> &placeholders();
QStringList placeholderTokens();

struct FixedTemplate
{
    QString caption;  // of its button in the template editor
    QString group;    // the group box the button sits in
    QString fileName; // the same in "Email Templates" and in "Back Up"
};

const std::array<FixedTemplate, 10> &fixedTemplates();

// Replaces every placeholder of the line by its field's value, placeholders in table order.
QString mergeLine(QString line, const std::function<QString(Field)> &value);
// A template's lines merged with a record, as the message the senders read from Email.txt:
// a value holding a line break (an address) makes lines of its own there, so it does here.
// The merge into Email.txt and the mail preview both come from here, so they cannot differ.
QStringList mergeLines(const QStringList &templateLines,
                       const std::function<QString(Field)> &value);

QString templatesFolder(const QString &appFolder);
// The ".elm" files of a templates folder by name, letter case ignored, as every template
// list shows them.
QStringList templateFiles(const QString &folder);
QString templatePath(const QString &appFolder, const QString &fileName);
QString backupPath(const QString &appFolder, const QString &fileName);
QString emailPath(const QString &appFolder);

// Reads a template as lines (a line ends at CR LF or a lone CR). False with the reason in
// *error when the file is missing or cannot be read.
bool readLines(const QString &path, QStringList *lines, QString *error);

// Writes "Email Templates/<fileName>" anew from its copy in "Back Up": the backup's
// non-empty lines, each ending in CR LF, then one more CR LF. False with *error when the
// backup is missing or the template cannot be written; *backupMissing tells the two apart.
bool restoreFromBackup(const QString &appFolder, const QString &fileName, QString *error,
                       bool *backupMissing = nullptr);

} // namespace Templates

// Merges the template with the store's current record into Email.txt of the application
// folder, which is deleted first so a failed merge never leaves an older message to be
// sent. Runs under the error trap of `location`; false when it failed.
bool ReplaceEmail(const RecordStore &store, const QString &appFolder, const QString &templatePath,
                  const QString &location = QStringLiteral("Sub_ReplaceEmail"));
