#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/shippanel.h"
#include "mainwindow/unpaiditemspanel.h"
#include "platform/dates.h"
#include "support/windowtest.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

using TestSupport::addRecord;
using TestSupport::writeBytes;

namespace {

// The offscreen screen runs at 96 dpi: 15 twips to the pixel.
constexpr int kTwipsPerPixel = 15;
const QStringList kKeys{"MainLeft", "MainTop", "MainWidth", "MainHeight", "MainSplitter"};

QImage argb(const QPixmap &p)
{
    return p.toImage().convertToFormat(QImage::Format_ARGB32);
}
QImage argb(const QIcon &icon)
{
    return argb(icon.pixmap(16, 16));
}

// Whether the tree shows the item's caption whole: its row has room for the icon, the text
// and the style's margins beside both.
bool captionWhole(const QTreeWidget *tree, const QTreeWidgetItem *item)
{
    const QRect row = tree->visualItemRect(item);
    const QStyle *style = tree->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
    const int icon = tree->iconSize().isValid()
                         ? tree->iconSize().width()
                         : style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, tree);
    const int need = icon + tree->fontMetrics().horizontalAdvance(item->text(0)) + 4 * margin;
    return row.left() >= 0 && row.right() < tree->viewport()->width() && row.width() >= need;
}

// The application's font at another size for as long as it lives; 0 keeps the size.
class AppFont
{
public:
    explicit AppFont(int points)
    {
        QFont f = m_before;
        if (points > 0)
            f.setPointSize(points);
        QApplication::setFont(f);
    }
    ~AppFont() { QApplication::setFont(m_before); }

private:
    QFont m_before = QApplication::font();
};

// The main window as the program starts it: on the real today, at its stored placement.
class FrmMainTest : public TestSupport::WindowTest
{
protected:
    FrmMain &start(bool shown = false)
    {
        win = std::make_unique<FrmMain>(store, settings, folder.path());
        EXPECT_TRUE(win->Form_Load());
        if (shown) {
            win->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(win.get()));
            EXPECT_EQ(win->logicalDpiX(), 1440 / kTwipsPerPixel);
        }
        return *win;
    }
    void storePlacement(const QStringList &values)
    {
        for (int i = 0; i < 5; ++i)
            settings.save("Settings", kKeys[i], values[i]);
        settings.sync();
    }
    // What the settings file holds now, read as a later run would.
    QStringList savedPlacement() const
    {
        const SettingsStore disk(folder.file("settings.ini"));
        QStringList values;
        for (const QString &key : kKeys)
            values << disk.read("Settings", key, "absent");
        return values;
    }
};

} // namespace

TEST_F(FrmMainTest, AFirstStartOpensWholeInTheMiddleWithTheDateInTheStatusBarAndEveryToolbarButton)
{
    const QDate before = QDate::currentDate();
    start(true);
    const QRect avail = win->screen()->availableGeometry();
    QCoreApplication::processEvents();
    const QRect g = win->geometry();
    // At least the room the layout rules need below the menu bar, never more than the screen.
    const int menu = win->menuWidget()->height();
    EXPECT_GE(g.width() * kTwipsPerPixel, 11565);
    EXPECT_GE((g.height() - menu) * kTwipsPerPixel, 8300);
    EXPECT_TRUE(avail.contains(win->frameGeometry()))
        << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
    EXPECT_LE((win->frameGeometry().center() - avail.center()).manhattanLength(), 2);
    // Where the screen has the room, the record panel shows every control without scrolling;
    // where it has not, the panel scrolls.
    auto *scroll = find<QScrollArea>("RecordPanelScroll");
    const QRect frame = win->frameGeometry();
    const bool clamped = frame.width() >= avail.width() - 1 || frame.height() >= avail.height() - 1;
    EXPECT_EQ(scroll->horizontalScrollBar()->isVisible() ||
                  scroll->verticalScrollBar()->isVisible(),
              clamped);

    // The Reminder caption sits between its picture and the date.
    const auto left = [&](const char *name) { return find(name)->mapTo(win.get(), QPoint()).x(); };
    EXPECT_EQ(find<QLabel>("sbStatusBar_ReminderCaption")->text(), "Reminder");
    EXPECT_TRUE(find("sbStatusBar_ReminderCaption")->isVisible());
    EXPECT_GT(left("sbStatusBar_ReminderCaption"), left("sbStatusBar_Reminder"));
    EXPECT_LT(left("sbStatusBar_ReminderCaption"), left("sbStatusBar_Date"));
    const QString date = find<QLabel>("sbStatusBar_Date")->text();
    EXPECT_TRUE(date == Dates::shortDateText(before) ||
                date == Dates::shortDateText(QDate::currentDate()));
    EXPECT_FALSE(find<QLabel>("sbStatusBar_Time")->text().isEmpty());

    // The toolbar has a button for each of its keys.
    QStringList keys;
    for (QAction *a : find<QToolBar>("Toolbar1")->actions())
        if (!a->isSeparator())
            keys << a->data().toString();
    keys.sort();
    EXPECT_EQ(keys,
              (QStringList{"Back", "Check Email", "Copy", "Cut", "Email", "Help", "Internet", "New",
                           "Next", "Open", "Options", "Paste", "Sales Overview", "Save"}));
}

TEST_F(FrmMainTest, TheStartUpLayoutIsTheLayoutOfAnyResizeAndClearsTheStatusBar)
{
    storePlacement({"1500", "1200", "19200", "12000", "2400"}); // 1280 x 800 pixels
    start(true);
    QCoreApplication::processEvents();
    const auto placed = [&](const char *name) {
        const QWidget *w = win->findChild<QWidget *>(name);
        return QRect(w->mapTo(win.get(), QPoint()), w->size());
    };
    const QRect tree = placed("tvTreeView"), panels = placed("panels"), first = placed("Command1");
    const QRect bar = placed("sbStatusBar");
    EXPECT_LE(tree.bottom(), bar.top());
    EXPECT_LE(panels.bottom(), bar.top());
    // Laid out again at the same size, nothing moves.
    win->resize(1300, 800);
    QCoreApplication::processEvents();
    win->resize(1280, 800);
    QCoreApplication::processEvents();
    EXPECT_EQ(placed("tvTreeView"), tree);
    EXPECT_EQ(placed("panels"), panels);
    EXPECT_EQ(placed("Command1"), first);
}

TEST_F(FrmMainTest, PlacementIsRestoredAndSavedOnCloseUnlessMinimised)
{
    // Stored values that are not numbers take the defaults: 1000, 1000, 6500 x 6500 and a
    // splitter at 2000 twips, to the nearest pixel.
    storePlacement({"1500", "left", "", "7500", "12x"});
    start(true);
    EXPECT_EQ(win->geometry().x(), 100);
    EXPECT_NEAR(win->geometry().y() * kTwipsPerPixel, 1000, kTwipsPerPixel);
    EXPECT_NEAR(win->width() * kTwipsPerPixel, 6500, kTwipsPerPixel);
    EXPECT_EQ(win->height(), 500);
    EXPECT_EQ(win->splitterPosition(), 2000);

    // A window too small to be laid out moves nothing, the splitter included, so nothing
    // but a layout that ran is ever saved as the splitter's place.
    win->setGeometry(150, 120, 700, 480);
    QCoreApplication::processEvents();
    win->SizeControls(3000);
    EXPECT_EQ(win->splitterPosition(), 2000);
    win->setGeometry(150, 120, 900, 600);
    QCoreApplication::processEvents();
    win->SizeControls(3000);
    ASSERT_EQ(win->splitterPosition(), 3000);
    EXPECT_NEAR(find("imgSplitter")->x() * kTwipsPerPixel, 3000, kTwipsPerPixel);
    win->close();
    EXPECT_EQ(savedPlacement(), (QStringList{"2250", "1800", "13500", "9000", "3000"}));
    win.reset();
    store.close();

    storePlacement({"1500", "1200", "9000", "7500", "2400"});
    start(true);
    EXPECT_EQ(win->geometry(), QRect(100, 80, 600, 500));
    EXPECT_EQ(win->splitterPosition(), 2400);
    win->setGeometry(30, 30, 640, 640);
    QCoreApplication::processEvents();
    ASSERT_EQ(win->geometry(), QRect(30, 30, 640, 640));
    win->showMinimized();
    ASSERT_TRUE(win->isMinimized());
    win->close();
    EXPECT_EQ(savedPlacement(), (QStringList{"1500", "1200", "9000", "7500", "2400"}));
}

TEST_F(FrmMainTest, WithNoStoredSplitterTheLeftColumnFitsTheTopCaptionsAtTheFontInUse)
{
    const struct
    {
        const char *what;
        int points;         // 0: the usual font
        QStringList stored; // the placement in the settings store; "" is a key not there
        int splitter;       // 0: wherever the captions fit
    } cases[] = {
        {"a first start", 0, {"", "", "", "", ""}, 0},
        {"a first start with a larger font", 13, {"", "", "", "", ""}, 0},
        {"a stored window without a splitter", 0, {"1500", "1200", "15000", "10500", ""}, 0},
        {"a stored splitter stays as it is", 0, {"1500", "1200", "15000", "10500", "2000"}, 2000},
    };
    int run = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const AppFont font(c.points);
        SettingsStore placed(folder.file(QString("placed-%1.ini").arg(++run)));
        for (int i = 0; i < 5; ++i) {
            if (!c.stored[i].isEmpty())
                placed.save("Settings", kKeys[i], c.stored[i]);
        }
        FrmMain w(store, placed, folder.path());
        ASSERT_TRUE(w.Form_Load());
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        auto *tree = w.findChild<QTreeWidget *>("tvTreeView");
        const int x = w.splitterPosition();
        if (c.splitter) {
            EXPECT_EQ(x, c.splitter);
        } else {
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                EXPECT_TRUE(captionWhole(tree, tree->topLevelItem(i)))
                    << tree->topLevelItem(i)->text(0).toStdString() << " at " << x;
            for (const char *name : {"Command1", "Command2", "Command3", "Command14", "Command4"}) {
                const auto *button = w.findChild<QPushButton *>(name);
                EXPECT_GE(button->width(), button->sizeHint().width()) << name;
            }
            // Never narrower than the usual column, never past the clamp.
            EXPECT_GE(x, 2000);
            EXPECT_LE(x, w.width() * kTwipsPerPixel - 1500);
        }
        EXPECT_NEAR(tree->width() * kTwipsPerPixel, x, kTwipsPerPixel);

        // Every node tells its whole caption, the cut ones too.
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            EXPECT_EQ((*it)->toolTip(0), (*it)->text(0));

        // Each list's headers are whole, with room for the sort arrow a click puts there.
        if (run == 1) {
            for (const char *key : {"S", "IS", "FB6", "UPI4"}) {
                w.tvTreeView_NodeClick(key);
                QCoreApplication::processEvents();
                QueuePanel *panel = nullptr;
                for (QueuePanel *p : w.findChildren<QueuePanel *>())
                    if (p->isVisible())
                        panel = p;
                ASSERT_NE(panel, nullptr) << key;
                QHeaderView *header = panel->list()->header();
                header->setSortIndicatorShown(true);
                for (int s = 0; s < header->count(); ++s)
                    EXPECT_GE(header->sectionSize(s), header->sectionSizeHint(s))
                        << key << " "
                        << panel->model()
                               ->headerData(s, Qt::Horizontal, Qt::DisplayRole)
                               .toString()
                               .toStdString();
            }
        }
        w.close();
        EXPECT_EQ(placed.read("Settings", "MainSplitter", "absent"), QString::number(x));
    }
}

TEST_F(FrmMainTest, ADragPastTheRecordPanelsRoomOnAWindowThatCannotWidenMovesTheSplitterAlong)
{
    start(true);
    const QRect avail = win->screen()->availableGeometry();
    const QSize border = win->frameGeometry().size() - win->geometry().size();
    win->setGeometry(
        QRect(avail.topLeft() + (win->geometry().topLeft() - win->frameGeometry().topLeft()),
              avail.size() - border));
    QCoreApplication::processEvents();
    QWidget *splitter = find("imgSplitter");
    const auto dragTo = [&](int twips) {
        const QPoint mid(1, splitter->height() / 2);
        QTest::mousePress(splitter, Qt::LeftButton, {}, mid);
        const QPointF at(twips / kTwipsPerPixel - splitter->x(), mid.y());
        QMouseEvent move(QEvent::MouseMove, at, splitter->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(splitter, &move);
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, mid);
        QCoreApplication::processEvents();
    };
    // Far enough right that the record panel has no room for its two columns.
    const int far = win->width() * kTwipsPerPixel - 2400;
    for (const int x : {far, 3000}) {
        SCOPED_TRACE(x);
        dragTo(x);
        EXPECT_NEAR(win->splitterPosition(), x, kTwipsPerPixel);
        EXPECT_NEAR(splitter->x() * kTwipsPerPixel, x, kTwipsPerPixel);
        EXPECT_LE(find("tvTreeView")->geometry().right(), splitter->x());
        EXPECT_GT(find("panels")->x(), splitter->x());
        EXPECT_LE(win->frameGeometry().width(), avail.width());
    }
    win->close();
    EXPECT_EQ(savedPlacement()[4], QString::number(win->splitterPosition()));
}

TEST_F(FrmMainTest, EveryTaskTreeLeafOpensAListOfItsBranch)
{
    start();
    auto *tree = win->findChild<QTreeWidget *>("tvTreeView");
    ASSERT_EQ(tree->topLevelItemCount(), 7);
    int leaves = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *root = tree->topLevelItem(i);
        const QString branch = root->data(0, Qt::UserRole).toString();
        EXPECT_EQ(Queues::family(branch), branch);
        EXPECT_EQ(root->childCount() == 0, Queues::rule(branch) != nullptr) << branch.toStdString();
        for (int c = 0; c < root->childCount(); ++c, ++leaves) {
            const QString key = root->child(c)->data(0, Qt::UserRole).toString();
            EXPECT_NE(Queues::rule(key), nullptr) << key.toStdString();
            EXPECT_EQ(Queues::family(key), branch) << key.toStdString();
        }
    }
    EXPECT_EQ(leaves, 21);
}

TEST_F(FrmMainTest, ListsTakeTheFixedItemsThenEveryNonEmptyLineOfTheirFile)
{
    // Empty lines go, a line of spaces stays; a lone CR ends a line too.
    writeBytes(folder.file("Subjects/emailsub.sub"),
               "Combined Shipping\r\n\r\n   \r\nSecond Chance\rLast one \r\n\r\n");
    // A missing file leaves its list with the fixed items alone.
    ASSERT_TRUE(QFile::remove(folder.file("Subjects/emailinputsub.sub")));
    writeBytes(folder.file("Subjects/feedbacksub.sub"), "Great buyer\r\n\r\nFast payment");
    writeBytes(folder.file("Subjects/quicklinks.sub"),
               "https://a.example\r\n\r\nhttps://b.example\r\n");
    start();
    const QStringList fromFile{"Combined Shipping", "   ", "Second Chance", "Last one "};

    const QStringList subjects = TestSupport::itemsOf(win->findChild<QComboBox *>("Combo1"));
    ASSERT_EQ(subjects.size(), 15);
    EXPECT_EQ(subjects.first(), "Auction Invoice");
    EXPECT_EQ(subjects.mid(11), fromFile);
    EXPECT_EQ(win->onExitSubjects(0), QStringList{"Auction Invoice"} + fromFile);
    EXPECT_EQ(win->onExitSubjects(1), QStringList{"Payment Received"} + fromFile);
    EXPECT_EQ(win->onExitSubjects(2), QStringList{"Feed Back Given"} + fromFile);

    auto *notes = win->findChild<QComboBox *>("Combo4");
    EXPECT_EQ(TestSupport::itemsOf(notes),
              (QStringList{"Payment Recived", "Great buyer", "Fast payment"}));
    EXPECT_EQ(notes->currentText(), "Thanks For Bidding");

    QStringList links;
    for (QAction *a : win->findChild<QMenu *>("InternetMenu")->actions())
        links << a->text();
    EXPECT_EQ(links, (QStringList{"https://a.example", "https://b.example"}));
}

TEST_F(FrmMainTest, ReminderBlinkAlternatesUntilTheRemindersAreLookedAt)
{
    const QImage alert = argb(QIcon(folder.file("images/alert.ico")));
    ASSERT_FALSE(alert.isNull());
    start();
    auto *panel = win->findChild<QLabel *>("sbStatusBar_Reminder");
    const QImage normal = argb(panel->pixmap());
    ASSERT_NE(normal, alert);
    EXPECT_EQ(argb(win->windowIcon()), normal);
    const auto showing = [&] { return argb(panel->pixmap()); };

    QTimer *timer = win->findChild<QTimer *>("Timer1");
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_FALSE(timer->isActive());
    win->startReminderBlink();
    ASSERT_TRUE(timer->isActive());
    for (int tick = 0; tick < 4; ++tick) {
        win->Timer1_Timer();
        const QImage expected = tick % 2 == 0 ? alert : normal;
        EXPECT_EQ(showing(), expected) << "tick " << tick;
        EXPECT_EQ(argb(win->windowIcon()), expected) << "tick " << tick;
        EXPECT_TRUE(timer->isActive());
    }
    win->Timer1_Timer(); // alert again
    win->setRemindersLookedAt();
    win->Timer1_Timer();
    EXPECT_EQ(showing(), normal);
    EXPECT_EQ(argb(win->windowIcon()), normal);
    EXPECT_FALSE(timer->isActive());

    // Looked at stays looked at: a later start stops at its first tick.
    win->startReminderBlink();
    win->Timer1_Timer();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(showing(), normal);
}

TEST_F(FrmMainTest, ListsComputeForTodayAsItIsAndOnlyForAKeyOfTheirFamily)
{
    const QDate today(2024, 3, 20);
    store.open(folder.dbPath());
    for (const auto &[user, age] : {std::pair{"ann", 13}, {"bob", 14}})
        addRecord(store, {{Field::UserName, user},
                          {Field::InvoiceSent, "1"},
                          {Field::CloseDate, TestSupport::daysAgo(today, age)}});
    store.close();
    QDate pinned = today;
    start(true).setTodayProvider([&] { return pinned; });
    const auto users = [&](QueuePanel *panel) {
        QStringList u;
        for (int r = 0; r < panel->model()->rowCount(); ++r)
            u << panel->model()->row(r).userName + " " + panel->model()->row(r).days;
        return u;
    };
    QueuePanel *wizard = win->emailWizardPanel();
    QueuePanel *unpaid = win->unpaidItemsPanel();
    win->LoadReminders("AR1");
    EXPECT_EQ(users(wizard), QStringList{"ann 13 Days"});

    // A key of another family computes nothing, though the unpaid items panel still shows.
    win->LoadFeedBack("AR2");
    win->LoadUnpaidItem("FVF1");
    EXPECT_EQ(win->visiblePanel(), FrmMain::Panel::UnpaidItems);
    EXPECT_EQ(wizard->model()->key(), "AR1");
    EXPECT_EQ(unpaid->model()->key(), "");
    EXPECT_EQ(win->windowTitle(), "Lotwise - Working with 7 Day Reminders..");

    // The ship list sets no title of its own; its button sets one.
    win->LoadItemsToShip();
    EXPECT_EQ(win->shipPanel()->model()->key(), "S");
    EXPECT_EQ(win->windowTitle(), "Lotwise - Working with 7 Day Reminders..");

    // A day later the 13-day reminder has moved on to the 14-day list.
    pinned = today.addDays(1);
    win->LoadReminders("AR1");
    EXPECT_EQ(wizard->model()->rowCount(), 0);
    win->LoadReminders("AR2");
    EXPECT_EQ(users(wizard), (QStringList{"ann 14 Days", "bob 15 Days"}));
}
