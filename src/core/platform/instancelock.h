#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One running Lotwise (or lotwise-cli) per application folder. The lock is a file in the
// folder; a lock left by a process that died is taken over.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &folder);
    ~InstanceLock();

    bool tryLock();
    // Lets the folder go, so a program started now can take it.
    void unlock();
    // The text to show when the folder is held by another process.
    QString inUseMessage() const;

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};
