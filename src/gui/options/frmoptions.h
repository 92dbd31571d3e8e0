#pragma once

#include "options/optionfiles.h"

#include <QDialog>
#include <QUrl>
#include <array>
#include <functional>

class ClickLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

// "Options": edits the list files and the four option files. There is no save step: every
// change a user makes is written to its file at once. Its controls are the program's live
// copy of the options, so the rest of Lotwise reads them through the accessors below.
class FrmOptions : public QDialog
{
    Q_OBJECT
public:
    // Builds the window (hidden) and loads it: see load().
    explicit FrmOptions(QString appFolder, QWidget *parent = nullptr);

    // Rereads everything, as when the window is loaded: the template lists, then
    // OptionErrorChecking.txt, OptionLogFile.txt, OnExit.txt, Reminders.txt, and
    // emailsub.sub into the list editor with "Email Subjects" chosen.
    void load();

    // The live options.
    bool keepLog() const;
    bool sendErrorReport() const;
    // The on-exit mailing `which` (OptionFiles::OnExit::Which); its template file is the
    // selected one, "" when none is.
    OptionFiles::OnExit::Email onExit(int which) const;
    bool sendErrorLog() const;
    // All of the on-exit tab as its option file holds it.
    OptionFiles::OnExit onExitChoices() const;
    OptionFiles::Reminders reminders() const;
    OptionFiles::LogFile logFile() const;

    // Fills the drop-down list of on-exit subject box `which`: its built-in subject first,
    // then `lines` (the lines of emailsub.sub). What the box shows is kept, and nothing is
    // written.
    void setOnExitSubjects(int which, const QStringList &lines);

    // The list editor's chosen list.
    OptionFiles::List chosenList() const { return m_chosen; }
    void chooseList(OptionFiles::List list);

    // The option procedures. Each traps its own errors; none writes while a read runs.
    void OpenInputs(const QString &path);
    void SaveInputs();
    void OpenReminders();
    void SaveReminders();
    void OpenOnExit();
    void SaveOnExit();
    void OpenLogFile();
    void SaveLogFile();
    void OpenErrorChecking();
    void SaveErrorChecking();

    // A further tab after the five of the files (the mail account, the record store).
    void addPage(QWidget *page, const QString &title);

    // "View Error Log": the log in the desktop's editor for text files, or the message that
    // there is none. `openFile` opens a local file (QDesktopServices by default).
    void viewErrorLog();
    void setFileOpener(std::function<bool(const QUrl &)> openFile) { m_openFile = std::move(openFile); }
    // What a click on "Online Error Reports Links" opens.
    void setErrorReportsOpener(std::function<void()> open) { m_openReports = std::move(open); }

    // "Add" of the list editor.
    void addItem();
    // "Delete": removes the selected item, if any, and writes the list file.
    void deleteItem();

signals:
    // "&Apply": the program is to start anew at once, without its closing steps.
    void restartRequested();

private:
    // A check box with its caption in a label beside it; a click on the label toggles it.
    struct LabelledCheck
    {
        QCheckBox *box = nullptr;
        ClickLabel *label = nullptr;
    };
    LabelledCheck makeCheck(const QString &name, const QString &caption, QWidget *parent);

    QWidget *buildUserInputs();
    QWidget *buildReminders();
    QWidget *buildOnExit();
    QWidget *buildLogFiles();
    QWidget *buildErrorChecking();
    void tabSelected(int index);
    void keepLogFileToggled(bool on);
    void refreshTemplateLists();
    void showTemplateWarnings();
    void centreOnScreen();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void setLinkColour(const QColor &colour);
    QString file(const QString &relative) const;

    QString m_appFolder;
    // Set only while an option file is read into the controls, whose change signals would
    // otherwise write the file back.
    bool m_loading = false;
    OptionFiles::List m_chosen = OptionFiles::List::EmailSubjects;

    QTabWidget *m_tabs = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_apply = nullptr;

    std::array<QRadioButton *, OptionFiles::ListCount> m_listChoices{};
    QListWidget *m_list = nullptr;
    QLineEdit *m_itemToAdd = nullptr;

    std::array<LabelledCheck, 4> m_reminderChecks{};
    std::array<QLineEdit *, 4> m_reminderDays{};

    std::array<LabelledCheck, 3> m_onExitChecks{};
    std::array<QListWidget *, 3> m_templateLists{};
    std::array<QComboBox *, 3> m_subjects{};
    // Beside a ticked mailing with no template: it would be skipped on every close.
    std::array<QLabel *, 3> m_noTemplate{};
    LabelledCheck m_sendErrorLog;

    std::array<LabelledCheck, 4> m_logChecks{};

    ClickLabel *m_reportsLink = nullptr;
    std::function<bool(const QUrl &)> m_openFile;
    std::function<void()> m_openReports;

    LabelledCheck m_keepLog;
    LabelledCheck m_sendError;
};
