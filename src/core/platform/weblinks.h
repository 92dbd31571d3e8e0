#pragma once

#include <QString>
#include <QUrl>

namespace WebLinks {

// Only web and mail addresses are ever handed to the desktop; anything else is refused.
bool isOpenable(const QUrl &url);
// Opens an address in the user's browser or mail program. False when refused or failed.
bool open(const QString &address);

} // namespace WebLinks
