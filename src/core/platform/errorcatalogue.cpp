#include "errorcatalogue.h"
#include "lotwiseerror.h"

QString errorDescription(int number)
{
    switch (number) {
    case ErrorCode::OutOfMemory: return QStringLiteral("Out of memory.");
    case ErrorCode::InternalError: return QStringLiteral("Internal error.");
    case ErrorCode::TypeMismatch: return QStringLiteral("Type mismatch.");
    case ErrorCode::BadFileName: return QStringLiteral("Bad file name or number.");
    case ErrorCode::FileNotFound: return QStringLiteral("File not found.");
    case ErrorCode::FileAccess: return QStringLiteral("Path/File access error.");
    case ErrorCode::PathNotFound: return QStringLiteral("Path not found.");
    case ErrorCode::InvalidPropertyValue: return QStringLiteral("Invalid property value.");
    case ErrorCode::NoCurrentRecord: return QStringLiteral("No current record.");
    case ErrorCode::CannotOpenDatabase:
        return QStringLiteral("The record store cannot be opened.");
    case ErrorCode::DatabaseLocked:
        return QStringLiteral("The record store is locked or cannot be written.");
    case ErrorCode::NotALotwiseDatabase:
        return QStringLiteral("The file is not a Lotwise record store.");
    case ErrorCode::DatabaseDamaged: return QStringLiteral("The record store is damaged.");
    case ErrorCode::BackupFailed:
        return QStringLiteral("The backup of the record store could not be made.");
    case ErrorCode::WriteFailed:
        return QStringLiteral("The record could not be written to the record store.");
    case ErrorCode::ItemNotFound: return QStringLiteral("Item not found in this collection.");
    case ErrorCode::InvalidCsv: return QStringLiteral("The CSV file is not valid.");
    case ErrorCode::MailNotSetUp: return QStringLiteral("No mail session can be opened.");
    case ErrorCode::PageNotFetched: return QStringLiteral("The web page could not be fetched.");
    case ErrorCode::MailSignOnCancelled: return QStringLiteral("The mail sign-on was cancelled.");
    case ErrorCode::MailServerUnreachable:
        return QStringLiteral("The mail server cannot be reached.");
    case ErrorCode::MailSignOnRefused:
        return QStringLiteral("The mail server refused the user name or password.");
    case ErrorCode::MailNotSignedOn: return QStringLiteral("There is no open mail session.");
    case ErrorCode::MailRecipientRefused:
        return QStringLiteral("The mail system did not accept a recipient.");
    case ErrorCode::MailboxNotReadable: return QStringLiteral("The mailbox cannot be read.");
    case ErrorCode::MailMessageRefused:
        return QStringLiteral("The mail system did not accept the message.");
    case ErrorCode::MailLineBreakInHeader:
        return QStringLiteral("A recipient or subject may not hold a line break.");
    case ErrorCode::MailInvalidAddress: return QStringLiteral("The recipient's address is not valid.");
    case ErrorCode::MailCertificateUntrusted:
        return QStringLiteral("The mail server's certificate is not trusted:");
    default: return QStringLiteral("Application-defined or object-defined error %1.").arg(number);
    }
}

LotwiseError::LotwiseError(int number, QString detail)
    : m_number(number), m_detail(std::move(detail)), m_what(description().toUtf8())
{
}

QString LotwiseError::description() const
{
    const QString base = errorDescription(m_number);
    return m_detail.isEmpty() ? base : base + QStringLiteral(" ") + m_detail;
}
