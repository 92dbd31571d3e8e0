#pragma once

#include <QString>

// Error numbers used across Lotwise and their plain-English descriptions.
namespace ErrorCode {
constexpr int OutOfMemory = 7;
constexpr int TypeMismatch = 13;
constexpr int InternalError = 51;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int FileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidPropertyValue = 380;
constexpr int NoCurrentRecord = 3021;
constexpr int CannotOpenDatabase = 3049;
constexpr int DatabaseLocked = 3051;
constexpr int NotALotwiseDatabase = 3078;
constexpr int DatabaseDamaged = 3343;
constexpr int WriteFailed = 3197;
constexpr int ItemNotFound = 3265;
constexpr int InvalidCsv = 3751;
constexpr int BackupFailed = 3752;
constexpr int MailNotSetUp = 32050;
constexpr int PageNotFetched = 35750;
// The mail session's failures.
constexpr int MailSignOnCancelled = 32001;
constexpr int MailServerUnreachable = 32002;
constexpr int MailSignOnRefused = 32003;
constexpr int MailNotSignedOn = 32004;
constexpr int MailRecipientRefused = 32014;
constexpr int MailboxNotReadable = 32017;
constexpr int MailMessageRefused = 32019;
constexpr int MailLineBreakInHeader = 32021;
constexpr int MailInvalidAddress = 32025;
constexpr int MailCertificateUntrusted = 32030;
} // namespace ErrorCode

// The description of an error number; numbers we do not know get a generic text naming them.
QString errorDescription(int number);
