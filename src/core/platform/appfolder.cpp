#include "appfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppFolder {

QString path()
{
    const QString env = qEnvironmentVariable("LOTWISE_HOME");
    if (!env.isEmpty())
        return QDir::cleanPath(QDir(env).absolutePath());
    const QString base =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(base + QStringLiteral("/Lotwise"));
}

QString fileIn(const QString &folder, const QString &relative)
{
    return QDir(folder).filePath(relative);
}

QString file(const QString &relative) { return fileIn(path(), relative); }

QStringList seed(const QString &folder, QString *error)
{
    QStringList copied;
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("The folder \"%1\" cannot be created.").arg(folder);
        return copied;
    }
    const QString root = QStringLiteral(":/seed");
    // The ten fixed templates are also kept under "Back Up", from the same one copy, so a
    // template the user spoils can be restored.
    const QString templates = QStringLiteral("Email Templates/");
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = source.mid(root.size() + 1);
        QStringList targets{relative};
        if (relative.startsWith(templates))
            targets << QStringLiteral("Back Up/") + relative.mid(templates.size());
        for (const QString &each : std::as_const(targets)) {
            const QString target = fileIn(folder, each);
            if (QFileInfo::exists(target))
                continue;
            QDir().mkpath(QFileInfo(target).absolutePath());
            if (!QFile::copy(source, target)) {
                if (error)
                    *error = QStringLiteral("\"%1\" cannot be written.").arg(target);
                continue;
            }
            // Resource files come out read-only; the user edits templates and lists.
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
            copied.append(each);
        }
    }
    copied.sort();
    return copied;
}

} // namespace AppFolder
