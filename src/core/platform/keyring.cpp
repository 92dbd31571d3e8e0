#include "keyring.h"

#include <QEventLoop>
#include <QHash>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Lotwise");

struct PasswordState
{
    QHash<QString, QString> memory;
    bool keyringEnabled = true;
    // Once a keyring has failed to answer, later look-ups do not wait for it again.
    bool keyringSilent = false;
};

PasswordState &state()
{
    static PasswordState s;
    return s;
}

bool keyringUsable() { return state().keyringEnabled && !state().keyringSilent; }

// Runs a keychain job to its end in a local loop; false when it failed or did not answer.
bool runJob(QKeychain::Job &job)
{
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!finished)
        loop.exec();
    if (!finished) {
        state().keyringSilent = true;
        return false;
    }
    if (job.error() == QKeychain::NoBackendAvailable || job.error() == QKeychain::OtherError
        || job.error() == QKeychain::AccessDenied)
        state().keyringSilent = job.error() != QKeychain::AccessDenied;
    return job.error() == QKeychain::NoError;
}

} // namespace

namespace Keyring {

std::optional<QString> read(const QString &key)
{
    const auto known = state().memory.constFind(key);
    if (known != state().memory.constEnd())
        return *known;
    if (!keyringUsable())
        return std::nullopt;
    QKeychain::ReadPasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(key);
    if (!runJob(job))
        return std::nullopt;
    state().memory.insert(key, job.textData());
    return job.textData();
}

void save(const QString &key, const QString &password)
{
    state().memory.insert(key, password);
    if (!keyringUsable())
        return;
    QKeychain::WritePasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(key);
    job.setTextData(password);
    runJob(job);
}

void forget(const QString &key)
{
    state().memory.remove(key);
    if (!keyringUsable())
        return;
    QKeychain::DeletePasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(key);
    runJob(job);
}

void setEnabled(bool enabled) { state().keyringEnabled = enabled; }

} // namespace Keyring
