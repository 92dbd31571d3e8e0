#include "aux/frmsplash.h"
#include "mail/mailsession.h"
#include "mainwindow/frmmain.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/instancelock.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "records/recordstore.h"

#include <QApplication>
#include <QDir>
#include <QProcess>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lotwise"));
    QApplication::setApplicationName(QStringLiteral("Lotwise"));
    QApplication::setApplicationVersion(QStringLiteral(LOTWISE_VERSION));
    Dates::useSensibleDefaultLocale();

    const QString folder = AppFolder::path();
    QString error;
    AppFolder::seed(folder, &error);
    if (!QDir(folder).exists()) {
        prompts().message(error, QStringLiteral("Lotwise"), Prompts::Ok, Prompts::Icon::Critical);
        return 1;
    }
    InstanceLock lock(folder);
    if (!lock.tryLock()) {
        prompts().message(lock.inUseMessage(), QStringLiteral("Lotwise"), Prompts::Ok,
                          Prompts::Icon::Warning);
        return 1;
    }
    if (!error.isEmpty())
        prompts().message(error, QStringLiteral("Lotwise"), Prompts::Ok, Prompts::Icon::Warning);

    SettingsStore settings;
    RecordStore store;
    // A shared database when the options chose one. Without a password in the keyring the
    // server's client library still looks in PGPASSWORD and ~/.pgpass.
    if (const StoreAddress server = StoreAddress::read(settings); server.isServer())
        store.useServer(server, StorePasswords::read(server).value_or(QString()));
    FrmMain window(store, settings, folder);
    window.setMailSessionFactory([&] { return createMailSession(settings, folder); });
    FrmSplash splash;
    if (!splash.Form_Load([&] { return window.Form_Load(); }))
        return 1;
    QObject::connect(&window, &FrmMain::restartRequested, &app, [&] {
        lock.unlock();
        QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                QCoreApplication::arguments().mid(1));
        // At once: no unload steps run.
        QCoreApplication::exit(0);
    });
    window.show();
    return app.exec();
}
