#include "frmmain.h"

#include "windows/frmhelpballon.h"
#include "windows/frmnotes.h"
#include "errors/handelerrors.h"
#include "mail/mailaccountpage.h"
#include "mail/templates.h"
#include "options/frmoptions.h"
#include "options/storepage.h"
#include "tasks/onexitreport.h"
#include "tasks/reminders.h"
#include "tasks/tasksummary.h"
#include "mainwindow/layout.h"
#include "mail/frmemail.h"
#include "mail/noticeintake.h"
#include "mainwindow/progressdialog.h"
#include "platform/busycursor.h"
#include "mainwindow/batchcommands.h"
#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/feedbackpanel.h"
#include "mainwindow/recordpanel.h"
#include "mainwindow/shippanel.h"
#include "mainwindow/unpaiditemspanel.h"
#include "mainwindow/statuspicture.h"
#include "mainwindow/storesafety.h"
#include "mainwindow/taskimages.h"
#include "mainwindow/templatepanel.h"
#include "platform/endpoints.h"
#include "platform/appfolder.h"
#include "platform/dates.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "platform/textfile.h"
#include "records/recordstore.h"
#include "mainwindow/printbuttons.h"
#include "reports/sellerpage.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
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

constexpr int kImageRole = Qt::UserRole + 1;

QIcon loadIcon(const QString &path, const QString &fallback)
{
    QIcon icon(path);
    if (icon.availableSizes().isEmpty())
        icon = QIcon(fallback);
    return icon;
}

void addItems(QComboBox *combo, const QStringList &items)
{
    for (const QString &i : items)
        combo->addItem(i);
}

} // namespace

FrmMain::FrmMain(RecordStore &store, SettingsStore &settings, const QString &appFolder,
                 QWidget *parent)
    : QMainWindow(parent), m_store(store), m_settings(settings), m_appFolder(appFolder),
      m_mailer(std::make_unique<Mailer>(settings, appFolder))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Lotwise - View Auction Records.."));
    buildUi();
    // One filter for the whole window: Shift help mode, the splitter drag, the status bar's
    // panels and the pointer rules of the calendar and the link label.
    qApp->installEventFilter(this);
}

FrmMain::~FrmMain()
{
    // The handler must not call back into a window that is gone.
    if (m_options)
        setErrorReporting(nullptr);
}

void FrmMain::buildUi()
{
    m_normalIcon = loadIcon(AppFolder::fileIn(m_appFolder, QStringLiteral("images/lotwise.ico")),
                            QStringLiteral(":/seed/images/lotwise.ico"));
    m_alertIcon = loadIcon(AppFolder::fileIn(m_appFolder, QStringLiteral("images/alert.ico")),
                           QStringLiteral(":/seed/images/alert.ico"));
    setWindowIcon(m_normalIcon);

    // First, so that the toolbar's Tab stops lead the window's Tab order.
    buildToolbar();
    // The left column, the panels and the splitter are placed by SizeControls, not by a
    // layout manager, so the window keeps the same rules at every size.
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    buildLeftColumn(m_client);
    m_panels = new QStackedWidget(m_client);
    m_panels->setObjectName(QStringLiteral("panels"));
    m_splitterBar = new QFrame(m_client);
    m_splitterBar->setObjectName(QStringLiteral("imgSplitter"));
    m_splitterBar->setCursor(Qt::SplitHCursor);
    m_dragBar = new QFrame(m_client);
    m_dragBar->setObjectName(QStringLiteral("picSplitter"));
    m_dragBar->setFrameShape(QFrame::Box);
    m_dragBar->setAutoFillBackground(true);
    m_dragBar->setBackgroundRole(QPalette::Dark);
    m_dragBar->hide();

    buildPanels();
    buildMenus();
    buildStatusBar();

    // The last fetched page or message and its subject, for the notice readers.
    m_text34 = new QPlainTextEdit(this);
    m_text34->setObjectName(QStringLiteral("Text34"));
    m_text34->hide();
    m_label37 = new QLabel(this);
    m_label37->setObjectName(QStringLiteral("Label37"));
    m_label37->hide();

    m_monthView = new QCalendarWidget(m_client);
    m_monthView->setObjectName(QStringLiteral("MonthView1"));
    m_monthView->setGridVisible(true);
    m_monthView->hide();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(500);
    connect(m_timer1, &QTimer::timeout, this, &FrmMain::Timer1_Timer);

    // The design positions, for windows too small to be laid out.
    Layout::Input design;
    design.windowWidth = Layout::kMinClientWidth;
    design.clientWidth = Layout::kMinClientWidth;
    design.clientHeight = Layout::kMinClientHeight;
    design.toolbarHeight = twips(m_toolbar->sizeHint().height());
    design.statusBarHeight = twips(statusBar()->sizeHint().height());
    applyLayout(Layout::sizeControls(design, m_splitterX));
}

void FrmMain::buildLeftColumn(QWidget *client)
{
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
        auto *button = new QPushButton(QString::fromLatin1(b.caption), client);
        button->setObjectName(QString::fromLatin1(b.name));
        m_viewButtons.append(button);
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
    m_tree = new QTreeWidget(client);
    m_tree->setObjectName(QStringLiteral("tvTreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setAccessibleName(QStringLiteral("Tasks"));
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        tvTreeView_NodeClick(item->data(0, kNodeKeyRole).toString());
    });
    // The tree's nodes are fixed: built with the window, so the first layout can measure
    // their captions.
    buildTree();
}

void FrmMain::buildPanels()
{
    m_recordPanel = new RecordPanel(m_store);
    m_recordPanel->setTodayProvider([this] { return today(); });
    m_panels->addWidget(m_recordPanel);
    m_panelWidgets.insert(Panel::Record, m_recordPanel);
    connect(m_recordPanel, &RecordPanel::statusMessage, this,
            [this](const QString &t) { m_statusText->setText(t); });
    connect(m_recordPanel, &RecordPanel::itemPageRequested, this, [this](const QString &number) {
        openAddress(Endpoints::itemPage(m_settings, number));
    });
    connect(m_recordPanel, &RecordPanel::trackingMenuRequested, this,
            [this](const QPoint &at) { m_trackingMenu->popup(at); });

    m_ship = new ShipPanel(m_store);
    // The switch's picture does not flip while the all-reminders list is shown; its caption
    // always does.
    m_wizard = new EmailWizardPanel(m_store, [this] { return m_batch->markSwitchMayFlip(); });
    m_wizard->setFooter(Mailer::footer(m_settings));
    m_feedback = new FeedBackPanel(m_store);
    m_unpaid = new UnpaidItemsPanel(m_store);
    const std::pair<Panel, QueuePanel *> lists[] = {{Panel::Ship, m_ship},
                                                    {Panel::EmailWizard, m_wizard},
                                                    {Panel::FeedBack, m_feedback},
                                                    {Panel::UnpaidItems, m_unpaid}};
    for (const auto &[panel, list] : lists) {
        m_panels->addWidget(list);
        m_panelWidgets.insert(panel, list);
        setPanelList(panel, list);
        connect(list, &QueuePanel::titleChanged, this, &QWidget::setWindowTitle);
        connect(list, &QueuePanel::statusMessage, this,
                [this](const QString &t) { m_statusText->setText(t); });
    }
    connect(m_ship->reloadButton(), &QPushButton::clicked, this, &FrmMain::LoadItemsToShip);
    m_batch = new BatchCommands(*this);
    connect(m_wizard->actionButton(), &QPushButton::clicked, m_batch, &BatchCommands::Send);
    connect(m_feedback->actionButton(), &QPushButton::clicked, m_batch, &BatchCommands::markFeedBack);
    connect(m_unpaid->actionButton(), &QPushButton::clicked, m_batch, &BatchCommands::markUnpaid);
    connect(m_ship->actionButton(), &QPushButton::clicked, m_batch, &BatchCommands::markShipped);
    connect(m_unpaid->link(), &ClickLabel::clicked, m_batch, &BatchCommands::openDisputePage);
    new PrintButtons(*this);
    // Over the unpaid items list the question-mark pointer shows in help mode, with no balloon.
    registerHelpControl(m_unpaid->list()->viewport(), false);
    m_templatePanel = new TemplatePanel(m_appFolder);
    m_panels->addWidget(m_templatePanel);
    m_panelWidgets.insert(Panel::Template, m_templatePanel);
    connect(m_templatePanel, &TemplatePanel::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_templatePanel, &TemplatePanel::statusMessage, this,
            [this](const QString &t) { m_statusText->setText(t); });
    for (QWidget *w : m_templatePanel->helpControls())
        registerHelpControl(w, true);

    // Moving the pointer over these hides the calendar of the status bar's date panel.
    QList<QWidget *> hiders = m_recordPanel->surfaces();
    hiders << m_recordPanel->fieldEditor(Field::Notes)
           << m_recordPanel->findChild<QWidget *>(QStringLiteral("fraAuctionRecords"))
           << m_recordPanel->findChild<QWidget *>(QStringLiteral("fraUnpaid"));
    for (QWidget *w : std::as_const(hiders)) {
        if (!w)
            continue;
        w->setMouseTracking(true);
        m_calendarHiders.append(w);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(w)) {
            area->viewport()->setMouseTracking(true);
            m_calendarHiders.append(area->viewport());
        }
    }
}

bool FrmMain::markSwitchOn() const { return m_wizard->markSwitch()->isOn(); }
bool FrmMain::noticeSwitchOn() const { return m_feedback->noticeSwitch()->isOn(); }

bool FrmMain::Form_Load()
{
    restorePlacement();
    loadOptions();

    StoreSafety safety(m_store, m_settings, m_appFolder);
    if (!safety.open(today()))
        return false;
    safety.backupAtOpen(QDateTime(today(), QTime::currentTime()));
    connect(&m_store, &RecordStore::repositioned, this, &FrmMain::ShowRecordStatus,
            Qt::UniqueConnection);
    // Another seat wrote the record first: say which, with what was typed here.
    disconnect(&m_store, &RecordStore::changedElsewhere, this, nullptr);
    connect(&m_store, &RecordStore::changedElsewhere, this, [](const StoreConflict &c) {
        prompts().message(c.message(), QStringLiteral("Lotwise"), Prompts::Ok,
                          Prompts::Icon::Warning);
    });
    ShowRecordStatus();

    fillLists();
    fillInternetLinks();
    fillTemplateList();
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
    m_templatePanel->setInputs(subjectFile("emailinputsub.sub"));
    QComboBox *subject = m_wizard->subjectBox();
    addItems(subject, {"Auction Invoice", "Payment Received", "Item Shipped", "Feed Back Given",
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
    addItems(subject, subjects);
    for (QStringList &list : m_onExitSubjects)
        list += subjects;
    m_feedback->fillNotes(subjectFile("feedbacksub.sub"));
}

void FrmMain::fillTemplateList()
{
    m_wizard->fillTemplates(Templates::templatesFolder(m_appFolder));
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
        // A caption cut by a narrow column can still be read.
        item->setToolTip(0, item->text(0));
        item->setData(0, kNodeKeyRole, QString::fromLatin1(n.key));
        item->setData(0, kImageRole, n.image);
        item->setIcon(0, taskImage(n.image));
        byKey.insert(QString::fromLatin1(n.key), item);
    }
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
    StoreSafety(m_store, m_settings, m_appFolder).backupAtClose(QDateTime(today(), QTime::currentTime()));
    event->accept();
}

void FrmMain::showPanel(Panel panel)
{
    QWidget *w = m_panelWidgets.value(panel);
    m_panels->setCurrentWidget(w);
    if (panel == Panel::Record) {
        // A list panel may have written into the current record meanwhile.
        ShowRecordStatus();
        return;
    }
    // Columns get equal shares the first time a list is seen at its real width.
    auto *list = qobject_cast<QueuePanel *>(w);
    if (list && isVisible() && !list->property("columnsFitted").toBool()) {
        list->layout()->activate();
        ResizeListview(list->list());
        list->setProperty("columnsFitted", true);
    }
}

FrmMain::Panel FrmMain::visiblePanel() const
{
    return m_panelWidgets.key(m_panels->currentWidget(), Panel::Record);
}

QueuePanel *FrmMain::queuePanelFor(QStringView key) const
{
    const QString f = Queues::family(key);
    if (f == u"S")
        return m_ship;
    if (f == u"FB")
        return m_feedback;
    if (f == u"UPI" || f == u"FVF")
        return m_unpaid;
    return m_wizard;
}

void FrmMain::showQueue(QueueResult result, bool setTitle)
{
    if (setTitle)
        setWindowTitle(result.title);
    QueuePanel *panel = queuePanelFor(result.key);
    panel->setQueue(std::move(result));
    // Every computation fits the columns to the list's width as it is now.
    if (panel->isVisible()) {
        panel->layout()->activate();
        ResizeListview(panel->list());
    }
}

void FrmMain::tvTreeView_NodeClick(const QString &key)
{
    // Each step stands alone: one that fails does not keep the ones after it from running.
    const auto step = [](auto &&body) {
        try {
            body();
        } catch (...) {
        }
    };
    const auto preselect = [&](const QString &subject, const QString &templateFile) {
        step([&] { m_wizard->subjectBox()->setEditText(subject); });
        step([&] { m_wizard->selectTemplate(templateFile); });
    };
    if (!Queues::rule(key))
        return; // a grouping node
    const QString family = Queues::family(key);
    if (key == u"IS") {
        step([&] { m_viewButtons[2]->click(); });
        step([&] { m_wizard->setMarkControlsVisible(true); });
        preselect(QStringLiteral("Auction Invoice"), QStringLiteral("Auction Invoice.elm"));
        step([&] { LoadInvoicesToSend(); });
    } else if (key == u"S") {
        step([&] { m_viewButtons[1]->click(); });
    } else if (key == u"VA") {
        step([&] { m_viewButtons[2]->click(); });
        step([&] { m_wizard->setMarkControlsVisible(false); });
        step([&] { LoadPaidAuctions(); });
    } else if (family == u"FB") {
        step([&] { m_viewButtons[3]->click(); });
        step([&] { LoadFeedBack(key); });
    } else if (family == u"AR") {
        step([&] { m_viewButtons[2]->click(); });
        const int level = key.mid(2).toInt(); // AR1 .. AR7
        if (level == 7)
            preselect(QStringLiteral("Auction Payment Remainder Payment Past Due"),
                      QStringLiteral("Auction Invoice.elm"));
        else
            preselect(QStringLiteral("Auction Payment Remainder %1 Days Past Due").arg(level * 7),
                      QStringLiteral("Reminder %1 days.elm").arg(level * 7));
        step([&] { LoadReminders(key); });
    } else if (family == u"UPI") {
        step([&] { LoadUnpaidItem(key); });
    } else if (family == u"FVF") {
        step([&] { LoadFinalFee(key); });
    }
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
    m_unpaid->setLinkCaption(UnpaidItemsPanel::disputeCaption());
    runQueue(QStringLiteral("Sub_LoadUnpaidItem"), QStringLiteral("UPI"), key);
}

void FrmMain::LoadFinalFee(const QString &key)
{
    showPanel(Panel::UnpaidItems);
    m_unpaid->setLinkCaption(UnpaidItemsPanel::feeCreditCaption());
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

void FrmMain::ShowRecordStatus() { m_recordPanel->ShowRecordStatus(); }

void FrmMain::setMailSessionFactory(Mailer::SessionFactory factory)
{
    m_sessionFactory = factory;
    m_mailer->setSessionFactory(std::move(factory));
}

void FrmMain::loadOptions()
{
    // Loaded before anything can fail, so that the first error already finds its switches.
    m_options = new FrmOptions(m_appFolder, this);
    m_reporting.keepLog = [this] { return m_options->keepLog(); };
    m_reporting.sendReport = [this] { return m_options->sendErrorReport(); };
    m_reporting.logPath = AppFolder::fileIn(m_appFolder, QStringLiteral("errorlog.log"));
    m_reporting.mailReport = [this](const QString &body) {
        m_mailer->sendBody(Endpoints::errorReportAddress(m_settings),
                           QStringLiteral("ERROR Reported in Lotwise"), body, false);
    };
    m_reporting.status = [this](const QString &text) { showStatus(text); };
    setErrorReporting(&m_reporting);

    m_mailAccount = new MailAccountPage(m_settings, [this]() -> std::unique_ptr<MailSession> {
        if (!m_sessionFactory)
            throw LotwiseError(ErrorCode::MailNotSetUp);
        return m_sessionFactory();
    });
    m_options->addPage(m_mailAccount, QStringLiteral("Mail Account"));
    m_options->addPage(new StorePage(m_settings), QStringLiteral("Record Store"));
    m_options->addPage(new SellerPage(m_settings), QStringLiteral("Seller"));
    m_options->setErrorReportsOpener([this] { openAddress(Endpoints::errorReportsPage(m_settings)); });
    connect(m_options, &FrmOptions::restartRequested, this, &FrmMain::Apply);
    connect(m_options, &QDialog::finished, this, [this] {
        // A changed account is used from now on, not only after a restart.
        if (m_mailAccount->takeChanged()) {
            LogOff();
            LogOn();
        }
    });

    m_notes = new FrmNotes(this);
    connect(m_notes, &FrmNotes::closedByUser, this, [this] {
        if (std::exchange(m_lookedAtWhenNotesClose, false))
            setRemindersLookedAt();
        show();
        raise();
        activateWindow();
    });
}

void FrmMain::CheckOnline()
{
    m_text34->clear();
    m_mailer->CheckOnline();
    m_text34->setPlainText(m_mailer->pageText());
    setOnlinePicture(m_mailer->online());
    if (!m_mailer->online() && !m_mailer->offlineReason().isEmpty())
        m_onlinePicture->setToolTip(QStringLiteral("Offline: ") + m_mailer->offlineReason());
}

bool FrmMain::online() const { return m_mailer->online(); }
bool FrmMain::LogOn() { return m_mailer->LogOn(); }
void FrmMain::LogOff() { m_mailer->SignOff(); }
bool FrmMain::FetchNewMail() { return m_mailer->FetchNewMail(); }

bool FrmMain::SendEmail()
{
    // Never a mail on no record: there is no buyer to address.
    if (!m_store.hasCurrent())
        return false;
    return m_mailer->SendEmail(m_store.get(Field::EmailAddress),
                               m_wizard->subjectBox()->currentText());
}

void FrmMain::DisplayMessage()
{
    trapErrors(QStringLiteral("Sub_DisplayMessage"), [this] {
        MailSession *session = m_mailer->session();
        if (!session)
            throw LotwiseError(ErrorCode::MailNotSetUp);
        m_text34->setPlainText(session->MsgNoteText());
        m_label37->setText(session->MsgSubject());
    });
}

void FrmMain::Apply()
{
    // Whatever was typed into the current record is kept across the restart.
    if (!trapErrors(QStringLiteral("frmOptions-Apply"), [this] { m_store.close(); }))
        return;
    emit restartRequested();
}
// The mail layer's online check.
// The start-up reminder; it starts the blink when something is overdue.
void FrmMain::CheckRemainders()
{
    const QString path = AppFolder::fileIn(m_appFolder, QString::fromLatin1(OptionFiles::RemindersFile));
    if (!QFileInfo::exists(path))
        return;
    const bool done = trapErrors(QStringLiteral("frmOptions-Sub_OpenReminders"), [&] {
        OptionFiles::Reminders reminders;
        reminders.read(path);
        m_notes->clear();
        for (const QString &line : StartupReminders::lines(m_store, reminders, today()))
            m_notes->addLine(line);
        // The check walks the records and leaves the first one current.
        if (m_store.recordCount() > 0)
            m_store.moveFirst();
    });
    if (done && m_notes->lineCount() > 0)
        startReminderBlink();
}
// Opens the mail session.
// The on-exit report.
void FrmMain::CheckOnExit()
{
    if (!m_options || !m_store.isOpen())
        return;
    const OptionFiles::OnExit choices = m_options->onExitChoices();
    OnExitReport::Mailing mailing;
    mailing.merge = [this](const QString &templatePath) {
        return ReplaceEmail(m_store, m_appFolder, templatePath);
    };
    mailing.send = [this](const QString &to, const QString &subject) { return OnExitEmail(to, subject); };
    mailing.sendErrorLog = [] { SendError(); };
    BusyCursor busy;
    const OnExitReport::Tally tally =
        OnExitReport::run(m_store, choices, m_appFolder, today(), mailing);
    QStringList said = tally.skipped;
    if (!tally.skipped.isEmpty()) {
        // Nobody reads the status bar of a window that is closing: the log keeps each
        // skipped mailing, and one box says it before the window goes.
        for (const QString &line : tally.skipped)
            ReportQuietly(QStringLiteral("frmOptions-Sub_OpenOnExit"), ErrorCode::FileNotFound,
                          line);
        prompts().message(tally.skipped.join(QStringLiteral("\r\n\r\n")), QStringLiteral("Lotwise"),
                          Prompts::Ok, Prompts::Icon::Warning);
    }
    if (tally.error) {
        handleCaught(QStringLiteral("frmOptions-Sub_OpenOnExit"), tally.error);
        if (!tally.mailedUnmarked.isEmpty())
            said << QStringLiteral("%1 was mailed but could not be marked.").arg(tally.mailedUnmarked);
    }
    if (!said.isEmpty())
        showStatus(said.join(u' '));
}

bool FrmMain::OnExitEmail(const QString &recipient, const QString &subject)
{
    // Each mail has a session of its own; sending signs it on, so a refused sign-on is
    // reported as the send's failure.
    Mailer own(m_settings, m_appFolder);
    own.setSessionFactory(m_sessionFactory);
    const bool sent = own.SendEmail(recipient, subject);
    own.SignOff();
    return sent;
}
void FrmMain::OpenTemplate()
{
    if (visiblePanel() == Panel::Template)
        m_templatePanel->OpenTemplate();
}

void FrmMain::SaveTemplate() { m_templatePanel->SaveTemplate(); }
// Signs off the mail session.
// "Tasks To Complete" in the notes window.
void FrmMain::CheckTasks()
{
    {
        BusyCursor busy;
        trapErrors(QStringLiteral("munTasks_Click"), [this] {
            for (const QString &line : TaskSummary::lines(m_store, today()))
                m_notes->addLine(line);
        });
    }
    ShowRecordStatus();
    ShowNotes(true);
}
void FrmMain::CheckEmail()
{
    if (!FetchNewMail() || !m_mailer->session())
        return;
    NoticeIntake intake(*m_mailer->session(), m_store, m_appFolder, today());
    intake.setAddressPage(Endpoints::yahooMyAuctions(m_settings),
                          [this](const QUrl &page) { openAddress(page); });
    intake.setProgress(progressDialog(this, QStringLiteral("Reading message")));
    {
        BusyCursor busy;
        intake.eBayCheckForItems();
        intake.setProgress(progressDialog(this, QStringLiteral("Reading message")));
        intake.YahooCheckForItems();
    }
    ShowRecordStatus();
    const NoticeIntake::Tally &t = intake.tally();
    showStatus(QStringLiteral("Check Email: %1 added, %2 passed over as already taken in.")
                   .arg(t.added == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(t.added))
                   .arg(t.passedOver == 1 ? QStringLiteral("1 notice")
                                          : QStringLiteral("%1 notices").arg(t.passedOver)));
}
// The notes window.
void FrmMain::ShowNotes(bool modal)
{
    if (modal)
        m_notes->showModal();
    else
        m_notes->showModeless();
}
// The options window, modal to this one.
void FrmMain::ShowOptions()
{
    // Every opening starts as a fresh window would: what the files hold now, the template
    // folder as it is now, the first list in the editor.
    m_options->load();
    for (int which = 0; which < 3; ++which)
        m_options->setOnExitSubjects(which, m_onExitSubjects[which].mid(1));
    m_mailAccount->load();
    m_options->open();
}
void FrmMain::ShowQuickEmail(const QString &address)
{
    auto *window = new FrmEmail(*m_mailer, m_store, m_appFolder, [this] {
        CheckOnline();
        return online();
    }, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAddress(address);
    // Modal to this window, without stopping the program's own event handling.
    window->open();
}
// The help balloon of a help-enabled control; its callers give no text of their own.
void FrmMain::ShowHelpBallon(QWidget *)
{
    setHelpOn(false);
    FrmHelpBallon::ShowHelpBallon({}, this);
}

