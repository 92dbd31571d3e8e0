#include "weblinks.h"

#include <QDesktopServices>

namespace WebLinks {

bool isOpenable(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool open(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    return isOpenable(url) && QDesktopServices::openUrl(url);
}

} // namespace WebLinks
