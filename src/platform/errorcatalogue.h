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
constexpr int WriteFailed = 3197;
constexpr int ItemNotFound = 3265;
constexpr int InvalidCsv = 3751;
constexpr int MailNotSetUp = 32050;
constexpr int PageNotFetched = 35750;
} // namespace ErrorCode

// The description of an error number; numbers we do not know get a generic text naming them.
QString errorDescription(int number);
