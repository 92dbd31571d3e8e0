// A second seat on a shared store, for the tests that run two at once:
//   store_seat_helper STORE RECORD mark FIELD
//   store_seat_helper STORE RECORD edit FIELD TEXT
// STORE is "file:PATH" or "server:DATABASE" (the test server). The helper opens the store,
// makes record RECORD current, says "ready" and waits for a line on its input; then it marks
// the flag (as the batch buttons do) or types the text and moves on (as the record panel
// does), closes, prints "conflict" and the message for every change that was not saved, and
// "done".

#include "queues/batchactions.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 4)
        return 2;
    const auto field = Fields::byName(args[3]);
    if (!field)
        return 2;
    RecordStore store;
    QObject::connect(&store, &RecordStore::changedElsewhere, [](const StoreConflict &c) {
        std::printf("conflict\n%s\n", qPrintable(c.message()));
    });
    try {
        if (args[0].startsWith(u"server:")) {
            StoreAddress a;
            a.kind = StoreAddress::Server;
            a.host = QStringLiteral("127.0.0.1");
            a.port = 15432;
            a.database = args[0].mid(7);
            a.user = QStringLiteral("lotwise");
            store.openServer(a, QStringLiteral("lotwisetest"));
        } else {
            store.open(args[0].mid(5));
        }
        store.moveTo(args[1].toInt());
        std::puts("ready");
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
        if (args[2] == u"mark") {
            Marks::apply(store, Mark{*field, std::nullopt}, QDate::currentDate());
        } else if (args[2] == u"edit" && args.size() == 5) {
            store.set(*field, args[4]);
        } else {
            return 2;
        }
        store.moveFirst();
        store.close();
    } catch (const std::exception &e) {
        std::printf("error %s\n", e.what());
        return 1;
    }
    std::puts("done");
    std::fflush(stdout);
    return 0;
}
