#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <exception>
#include <utility>

// The text of the "Error Information" box, lines joined with CR LF.
QString errorInformationText(const QString &location, int number, const QString &description);

// What the common error handler does beyond telling the user: the two switches of the
// options window, the log, the mail that carries a report, and where to say that logging
// or reporting itself failed (it never raises a second error).
struct ErrorReporting
{
    std::function<bool()> keepLog;
    std::function<bool()> sendReport;
    QString logPath;
    // Mails a report body; throws on failure.
    std::function<void(const QString &body)> mailReport;
    std::function<void(const QString &text)> status;
};
// The reporting in use; nullptr (the default) shows the message box only.
void setErrorReporting(const ErrorReporting *reporting);

// The log's five lines for one error, the last of them empty.
QStringList errorLogBlock(const QDateTime &when, const QString &location, int number,
                          const QString &description);

// The common error handler: tells the user what failed and where, logs it when the log is
// kept, and mails the log when reports are asked for.
void HandelErrors(const QString &location, int number, const QString &detail = {});
// A failure that must not stop the user with a box, such as a backup at start or at close:
// it is said on the status line and added to the error log, which gets it even when no log
// is kept, since nothing else would keep it.
void ReportQuietly(const QString &location, int number, const QString &detail = {});
// Mails the whole log, when there is one.
void SendError();

// The error trap of a procedure: runs `body`; on the first error the body stops, the error
// goes to HandelErrors with the procedure's location text, and false is returned.
template <typename Body>
bool trapErrors(const QString &location, Body &&body);

// ---------------------------------------------------------------------------

void handleCaught(const QString &location, std::exception_ptr error);

template <typename Body>
bool trapErrors(const QString &location, Body &&body)
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        handleCaught(location, std::current_exception());
        return false;
    }
}
