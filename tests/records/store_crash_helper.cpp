// Opens a store, writes through it, says "ready" and waits to be killed, so the store test
// can check what survives a process that dies without closing anything.
//   store_crash_helper DB_PATH COUNT
// adds COUNT records (User Name "buyerN"), each written by moving on, then changes the
// last one's User Name to "pending" without moving.

#include "records/recordstore.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    RecordStore store;
    store.open(QString::fromLocal8Bit(argv[1]));
    const int count = QByteArray(argv[2]).toInt();
    for (int i = 0; i < count; ++i) {
        store.addNew();
        store.set(Field::UserName, QStringLiteral("buyer%1").arg(i));
        store.set(Field::InvoiceSent, QStringLiteral("1"));
    }
    store.moveFirst();
    store.moveLast();
    store.set(Field::UserName, QStringLiteral("pending"));
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
