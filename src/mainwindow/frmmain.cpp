#include "frmmain.h"

#include "errors/handelerrors.h"
#include "mainwindow/placement.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "platform/textfile.h"
#include "platform/weblinks.h"
#include "records/recordstore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct TreeNode
{
    const char *text;
    const char *key;
    const char *parent; // "" for a root node
    int image;
};

// The task tree, in the order it is built.
constexpr TreeNode kTree[] = {
    {"Invoices to Send", "IS", "", 1},
    {"Items To Ship", "S", "", 2},
    {"Feed Back To Leave", "FB", "", 3},
    {"Feed Back 7 Days Old", "FB1", "FB", 6},
    {"Feed Back 14 Days Old", "FB2", "FB", 6},
    {"Feed Back 21 Days Old", "FB3", "FB", 6},
    {"Feed Back 28 Days Old", "FB4", "FB", 6},
    {"Feed Back 35 Days Old", "FB5", "FB", 6},
    {"All Feed Back", "FB6", "FB", 6},
    {"Auction Reminders", "AR", "", 4},
    {"7 Day Reminder", "AR1", "AR", 6},
    {"14 Day Reminder", "AR2", "AR", 6},
    {"21 Day Reminder", "AR3", "AR", 6},
    {"28 Day Reminder", "AR4", "AR", 6},
    {"35 Day Reminder", "AR5", "AR", 6},
    {"42 Day Reminder", "AR6", "AR", 6},
    {"Send To All", "AR7", "AR", 6},
    {"Report an Unpaid Item", "UPI", "", 5},
    {"Unpaid Items 21 Days", "UPI1", "UPI", 6},
    {"Unpaid Items 28 Days", "UPI2", "UPI", 6},
    {"Unpaid Items 35 Days", "UPI3", "UPI", 6},
    {"All Unpaid Items", "UPI4", "UPI", 6},
    {"Final Value Fee Credit", "FVF", "", 5},
    {"Final Value Fee 42 Days", "FVF1", "FVF", 6},
    {"Final Value Fee 49 Days", "FVF2", "FVF", 6},
    {"Final Value Fee 56 Days", "FVF3", "FVF", 6},
    {"All Final Value Fee credits", "FVF4", "FVF", 6},
    {"Offers View Paid Auctions", "VA", "", 5},
};

constexpr int kKeyRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;

QIcon treeImage(int index)
{
    QStyle *s = QApplication::style();
    switch (index) {
    case 1: return s->standardIcon(QStyle::SP_FileDialogDetailedView);
    case 2: return s->standardIcon(QStyle::SP_ArrowRight);
    case 3: return s->standardIcon(QStyle::SP_DialogYesButton);
    case 4: return s->standardIcon(QStyle::SP_MessageBoxWarning);
    case 5: return s->standardIcon(QStyle::SP_MessageBoxCritical);
    default: return s->standardIcon(QStyle::SP_FileIcon);
    }
}

QIcon loadIcon(const QString &path, const QString &fallback)
{
    QIcon icon(path);
    if (icon.availableSizes().isEmpty())
        icon = QIcon(fallback);
    return icon;
}

QComboBox *makeCombo(const char *name, bool editable)
{
    auto *c = new QComboBox;
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(editable);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

void addItems(QComboBox *combo, const QStringList &items)
{
    for (const QString &i : items)
        combo->addItem(i);
}

} // namespace

FrmMain::FrmMain(RecordStore &store, SettingsStore &settings, const QString &appFolder,
                 QWidget *parent)
    : QMainWindow(parent), m_store(store), m_settings(settings), m_appFolder(appFolder)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lotwise - View Auction Records.."));
    buildUi();
}

FrmMain::~FrmMain() = default;

void FrmMain::buildUi()
{
    m_normalIcon = loadIcon(AppFolder::fileIn(m_appFolder, QStringLiteral("images/lotwise.ico")),
                            QStringLiteral(":/seed/images/lotwise.ico"));
    m_alertIcon = loadIcon(AppFolder::fileIn(m_appFolder, QStringLiteral("images/alert.ico")),
                           QStringLiteral(":/seed/images/alert.ico"));
    setWindowIcon(m_normalIcon);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("imgSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(buildLeftColumn());
    m_panels = new QStackedWidget;
    m_panels->setObjectName(QStringLiteral("panels"));
    m_splitter->addWidget(m_panels);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);

    buildPanels();
    buildToolbar();
    buildStatusBar();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(500);
    connect(m_timer1, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
}

QWidget *FrmMain::buildLeftColumn()
{
    auto *column = new QWidget;
    column->setObjectName(QStringLiteral("leftColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    struct ViewButton
    {
        const char *name;
        const char *caption;
        Panel panel;
        const char *title;
    };
    const ViewButton buttons[] = {
        {"Command1", "Auction Winners", Panel::Record, "Lotwise - View Auction Records.."},
        {"Command2", "Ship Items", Panel::Ship, "Lotwise - Items Need to be Shipped.."},
        {"Command3", "Email Wizard", Panel::EmailWizard, "Lotwise - Email Wizard.."},
        {"Command14", "Leave Feed Back", Panel::FeedBack, "Lotwise - Leave Feed Back.."},
        {"Command4", "Create Template", Panel::Template, "Lotwise - Create Template.."},
    };
    for (const ViewButton &b : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(b.caption));
        button->setObjectName(QString::fromLatin1(b.name));
        layout->addWidget(button);
        const Panel panel = b.panel;
        const QString title = QString::fromLatin1(b.title);
        const bool ship = panel == Panel::Ship;
        connect(button, &QPushButton::clicked, this, [this, panel, title, ship] {
            showPanel(panel);
            setWindowTitle(title);
            if (ship)
                LoadItemsToShip();
        });
    }
    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("tvTreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setAccessibleName(QStringLiteral("Tasks"));
    layout->addWidget(m_tree, 1);
    return column;
}

void FrmMain::buildPanels()
{
    struct PanelDef
    {
        Panel panel;
        const char *name;
        const char *caption;
    };
    const PanelDef panelDefs[] = {
        {Panel::Record, "RecordPanel", "Auction Records"},
        {Panel::Ship, "ShipPanel", "Items to Ship"},
        {Panel::EmailWizard, "EmailWizardPanel", "Email Wizard"},
        {Panel::Template, "TemplatePanel", "Email Template"},
        {Panel::FeedBack, "FeedBackPanel", "Leave Feed Back"},
        {Panel::UnpaidItems, "UnpaidItemsPanel", "Report an Unpaid Item"},
    };
    QHash<Panel, QFormLayout *> forms;
    for (const PanelDef &s : panelDefs) {
        auto *w = new QWidget;
        w->setObjectName(QString::fromLatin1(s.name));
        w->setAccessibleName(QString::fromLatin1(s.caption));
        auto *form = new QFormLayout(w);
        forms.insert(s.panel, form);
        m_panels->addWidget(w);
        m_panelWidgets.insert(s.panel, w);
    }
    m_combo5 = makeCombo("Combo5", false);
    m_combo2 = makeCombo("Combo2", false);
    forms[Panel::Record]->addRow(QStringLiteral("Auction Site"), m_combo5);
    forms[Panel::Record]->addRow(QStringLiteral("Search"), m_combo2);

    m_combo1 = makeCombo("Combo1", true);
    m_file1 = new QListWidget;
    m_file1->setObjectName(QStringLiteral("File1"));
    forms[Panel::EmailWizard]->addRow(QStringLiteral("Subject"), m_combo1);
    forms[Panel::EmailWizard]->addRow(QStringLiteral("Email Templete"), m_file1);

    m_combo3 = makeCombo("Combo3", true);
    forms[Panel::Template]->addRow(QStringLiteral("Email Inputs"), m_combo3);

    m_combo4 = makeCombo("Combo4", true);
    forms[Panel::FeedBack]->addRow(QStringLiteral("Feed Back Notes"), m_combo4);

    for (auto it = forms.cbegin(); it != forms.cend(); ++it) {
        for (int r = 0; r < it.value()->rowCount(); ++r) {
            auto *label = qobject_cast<QLabel *>(
                it.value()->itemAt(r, QFormLayout::LabelRole)->widget());
            QWidget *field = it.value()->itemAt(r, QFormLayout::FieldRole)->widget();
            if (label && field) {
                label->setBuddy(field);
                field->setAccessibleName(label->text());
            }
        }
    }
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
    }
}

void FrmMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    m_statusText = new QLabel(QStringLiteral("Status"));
    m_reminderPanel = new QLabel;
    m_datePanel = new QLabel;
    m_timePanel = new QLabel;
    const char *names[] = {"sbStatusBar_Status", "sbStatusBar_Reminder", "sbStatusBar_Date",
                           "sbStatusBar_Time"};
    QLabel *panels[] = {m_statusText, m_reminderPanel, m_datePanel, m_timePanel};
    for (int i = 0; i < 4; ++i) {
        panels[i]->setObjectName(QString::fromLatin1(names[i]));
        panels[i]->setFrameShape(QFrame::StyledPanel);
        bar->addPermanentWidget(panels[i], i == 0 ? 1 : 0);
    }
    m_reminderPanel->setAccessibleName(QStringLiteral("Reminder"));
    setReminderPicture(false);
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &FrmMain::updateClock);
    m_clock->start();
    updateClock();
}

void FrmMain::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_datePanel->setText(Dates::shortDateText(now.date()));
    m_timePanel->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
}

bool FrmMain::Form_Load()
{
    restorePlacement();

    const QString dbPath = AppFolder::fileIn(m_appFolder, QStringLiteral("Auctions.db"));
    try {
        m_store.open(dbPath);
    } catch (const LotwiseError &e) {
        prompts().message(QStringLiteral("Lotwise cannot open its record store.\r\n\r\n%1")
                              .arg(e.detail().isEmpty() ? e.description() : e.detail()),
                          QStringLiteral("Lotwise"), Prompts::Ok, Prompts::Icon::Critical);
        return false;
    }
    connect(&m_store, &RecordStore::repositioned, this, &FrmMain::ShowRecordStatus,
            Qt::UniqueConnection);
    ShowRecordStatus();

    fillLists();

    m_internet = new QToolButton;
    m_internet->setObjectName(QStringLiteral("Toolbar1_Internet"));
    m_internet->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    m_internet->setToolTip(QStringLiteral("Internet"));
    m_internet->setAccessibleName(QStringLiteral("Internet"));
    m_internet->setPopupMode(QToolButton::InstantPopup);
    auto *links = new QMenu(m_internet);
    links->setObjectName(QStringLiteral("InternetMenu"));
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
    m_internet->setMenu(links);
    m_toolbar->addWidget(m_internet)->setData(QStringLiteral("Internet"));

    fillTemplateList();
    buildTree();
    CheckOnline();
    m_loaded = true;
    CheckRemainders();
    LogOn();
    return true;
}

void FrmMain::fillLists()
{
    const auto subjectFile = [this](const char *name) {
        return TextFile::readLines(
            AppFolder::fileIn(m_appFolder, QStringLiteral("Subjects/") + QLatin1String(name)),
            TextFile::Empty::Skip);
    };
    addItems(m_combo5, {QStringLiteral("eBay"), QStringLiteral("Yahoo")});
    addItems(m_combo2, {QStringLiteral("User Name"), QStringLiteral("Email Address"),
                        QStringLiteral("Name/Address")});
    addItems(m_combo3,
             {"*Auction_Close_Date*", "*Auction_Name*", "*Auction_Number*", "*Auction_Total*",
              "*User_Name*", "*Email_Address*", "*Address*", "*Invoice_Sent_Date*",
              "*Payment_Date*", "*Shipping_Date*", "*Tracking_Number*"});
    addItems(m_combo3, subjectFile("emailinputsub.sub"));
    m_combo3->setCurrentIndex(0);
    addItems(m_combo1, {"Auction Invoice", "Payment Received", "Item Shipped", "Feed Back Given",
                        "Auction Payment Remainder 7 Days Past Due",
                        "Auction Payment Remainder 14 Days Past Due",
                        "Auction Payment Remainder 21 Days Past Due",
                        "Auction Payment Remainder 28 Days Past Due",
                        "Auction Payment Remainder 35 Days Past Due",
                        "Auction Payment Remainder 42 Days Past Due", "Non-Paying Bidder Alert"});
    m_onExitSubjects[0] = {QStringLiteral("Auction Invoice")};
    m_onExitSubjects[1] = {QStringLiteral("Payment Received")};
    m_onExitSubjects[2] = {QStringLiteral("Feed Back Given")};
    const QStringList subjects = subjectFile("emailsub.sub");
    addItems(m_combo1, subjects);
    for (QStringList &list : m_onExitSubjects)
        list += subjects;
    m_combo4->addItem(QStringLiteral("Payment Recived"));
    addItems(m_combo4, subjectFile("feedbacksub.sub"));
    m_combo4->setEditText(QStringLiteral("Thanks For Bidding"));
}

void FrmMain::fillTemplateList()
{
    m_file1->clear();
    const QDir dir(AppFolder::fileIn(m_appFolder, QStringLiteral("Email Templates")));
    m_file1->addItems(dir.entryList({QStringLiteral("*.elm")}, QDir::Files, QDir::Name));
}

void FrmMain::buildTree()
{
    m_tree->clear();
    QHash<QString, QTreeWidgetItem *> byKey;
    for (const TreeNode &n : kTree) {
        const QString parentKey = QString::fromLatin1(n.parent);
        auto *item = parentKey.isEmpty() ? new QTreeWidgetItem(m_tree)
                                         : new QTreeWidgetItem(byKey.value(parentKey));
        item->setText(0, QString::fromLatin1(n.text));
        item->setData(0, kKeyRole, QString::fromLatin1(n.key));
        item->setData(0, kImageRole, n.image);
        item->setIcon(0, treeImage(n.image));
        byKey.insert(QString::fromLatin1(n.key), item);
    }
}

void FrmMain::restorePlacement()
{
    const Placement p = Placement::read(m_settings);
    const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96.0;
    setGeometry(twipsToPixels(p.left, dpi), twipsToPixels(p.top, dpi),
                twipsToPixels(p.width, dpi), twipsToPixels(p.height, dpi));
    const int left = twipsToPixels(p.splitter, dpi);
    m_splitter->setSizes({left, std::max(1, width() - left)});
}

void FrmMain::savePlacement()
{
    const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96.0;
    Placement p;
    const QRect g = geometry();
    p.left = pixelsToTwips(g.x(), dpi);
    p.top = pixelsToTwips(g.y(), dpi);
    p.width = pixelsToTwips(g.width(), dpi);
    p.height = pixelsToTwips(g.height(), dpi);
    p.splitter = pixelsToTwips(m_splitter->sizes().value(0), dpi);
    p.save(m_settings);
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    CheckOnExit();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && !w->inherits("QMenu"))
            w->close();
    }
    if (!isMinimized())
        savePlacement();
    m_timer1->stop();
    trapErrors(QStringLiteral("Form_Unload"), [this] { m_store.close(); });
    event->accept();
}

void FrmMain::showPanel(Panel panel) { m_panels->setCurrentWidget(m_panelWidgets.value(panel)); }

FrmMain::Panel FrmMain::visiblePanel() const
{
    return m_panelWidgets.key(m_panels->currentWidget(), Panel::Record);
}

void FrmMain::showQueue(const QueueResult &result, bool setTitle)
{
    if (setTitle)
        setWindowTitle(result.title);
    m_shownQueue = result;
    emit queueShown(*m_shownQueue);
}

void FrmMain::runQueue(const QString &location, const QString &family, const QString &key)
{
    if (Queues::family(key) != family)
        return;
    const QueueRule *rule = Queues::rule(key);
    if (!rule)
        return;
    trapErrors(location, [&] { showQueue(Queues::compute(m_store, *rule, today()), true); });
}

void FrmMain::LoadFeedBack(const QString &key)
{
    runQueue(QStringLiteral("Sub_LoadFeedBack"), QStringLiteral("FB"), key);
}

void FrmMain::LoadReminders(const QString &key)
{
    runQueue(QStringLiteral("Sub_LoadReminders"), QStringLiteral("AR"), key);
}

void FrmMain::LoadUnpaidItem(const QString &key)
{
    showPanel(Panel::UnpaidItems);
    runQueue(QStringLiteral("Sub_LoadUnpaidItem"), QStringLiteral("UPI"), key);
}

void FrmMain::LoadFinalFee(const QString &key)
{
    showPanel(Panel::UnpaidItems);
    runQueue(QStringLiteral("Sub_LoadFinalFee"), QStringLiteral("FVF"), key);
}

void FrmMain::LoadInvoicesToSend()
{
    trapErrors(QStringLiteral("Sub_LoadInvoicesToSend"), [this] {
        showQueue(Queues::compute(m_store, *Queues::rule(u"IS"), today()), true);
    });
}

void FrmMain::LoadItemsToShip()
{
    // The ship list's title comes with its panel, before the list is computed.
    trapErrors(QStringLiteral("Sub_LoadItemsToShip"), [this] {
        showQueue(Queues::compute(m_store, *Queues::rule(u"S"), today()), false);
    });
}

void FrmMain::LoadPaidAuctions()
{
    trapErrors(QStringLiteral("Sub_LoadPaidAuctions"), [this] {
        showQueue(Queues::compute(m_store, *Queues::rule(u"VA"), today()), true);
    });
}

void FrmMain::setReminderPicture(bool alert)
{
    m_reminderAlert = alert;
    const QIcon &icon = alert ? m_alertIcon : m_normalIcon;
    m_reminderPanel->setPixmap(icon.pixmap(16, 16));
    m_reminderPanel->setToolTip(QStringLiteral("Reminder"));
}

void FrmMain::setRemindersLookedAt() { m_remindersLookedAt = true; }

void FrmMain::startReminderBlink() { m_timer1->start(); }

void FrmMain::Timer1_Timer()
{
    if (m_remindersLookedAt) {
        setReminderPicture(false);
        setWindowIcon(m_normalIcon);
        m_timer1->stop();
    } else if (m_reminderAlert) {
        setReminderPicture(false);
        setWindowIcon(m_normalIcon);
    } else {
        setReminderPicture(true);
        setWindowIcon(m_alertIcon);
    }
}

// Drawn by the record panel.
void FrmMain::ShowRecordStatus() {}
// The mail layer's online check.
void FrmMain::CheckOnline() {}
// The start-up reminder; it starts the blink when something is overdue.
void FrmMain::CheckRemainders() {}
// Opens the mail session.
void FrmMain::LogOn() {}
// The on-exit report.
void FrmMain::CheckOnExit() {}
