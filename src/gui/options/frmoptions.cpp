#include "frmoptions.h"

#include "errors/handelerrors.h"
#include "mail/templates.h"
#include "platform/clicklabel.h"
#include "platform/appfolder.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using OptionFiles::List;

namespace {

// Raises the options-loading flag for the life of a read, and lowers it again however the
// read ends, before its error (if any) is reported.
class Loading
{
public:
    explicit Loading(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~Loading() { m_flag = m_was; }
    Loading(const Loading &) = delete;
    Loading &operator=(const Loading &) = delete;

private:
    bool &m_flag;
    bool m_was;
};

QString location(const char *procedure)
{
    return QStringLiteral("frmOptions-Sub_") + QLatin1String(procedure);
}

enum Tab { UserInputsTab, RemindersTab, OnExitTab, LogFilesTab, ErrorCheckingTab };

constexpr int FeedBackNoteLimit = 80;

} // namespace

FrmOptions::FrmOptions(QString appFolder, QWidget *parent)
    : QDialog(parent), m_appFolder(std::move(appFolder))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabOptions"));
    // The pages' frame takes the focus for its tab bar, so the bus shows it as a control.
    m_tabs->setAccessibleName(QStringLiteral("Options"));
    m_tabs->addTab(buildUserInputs(), QStringLiteral("User Inputs"));
    m_tabs->addTab(buildReminders(), QStringLiteral("Reminders"));
    m_tabs->addTab(buildOnExit(), QStringLiteral("On Program Exit"));
    m_tabs->addTab(buildLogFiles(), QStringLiteral("Log Files"));
    m_tabs->addTab(buildErrorChecking(), QStringLiteral("Error Checking"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &FrmOptions::tabSelected);
    // The tab bar's scroll arrows would be two more Tab stops; the arrow keys on the tab bar
    // already move between pages.
    if (auto *bar = m_tabs->findChild<QTabBar *>(QString(), Qt::FindDirectChildrenOnly)) {
        for (auto *arrow : bar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly))
            arrow->setFocusPolicy(Qt::NoFocus);
    }

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_apply = new QPushButton(QStringLiteral("&Apply"), this);
    m_apply->setObjectName(QStringLiteral("cmdApply"));
    connect(m_apply, &QPushButton::clicked, this, &FrmOptions::restartRequested);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_apply);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    load();
}

QString FrmOptions::file(const QString &relative) const
{
    return AppFolder::fileIn(m_appFolder, relative);
}

void FrmOptions::load()
{
    refreshTemplateLists();
    OpenErrorChecking();
    OpenLogFile();
    OpenOnExit();
    OpenReminders();
    m_chosen = List::EmailSubjects;
    m_listChoices[0]->setChecked(true);
    OpenInputs(file(OptionFiles::listFile(m_chosen)));
    // As a freshly loaded window: the first tab, nothing left typed.
    m_itemToAdd->clear();
    m_tabs->setCurrentIndex(UserInputsTab);
    centreOnScreen();
}

void FrmOptions::centreOnScreen()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    QRect frame(QPoint(), sizeHint());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void FrmOptions::tabSelected(int index)
{
    switch (index) {
    case RemindersTab:
        OpenReminders();
        break;
    case OnExitTab:
        // Templates may have been added or removed in the editor since the last visit.
        refreshTemplateLists();
        OpenOnExit();
        break;
    case LogFilesTab:
        OpenLogFile();
        break;
    case ErrorCheckingTab:
        OpenErrorChecking();
        break;
    default:
        break;
    }
}

void FrmOptions::refreshTemplateLists()
{
    const Loading loading(m_loading);
    const QStringList names = Templates::templateFiles(Templates::templatesFolder(m_appFolder));
    for (QListWidget *list : m_templateLists) {
        const QListWidgetItem *selected = list->selectedItems().value(0);
        const QString keep = selected ? selected->text() : QString();
        list->clear();
        list->addItems(names);
        const qsizetype row = keep.isEmpty() ? -1 : names.indexOf(keep);
        if (row >= 0)
            list->setCurrentRow(int(row));
    }
}

// ---- the live options -------------------------------------------------------------------

bool FrmOptions::keepLog() const
{
    return m_keepLog.box->isChecked();
}

bool FrmOptions::sendErrorReport() const
{
    return m_sendError.box->isChecked();
}

OptionFiles::OnExit::Email FrmOptions::onExit(int which) const
{
    OptionFiles::OnExit::Email email;
    if (which < 0 || which >= 3)
        return email;
    const auto i = size_t(which);
    email.on = m_onExitChecks[i].box->isChecked();
    const QListWidget *list = m_templateLists[i];
    // Only a template the user chose: with none, that mail is not sent at all rather than
    // sent with whichever file happens to come first.
    if (const QListWidgetItem *selected = list->selectedItems().value(0))
        email.templateFile = selected->text();
    email.subject = m_subjects[i]->currentText();
    return email;
}

bool FrmOptions::sendErrorLog() const
{
    return m_sendErrorLog.box->isChecked();
}

OptionFiles::OnExit FrmOptions::onExitChoices() const
{
    OptionFiles::OnExit o;
    for (size_t i = 0; i < o.emails.size(); ++i)
        o.emails[i] = onExit(int(i));
    o.sendErrorLog = sendErrorLog();
    return o;
}

OptionFiles::Reminders FrmOptions::reminders() const
{
    OptionFiles::Reminders r;
    for (size_t i = 0; i < r.items.size(); ++i) {
        r.items[i].on = m_reminderChecks[i].box->isChecked();
        r.items[i].days = m_reminderDays[i]->text();
    }
    return r;
}

OptionFiles::LogFile FrmOptions::logFile() const
{
    return {m_logChecks[0].box->isChecked(), m_logChecks[1].box->isChecked(),
            m_logChecks[2].box->isChecked(), m_logChecks[3].box->isChecked()};
}

void FrmOptions::setOnExitSubjects(int which, const QStringList &lines)
{
    if (which < 0 || which >= 3)
        return;
    QComboBox *box = m_subjects[size_t(which)];
    const QSignalBlocker blocker(box);
    const QString shown = box->currentText();
    box->clear();
    box->addItem(OptionFiles::OnExit::defaultSubject(which));
    for (const QString &line : lines) {
        if (!line.isEmpty())
            box->addItem(line);
    }
    box->setEditText(shown);
}

// ---- the list editor --------------------------------------------------------------------

void FrmOptions::chooseList(List list)
{
    m_chosen = list;
    m_listChoices[size_t(list)]->setChecked(true);
    m_itemToAdd->clear();
    OpenInputs(file(OptionFiles::listFile(list)));
}

void FrmOptions::OpenInputs(const QString &path)
{
    trapErrors(location("OpenInputs"), [&] {
        bool exists = false;
        const QStringList items = OptionFiles::readList(path, &exists);
        if (!exists)
            return;
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        m_list->addItems(items);
    });
}

void FrmOptions::SaveInputs()
{
    const QString path = file(OptionFiles::listFile(m_chosen));
    const bool written = trapErrors(location("SaveInputs"), [&] {
        QStringList items;
        for (int i = 0; i < m_list->count(); ++i)
            items.append(m_list->item(i)->text());
        OptionFiles::writeList(path, items);
    });
    if (written)
        OpenInputs(path);
}

void FrmOptions::addItem()
{
    if (m_loading)
        return;
    const QString text = m_itemToAdd->text().trimmed();
    m_itemToAdd->setText(text);
    if (text.isEmpty())
        return;
    if (m_chosen == List::FeedBackNotes && text.size() > FeedBackNoteLimit) {
        prompts().message(
            QStringLiteral("Feed Back Note to long, only 80 characters can be used.\r\n"
                           "Current Note %1 Long.")
                .arg(text.size()),
            QStringLiteral("Note To Long."), Prompts::Ok, Prompts::Icon::Information);
        return;
    }
    m_list->addItem(text);
    m_itemToAdd->clear();
    SaveInputs();
}

void FrmOptions::deleteItem()
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    {
        const QSignalBlocker blocker(m_list);
        delete selected.first();
    }
    SaveInputs();
}

// ---- the option files -------------------------------------------------------------------

void FrmOptions::OpenReminders()
{
    trapErrors(location("OpenReminders"), [&] {
        const Loading loading(m_loading);
        OptionFiles::Reminders r = reminders();
        if (!r.read(file(QLatin1String(OptionFiles::RemindersFile))))
            return;
        for (size_t i = 0; i < r.items.size(); ++i) {
            m_reminderChecks[i].box->setChecked(r.items[i].on);
            m_reminderDays[i]->setText(r.items[i].days);
        }
    });
}

void FrmOptions::SaveReminders()
{
    if (m_loading)
        return;
    trapErrors(location("SaveReminders"),
               [&] { reminders().write(file(QLatin1String(OptionFiles::RemindersFile))); });
}

void FrmOptions::OpenOnExit()
{
    trapErrors(location("OpenOnExit"), [&] {
        const Loading loading(m_loading);
        OptionFiles::OnExit o = onExitChoices();
        if (!o.read(file(QLatin1String(OptionFiles::OnExitFile))))
            return;
        for (size_t i = 0; i < o.emails.size(); ++i) {
            m_onExitChecks[i].box->setChecked(o.emails[i].on);
            m_subjects[i]->setEditText(o.emails[i].subject);
            QListWidget *list = m_templateLists[i];
            const auto found = list->findItems(o.emails[i].templateFile, Qt::MatchExactly);
            if (!o.emails[i].templateFile.isEmpty() && !found.isEmpty()) {
                list->setCurrentItem(found.first());
            } else {
                list->clearSelection();
                list->setCurrentRow(-1);
            }
        }
        m_sendErrorLog.box->setChecked(o.sendErrorLog);
    });
    showTemplateWarnings();
}

void FrmOptions::showTemplateWarnings()
{
    for (size_t i = 0; i < m_noTemplate.size(); ++i) {
        if (m_noTemplate[i])
            m_noTemplate[i]->setVisible(m_onExitChecks[i].box->isChecked() &&
                                        m_templateLists[i]->selectedItems().isEmpty());
    }
}

void FrmOptions::SaveOnExit()
{
    if (m_loading)
        return;
    trapErrors(location("SaveOnExit"),
               [&] { onExitChoices().write(file(QLatin1String(OptionFiles::OnExitFile))); });
}

void FrmOptions::OpenLogFile()
{
    trapErrors(location("OpenLogFile"), [&] {
        const Loading loading(m_loading);
        OptionFiles::LogFile l = logFile();
        if (!l.read(file(QLatin1String(OptionFiles::LogFileFile))))
            return;
        m_logChecks[0].box->setChecked(l.keepLogFile);
        m_logChecks[1].box->setChecked(l.everyDay);
        m_logChecks[2].box->setChecked(l.everyWeek);
        m_logChecks[3].box->setChecked(l.everyMonth);
    });
}

void FrmOptions::keepLogFileToggled(bool on)
{
    // Without a log file there is nothing to keep every day, week or month. A read shows the
    // file as it stands instead.
    if (!on && !m_loading) {
        for (size_t i = 1; i < m_logChecks.size(); ++i)
            m_logChecks[i].box->setChecked(false);
    }
    SaveLogFile();
}

void FrmOptions::SaveLogFile()
{
    if (m_loading)
        return;
    trapErrors(location("SaveLogFile"),
               [&] { logFile().write(file(QLatin1String(OptionFiles::LogFileFile))); });
}

void FrmOptions::OpenErrorChecking()
{
    trapErrors(location("OpenErrorChecking"), [&] {
        const Loading loading(m_loading);
        OptionFiles::ErrorChecking e{keepLog(), sendErrorReport()};
        if (!e.read(file(QLatin1String(OptionFiles::ErrorCheckingFile))))
            return;
        m_keepLog.box->setChecked(e.keepLog);
        m_sendError.box->setChecked(e.sendError);
    });
}

void FrmOptions::SaveErrorChecking()
{
    if (m_loading)
        return;
    trapErrors(location("SaveErrorChecking"), [&] {
        OptionFiles::ErrorChecking{keepLog(), sendErrorReport()}.write(
            file(QLatin1String(OptionFiles::ErrorCheckingFile)));
    });
}

void FrmOptions::addPage(QWidget *page, const QString &title)
{
    m_tabs->addTab(page, title);
    // The page's controls joined the Tab order after OK and Apply; those stay last.
    QWidget *last = previousInFocusChain();
    while (last != this && (last == m_ok || last == m_apply || !(last->focusPolicy() & Qt::TabFocus)))
        last = last->previousInFocusChain();
    if (last == this)
        return;
    setTabOrder(last, m_ok);
    setTabOrder(m_ok, m_apply);
}

void FrmOptions::viewErrorLog()
{
    const QString log = file(QStringLiteral("errorlog.log"));
    if (!QFile::exists(log)) {
        prompts().message(QStringLiteral("No errors reported or found."),
                          QStringLiteral("No Error Log File..."), Prompts::Ok,
                          Prompts::Icon::Information);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(QFileInfo(log).absoluteFilePath());
    const bool opened = m_openFile ? m_openFile(url) : QDesktopServices::openUrl(url);
    if (!opened)
        prompts().message(QStringLiteral("No text editor could be started for the error log:\r\n")
                              + QDir::toNativeSeparators(log),
                          QStringLiteral("Error Log"), Prompts::Ok, Prompts::Icon::Warning);
}

void FrmOptions::setLinkColour(const QColor &colour)
{
    QPalette p = m_reportsLink->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Window, QColor(0x3b, 0x6f, 0xc9));
    m_reportsLink->setPalette(p);
}

bool FrmOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_reportsLink) {
        if (event->type() == QEvent::Enter)
            setLinkColour(Qt::black);
        else if (event->type() == QEvent::Leave)
            setLinkColour(Qt::white);
    }
    return QDialog::eventFilter(watched, event);
}
