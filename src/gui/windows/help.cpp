#include "help.h"

#include "platform/prompts.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace Help {

QUrl contentsUrl(const QString &appFolder)
{
    return QUrl::fromLocalFile(
        QDir(appFolder).absoluteFilePath(QStringLiteral("Help/index.html")));
}

bool openContents(const QString &appFolder)
{
    const QUrl url = contentsUrl(appFolder);
    if (!QFileInfo(url.toLocalFile()).isFile()) {
        prompts().message(QStringLiteral("The help pages are missing."),
                          QStringLiteral("Lotwise"), Prompts::Ok, Prompts::Icon::Warning);
        return false;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace Help
