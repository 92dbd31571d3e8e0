// The main window's menu bar, toolbar and the record and list commands they share.

#include "frmmain.h"

#include "errors/handelerrors.h"
#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/frmimportorders.h"
#include "mainwindow/recordpanel.h"
#include "mainwindow/shippanel.h"
#include "mainwindow/steppablelist.h"
#include "mainwindow/storesafety.h"
#include "mainwindow/templatepanel.h"
#include "platform/appfolder.h"
#include "platform/endpoints.h"
#include "platform/prompts.h"
#include "platform/textfile.h"
#include "platform/weblinks.h"
#include "records/recordstore.h"
#include "reports/frmsalesoverview.h"
#include "reports/frmyearendreport.h"
#include "windows/frmabout.h"
#include "windows/help.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// "Sales Overview...": over the main window; its list links show the lists there.
void showSalesOverview(FrmMain &main)
{
    auto *window = FrmSalesOverview::ShowSalesOverview(main.store(), [&main] { return main.today(); }, &main);
    QObject::connect(window, &FrmSalesOverview::openList, &main, [&main](const QString &key) {
        main.tvTreeView_NodeClick(key);
        main.raise();
        main.activateWindow();
    });
}

} // namespace

void FrmMain::buildMenus()
{
    struct Item
    {
        const char *caption; // nullptr: a separator
        const char *name;
        QKeySequence shortcut;
        std::function<void()> action;
    };
    const auto menu = [this](QMenu *m, const std::vector<Item> &items) {
        for (const Item &i : items) {
            if (!i.caption) {
                m->addSeparator();
                continue;
            }
            QAction *a = m->addAction(QString::fromLatin1(i.caption));
            a->setObjectName(QString::fromLatin1(i.name));
            if (!i.shortcut.isEmpty())
                a->setShortcut(i.shortcut);
            connect(a, &QAction::triggered, this, i.action);
        }
    };
    const auto onRecords = [this](std::function<void(RecordPanel *)> f) {
        return [this, f] {
            if (visiblePanel() == Panel::Record)
                f(m_recordPanel);
        };
    };
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    menu(file, {{"&New", "munNew", {}, [this] { New(); }},
                {"&Open", "mnuFileOpen", {}, [this] { OpenTemplate(); }},
                {"&Save", "mnuSave", {}, [this] { Save(); }},
                {nullptr, "", {}, {}},
                {"&Import Orders...", "mnuFileImportOrders", {}, [this] { FrmImportOrders::ImportOrders(*this); }},
                {"&Restore from Backup...", "mnuRestoreBackup", {}, [this] {
                     StoreSafety(m_store, m_settings, m_appFolder).restoreFromBackup(this, today());
                     showPanel(Panel::Record);
                 }},
                {"&Year-End Report...", "mnuFileYearEndReport", {}, [this] { FrmYearEndReport::ShowYearEndReport(m_store, today(), this); }},
                {nullptr, "", {}, {}},
                {"&Close", "mnuFileClose", {}, [this] {
                     LogOff();
                     close();
                 }}});
    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    menu(edit, {{"Cu&t", "mnuEditCut", QKeySequence(Qt::CTRL | Qt::Key_X), [this] { editCommand("cut"); }},
                {"&Copy", "mnuEditCopy", QKeySequence(Qt::CTRL | Qt::Key_C), [this] { editCommand("copy"); }},
                {"&Paste", "mnuEditPaste", QKeySequence(Qt::CTRL | Qt::Key_V), [this] { editCommand("paste"); }}});
    QMenu *winners = bar->addMenu(QStringLiteral("&Auction Winners"));
    winners->setObjectName(QStringLiteral("munAuctionWinners"));
    menu(winners, {{"Move Back", "munMoveBack", {}, [this] { MoveBack(); }},
                   {"Move Forward", "munMoveForward", {}, [this] { MoveForward(); }},
                   {nullptr, "", {}, {}},
                   {"Add Record", "munAddRecord", {}, onRecords([](RecordPanel *p) { p->addRecord(); })},
                   {"Delete Record", "munDeleteRecord", {}, onRecords([](RecordPanel *p) { p->deleteRecord(); })},
                   {nullptr, "", {}, {}},
                   {"Copy Record", "munCopyRecord", {}, onRecords([](RecordPanel *p) { p->copyRecord(); })}});
    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    const auto click = [this](const char *button) {
        return [this, button] { findChild<QPushButton *>(QString::fromLatin1(button))->click(); };
    };
    menu(view, {{"&Invoices To Send", "munInvoicesToSend", {}, [this] { tvTreeView_NodeClick(QStringLiteral("IS")); }},
                {"&Auction Winners", "mnuViewAuctionwinners", {}, click("Command1")},
                {"Items To &Ship", "mnuViewItemstoShip", {}, [this, click] {
                     click("Command2")();
                     LoadItemsToShip();
                     ResizeListview(m_ship->list());
                 }},
                {"&Create Template", "mnuCreateTemplate", {}, click("Command4")},
                {"Sa&les Overview...", "mnuViewSalesOverview", {}, [this] { showSalesOverview(*this); }},
                {nullptr, "", {}, {}},
                {"Tasks To Complete", "munTasks", {}, [this] { CheckTasks(); }},
                {"Reminders", "munReminders", {}, [this] {
                     CheckRemainders();
                     ShowNotes(true);
                     // Looked at once the user has read them and closed the window.
                     m_lookedAtWhenNotesClose = true;
                 }},
                {nullptr, "", {}, {}},
                {"&Options...", "mnuViewOptions", {}, [this] { ShowOptions(); }},
                {"&Web Browser", "mnuViewWebBrowser", {}, [this] { openAddress(Endpoints::homePage(m_settings)); }}});
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menu(help, {{"&Contents", "mnuHelpContents", {}, [this] { ShowHelpContents(); }},
                {nullptr, "", {}, {}},
                {"&About", "mnuHelpAbout", {}, [this] { ShowAbout(); }}});

    // Popped up from the Tracking Number field only; never part of the menu bar.
    m_trackingMenu = new QMenu(QStringLiteral("Tracking Nubers"), this);
    m_trackingMenu->setObjectName(QStringLiteral("munTrackingNumbers"));
    menu(m_trackingMenu, {{"USPS.COM", "munUSPS", {}, [this] { openAddress(Endpoints::uspsTracking(m_settings)); }},
                          {"UPS.COM", "munUPS", {}, [this] { openAddress(Endpoints::upsTracking(m_settings)); }}});
}

void FrmMain::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    QStyle *s = style();
    const struct
    {
        const char *key;
        QStyle::StandardPixmap pixmap;
    } buttons[] = {
        {"New", QStyle::SP_FileIcon},
        {"Open", QStyle::SP_DialogOpenButton},
        {"Save", QStyle::SP_DialogSaveButton},
        {"Cut", QStyle::SP_TrashIcon},
        {"Copy", QStyle::SP_FileDialogContentsView},
        {"Paste", QStyle::SP_FileDialogListView},
        {nullptr, QStyle::SP_CustomBase},
        {"Back", QStyle::SP_ArrowBack},
        {"Next", QStyle::SP_ArrowForward},
        {"Check Email", QStyle::SP_BrowserReload},
        {"Email", QStyle::SP_DirLinkIcon},
        {"Options", QStyle::SP_FileDialogInfoView},
        {"Help", QStyle::SP_DialogHelpButton},
    };
    for (const auto &b : buttons) {
        if (!b.key) {
            m_toolbar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction *a = m_toolbar->addAction(s->standardIcon(b.pixmap), key);
        a->setObjectName(QStringLiteral("Toolbar1_") + QString(key).remove(u' '));
        a->setData(key);
        a->setToolTip(key);
        // Checking the mailbox and the quick email are on the toolbar alone, so their buttons
        // are Tab stops; the others repeat menu commands and stay out of the Tab order.
        if (key == QLatin1String("Check Email") || key == QLatin1String("Email"))
            m_toolbar->widgetForAction(a)->setFocusPolicy(Qt::TabFocus);
    }
    // The button's key decides what it does.
    connect(m_toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { toolbarClick(a->data().toString()); });

    // The quick links live only here too. Built with the toolbar, these stops come first in
    // the Tab order as they do on screen.
    m_internet = new QToolButton;
    m_internet->setObjectName(QStringLiteral("Toolbar1_Internet"));
    m_internet->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    m_internet->setToolTip(QStringLiteral("Internet"));
    m_internet->setAccessibleName(QStringLiteral("Internet"));
    m_internet->setPopupMode(QToolButton::InstantPopup);
    auto *links = new QMenu(m_internet);
    links->setObjectName(QStringLiteral("InternetMenu"));
    m_internet->setMenu(links);
    m_toolbar->addWidget(m_internet)->setData(QStringLiteral("Internet"));
    // After the Internet button, which keeps its place.
    QAction *overview = m_toolbar->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                             QStringLiteral("Sales Overview"));
    overview->setObjectName(QStringLiteral("Toolbar1_SalesOverview"));
    overview->setData(QStringLiteral("Sales Overview"));
}

void FrmMain::fillInternetLinks()
{
    QMenu *links = m_internet->menu();
    links->clear();
    for (const QString &line :
         TextFile::readLines(AppFolder::fileIn(m_appFolder, QStringLiteral("Subjects/quicklinks.sub")),
                             TextFile::Empty::Skip)) {
        QAction *a = links->addAction(line);
        connect(a, &QAction::triggered, this, [this, line] {
            if (!WebLinks::open(line))
                statusBar()->showMessage(
                    QStringLiteral("\"%1\" is not a web address that can be opened.").arg(line),
                    5000);
        });
    }
}

void FrmMain::toolbarClick(const QString &key)
{
    if (key == QLatin1String("New"))
        New();
    else if (key == QLatin1String("Open"))
        OpenTemplate();
    else if (key == QLatin1String("Save"))
        Save();
    else if (key == QLatin1String("Cut"))
        editCommand("cut");
    else if (key == QLatin1String("Copy"))
        editCommand("copy");
    else if (key == QLatin1String("Paste"))
        editCommand("paste");
    else if (key == QLatin1String("Back"))
        MoveBack();
    else if (key == QLatin1String("Next"))
        MoveForward();
    else if (key == QLatin1String("Check Email")) {
        findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        CheckEmail();
    } else if (key == QLatin1String("Email")) {
        if (visiblePanel() == Panel::Record && m_store.hasCurrent())
            ShowQuickEmail(m_store.get(Field::EmailAddress));
    } else if (key == QLatin1String("Options"))
        ShowOptions();
    else if (key == QLatin1String("Help"))
        ShowHelpContents();
    else if (key == QLatin1String("Sales Overview"))
        showSalesOverview(*this);
}

void FrmMain::editCommand(const char *slot)
{
    // Cut and Copy empty the clipboard first: with nothing selected it is left empty, never
    // holding something older that a paste would then put in by surprise.
    if (qstrcmp(slot, "paste") != 0)
        QApplication::clipboard()->clear();
    QWidget *w = QApplication::focusWidget();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        w = combo->lineEdit();
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
        QMetaObject::invokeMethod(w, slot);
}

void FrmMain::New()
{
    switch (visiblePanel()) {
    case Panel::Record:
        m_recordPanel->addRecord();
        setWindowTitle(QStringLiteral("Lotwise - New Record Added."));
        break;
    case Panel::Template:
        m_templatePanel->newTemplate();
        setWindowTitle(QStringLiteral("Lotwise - New Template."));
        break;
    default: break;
    }
}

void FrmMain::Save()
{
    switch (visiblePanel()) {
    case Panel::Record:
        SaveRecords();
        break;
    case Panel::Template: SaveTemplate(); break;
    default: break;
    }
}

void FrmMain::SaveRecords()
{
    // The change typed into the current record is written now, so "saved" is true even if
    // the program never gets to the next move; another seat's newer record is no save.
    bool overtaken = false;
    const QMetaObject::Connection watch =
        connect(&m_store, &RecordStore::changedElsewhere, this, [&overtaken] { overtaken = true; });
    const bool written = trapErrors(QStringLiteral("mnuSave_Click"), [this] { m_store.flush(); });
    disconnect(watch);
    if (written && !overtaken)
        prompts().message(QStringLiteral("Records Saved!"), QStringLiteral("Lotwise"), Prompts::Ok);
}

void FrmMain::MoveBack()
{
    if (visiblePanel() == Panel::Record)
        m_recordPanel->moveBack();
    stepList(false);
}

void FrmMain::MoveForward()
{
    if (visiblePanel() == Panel::Record)
        m_recordPanel->moveForward();
    stepList(true);
}

void FrmMain::stepList(bool forward)
{
    SteppableList *list = visibleList();
    if (!list || list->rowCount() == 0)
        return;
    const int selected = list->selectedRow();
    int next;
    if (selected == 0)
        next = 1; // nothing selected yet: start at the first row
    else if (forward ? selected >= list->rowCount() : selected <= 1)
        return;
    else
        next = forward ? selected + 1 : selected - 1;
    list->selectRow(next);
    list->rowClick(next);
}

void FrmMain::openAddress(const QUrl &url)
{
    if (!WebLinks::isOpenable(url) || !WebLinks::open(url.toString(QUrl::FullyEncoded)))
        m_statusText->setText(QStringLiteral("The page could not be opened."));
}

// The help pages and the about window.
void FrmMain::ShowHelpContents() { Help::openContents(m_appFolder); }

void FrmMain::ShowAbout() { FrmAbout::ShowAbout(this); }
