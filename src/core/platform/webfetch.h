#pragma once

#include <QString>
#include <QUrl>

// Fetches a web page as text and waits for it, as the online check needs. The window takes
// no input meanwhile, but keeps painting.
namespace WebFetch {

struct Result
{
    // The HTTP status of the last answer, redirects followed; 0 when no answer came (the
    // connection was refused, the host is unknown, the time ran out).
    int status = 0;
    bool ok = false; // a whole page came with a successful (2xx) answer
    QString text;    // what the answer held, decoded from its declared charset (UTF-8 when none)
    QString error;   // why the page did not come, for the user
    bool answered() const { return status > 0; }
};

Result get(const QUrl &url, int timeoutMs);

} // namespace WebFetch
