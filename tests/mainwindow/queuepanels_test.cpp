#include "mail/mailer.h"
#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/feedbackpanel.h"
#include "mainwindow/shippanel.h"
#include "mainwindow/unpaiditemspanel.h"
#include "platform/textfile.h"
#include "support/windowtest.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <tuple>

using TestSupport::addRecord;
using TestSupport::daysAgo;
using TestSupport::usersOf;

namespace {

const QDate kToday = TestSupport::kWindowToday;
using Panel = FrmMain::Panel;

class QueuePanelsTest : public TestSupport::FilledWindowTest
{
protected:
    // One record of every kind the lists tell apart.
    void loadEveryKind()
    {
        loadAfter([&] {
            addRecord(store, {{Field::UserName, "ivy"},
                              {Field::AuctionName, "lot of ivy"},
                              {Field::CloseDate, daysAgo(kToday, 2)}});
            for (const char *lot : {"lamp", "vase"})
                addRecord(store, {{Field::UserName, "pat"},
                                  {Field::AuctionName, lot},
                                  {Field::Address, QString("1 Main St\r\nSpringfield ") + lot},
                                  {Field::Notes, QString("fragile ") + lot},
                                  {Field::TrackingNumber, "Z1"},
                                  {Field::InvoiceSent, "1"},
                                  {Field::PaymentMade, "1"},
                                  {Field::PaymentMadeDate, daysAgo(kToday, 3)}});
            TestSupport::addShipped(store, "fay", "lot of fay", 8);
            store.set(Field::Notes, "left a kind word");
            store.set(Field::CloseDate, daysAgo(kToday, 20));
            TestSupport::addUnpaid(store, "rex", 8, {{Field::Npb, "0"}});
            TestSupport::addUnpaid(store, "uma", 22, {{Field::Npb, "0"}});
            TestSupport::addUnpaid(store, "fred", 43, {{Field::Npb, "1"}});
        });
    }
    QStringList expectedUsers(const QString &key)
    {
        QStringList u;
        for (const QueueRow &r : Queues::compute(store, *Queues::rule(key), kToday).rows)
            u << r.userName;
        return u;
    }
    QString clipboard() const { return QApplication::clipboard()->text(); }
};

} // namespace

TEST_F(QueuePanelsTest, EveryNodeShowsItsListOnItsPanelWithItsPreselections)
{
    loadEveryKind();
    EmailWizardPanel *wizard = win->emailWizardPanel();
    UnpaidItemsPanel *unpaid = win->unpaidItemsPanel();
    struct Node
    {
        QString key;
        Panel panel;
        QString subject = {}, templ = {}; // empty: left as they were
        QString link = {};                // the unpaid panel's link caption
    };
    const QString dispute = "Report an Unpaid Item Dispute", fee = "Claim Final Value Fee credit";
    std::vector<Node> nodes{
        {"IS", Panel::EmailWizard, "Auction Invoice", "Auction Invoice.elm"},
        {"S", Panel::Ship},
        {"VA", Panel::EmailWizard},
        {"FB1", Panel::FeedBack},
        {"FB6", Panel::FeedBack},
        {"AR7", Panel::EmailWizard, "Auction Payment Remainder Payment Past Due",
         "Auction Invoice.elm"},
        {"UPI1", Panel::UnpaidItems, {}, {}, dispute},
        {"UPI4", Panel::UnpaidItems, {}, {}, dispute},
        {"FVF4", Panel::UnpaidItems, {}, {}, fee},
        {"UPI3", Panel::UnpaidItems, {}, {}, dispute},
        {"FVF1", Panel::UnpaidItems, {}, {}, fee}, // last: the grouping nodes below keep it
    };
    for (int n = 1; n <= 6; ++n)
        nodes.insert(nodes.begin() + 4 + n, // after FB6, in order
                     {QString("AR%1").arg(n), Panel::EmailWizard,
                      QString("Auction Payment Remainder %1 Days Past Due").arg(7 * n),
                      QString("Reminder %1 days.elm").arg(7 * n)});
    const std::map<Panel, QueuePanel *> panels{{Panel::Ship, win->shipPanel()},
                                               {Panel::FeedBack, win->feedBackPanel()},
                                               {Panel::UnpaidItems, unpaid},
                                               {Panel::EmailWizard, wizard}};
    for (const Node &n : nodes) {
        SCOPED_TRACE(n.key.toStdString());
        wizard->subjectBox()->setEditText("typed before");
        wizard->selectTemplate("Payment Made.elm");
        win->tvTreeView_NodeClick(n.key);
        EXPECT_EQ(win->visiblePanel(), n.panel);
        EXPECT_EQ(win->windowTitle(), Queues::rule(n.key)->title);
        QueuePanel *panel = panels.at(n.panel);
        EXPECT_EQ(panel->model()->key(), n.key);
        EXPECT_EQ(usersOf(panel), expectedUsers(n.key));
        EXPECT_EQ(wizard->subjectBox()->currentText(),
                  n.subject.isEmpty() ? "typed before" : n.subject);
        EXPECT_EQ(wizard->selectedTemplate(), n.templ.isEmpty() ? "Payment Made.elm" : n.templ);
        if (!n.link.isEmpty()) {
            EXPECT_EQ(unpaid->link()->text(), n.link);
        }
        if (panel->countLabel()) {
            EXPECT_EQ(panel->countLabel()->text(),
                      Queues::countCaption(*Queues::rule(n.key), panel->model()->rowCount()));
        }
    }
    // Grouping nodes do nothing at all.
    for (const char *group : {"FB", "AR", "UPI", "FVF", "nonsense"}) {
        win->tvTreeView_NodeClick(group);
        EXPECT_EQ(win->visiblePanel(), Panel::UnpaidItems) << group;
        EXPECT_EQ(win->windowTitle(), Queues::rule(u"FVF1")->title) << group;
        EXPECT_EQ(unpaid->model()->key(), "FVF1") << group;
    }
    // The seeded records land where they belong, so the lists above were not all empty.
    EXPECT_EQ(usersOf(unpaid), QStringList{"fred"});
    win->tvTreeView_NodeClick("S");
    EXPECT_EQ(usersOf(win->shipPanel()), (QStringList{"pat", "pat"}));

    // A mouse click on a tree item and Return on the current one open their lists too.
    auto *tree = win->findChild<QTreeWidget *>("tvTreeView");
    tree->expandAll();
    QTreeWidgetItem *ar3 =
        tree->findItems("21 Day Reminder", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    ASSERT_TRUE(ar3);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(ar3).center());
    EXPECT_EQ(win->windowTitle(), "Lotwise - Working with 21 Day Reminders..");
    EXPECT_EQ(usersOf(wizard), QStringList{"uma"});
    tree->setFocus();
    tree->setCurrentItem(tree->findItems("Items To Ship", Qt::MatchExactly).value(0));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(win->visiblePanel(), Panel::Ship);
    EXPECT_EQ(win->windowTitle(), "Lotwise - Items Need to be Shipped..");
}

TEST_F(QueuePanelsTest, TemplateIsPreselectedOnlyByItsExactFileNameAndPaidListsHideTheMarkSwitch)
{
    QFile::remove(folder.file("Email Templates/Reminder 14 days.elm"));
    QFile::copy(folder.file("Email Templates/Reminder 7 days.elm"),
                folder.file("Email Templates/reminder 21 days.elm"));
    QFile::remove(folder.file("Email Templates/Reminder 21 days.elm"));
    load();
    EmailWizardPanel *wizard = win->emailWizardPanel();
    QStringList shown;
    for (int i = 0; i < wizard->templateList()->count(); ++i)
        shown << wizard->templateList()->item(i)->text();
    EXPECT_TRUE(shown.contains("Auction Invoice.elm"));
    EXPECT_FALSE(shown.contains("Reminder 14 days.elm"));
    for (const QString &name : shown)
        EXPECT_TRUE(name.endsWith(".elm")) << name.toStdString();

    win->tvTreeView_NodeClick("AR1");
    EXPECT_EQ(wizard->selectedTemplate(), "Reminder 7 days.elm");
    win->tvTreeView_NodeClick("AR2"); // its template is gone
    EXPECT_EQ(wizard->selectedTemplate(), "Reminder 7 days.elm");
    win->tvTreeView_NodeClick("AR3"); // only a name in other letter case
    EXPECT_EQ(wizard->selectedTemplate(), "Reminder 7 days.elm");
    EXPECT_EQ(wizard->subjectBox()->currentText(), "Auction Payment Remainder 21 Days Past Due");

    // Paid auctions hide the mark switch until the invoices show again.
    const auto markShown = [&] {
        return wizard->markSwitch()->isVisible() &&
               wizard->findChild<QLabel *>("Label40")->isVisible() &&
               wizard->findChild<QLabel *>("Label14")->isVisible();
    };
    win->tvTreeView_NodeClick("AR1");
    EXPECT_TRUE(markShown());
    win->tvTreeView_NodeClick("VA");
    EXPECT_FALSE(markShown());
    win->tvTreeView_NodeClick("AR2");
    EXPECT_FALSE(markShown());
    // The switch keeps its state while hidden.
    wizard->findChild<QLabel *>("Label40")->setVisible(true);
    QTest::mouseClick(wizard->findChild<QLabel *>("Label40"), Qt::LeftButton);
    EXPECT_FALSE(win->markSwitchOn());
    // The menu's "Invoices To Send" is the invoice node.
    win->findChild<QAction *>("munInvoicesToSend")->trigger();
    EXPECT_TRUE(markShown());
    EXPECT_FALSE(win->markSwitchOn());
    EXPECT_EQ(win->windowTitle(), "Lotwise - Working with Invoices to Send..");
    EXPECT_EQ(wizard->subjectBox()->currentText(), "Auction Invoice");
}

TEST_F(QueuePanelsTest, TheMailPreviewFollowsRowTemplateAndSubjectAndWritesNothing)
{
    ASSERT_TRUE(TextFile::writeLines(
        folder.file("Email Templates/Reminder 7 days.elm"),
        {"Dear *User_Name*,", "ship to:", "*Address*", "item *Auction_Number*"}));
    ASSERT_TRUE(TextFile::writeLines(folder.file("Email Templates/Short.elm"), {"Hi *User_Name*"}));
    loadAfter([&] {
        TestSupport::addUnpaid(store, "ann", 8, {{Field::Address, "1 Main St\r\nSpringfield"}});
        TestSupport::addUnpaid(store, "bob", 9);
    });
    win->tvTreeView_NodeClick("AR1");
    EmailWizardPanel *wizard = win->emailWizardPanel();
    ASSERT_EQ(usersOf(wizard), (QStringList{"ann", "bob"}));
    const int position = store.position();
    const QString footer = Mailer::footer(settings);
    EXPECT_TRUE(wizard->previewText().isEmpty());
    EXPECT_EQ(wizard->previewBody()->placeholderText(),
              "Select a row to see the mail its buyer gets.");
    EXPECT_EQ(wizard->previewSubject()->text(), "Auction Payment Remainder 7 Days Past Due");

    // Each line of the address on a line of its own, as the sent mail has it.
    wizard->selectRow(1);
    EXPECT_EQ(wizard->previewTo()->text(), "ann@example.com");
    EXPECT_EQ(wizard->previewText(),
              "Dear ann,\r\nship to:\r\n1 Main St\r\nSpringfield\r\nitem 98\r\n" + footer);
    EXPECT_EQ(wizard->previewBody()->toPlainText(),
              QString(wizard->previewText()).replace("\r\n", "\n"));
    EXPECT_TRUE(wizard->previewBody()->isReadOnly());
    wizard->selectRow(2);
    EXPECT_EQ(wizard->previewTo()->text(), "bob@example.com");
    EXPECT_EQ(wizard->previewText(), "Dear bob,\r\nship to:\r\n\r\nitem 99\r\n" + footer);
    wizard->selectTemplate("Short.elm");
    EXPECT_EQ(wizard->previewText(), "Hi bob\r\n" + footer);
    wizard->subjectBox()->setEditText("Pay now, please");
    EXPECT_EQ(wizard->previewSubject()->text(), "Pay now, please");
    wizard->subjectBox()->setCurrentIndex(0);
    EXPECT_EQ(wizard->previewSubject()->text(), wizard->subjectBox()->itemText(0));

    wizard->templateList()->clearSelection();
    EXPECT_TRUE(wizard->previewText().isEmpty());
    EXPECT_EQ(wizard->previewBody()->placeholderText(), "Select a template to see the mail.");
    wizard->templateList()->addItem("Gone.elm"); // listed, then deleted
    wizard->selectTemplate("Gone.elm");
    EXPECT_TRUE(wizard->previewText().isEmpty());
    EXPECT_TRUE(wizard->previewBody()->placeholderText().contains("was not found"));

    // Merged in memory: no Email.txt, no error box, and the record panel's record stays.
    EXPECT_FALSE(QFile::exists(folder.file("Email.txt")));
    EXPECT_TRUE(scripted.asked().isEmpty());
    EXPECT_EQ(store.position(), position);

    // A record changed on the record panel shows changed when the list is back.
    wizard->selectTemplate("Reminder 7 days.elm");
    store.moveTo(1);
    store.set(Field::AuctionUrl, "77");
    win->showPanel(Panel::Record);
    win->showPanel(Panel::EmailWizard);
    EXPECT_TRUE(wizard->previewText().startsWith("Dear bob,\r\nship to:\r\n\r\nitem 77\r\n"));
    store.deleteCurrent();
    wizard->selectRow(1);
    wizard->selectRow(2);
    EXPECT_TRUE(wizard->previewText().isEmpty());
    EXPECT_TRUE(wizard->previewTo()->text().isEmpty());
    EXPECT_EQ(wizard->previewBody()->placeholderText(),
              "The record of bob, lot of bob is no longer in the records.");
    // A list computed again has no row selected.
    win->tvTreeView_NodeClick("AR1");
    EXPECT_EQ(wizard->previewBody()->placeholderText(),
              "Select a row to see the mail its buyer gets.");
}

TEST_F(QueuePanelsTest, RowClickFindsTheFirstRecordOfTheRowAndTrimsBothSides)
{
    loadAfter([&] {
        for (const auto &[user, lot, notes] : {std::tuple{"ann", "clock", "first clock"},
                                               {"ann", "clock", "second clock"},
                                               {"  sam ", " kettle", "sam's kettle"},
                                               {"ann", "bell", "the bell"}}) {
            TestSupport::addShipped(store, user, lot, 9);
            store.set(Field::Notes, notes);
        }
    });
    FeedBackPanel *panel = win->feedBackPanel();
    win->tvTreeView_NodeClick("FB6");
    ASSERT_EQ(panel->rowCount(), 4);
    const auto notesBox = panel->findChild<QPlainTextEdit *>("FeedBackRecordNotes");

    // Either row of the duplicated pair leads to the first of them in stored order.
    panel->rowClick(2);
    EXPECT_EQ(store.position(), 0);
    EXPECT_EQ(notesBox->toPlainText(), "first clock");
    // The row shows the blanks of the field, and still leads to its record.
    EXPECT_EQ(panel->model()->row(2).userName, "  sam ");
    panel->rowClick(3);
    EXPECT_EQ(store.position(), 2);
    EXPECT_EQ(notesBox->toPlainText(), "sam's kettle");
    EXPECT_EQ(win->recordPanel()->findChild<QLineEdit *>("txtAuctionName")->text(), " kettle");

    // A real mouse click on a row does the same.
    QTreeView *list = panel->list();
    // On the user name, right of the tick box: a list narrower than its headers scrolls
    // sideways, and the first column is the one always in view.
    const QRect name = list->visualRect(panel->model()->index(3, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(name.right() - 4, name.center().y()));
    EXPECT_EQ(store.position(), 3);
    EXPECT_EQ(notesBox->toPlainText(), "the bell");
    // So does moving to another row with the keyboard.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(store.position(), 2);
}

TEST_F(QueuePanelsTest, ARowWhoseRecordIsGoneLeavesNoCurrentRecordAndSaysSo)
{
    loadEveryKind();
    win->tvTreeView_NodeClick("UPI4");
    UnpaidItemsPanel *panel = win->unpaidItemsPanel();
    ASSERT_EQ(usersOf(panel), (QStringList{"rex", "uma"}));
    panel->rowClick(1);
    EXPECT_EQ(panel->findChild<QLineEdit *>("UnpaidItemNumber")->text(), "98");
    // The record goes while the list still shows it.
    store.moveTo(store.position());
    store.deleteCurrent();
    QApplication::clipboard()->setText("untouched");
    panel->rowClick(1);
    EXPECT_FALSE(store.hasCurrent());
    EXPECT_TRUE(store.eof());
    EXPECT_EQ(clipboard(), "untouched");
    EXPECT_EQ(panel->findChild<QLineEdit *>("UnpaidItemNumber")->text(), "");
    EXPECT_TRUE(TestSupport::statusOf(win.get()).contains("rex"));
    EXPECT_TRUE(scripted.asked().isEmpty());
    // The other row still works.
    panel->rowClick(2);
    EXPECT_EQ(store.get(Field::UserName), "uma");
    EXPECT_EQ(clipboard(), "922");
    EXPECT_EQ(panel->findChild<QLineEdit *>("UnpaidUserName")->text(), "uma");
}

TEST_F(QueuePanelsTest, ShipRowCopiesTheAddressAndTakesTheTrackingNumberIntoItsRecord)
{
    loadEveryKind();
    QTest::mouseClick(win->findChild<QPushButton *>("Command2"), Qt::LeftButton);
    ShipPanel *ship = win->shipPanel();
    ASSERT_EQ(ship->rowCount(), 2);
    // Both rows are one buyer's: both carry the several-items icon.
    EXPECT_EQ(ship->model()->iconAt(0), Queues::kSeveralItemsIcon);
    EXPECT_EQ(ship->model()->iconAt(1), Queues::kSeveralItemsIcon);

    ship->rowClick(2);
    EXPECT_EQ(clipboard(), "1 Main St\r\nSpringfield vase");
    EXPECT_EQ(win->windowTitle(), "Lotwise - pat Address Copied to Clipboard..");
    EXPECT_EQ(ship->findChild<QPlainTextEdit *>("ShipNotes")->toPlainText(), "fragile vase");
    EXPECT_TRUE(ship->findChild<QPlainTextEdit *>("ShipAddress")->isReadOnly());
    QLineEdit *tracking = ship->trackingBox();
    EXPECT_EQ(tracking->text(), "Z1");

    // Another list moves the shared position; the number still goes to the vase.
    win->LoadReminders("AR1");
    EXPECT_EQ(store.position(), 0);
    tracking->setFocus();
    tracking->end(false);
    QTest::keyClicks(tracking, "99");
    win.reset();
    store.close();
    for (const auto &[record, number] : {std::pair{2, "Z199"}, {1, "Z1"}, {0, ""}})
        EXPECT_EQ(TestSupport::storedField(folder.dbPath(), record, Field::TrackingNumber), number);
}

TEST_F(QueuePanelsTest, TheTrackingNumberGoesToTheRecordTheShipPanelShows)
{
    // Ways the shared position, the list or the selection move away from the row whose
    // record the boxes show; the number typed next goes to the shown record all the same.
    const struct
    {
        const char *what;
        std::function<void(ShipPanel &)> meanwhile;
    } cases[] = {
        {"another list computed", [&](ShipPanel &) { win->LoadReminders("AR1"); }},
        {"the record panel stepped",
         [&](ShipPanel &) {
             QTest::mouseClick(win->findChild<QPushButton *>("Command1"), Qt::LeftButton);
             win->MoveForward();
             QTest::mouseClick(win->findChild<QPushButton *>("Command2"), Qt::LeftButton);
         }},
        {"the list sorted the other way",
         [&](ShipPanel &ship) {
             ship.SotrListView(2, {});
             ship.SotrListView(2, {});
         }},
        {"the list computed again", [&](ShipPanel &ship) { ship.reloadButton()->click(); }},
        {"the other row selected without a click",
         [&](ShipPanel &ship) {
             ship.list()->selectionModel()->setCurrentIndex(ship.model()->index(0, 0),
                                                            QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
         }},
    };
    loadEveryKind();
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QTest::mouseClick(win->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        ShipPanel *ship = win->shipPanel();
        ASSERT_EQ(ship->rowCount(), 2);
        const int row = ship->model()->row(1).auctionName == "vase" ? 2 : 1;
        ship->rowClick(row);
        ASSERT_EQ(ship->findChild<QPlainTextEdit *>("ShipNotes")->toPlainText(), "fragile vase");
        c.meanwhile(*ship);
        ASSERT_EQ(ship->findChild<QPlainTextEdit *>("ShipNotes")->toPlainText(), "fragile vase");
        QLineEdit *tracking = ship->trackingBox();
        tracking->setFocus();
        tracking->end(false);
        const QString typed = QString::number(++n);
        QTest::keyClicks(tracking, typed);
        const QString number = tracking->text();
        EXPECT_EQ(store.recordAt(2)[Field::TrackingNumber], number);
        EXPECT_EQ(store.recordAt(1)[Field::TrackingNumber], "Z1");
    }
}

TEST_F(QueuePanelsTest, TickingARowWithTheMouseChangesOnlyItsTick)
{
    loadEveryKind();
    for (const auto &[key, panel] : {std::pair<const char *, QueuePanel *>{"S", win->shipPanel()},
                                     {"UPI4", win->unpaidItemsPanel()},
                                     {"FB6", win->feedBackPanel()},
                                     {"AR7", win->emailWizardPanel()}}) {
        SCOPED_TRACE(key);
        win->tvTreeView_NodeClick(key);
        ASSERT_GE(panel->rowCount(), 1);
        QTreeView *list = panel->list();
        list->setCurrentIndex({});
        list->clearSelection();
        store.moveTo(store.recordCount() - 1);
        const int position = store.position();
        const QString title = win->windowTitle();
        QApplication::clipboard()->setText("the user's own");

        // The check box sits at the start of the first cell.
        const QRect cell = list->visualRect(panel->model()->index(0, 0));
        const QPoint box(cell.left() + 10, cell.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box);
        ASSERT_TRUE(panel->model()->isChecked(0)) << "the click missed the check box";
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box);
        EXPECT_FALSE(panel->model()->isChecked(0));

        EXPECT_EQ(store.position(), position);
        EXPECT_EQ(clipboard(), "the user's own");
        EXPECT_EQ(win->windowTitle(), title);
        EXPECT_EQ(panel->selectedRow(), 0);
    }
}

TEST_F(QueuePanelsTest, FeedBackNoteGoesToTheClipboardWhenChosenNotWhenLoaded)
{
    QApplication::clipboard()->setText("the user's own");
    load();
    QComboBox *note = win->feedBackPanel()->noteBox();
    EXPECT_EQ(clipboard(), "the user's own");
    note->setCurrentIndex(0);
    EXPECT_EQ(clipboard(), "Payment Recived");
    note->lineEdit()->setFocus();
    QTest::keyClicks(note->lineEdit(), "!");
    EXPECT_EQ(clipboard(), "Payment Recived!");
}

TEST_F(QueuePanelsTest, UnpaidListHeaderSortsPointerPaintsCheckAllTogglesAndColumnsFit)
{
    loadEveryKind();
    win->tvTreeView_NodeClick("UPI4");
    UnpaidItemsPanel *panel = win->unpaidItemsPanel();
    QTreeView *list = panel->list();
    QHeaderView *header = list->header();
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    clickHeader(3); // "Auction Close": the newest close date first
    EXPECT_EQ(usersOf(panel), (QStringList{"rex", "uma"}));
    clickHeader(4); // "Since Auction Close": the order flips, to ascending by days
    EXPECT_EQ(usersOf(panel), (QStringList{"rex", "uma"}));
    clickHeader(4);
    EXPECT_EQ(usersOf(panel), (QStringList{"uma", "rex"}));

    const QRect second = list->visualRect(panel->model()->index(1, 2));
    QTest::mouseMove(list->viewport(), second.center());
    EXPECT_EQ(panel->model()->highlightRow(), 1);
    EXPECT_EQ(panel->model()->data(panel->model()->index(1, 0), Qt::ForegroundRole).value<QColor>(),
              QColor(Qt::blue));

    // Check All flips its caption only when there are rows.
    QPushButton *checkAll = panel->checkAllButton();
    win->tvTreeView_NodeClick("FVF2"); // empty
    checkAll->click();
    EXPECT_EQ(checkAll->text(), "Check All");
    win->tvTreeView_NodeClick("UPI4");
    panel->model()->setChecked(0, true);
    checkAll->click();
    EXPECT_EQ(checkAll->text(), "Uncheck All");
    EXPECT_TRUE(panel->model()->isChecked(0) && panel->model()->isChecked(1));
    // A recomputed list starts unchecked but keeps the caption.
    win->tvTreeView_NodeClick("UPI4");
    EXPECT_FALSE(panel->model()->isChecked(0));
    EXPECT_EQ(checkAll->text(), "Uncheck All");
    checkAll->click();
    EXPECT_EQ(checkAll->text(), "Check All");
    EXPECT_FALSE(panel->model()->isChecked(0) || panel->model()->isChecked(1));

    // Every computation fits each column to a fifth of the list, less 30 twips (2 pixels),
    // after the user widened one, and after the window was resized too; in a list too narrow
    // for that every header still shows whole, with room for its sort arrow, and the list
    // scrolls sideways.
    header->setSortIndicatorShown(true);
    for (const QSize size : {QSize(1600, 900), QSize(800, 560)}) {
        SCOPED_TRACE(size.width());
        list->setColumnWidth(0, 300);
        win->resize(size);
        QCoreApplication::processEvents();
        win->tvTreeView_NodeClick("UPI4");
        QCoreApplication::processEvents();
        const int share = list->viewport()->width() / 5 - 2;
        int needs = 0;
        for (int c = 0; c < 5; ++c)
            needs += header->sectionSizeHint(c);
        for (int c = 0; c < 5; ++c) {
            if (size.width() > 1000) {
                EXPECT_NEAR(list->columnWidth(c), share, 1) << c;
            }
            EXPECT_GE(list->columnWidth(c), header->sectionSizeHint(c)) << c;
        }
        EXPECT_EQ(list->horizontalScrollBar()->maximum() > 0, needs > list->viewport()->width());
    }
}

TEST_F(QueuePanelsTest, ALongListsFirstComputationFitsItsColumnsBesideItsScrollBar)
{
    loadAfter([&] {
        std::vector<FieldValues> rows(300);
        for (size_t i = 0; i < rows.size(); ++i) {
            FieldValues &v = rows[i];
            v[Fields::index(Field::UserName)] = QString("buyer%1").arg(i);
            v[Fields::index(Field::AuctionName)] = QString("lot %1").arg(i);
            v[Fields::index(Field::InvoiceSent)] = "1";
            v[Fields::index(Field::CloseDate)] = daysAgo(kToday, 8 + int(i % 20));
        }
        store.appendRecords(rows);
    });
    win->resize(1600, 900);
    QCoreApplication::processEvents();
    QTreeView *list = win->emailWizardPanel()->list();
    QList<int> widths[2];
    for (QList<int> &w : widths) {
        win->tvTreeView_NodeClick("AR7");
        for (int c = 0; c < 5; ++c)
            w << list->columnWidth(c);
        // The view places its scroll bars over a few turns of the event loop.
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        ASSERT_TRUE(list->verticalScrollBar()->isVisible());
        // The columns fit the room the scroll bar leaves, and nothing scrolls sideways.
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
        EXPECT_NEAR(w[0], list->viewport()->width() / 5 - 2, 1);
    }
    EXPECT_EQ(widths[0], widths[1]);
}

TEST_F(QueuePanelsTest, NextAndBackStepThroughTheVisibleListAndItsRecords)
{
    loadEveryKind();
    win->tvTreeView_NodeClick("AR7");
    EmailWizardPanel *wizard = win->emailWizardPanel();
    ASSERT_EQ(usersOf(wizard), (QStringList{"rex", "uma", "fred"}));
    win->toolbarClick("Next"); // nothing selected yet: the first row
    EXPECT_EQ(wizard->selectedRow(), 1);
    EXPECT_EQ(store.get(Field::UserName), "rex");
    win->toolbarClick("Back"); // on the first row: nothing
    EXPECT_EQ(wizard->selectedRow(), 1);
    win->findChild<QAction *>("munMoveForward")->trigger();
    win->toolbarClick("Next");
    EXPECT_EQ(store.get(Field::UserName), "fred");
    win->toolbarClick("Next"); // the last row stays
    EXPECT_EQ(wizard->selectedRow(), 3);
    win->toolbarClick("Back");
    EXPECT_EQ(store.get(Field::UserName), "uma");

    // The record panel's commands leave the records alone here, and nothing is said.
    const int records = store.recordCount();
    win->findChild<QAction *>("munAddRecord")->trigger();
    win->toolbarClick("Save");
    EXPECT_EQ(store.recordCount(), records);
    EXPECT_TRUE(scripted.asked().isEmpty());
}
