// lotwise-screenshots DIR [WIDTHxHEIGHT]: opens the main window (1280 x 800 unless told
// otherwise) on a throw-away application folder with a few sample records and writes a
// picture of each panel, of the tracking menu and of the calendar into DIR. Run it under a
// real X server (scripts/screenshots.sh uses Xvfb) so fonts and styles are those a user sees.

#include "windows/frmabout.h"
#include "windows/frmhelpballon.h"
#include "windows/frmnotes.h"
#include "windows/frmsplash.h"
#include "mail/frmemail.h"
#include "mainwindow/frmimportorders.h"
#include "mainwindow/restoredialog.h"
#include "mainwindow/frmmain.h"
#include "options/frmoptions.h"
#include "reports/frmsalesoverview.h"
#include "reports/frmyearendreport.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "records/orderimport.h"
#include "records/recordstore.h"
#include "records/storebackups.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

void addSamples(RecordStore &store)
{
    const QDate today = QDate::currentDate();
    const struct
    {
        int age;
        const char *item, *number, *total, *user, *email, *address;
        bool invoiced, paid, shipped;
    } samples[] = {
        {3, "Brass desk lamp, 1930s", "220011223344", "34.50", "lampfan", "ann.lee@example.com",
         "Ann Lee\r\n12 Main St\r\nSpringfield, IL 62701", true, true, false},
        {9, "Set of six tea cups", "220011223345", "18.00", "teatime", "bob@example.net",
         "Bob Stone\r\n4 Elm Road\r\nDover, DE 19901", true, false, false},
        {15, "Vintage road map of Ohio", "220011223346", "7.25", "mapper77", "cy@example.org",
         "Cy Park\r\n88 Lake Ave\r\nAkron, OH 44308", true, true, true},
        {1, "Pocket watch, silver", "220011223347", "120.00", "tick_tock", "dee@example.com",
         "Dee Moss\r\n3 Hill St\r\nBend, OR 97701", false, false, false},
        {5, "Brass candle sticks, pair", "220011223348", "22.00", "lampfan", "ann.lee@example.com",
         "Ann Lee\r\n12 Main St\r\nSpringfield, IL 62701", true, true, false},
        {24, "Cast iron skillet", "220011223349", "15.00", "panhandler", "eve@example.com",
         "Eve Ford\r\n9 Oak Lane\r\nTulsa, OK 74103", true, false, false},
        {40, "Box of old postcards", "220011223350", "9.99", "postie", "flo@example.com",
         "Flo Gray\r\n21 Pine St\r\nBoise, ID 83702", true, false, false},
    };
    for (const auto &s : samples) {
        store.addNew();
        store.set(Field::CloseDate, Dates::shortDateText(today.addDays(-s.age)));
        store.set(Field::AuctionName, QString::fromLatin1(s.item));
        store.set(Field::AuctionUrl, QString::fromLatin1(s.number));
        store.set(Field::AuctionTotal, QString::fromLatin1(s.total));
        store.set(Field::UserName, QString::fromLatin1(s.user));
        store.set(Field::EmailAddress, QString::fromLatin1(s.email));
        store.set(Field::Address, QString::fromLatin1(s.address));
        store.set(Field::AuctionSite, QStringLiteral("eBay"));
        const QString yes = QStringLiteral("1"), no = QStringLiteral("0");
        store.set(Field::InvoiceSent, s.invoiced ? yes : no);
        store.set(Field::PaymentMade, s.paid ? yes : no);
        store.set(Field::PayPal, s.paid ? yes : no);
        store.set(Field::ItemSent, s.shipped ? yes : no);
        if (s.invoiced)
            store.set(Field::InvoiceSentDate, Dates::shortDateText(today.addDays(-s.age)));
        if (s.paid)
            store.set(Field::PaymentMadeDate, Dates::shortDateText(today.addDays(1 - s.age)));
        if (s.shipped)
            store.set(Field::ItemSentDate, Dates::shortDateText(today.addDays(2 - s.age)));
    }
    store.moveFirst();
}

bool save(QWidget *w, const QDir &dir, const QString &name)
{
    QCoreApplication::processEvents();
    QTest::qWait(100);
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    // The window with its frame-less contents; menus are grabbed with the window below.
    const QPixmap shot = w->screen()->grabWindow(0, w->frameGeometry().x(), w->frameGeometry().y(),
                                                 w->frameGeometry().width(), w->frameGeometry().height());
    if (!(shot.isNull() ? w->grab() : shot).save(path)) {
        std::fprintf(stderr, "lotwise-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Dates::useSensibleDefaultLocale();
    QSize size(1280, 800);
    if (argc == 3) {
        const QStringList wh = QString::fromLocal8Bit(argv[2]).split(u'x');
        size = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
    }
    if (argc < 2 || argc > 3 || size.isEmpty()) {
        std::fprintf(stderr, "Usage: lotwise-screenshots DIR [WIDTHxHEIGHT]\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.absolutePath())) {
        std::fprintf(stderr, "lotwise-screenshots: cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir folder;
    AppFolder::seed(folder.path());
    ScriptedPrompts quiet; // no dialog may stop the run
    setPrompts(&quiet);
    {
        RecordStore seedStore;
        seedStore.open(AppFolder::fileIn(folder.path(), QStringLiteral("Auctions.db")));
        addSamples(seedStore);
    }
    SettingsStore settings(folder.filePath(QStringLiteral("settings.ini")));
    RecordStore store;
    FrmMain win(store, settings, folder.path());
    if (!win.Form_Load())
        return 1;
    // As a new user first sees it: nothing stored, the window placed by itself.
    win.show();
    if (!QTest::qWaitForWindowExposed(&win))
        return 1;
    bool ok = save(&win, out, QStringLiteral("first-start"));
    // A list at that size: its headers whole beside the tree's whole captions.
    win.tvTreeView_NodeClick(QStringLiteral("IS"));
    ok = save(&win, out, QStringLiteral("first-start-invoices")) && ok;
    win.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    // The smallest window the layout rules still lay out.
    win.resize(11565 * win.logicalDpiX() / 1440 + 1,
               8300 * win.logicalDpiX() / 1440 + win.menuWidget()->height() + 1);
    ok = save(&win, out, QStringLiteral("record-panel-smallest")) && ok;

    // The rest at the size asked for (1280 x 800 by default), or the whole screen when it is
    // smaller.
    win.setGeometry(QRect(QPoint(0, 0), size) & win.screen()->availableGeometry());
    QCoreApplication::processEvents();
    // The splitter stays where the first start put it, as it does for a new user.
    ok = save(&win, out, QStringLiteral("record-panel")) && ok;
    // Each list as its task-tree node shows it.
    const struct
    {
        const char *key;
        const char *name;
        int clickRow; // 0: none
    } lists[] = {{"S", "ship-panel", 1},
                 {"IS", "email-wizard-invoices", 1},
                 {"AR1", "email-wizard-7-day-reminders", 0},
                 {"AR7", "email-wizard-all-reminders", 0},
                 {"FB6", "feedback-panel", 1},
                 {"UPI4", "unpaid-items-panel", 1},
                 {"FVF4", "final-value-fee-panel", 0}};
    for (const auto &l : lists) {
        win.tvTreeView_NodeClick(QString::fromLatin1(l.key));
        if (l.clickRow) {
            if (SteppableList *list = win.visibleList()) {
                list->selectRow(l.clickRow);
                list->rowClick(l.clickRow);
            }
        }
        ok = save(&win, out, QString::fromLatin1(l.name)) && ok;
    }
    win.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    ok = save(&win, out, QStringLiteral("template-panel")) && ok;

    win.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    auto *menu = win.findChild<QMenu *>(QStringLiteral("munTrackingNumbers"));
    QWidget *tracking = win.findChild<QWidget *>(QStringLiteral("txtTrackingNumber"));
    menu->popup(tracking->mapToGlobal(QPoint(20, tracking->height())));
    ok = save(&win, out, QStringLiteral("tracking-menu")) && ok;
    menu->hide();

    auto *date = win.findChild<QLabel *>(QStringLiteral("sbStatusBar_Date"));
    QTest::mouseMove(date, QPoint(10, 5));
    QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(10, 5));
    ok = save(&win, out, QStringLiteral("calendar")) && ok;

    // The small windows, each on its own over the main window.
    {
        FrmSplash splash;
        splash.show();
        ok = QTest::qWaitForWindowExposed(&splash) && save(&splash, out, QStringLiteral("splash")) && ok;
    }
    {
        FrmNotes notes(&win);
        for (const char *line : {"2 Invoices to send", "1 Item to ship", "3 Feed Back to leave",
                                 "1 Payment Reminder 7 days"})
            notes.addLine(QString::fromLatin1(line));
        notes.showModeless();
        ok = QTest::qWaitForWindowExposed(&notes) && save(&notes, out, QStringLiteral("notes")) && ok;
    }
    {
        FrmHelpBallon balloon(&win);
        balloon.setText(QStringLiteral("Pick a placeholder from Email Inputs and press Enter Input "
                                       "to put it into the template where the cursor is."));
        balloon.show();
        ok = QTest::qWaitForWindowExposed(&balloon) && save(&balloon, out, QStringLiteral("help-balloon")) && ok;
    }
    {
        FrmAbout about(&win);
        about.show();
        ok = QTest::qWaitForWindowExposed(&about) && save(&about, out, QStringLiteral("about")) && ok;
    }
    {
        FrmOptions *options = win.options();
        options->show();
        ok = QTest::qWaitForWindowExposed(options) && ok;
        auto *tabs = options->findChild<QTabWidget *>(QStringLiteral("tabOptions"));
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            const QString name = tabs->tabText(i).toLower().replace(u' ', u'-');
            ok = save(options, out, QStringLiteral("options-") + name) && ok;
        }
        options->hide();
    }
    {
        FrmEmail email(win.mailer(), win.store(), folder.path(), [] { return true; }, &win);
        email.setAddress(QStringLiteral("ann.lee@example.com"));
        email.show();
        ok = QTest::qWaitForWindowExposed(&email) && save(&email, out, QStringLiteral("quick-email")) && ok;
    }
    {
        // A Seller Hub download of 25 sales, previewed against the records above.
        QByteArray csv = "Order Number,Buyer Username,Item Number,Item Title,Quantity,Sold For,"
                         "Shipping And Handling,Sale Date,Paid On Date\r\n";
        for (int i = 0; i < 25; ++i)
            csv += QStringLiteral("12-%1,buyer_%2,11%3,Brass table lamp with green glass shade no. %2,1,"
                                  "$%4.50,$6.00,Mar-%5-26,%6\r\n")
                       .arg(10000 + i).arg(i).arg(9000000 + i).arg(10 + i).arg(1 + i % 28, 2, 10, QChar(u'0'))
                       .arg(i % 3 ? QStringLiteral("Mar-%1-26").arg(2 + i % 27, 2, 10, QChar(u'0')) : QString())
                       .toUtf8();
        OrderImport::OrderFile file;
        OrderImport::Failure failure;
        if (OrderImport::read(csv, &file, &failure)) {
            FrmImportOrders preview(OrderImport::plan(file, win.store()), QStringLiteral("eBay-OrdersReport-Mar-28-2026.csv"), &win);
            preview.show();
            ok = QTest::qWaitForWindowExposed(&preview) && save(&preview, out, QStringLiteral("import-orders")) && ok;
        } else {
            ok = false;
        }
        // The same file with its own totals, two of which count postage the file names
        // under a title the import does not read.
        QByteArray totals = "Order Number,Buyer Username,Item Number,Item Title,Quantity,Sold For,"
                            "Shipping And Handling,Sale Date,Total Price\r\n";
        for (int i = 0; i < 12; ++i)
            totals += QStringLiteral("13-%1,buyer_%2,12%3,Blue vase no. %2,1,$%4.00,$5.00,Mar-%5-26,$%6.00\r\n")
                          .arg(20000 + i).arg(i).arg(9000000 + i).arg(10 + i).arg(1 + i, 2, 10, QChar(u'0'))
                          .arg(15 + i + (i % 5 == 2 ? 4 : 0))
                          .toUtf8();
        if (OrderImport::read(totals, &file, &failure)) {
            FrmImportOrders preview(OrderImport::plan(file, win.store()), QStringLiteral("eBay-OrdersReport-Apr-02-2026.csv"), &win);
            preview.show();
            ok = QTest::qWaitForWindowExposed(&preview) && save(&preview, out, QStringLiteral("import-orders-totals")) && ok;
        } else {
            ok = false;
        }
        // Two older backups beside the one the start made.
        const QString backups = StoreBackups::folderOf(folder.path());
        for (int days : {1, 2})
            StoreBackups::write(AppFolder::fileIn(folder.path(), QStringLiteral("Auctions.db")),
                                backups, QDateTime::currentDateTime().addDays(-days));
        RestoreDialog restore(RestoreDialog::survey(backups), &win);
        restore.show();
        ok = QTest::qWaitForWindowExposed(&restore) &&
             save(&restore, out, QStringLiteral("restore-from-backup")) && ok;
    }
    {
        FrmYearEndReport report(win.store(), QDate::currentDate().year(), &win);
        report.show();
        ok = QTest::qWaitForWindowExposed(&report) && save(&report, out, QStringLiteral("year-end-report")) && ok;
    }
    {
        FrmSalesOverview overview(win.store(), [] { return QDate::currentDate(); }, &win);
        overview.show();
        ok = QTest::qWaitForWindowExposed(&overview) && save(&overview, out, QStringLiteral("sales-overview")) && ok;
    }
    setPrompts(nullptr);
    return ok ? 0 : 1;
}
