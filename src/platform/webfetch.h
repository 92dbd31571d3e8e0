#pragma once

#include <QString>
#include <QUrl>

// Fetches a web page as text and waits for it, as the online check needs. The window takes
// no input meanwhile, but keeps painting.
namespace WebFetch {

struct Result
{
    bool ok = false;
    QString text;  // the page, decoded from its declared charset (UTF-8 when none)
    QString error; // why it failed, for the user
};

Result get(const QUrl &url, int timeoutMs);

} // namespace WebFetch
