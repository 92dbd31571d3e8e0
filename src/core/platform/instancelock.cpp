#include "instancelock.h"

#include <QDir>
#include <QLockFile>

InstanceLock::InstanceLock(const QString &folder)
    : m_folder(folder), m_lock(std::make_unique<QLockFile>(QDir(folder).filePath("Lotwise.lock")))
{
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() { return m_lock->tryLock(0); }
void InstanceLock::unlock() { m_lock->unlock(); }

QString InstanceLock::inUseMessage() const
{
    qint64 pid = 0;
    QString host, app;
    m_lock->getLockInfo(&pid, &host, &app);
    return QStringLiteral("The application folder \"%1\" is in use by another Lotwise "
                          "(process %2). Close it first, then start again.")
        .arg(QDir::toNativeSeparators(m_folder))
        .arg(pid);
}
