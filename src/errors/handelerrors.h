#pragma once

#include <QString>
#include <exception>
#include <utility>

// The text of the "Error Information" box, lines joined with CR LF.
QString errorInformationText(const QString &location, int number, const QString &description);

// The common error handler: tells the user what failed and where.
void HandelErrors(const QString &location, int number, const QString &detail = {});

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
