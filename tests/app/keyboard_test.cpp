// Every window as a keyboard and screen-reader user meets it: Tab reaches every control, in
// reading order, and each control is announced by a caption.

#include "windows/frmabout.h"
#include "windows/frmhelpballon.h"
#include "windows/frmnotes.h"
#include "dialogs/dialogprompts.h"
#include "mail/frmemail.h"
#include "mainwindow/frmimportorders.h"
#include "mainwindow/restoredialog.h"
#include "mainwindow/statuspicture.h"
#include "options/frmoptions.h"
#include "reports/frmsalesoverview.h"
#include "reports/frmyearendreport.h"
#include "support/windowtest.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

// What a screen reader says a control is: the label it is labelled by, else its own name.
// A combo box's own name is the text it holds, so only a label can say what it is for.
QString caption(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    if (!a)
        return {};
    const auto labels = a->relations(QAccessible::Label);
    if (!labels.isEmpty())
        return labels.first().first->text(QAccessible::Name);
    if (qobject_cast<QComboBox *>(w))
        return {};
    return a->text(QAccessible::Name);
}

// A control a user works with, as opposed to the parts other controls are built from and
// the captions that stand for them.
bool isControl(QWidget *w)
{
    QWidget *parent = w->parentWidget();
    if (qobject_cast<QComboBox *>(parent) || qobject_cast<QAbstractSpinBox *>(parent) ||
        qobject_cast<QTabBar *>(parent) || qobject_cast<QHeaderView *>(w))
        return false;
    if (auto *label = qobject_cast<ClickLabel *>(w))
        return !label->buddy();
    return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
           qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractItemView *>(w) ||
           qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QAbstractSpinBox *>(w) ||
           qobject_cast<QTabBar *>(w);
}

// The toolbar buttons whose commands the menu bar also has, and under what caption.
const QHash<QString, QString> kToolbarInMenus = {
    {"New", "&New"},   {"Open", "&Open"},       {"Save", "&Save"},
    {"Cut", "Cu&t"},   {"Copy", "&Copy"},       {"Paste", "&Paste"},
    {"Back", "Move Back"}, {"Next", "Move Forward"}, {"Options", "&Options..."},
    {"Help", "&Contents"}, {"Sales Overview", "Sa&les Overview..."},
};

// Whether Tab must stop on the control: a toolbar button whose command is in the menus is
// reached through them, and Tab enters a group of radio buttons once, at its checked button.
bool needsOwnStop(QWidget *w, const QList<QWidget *> &round)
{
    if (qobject_cast<QToolBar *>(w->parentWidget())) {
        auto *button = qobject_cast<QToolButton *>(w);
        QAction *a = button ? button->defaultAction() : nullptr;
        return !a || !kToolbarInMenus.contains(a->data().toString());
    }
    if (auto *radio = qobject_cast<QRadioButton *>(w); radio && radio->autoExclusive()) {
        for (QWidget *stop : round)
            if (qobject_cast<QRadioButton *>(stop) && stop->parentWidget() == w->parentWidget())
                return false;
    }
    return true;
}

std::string describe(QWidget *w)
{
    return QStringLiteral("%1 \"%2\"")
        .arg(QLatin1String(w->metaObject()->className()), w->objectName())
        .toStdString();
}

// Presses Tab from the window's first control until focus comes to a control a second time,
// and returns the controls it stopped on; a round that closes comes back to the first.
QList<QWidget *> tabRound(QWidget *window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QWidget *first = window->nextInFocusChain();
    while (first != window && !(first->isVisible() && first->isEnabled() &&
                                (first->focusPolicy() & Qt::TabFocus)))
        first = first->nextInFocusChain();
    QList<QWidget *> round;
    if (first == window)
        return round;
    first->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 200; ++i) {
        QWidget *now = QApplication::focusWidget();
        if (!now)
            break;
        round.append(now);
        if (round.count(now) > 1)
            break;
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return round;
}

// The window as it stands now: every visible control is reached by Tab, has a caption, and
// Tab never jumps back up and to the left before the round ends.
void checkKeyboard(QWidget *window, const QString &where)
{
    SCOPED_TRACE(where.toStdString());
    QApplication::processEvents();
    QList<QWidget *> round = tabRound(window);
    ASSERT_GE(round.size(), 2);
    ASSERT_EQ(round.last(), round.first()) << "Tab is caught in a loop at " << describe(round.last());
    round.removeLast();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() == window && w->isVisible() && w->isEnabled() && isControl(w) &&
            !round.contains(w) && needsOwnStop(w, round)) {
            ADD_FAILURE() << describe(w) << " is not reached by Tab";
        }
    }
    QRect before;
    for (QWidget *w : round) {
        EXPECT_TRUE(isControl(w)) << describe(w) << " is a Tab stop of its own";
        EXPECT_FALSE(caption(w).trimmed().isEmpty()) << describe(w) << " has no caption";
        const QRect at(w->mapTo(window, QPoint(0, 0)), w->size());
        if (before.isValid()) {
            EXPECT_FALSE(at.top() < before.top() - 4 && at.left() < before.left() - 4)
                << "Tab goes back up and left to " << describe(w);
        }
        before = at;
    }
}

// Shows a window of its own and walks it.
void showAndCheckKeyboard(QWidget &window, const char *where)
{
    window.show();
    checkKeyboard(&window, QString::fromLatin1(where));
}

class KeyboardTest : public TestSupport::FilledWindowTest
{
protected:
    // With a record, so that the record panel's fields are enabled.
    FrmMain &loadWithRecord()
    {
        return loadWith({{{Field::UserName, "ann"}, {Field::EmailAddress, "ann@example.com"}}});
    }
};

} // namespace

TEST_F(KeyboardTest, MainWindowPanelsAreWalkedInReadingOrderWithCaptions)
{
    FrmMain &main = loadWithRecord();
    for (const auto panel : {FrmMain::Panel::Record, FrmMain::Panel::Ship, FrmMain::Panel::EmailWizard,
                             FrmMain::Panel::Template, FrmMain::Panel::FeedBack,
                             FrmMain::Panel::UnpaidItems}) {
        main.showPanel(panel);
        checkKeyboard(&main, QStringLiteral("panel %1").arg(int(panel)));
    }
    // The menus have every toolbar command but the mailbox check, the quick email and the
    // quick links; those buttons lead the round as they lead the toolbar.
    QStringList inMenus;
    for (QAction *a : main.menuBar()->findChildren<QAction *>())
        inMenus.append(a->text());
    for (const QString &caption : kToolbarInMenus)
        EXPECT_TRUE(inMenus.contains(caption)) << caption.toStdString();
    main.showPanel(FrmMain::Panel::Record);
    const QList<QWidget *> round = tabRound(&main);
    ASSERT_GE(round.size(), 4);
    EXPECT_EQ(caption(round.at(0)), "Check Email");
    EXPECT_EQ(caption(round.at(1)), "Email");
    EXPECT_EQ(round.at(2), find("Toolbar1_Internet"));
    EXPECT_EQ(round.at(3), find("Command1"));
}

TEST_F(KeyboardTest, EveryOptionsPageIsWalkedFromItsTabToOkAndApply)
{
    FrmOptions *options = load().options();
    options->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
    // With the server fields showing, which the local folders and SQLite hide.
    options->findChild<QCheckBox *>("chkLocalFolders")->setChecked(false);
    options->findChild<QRadioButton *>("optStorePostgres")->setChecked(true);
    auto *tabs = options->findChild<QTabWidget *>("tabOptions");
    ASSERT_EQ(tabs->count(), 8);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        checkKeyboard(options, tabs->tabText(i));
        QList<QWidget *> round = tabRound(options);
        round.removeLast();
        ASSERT_GE(round.size(), 3);
        EXPECT_TRUE(qobject_cast<QTabBar *>(round.first()));
        EXPECT_EQ(round.at(round.size() - 2)->objectName(), "cmdOK");
        EXPECT_EQ(round.last()->objectName(), "cmdApply");
    }
}

TEST_F(KeyboardTest, SmallWindowsAreWalkedWithCaptions)
{
    FrmMain &main = loadWithRecord();
    FrmNotes *notes = main.notes();
    notes->addLine(QStringLiteral("You have 1 - invoice to send."));
    notes->show();
    checkKeyboard(notes, QStringLiteral("notes"));
    notes->hide();

    FrmAbout about;
    showAndCheckKeyboard(about, "about");
    FrmHelpBallon balloon;
    showAndCheckKeyboard(balloon, "help balloon");
    FrmEmail email(main.mailer(), main.store(), folder.path(), [] { return true; }, &main);
    showAndCheckKeyboard(email, "quick email");

    OrderImport::Plan plan;
    plan.added = 1;
    plan.preview.push_back({OrderImport::Plan::Action::Add, 3, {}});
    FrmImportOrders preview(plan, QStringLiteral("orders.csv"), &main);
    showAndCheckKeyboard(preview, "import orders");
    // The load has made today's backup, so the list has a row to choose.
    RestoreDialog restore(RestoreDialog::survey(StoreBackups::folderOf(folder.path())), &main);
    showAndCheckKeyboard(restore, "restore from backup");
    FrmYearEndReport report(main.store(), 2025, &main);
    showAndCheckKeyboard(report, "year-end report");
    FrmSalesOverview overview(main.store(), [] { return TestSupport::kWindowToday; }, &main);
    showAndCheckKeyboard(overview, "sales overview");
}

TEST_F(KeyboardTest, TheLogonDialogIsWalkedWithCaptions)
{
    load();
    // The real dialog, not the script; it is checked while it is up and then cancelled.
    setPrompts(nullptr);
    bool checked = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        checked = true;
        dialog->findChild<QCheckBox *>("chkLocalFolders")->setChecked(false);
        checkKeyboard(dialog, QStringLiteral("logon"));
        dialog->close();
    });
    LogonDetails details;
    EXPECT_FALSE(DialogPrompts().logon(details));
    EXPECT_TRUE(checked);
}

TEST_F(KeyboardTest, LinksArePressedWithSpaceOrEnterAndCaptionsLeaveThatToTheirControl)
{
    FrmOptions *options = load().options();
    int opened = 0;
    options->setErrorReportsOpener([&] { ++opened; });
    auto *link = options->findChild<ClickLabel *>("lblErrorReportsLinks");
    QTest::keyClick(link, Qt::Key_Space);
    QTest::keyClick(link, Qt::Key_Return);
    EXPECT_EQ(opened, 2);

    // A caption's key presses are not clicks: its check box has the focus, not the caption.
    auto *caption = options->findChild<ClickLabel *>("lblKeepLog");
    auto *box = options->findChild<QCheckBox *>("chkKeepLog");
    const bool was = box->isChecked();
    QTest::keyClick(caption, Qt::Key_Space);
    EXPECT_EQ(box->isChecked(), was);
}
