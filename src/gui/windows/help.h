#pragma once

#include <QString>
#include <QUrl>

// The help pages: HTML files in the application folder's Help folder, read in the
// desktop's browser.
namespace Help {

// <appFolder>/Help/index.html as a file address.
QUrl contentsUrl(const QString &appFolder);

// Opens the contents page in the browser. When the page is not there, says "The help
// pages are missing." and returns false; also false when the desktop cannot open it.
bool openContents(const QString &appFolder);

} // namespace Help
