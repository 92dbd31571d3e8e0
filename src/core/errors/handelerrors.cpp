#include "handelerrors.h"

#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/textfile.h"

#include <QLocale>
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"

QString errorInformationText(const QString &location, int number, const QString &description)
{
    return QStringList{QStringLiteral("Lotwise generated an error!"), QString(),
                       QStringLiteral("Error Found In: ") + location,
                       QStringLiteral("Error Number: ") + QString::number(number),
                       QStringLiteral("Error Description: ") + description}
        .join(QStringLiteral("\r\n"));
}

namespace {
const ErrorReporting *g_reporting = nullptr;

void sayStatus(const QString &text)
{
    if (g_reporting && g_reporting->status)
        g_reporting->status(text);
}
} // namespace

void setErrorReporting(const ErrorReporting *reporting) { g_reporting = reporting; }

namespace {
QString oneLine(const QString &text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    out.replace(u'\r', u' ');
    out.replace(u'\n', u' ');
    return out;
}
} // namespace

QStringList errorLogBlock(const QDateTime &when, const QString &location, int number,
                          const QString &description)
{
    return {Dates::shortDateText(when.date()) + QLatin1Char(' ') +
                QLocale().toString(when.time(), QLocale::LongFormat),
            QStringLiteral("Error Found In: ") + location,
            QStringLiteral("Error Number: ") + QString::number(number),
            // A detail such as a server's reply may run over several lines; in the log it
            // keeps to one, so every block stays five lines.
            QStringLiteral("Error Description: ") + oneLine(description), QString()};
}

namespace {
// Adds the block to the log; "" when that worked, else what to say about the log.
QString appendToLog(const QString &location, int number, const QString &description)
{
    QString error;
    if (TextFile::appendLines(g_reporting->logPath,
                              errorLogBlock(QDateTime::currentDateTime(), location, number,
                                            description),
                              &error))
        return {};
    return QStringLiteral("The error log could not be written: %1").arg(error);
}
} // namespace

void HandelErrors(const QString &location, int number, const QString &detail)
{
    const QString description = LotwiseError(number, detail).description();
    prompts().message(errorInformationText(location, number, description),
                      QStringLiteral("Error Information"), Prompts::Ok,
                      Prompts::Icon::Information);
    if (!g_reporting)
        return;
    if (g_reporting->keepLog && g_reporting->keepLog()) {
        if (const QString logFailed = appendToLog(location, number, description); !logFailed.isEmpty())
            sayStatus(logFailed);
    }
    if (g_reporting->sendReport && g_reporting->sendReport())
        SendError();
}

void ReportQuietly(const QString &location, int number, const QString &detail)
{
    if (!g_reporting)
        return;
    const QString description = LotwiseError(number, detail).description();
    const QString logFailed = appendToLog(location, number, description);
    sayStatus(logFailed.isEmpty() ? description : description + u' ' + logFailed);
}

void SendError()
{
    if (!g_reporting || !g_reporting->mailReport)
        return;
    bool exists = false;
    const QStringList lines = TextFile::readLines(g_reporting->logPath, TextFile::Empty::Keep, &exists);
    if (!exists)
        return;
    try {
        g_reporting->mailReport(TextFile::joinLines(lines));
    } catch (const LotwiseError &e) {
        sayStatus(QStringLiteral("The error report could not be sent: %1").arg(e.description()));
    } catch (const std::exception &e) {
        sayStatus(QStringLiteral("The error report could not be sent: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

void handleCaught(const QString &location, std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const LotwiseError &e) {
        HandelErrors(location, e.number(), e.detail());
    } catch (const std::bad_alloc &) {
        HandelErrors(location, ErrorCode::OutOfMemory);
    } catch (const std::exception &e) {
        HandelErrors(location, ErrorCode::InternalError, QString::fromLocal8Bit(e.what()));
    }
}
