#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The option and list files of the application folder. Option files are "key=value" lines
// read by position, not by key: the N-th non-empty line is the N-th option whatever its key
// says, and lines past the last option are ignored. Writers always write the whole file in
// the fixed order. A missing file is not an error: reading it leaves the values as they were.
//
// Reading an existing file that cannot be opened, and any failed write, throw LotwiseError.
namespace OptionFiles {

inline constexpr auto RemindersFile = "Reminders.txt";
inline constexpr auto OnExitFile = "OnExit.txt";
inline constexpr auto LogFileFile = "OptionLogFile.txt";
inline constexpr auto ErrorCheckingFile = "OptionErrorChecking.txt";

// The list files, in the order of the list editor's choices.
enum class List { EmailSubjects, FeedBackNotes, EmailInputs, QuickLinks };
inline constexpr int ListCount = 4;
// "Subjects/emailsub.sub" and so on, relative to the application folder.
QString listFile(List list);

// The value of an option line: everything after its first "=" ("" when there is none).
QString optionValue(const QString &line);
// A flag is the first character of the value: "1" is on, anything else is off.
bool flagOf(const QString &value);

// The start-up reminder's thresholds.
struct Reminders
{
    enum Which { Invoice, Shipped, FeedBack, Payment };
    struct Reminder
    {
        bool on = false;
        // As typed: nothing checks that it is a number.
        QString days = QStringLiteral("1");
    };
    std::array<Reminder, 4> items;

    // False when the file does not exist.
    bool read(const QString &path);
    void write(const QString &path) const;
};

// The mailings of the on-exit report.
struct OnExit
{
    enum Which { Invoice, Payment, FeedBack };
    struct Email
    {
        bool on = false;
        // A file name of "Email Templates" without its folder. The template editor saves no
        // name with a comma, but one that holds a comma is still read back whole.
        QString templateFile;
        // May hold commas: it is whatever follows the template file's comma.
        QString subject;
    };
    std::array<Email, 3> emails{{{false, {}, QStringLiteral("Auction Invoice")},
                                 {false, {}, QStringLiteral("Payment Received")},
                                 {false, {}, QStringLiteral("Feed Back Given")}}};
    bool sendErrorLog = false;

    static QString defaultSubject(int which);

    bool read(const QString &path);
    void write(const QString &path) const;
};

// The "Log Files" choices: stored and shown only.
struct LogFile
{
    bool keepLogFile = false;
    bool everyDay = false;
    bool everyWeek = false;
    bool everyMonth = false;

    bool read(const QString &path);
    void write(const QString &path) const;
};

// The error handler's two switches.
struct ErrorChecking
{
    bool keepLog = false;
    bool sendError = false;

    bool read(const QString &path);
    void write(const QString &path) const;
};

// A list file's items: its non-empty lines in file order; *exists = false when missing.
QStringList readList(const QString &path, bool *exists = nullptr);
// Replaces the list file with one line per item, leaving out empty items; creates the
// folder when it is missing.
void writeList(const QString &path, const QStringList &items);

} // namespace OptionFiles
