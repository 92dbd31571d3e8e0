#pragma once

#include <array>

#include "errors/handelerrors.h"
#include "mail/mailer.h"
#include "mainwindow/layout.h"
#include "mainwindow/steppablelist.h"
#include "queues/queuerules.h"

#include <QDate>
#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <optional>

class FrmNotes;
class FrmOptions;
class MailAccountPage;
class QCalendarWidget;
class QComboBox;
class QFrame;
class QMenu;
class QUrl;
class QPlainTextEdit;
class RecordPanel;
class ShipPanel;
class EmailWizardPanel;
class FeedBackPanel;
class UnpaidItemsPanel;
class QueuePanel;
class StatusPicture;
class TemplatePanel;
class ClickLabel;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class RecordStore;
class SettingsStore;

// The main window: task tree and view buttons on the left, one of six panels on the right,
// toolbar, status bar and the reminder blink.
class FrmMain : public QMainWindow
{
    Q_OBJECT
public:
    enum class Panel { Record, Ship, EmailWizard, Template, FeedBack, UnpaidItems };

    FrmMain(RecordStore &store, SettingsStore &settings, const QString &appFolder,
            QWidget *parent = nullptr);
    ~FrmMain() override;

    // The start-up sequence. False when the record store cannot be opened; the reason has
    // been shown and the program should end.
    bool Form_Load();
    bool isLoaded() const { return m_loaded; }

    // Today's date for the lists; the clock unless a test pins it.
    void setTodayProvider(std::function<QDate()> today) { m_today = std::move(today); }
    QDate today() const { return m_today ? m_today() : QDate::currentDate(); }

    RecordStore &store() { return m_store; }
    const QString &appFolder() const { return m_appFolder; }

    // The follow-up lists. Each computes its family's keys and ignores the others.
    void LoadFeedBack(const QString &key);
    void LoadReminders(const QString &key);
    void LoadUnpaidItem(const QString &key);
    void LoadFinalFee(const QString &key);
    void LoadInvoicesToSend();
    void LoadItemsToShip();
    void LoadPaidAuctions();
    // The task tree's node click: shows the node's list on its panel with the panel's
    // preselections. Grouping nodes and unknown keys do nothing.
    void tvTreeView_NodeClick(const QString &key);

    void showPanel(Panel panel);
    Panel visiblePanel() const;
    RecordPanel *recordPanel() const { return m_recordPanel; }
    ShipPanel *shipPanel() const { return m_ship; }
    EmailWizardPanel *emailWizardPanel() const { return m_wizard; }
    FeedBackPanel *feedBackPanel() const { return m_feedback; }
    UnpaidItemsPanel *unpaidItemsPanel() const { return m_unpaid; }

    // The menu bar's and toolbar's commands.
    void New();
    void Save();
    // Save on the record panel: writes the current record's change, then says so.
    void SaveRecords();
    void MoveBack();
    void MoveForward();
    void toolbarClick(const QString &key);
    // The list a list panel steps through; the lists register themselves.
    void setPanelList(Panel panel, SteppableList *list) { m_lists[panel] = list; }
    // The list of the visible panel; nullptr on the record panel and the template editor.
    SteppableList *visibleList() const { return m_lists.value(visiblePanel()); }

    // The splitter's left edge in twips, and the layout for a splitter at x.
    int splitterPosition() const { return m_splitterX; }
    void SizeControls(int x);
    bool helpOn() const { return m_helpOn; }
    // Controls that show the question-mark pointer in Shift help mode, and with `balloon`
    // their help balloon on a press.
    void registerHelpControl(QWidget *control, bool balloon);
    // Gives every column of a list the same share of its width.
    void ResizeListview(QTreeView *list);
    int mouseX() const { return m_mouseX; }
    QCalendarWidget *calendar() const { return m_monthView; }
    void statusBarClick(int panel);
    // The email wizard's mark switch and the feedback panel's notice switch.
    bool markSwitchOn() const;
    bool noticeSwitchOn() const;

    // Mail: the session, the online check and sending the merged Email.txt to the current
    // record's buyer with the email wizard's subject.
    void setMailSessionFactory(Mailer::SessionFactory factory);
    Mailer &mailer() { return *m_mailer; }
    void CheckOnline();
    bool online() const;
    bool LogOn();
    void LogOff();
    bool FetchNewMail();
    bool SendEmail();
    // The current message of the fetched set into the hidden fields Text34 and Label37.
    void DisplayMessage();

    SettingsStore &settings() { return m_settings; }
    // Opens a web or mail address in the desktop's browser or mail program.
    void openAddress(const QUrl &url);
    void showStatus(const QString &text);

    // The options window's "&Apply": the current record's change is written, then the
    // program starts anew. The on-exit report and the placement saving are skipped.
    void Apply();

signals:
    void restartRequested();

public:

    // The lists of the options window's on-exit tab, filled at load.
    const QStringList &onExitSubjects(int which) const { return m_onExitSubjects[which]; }
    // The options window, loaded with the main window; nullptr before Form_Load.
    FrmOptions *options() const { return m_options; }
    // The notes window the task summary and the start-up reminder write to.
    FrmNotes *notes() const { return m_notes; }
    // One on-exit email: Email.txt with the footer, on a session of its own. True only when
    // the mail system accepted it.
    bool OnExitEmail(const QString &recipient, const QString &subject);

    // The reminder blink.
    bool remindersLookedAt() const { return m_remindersLookedAt; }
    void setRemindersLookedAt();
    void startReminderBlink();
    bool reminderAlertShown() const { return m_reminderAlert; }
    QTimer *timer() const { return m_timer1; }
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The role under which a task-tree node keeps its key ("AR1").
    static constexpr int kNodeKeyRole = Qt::UserRole;
    // Steps of the load that other parts of the program fill in.
    void ShowRecordStatus();
    void CheckRemainders();
    void CheckOnExit();
    // Commands whose windows and work come with their own parts of the program.
    void OpenTemplate();
    void SaveTemplate();
    void CheckTasks();
    void CheckEmail();
    void ShowNotes(bool modal);
    void ShowOptions();
    void ShowQuickEmail(const QString &address);
    void ShowHelpContents();
    void ShowAbout();
    void ShowHelpBallon(QWidget *control);
    void loadOptions();

    void buildMenus();
    void applyLayout(const Layout::Result &r);
    // The sizes the layout rules work from, right before and after the window is shown.
    Layout::Input layoutInput() const;
    int heightOf(const QWidget *bar) const;
    void editCommand(const char *slot);
    void stepList(bool forward);
    void setHelpOn(bool on);
    int twips(int pixels) const;
    int pixels(int twips) const;
    void buildUi();
    void buildLeftColumn(QWidget *client);
    void buildPanels();
    void buildToolbar();
    void fillInternetLinks();
    void buildStatusBar();
    void buildTree();
    void fillLists();
    void fillTemplateList();
    void restorePlacement();
    void savePlacement();
    int captionFitWidth() const;
    void showQueue(QueueResult result, bool setTitle);
    QueuePanel *queuePanelFor(QStringView key) const;
    void runQueue(const QString &location, const QString &family, const QString &key);
    void setReminderPicture(bool alert);
    void setOnlinePicture(bool on);
    void updateClock();

    RecordStore &m_store;
    SettingsStore &m_settings;
    QString m_appFolder;
    std::function<QDate()> m_today;
    bool m_loaded = false;

    QWidget *m_client = nullptr;
    QList<QPushButton *> m_viewButtons;
    QFrame *m_splitterBar = nullptr;
    QFrame *m_dragBar = nullptr;
    bool m_dragging = false;
    int m_splitterX = 2000;
    RecordPanel *m_recordPanel = nullptr;
    TemplatePanel *m_templatePanel = nullptr;
    std::unique_ptr<Mailer> m_mailer;
    class BatchCommands *m_batch = nullptr;
    QLabel *m_onlinePicture = nullptr;
    QPlainTextEdit *m_text34 = nullptr;
    QLabel *m_label37 = nullptr;
    ShipPanel *m_ship = nullptr;
    EmailWizardPanel *m_wizard = nullptr;
    FeedBackPanel *m_feedback = nullptr;
    UnpaidItemsPanel *m_unpaid = nullptr;
    QMenu *m_trackingMenu = nullptr;
    QCalendarWidget *m_monthView = nullptr;
    QHash<Panel, SteppableList *> m_lists;
    bool m_helpOn = false;
    QList<QWidget *> m_helpControls;
    QList<QWidget *> m_balloonControls;
    QList<QWidget *> m_calendarHiders;
    int m_mouseX = 0;
    QTreeWidget *m_tree = nullptr;
    QStackedWidget *m_panels = nullptr;
    QHash<Panel, QWidget *> m_panelWidgets;
    QToolBar *m_toolbar = nullptr;
    QToolButton *m_internet = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_reminderPanel = nullptr; // the Reminder panel's picture
    std::array<QFrame *, 4> m_statusPanels{};
    // The "Reminders" command waits for the notes window to close before the blink stops.
    bool m_lookedAtWhenNotesClose = false;
    // A first start places the window itself; once shown, its frame is known and is fitted
    // into the screen too.
    bool m_fitFrameOnShow = false;
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_clock = nullptr;
    QIcon m_normalIcon;
    QIcon m_alertIcon;
    bool m_reminderAlert = false;
    bool m_remindersLookedAt = false;
    QStringList m_onExitSubjects[3];
    FrmOptions *m_options = nullptr;
    MailAccountPage *m_mailAccount = nullptr;
    FrmNotes *m_notes = nullptr;
    Mailer::SessionFactory m_sessionFactory;
    ErrorReporting m_reporting;
};
