#pragma once

#include <QString>
#include <exception>

// A failure that a procedure's error trap hands to the common error handler. The number
// follows the classic desktop-database numbering (3021 "No current record." and so on),
// so the error log reads the same as the users' old logs.
class LotwiseError : public std::exception
{
public:
    LotwiseError(int number, QString detail = {});

    int number() const { return m_number; }
    // What went wrong in this instance (a file name, a driver message); may be empty.
    const QString &detail() const { return m_detail; }
    // The catalogue description, followed by the detail when there is one.
    QString description() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_detail;
    QByteArray m_what;
};
