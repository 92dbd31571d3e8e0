#pragma once

#include "queues/queuerules.h"

#include <QDate>
#include <QHash>
#include <QIcon>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTimer;
class QToolBar;
class QToolButton;
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
    // The list last computed, as its panel shows it.
    const std::optional<QueueResult> &shownQueue() const { return m_shownQueue; }

    void showPanel(Panel panel);
    Panel visiblePanel() const;

    // The lists of the options window's on-exit tab, filled at load.
    const QStringList &onExitSubjects(int which) const { return m_onExitSubjects[which]; }

    // The reminder blink.
    bool remindersLookedAt() const { return m_remindersLookedAt; }
    void setRemindersLookedAt();
    void startReminderBlink();
    bool reminderAlertShown() const { return m_reminderAlert; }
    QTimer *timer() const { return m_timer1; }
    void Timer1_Timer();

signals:
    void queueShown(const QueueResult &result);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Steps of the load that other parts of the program fill in.
    void ShowRecordStatus();
    void CheckOnline();
    void CheckRemainders();
    void LogOn();
    void CheckOnExit();

    void buildUi();
    QWidget *buildLeftColumn();
    void buildPanels();
    void buildToolbar();
    void buildStatusBar();
    void buildTree();
    void fillLists();
    void fillTemplateList();
    void restorePlacement();
    void savePlacement();
    void showQueue(const QueueResult &result, bool setTitle);
    void runQueue(const QString &location, const QString &family, const QString &key);
    void setReminderPicture(bool alert);
    void updateClock();

    RecordStore &m_store;
    SettingsStore &m_settings;
    QString m_appFolder;
    std::function<QDate()> m_today;
    bool m_loaded = false;

    QSplitter *m_splitter = nullptr;
    QTreeWidget *m_tree = nullptr;
    QStackedWidget *m_panels = nullptr;
    QHash<Panel, QWidget *> m_panelWidgets;
    QToolBar *m_toolbar = nullptr;
    QToolButton *m_internet = nullptr;
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    QComboBox *m_combo3 = nullptr;
    QComboBox *m_combo4 = nullptr;
    QComboBox *m_combo5 = nullptr;
    QListWidget *m_file1 = nullptr;
    QLabel *m_statusText = nullptr;
    QLabel *m_reminderPanel = nullptr;
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_clock = nullptr;
    QIcon m_normalIcon;
    QIcon m_alertIcon;
    bool m_reminderAlert = false;
    bool m_remindersLookedAt = false;
    QStringList m_onExitSubjects[3];
    std::optional<QueueResult> m_shownQueue;
};
