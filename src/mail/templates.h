#pragma once

#include "records/fields.h"

#include <QString>
#include <QStringList>
#include <array>

class RecordStore;
struct AuctionRecord;

// Email templates: ".elm" text files under "Email Templates" holding a message body with
// placeholders such as "*Auction_Name*", merged with one record into Email.txt.
namespace Templates {

struct Placeholder
{
    const char *token;
    Field field;
};
// In the order the merge applies them: a value inserted by one is searched by the later ones.
const std::array<Placeholder, 11> &placeholders();

struct FixedTemplate
{
    const char *caption; // its button
    const char *group;   // the button's group
    const char *fileName;
};
const std::array<FixedTemplate, 10> &fixedTemplates();

// One line with every placeholder replaced by the record's field, exactly as stored.
QString mergeLine(QString line, const AuctionRecord &record);

// Writes a fixed template anew from its copy under "Back Up": the copy's non-empty lines,
// then one empty line. False with *error when the copy is missing or the file cannot be
// written.
bool restoreFromBackup(const QString &appFolder, const QString &fileName, QString *error);

} // namespace Templates

// Merges the template at `templatePath` with the current record into Email.txt of the
// application folder, which is deleted and written anew. On failure (no template, a folder
// that cannot be written, no current record) the error handler is told and false returned.
bool ReplaceEmail(const RecordStore &store, const QString &appFolder, const QString &templatePath,
                  const QString &location = QStringLiteral("Sub_ReplaceEmail"));
