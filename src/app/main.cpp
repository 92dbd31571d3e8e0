#include "windows/frmsplash.h"
#include "dialogs/dialogprompts.h"
#include "mail/mailsession.h"
#include "mainwindow/frmmain.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/instancelock.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "records/recordstore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QProcess>
#include <cstdio>
#include <optional>

namespace {

// --help and --version are answered before any window is made, so they work without a
// desktop (the manual page is made from them at build time).
std::optional<int> answerCommandLine(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lotwise keeps one record per sold auction and tells you what is due for "
                       "each: the invoice to send, the payment to wait for, the item to ship, the "
                       "feedback to leave, the reminders to late payers, the unpaid item report "
                       "and the fee credit to claim. Its records and files live in the "
                       "application folder, $LOTWISE_HOME or else the per-user data folder."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    // Anything else is the desktop's business (Qt's own options); the program takes none.
    parser.parse(args);
    if (parser.isSet(version)) {
        std::printf("lotwise %s\n", LOTWISE_VERSION);
        return 0;
    }
    if (parser.isSet(help)) {
        // Made before any application object, the text does not know the program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("lotwise"));
        text.replace(QStringLiteral("[options]"), QStringLiteral("[--help] [--version]"));
        std::printf("%s", qPrintable(text));
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const auto answered = answerCommandLine(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lotwise"));
    QApplication::setApplicationName(QStringLiteral("Lotwise"));
    QApplication::setApplicationVersion(QStringLiteral(LOTWISE_VERSION));
    Dates::useSensibleDefaultLocale();
    // Questions are asked in dialogs from here on; before, nothing could show one.
    DialogPrompts dialogs;
    setFallbackPrompts(&dialogs);

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
