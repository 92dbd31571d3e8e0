#include "batchcommands.h"

#include "mail/mailer.h"
#include "mail/templates.h"
#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/feedbackpanel.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/progressdialog.h"
#include "mainwindow/shippanel.h"
#include "mainwindow/statuspicture.h"
#include "mainwindow/unpaiditemspanel.h"
#include "errors/handelerrors.h"
#include "platform/busycursor.h"
#include "platform/endpoints.h"
#include "platform/prompts.h"
#include "queues/queuerules.h"
#include "records/recordstore.h"

#include <QComboBox>
#include <QPushButton>

BatchCommands::BatchCommands(FrmMain &window) : QObject(&window), m_win(window) {}

bool BatchCommands::mergeAndSend(const QString &path)
{
    return ReplaceEmail(m_win.store(), m_win.appFolder(), path) && m_win.SendEmail();
}

void BatchCommands::report(const Batch::Outcome &o, bool mailed, const QString &location)
{
    if (o.error)
        handleCaught(location, o.error);
    QStringList parts;
    if (mailed)
        parts << QStringLiteral("%1 sent").arg(o.sent);
    if (o.failed)
        parts << QStringLiteral("%1 not sent").arg(o.failed);
    parts << QStringLiteral("%1 marked").arg(o.marked);
    if (o.skipped)
        parts << QStringLiteral("%1 skipped: the record is no longer there").arg(o.skipped);
    QString text = parts.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (o.error)
        text += QStringLiteral(" Stopped by an error.");
    if (!o.mailedUnmarked.isEmpty())
        text += QStringLiteral(" %1 was mailed but could not be marked.").arg(o.mailedUnmarked);
    m_win.showStatus(text);
}

bool BatchCommands::confirmSend(int mails, const QString &templateFile, const QString &subject)
{
    // One mail is what the user just ticked; a batch of them is worth a second look.
    if (mails < 2)
        return true;
    return prompts().message(QStringLiteral("Send %1 emails?\r\n\r\nTemplate: %2\r\nSubject: %3")
                                 .arg(mails)
                                 .arg(templateFile, subject),
                             QStringLiteral("Send Emails"), Prompts::Yes | Prompts::No,
                             Prompts::Icon::Question) == Prompts::Yes;
}

void BatchCommands::Send()
{
    EmailWizardPanel *panel = m_win.emailWizardPanel();
    if (panel->rowCount() == 0)
        return;
    QPushButton *button = panel->actionButton();
    button->setEnabled(false);
    m_win.CheckOnline();
    if (!m_win.online()) {
        Mailer::sayNotOnline();
        button->setEnabled(true);
        return;
    }
    const QString path = panel->selectedTemplatePath();
    if (path.isEmpty()) {
        prompts().message(QStringLiteral("Not Email Templete Selected."),
                          QStringLiteral("Select Email Templete."), Prompts::Ok,
                          Prompts::Icon::Warning);
        button->setEnabled(true);
        return;
    }
    if (!confirmSend(panel->model()->checkedCount(), panel->selectedTemplate(),
                     panel->subjectBox()->currentText())) {
        button->setEnabled(true);
        return;
    }
    BusyCursor busy;
    const QueueRule *shown = Queues::ruleByTitle(m_win.windowTitle());
    const auto rule = shown ? Batch::sendRule(shown->key) : std::nullopt;
    std::optional<Mark> mark;
    if (rule && m_win.markSwitchOn())
        mark = rule->mark;
    RecordStore &store = m_win.store();
    panel->holdPreview(true);
    const Batch::Outcome outcome = Batch::sendChecked(
        *panel->model(), store,
        [&](int r) {
            panel->selectRow(r + 1);
            return panel->clickRow(r + 1);
        },
        [&] { return mergeAndSend(path); }, mark, m_win.today(),
        progressDialog(&m_win, QStringLiteral("Sending")));
    if (rule && rule->recompute && outcome.recompute()) {
        if (shown->key == u"IS")
            m_win.LoadInvoicesToSend();
        else
            m_win.LoadReminders(shown->key);
    }
    panel->holdPreview(false);
    button->setEnabled(true);
    report(outcome, true, QStringLiteral("Command10_Click"));
}

void BatchCommands::markFeedBack()
{
    FeedBackPanel *panel = m_win.feedBackPanel();
    if (panel->rowCount() == 0)
        return;
    BusyCursor busy;
    std::function<bool()> notice;
    if (m_win.noticeSwitchOn()) {
        notice = [this] {
            m_win.emailWizardPanel()->subjectBox()->setEditText(QStringLiteral("Feed Back Given"));
            return mergeAndSend(Templates::templatePath(m_win.appFolder(), QStringLiteral("Feed Back Given.elm")));
        };
    }
    const QueueRule *shown = Queues::ruleByTitle(m_win.windowTitle());
    const Batch::Outcome outcome =
        Batch::markChecked(*panel->model(), m_win.store(), Marks::feedbackGiven, m_win.today(),
                           notice, Marks::feedbackNoticeSent, progressDialog(&m_win, QStringLiteral("Marking")));
    if (outcome.recompute() && shown && Queues::family(shown->key) == u"FB")
        m_win.LoadFeedBack(shown->key);
    report(outcome, bool(notice), QStringLiteral("Command16_Click"));
}

void BatchCommands::markUnpaid()
{
    UnpaidItemsPanel *panel = m_win.unpaidItemsPanel();
    if (panel->rowCount() == 0)
        return;
    const QString caption = panel->link()->text();
    std::optional<Mark> mark;
    if (caption == UnpaidItemsPanel::disputeCaption())
        mark = Marks::disputeReported;
    else if (caption == UnpaidItemsPanel::feeCreditCaption())
        mark = Marks::feeCreditClaimed;
    if (!mark)
        return;
    BusyCursor busy;
    const QueueRule *shown = Queues::ruleByTitle(m_win.windowTitle());
    const Batch::Outcome outcome = Batch::markChecked(*panel->model(), m_win.store(), *mark,
                                                      m_win.today(), {}, {},
                                                      progressDialog(&m_win, QStringLiteral("Marking")));
    const QString family = shown && outcome.recompute() ? Queues::family(shown->key) : QString();
    if (family == u"UPI")
        m_win.LoadUnpaidItem(shown->key);
    else if (family == u"FVF")
        m_win.LoadFinalFee(shown->key);
    report(outcome, false, QStringLiteral("Command27_Click"));
}

void BatchCommands::markShipped()
{
    ShipPanel *panel = m_win.shipPanel();
    if (panel->rowCount() == 0)
        return;
    BusyCursor busy;
    const Batch::Outcome outcome =
        Batch::markChecked(*panel->model(), m_win.store(), Marks::itemShipped, m_win.today(), {},
                           {}, progressDialog(&m_win, QStringLiteral("Marking")));
    if (outcome.recompute())
        m_win.LoadItemsToShip();
    report(outcome, false, QStringLiteral("Command9_Click"));
}

bool BatchCommands::markSwitchMayFlip()
{
    if (m_win.windowTitle() != Queues::rule(u"AR7")->title)
        return true;
    prompts().message(
        QStringLiteral("When working with All Reminders.\r\n\r\n"
                       "They will not be mark as sent you must work with each group separately "
                       "\r\nfor them to be marked as sent. This is incase you want to send an "
                       "email \r\nno matter how long it has been."),
        QStringLiteral("Working with All Reminder"), Prompts::Ok, Prompts::Icon::Information);
    return false;
}

void BatchCommands::openDisputePage()
{
    const QString caption = m_win.unpaidItemsPanel()->link()->text();
    if (caption == UnpaidItemsPanel::disputeCaption())
        m_win.openAddress(Endpoints::createDispute(m_win.settings()));
    else if (caption == UnpaidItemsPanel::feeCreditCaption())
        m_win.openAddress(Endpoints::disputeConsole(m_win.settings()));
}
