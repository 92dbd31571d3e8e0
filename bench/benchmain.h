#pragma once

// The main of the benchmarks that use the test mail servers: `--servers=DIR` names their
// directory (tests/servers/start.sh DIR), the rest goes to Google Benchmark.

#include "mail/mailaccount.h"
#include "platform/settingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTcpSocket>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstring>

inline QString &benchServersDir()
{
    static QString dir = QStringLiteral(LOTWISE_MAIL_SERVERS_DIR);
    return dir;
}

// Whether the test servers are up: their CA is there and `port` answers.
inline bool benchServersListen(quint16 port)
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    return QFile::exists(benchServersDir() + QStringLiteral("/ca.pem")) && s.waitForConnected(1000);
}

// The seller's account on the test servers, its password kept in memory only.
inline void useSellerAccount(SettingsStore &settings)
{
    MailPasswords::setKeyringEnabled(false);
    MailAccount a;
    a.incoming = QStringLiteral("imaps://127.0.0.1:10993");
    a.outgoing = QStringLiteral("smtp://127.0.0.1:10025");
    a.user = a.sender = QStringLiteral("seller@lotwise.test");
    a.extraCaFile = benchServersDir() + QStringLiteral("/ca.pem");
    a.save(settings);
    MailPasswords::save(a, QStringLiteral("sellerpass"));
}

inline int runServerBenchmarks(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--servers=", 10) == 0)
            benchServersDir() = QString::fromLocal8Bit(argv[i] + 10);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
